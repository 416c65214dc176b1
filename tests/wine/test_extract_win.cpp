// Disk > Extract in process: the folder browser (answered with OK, which
// takes the folder it was started in) through the command, and the run
// itself (ExtractSelectedTo, without the browser): the target names, the
// overwrite questions of the prompt, backups, and targets that cannot be
// made or written.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs/dialogs_win.h"
#include "doc_helpers_win.h"
#include "document/document_win.h"
#include "fault_files.h"
#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "modal_watcher_win.h"
#include "platform/file_api.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"
#include "shell/texts.h"
#include "window_fixture_win.h"

namespace {

// A static text of the folder browser: its title "\n抽出先ﾌｫﾙﾀﾞ:\n".
const char kBrowser[] = "抽出先ﾌｫﾙﾀﾞ";

// The names of the files and folders in a folder, sorted.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string n = found.cFileName;
        if (n != "." && n != "..") names.push_back(n);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

Bytes FileBytes(const std::string& path) {
    Bytes b;
    ReadAll(path, &b);
    return b;
}

class Extract : public MainWindowTest {
protected:
    // Opens GAME.D88 (in a folder of its own) holding `images`, and sets
    // lastDir to the output folder, where the browser then starts.
    void Open(const std::vector<Bytes>& images, const char* title = "GAME.D88") {
        images_ = images;
        std::string path = source_.Write("GAME.D88", Join(images));
        LoadDocumentFile(main(), path.c_str(), title, static_cast<unsigned>(source_.path().size() + 1));
        ASSERT_EQ(images.size(), ListColumn(list(), 0).size());
        SetLastDir(out_.path());
    }
    void SetLastDir(const std::string& dir) { lstrcpynA(params()->lastDir, dir.c_str(), 261); }

    std::string Target(const std::string& diskName) const { return out_.File("GAME " + diskName + ".D88"); }
    std::string StatusText() {
        char text[256] = "";
        SendMessageA(params()->statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }

    // Runs Disk > Extract through the command, the browser answered first.
    ModalWatcher& Run(ModalWatcher& watcher) {
        watcher.Start();
        SendMessageA(main(), WM_COMMAND, IDM_EXTRACT, 0);
        return watcher;
    }

    // The run alone, into the output folder (or `folder`), without the
    // browser: the questions of the run are the watcher's only steps.
    ModalWatcher& RunTo(ModalWatcher& watcher, const std::string& folder = std::string()) {
        watcher.Start();
        ExtractSelectedTo(main(), folder.empty() ? out_.path().c_str() : folder.c_str());
        return watcher;
    }
    // A browser that lost its start folder (it happens under Wine) wrote
    // the files elsewhere: take them away again.
    void RemoveStrays(const std::vector<std::string>& diskNames) {
        std::string dir = params()->lastDir;
        if (dir.empty() || lstrcmpiA(dir.c_str(), out_.path().c_str()) == 0) return;
        for (const std::string& n : diskNames) {
            DeleteFileA((dir + "\\GAME " + n + ".D88").c_str());
            DeleteFileA((dir + "\\GAME " + n + ".bak").c_str());
        }
    }

    std::vector<Bytes> images_;
    TempFolder source_;
    TempFolder out_;
};

TEST_F(Extract, SelectedDisksGoToFilesOfTheirOwnInListOrder) {
    Bytes a = MakeImage("DISK A", 1000);
    Bytes b = MakeImage("DISK B", 688 + 9000, 0x10, 0x10);
    Bytes c = MakeImage("DISK C", 688);
    Bytes d = MakeImage("DISK D", 700);
    Open({a, b, c, d});
    // List order C, A, B, D: the run follows the list, not the buffer.
    SelectOnly(list(), {2});
    ASSERT_TRUE(MoveSelectedDisks(list(), 0));
    ASSERT_EQ((std::vector<std::string>{"DISK C", "DISK A", "DISK B", "DISK D"}), ListColumn(list(), 0));
    params()->modified = 0;
    SelectOnly(list(), {0, 1, 2});
    params()->flags |= FLAG_MAKE_BACKUP;  // of targets that are not there: none
    SetLastDir(out_.path() + "\\");  // the browser starts there without the backslash
    ModalWatcher watcher;
    watcher.Expect(kBrowser, IDOK);
    bool finished = Run(watcher).Finish();
    RemoveStrays({"DISK A", "DISK B", "DISK C"});
    ASSERT_TRUE(finished) << watcher.Report();

    EXPECT_EQ((std::vector<std::string>{"GAME DISK A.D88", "GAME DISK B.D88", "GAME DISK C.D88"}),
              FilesIn(out_.path()));
    EXPECT_TRUE(FileBytes(Target("DISK A")) == a);
    EXPECT_TRUE(FileBytes(Target("DISK B")) == b);
    EXPECT_TRUE(FileBytes(Target("DISK C")) == c);
    EXPECT_EQ(0, params()->modified);
    EXPECT_EQ(out_.path(), std::string(params()->lastDir));
    EXPECT_EQ(4, ListCount(list()));
    EXPECT_EQ(3, ListSelectedCount(list()));
}

// The browser knows its start folder by the folder, not by the text of
// lastDir: started from the folder's 8.3 name, it shows the folder (by its
// long name) with OK enabled, and OK takes it. A drive made for a folder
// by DefineDosDeviceA (as subst does) is no case here: Wine 8 lists the
// drive, but its file system does not follow it to the folder.
TEST_F(Extract, TheBrowserKnowsItsStartFolderByItsShortName) {
    Bytes a = MakeImage("DISK A", 700);
    Open({a});
    SelectOnly(list(), {0});
    char shortName[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameA(out_.path().c_str(), shortName, MAX_PATH));
    ASSERT_NE(out_.path(), shortName) << "the folder has no 8.3 name of its own";
    SetLastDir(shortName);
    bool okEnabled = false;
    ModalWatcher watcher;
    watcher.Expect(ModalStep::Calling([&okEnabled](HWND browser) {
        okEnabled = IsWindowEnabled(GetDlgItem(browser, IDOK)) != FALSE;
        PostMessageA(browser, WM_COMMAND, IDOK, 0);
    }));
    ASSERT_TRUE(Run(watcher).Finish()) << watcher.Report();
    EXPECT_TRUE(okEnabled);
    EXPECT_TRUE(FileBytes(Target("DISK A")) == a);
    EXPECT_EQ(out_.path(), std::string(params()->lastDir));
}

TEST_F(Extract, ImagesAreClampedToTheirFileAndEmptyNamesKeepTheSpace) {
    Bytes first = MakeImage("", 1500);
    // The last image claims more bytes than the file holds: it keeps those
    // when a disk is added after it.
    Bytes last = MakeImage("SHORT", 5000);
    last.resize(2000);
    {
        ModalWatcher opening;
        opening.Expect("SHORT", IDOK);
        opening.Start();
        Open({first, last});
        ASSERT_TRUE(opening.Finish()) << opening.Report();
    }
    AppendBlankDisk(main());
    SelectOnly(list(), {0, 1});
    ModalWatcher watcher;
    // A folder that ends in a backslash gets no second one.
    ASSERT_TRUE(RunTo(watcher, out_.path() + "\\").Finish()) << watcher.Report();
    EXPECT_EQ((std::vector<std::string>{"GAME .D88", "GAME SHORT.D88"}), FilesIn(out_.path()));
    EXPECT_TRUE(FileBytes(out_.File("GAME .D88")) == first);
    EXPECT_TRUE(FileBytes(Target("SHORT")) == last);
}

TEST_F(Extract, ADiskSizeOfZeroGivesAnEmptyFile) {
    Bytes one = MakeImage("ONE", 900);
    Bytes zero = MakeImage("ZERO", 0);  // a header alone whose diskSize is 0
    {
        // The open says that the walk ended at the zero-size image.
        ModalWatcher opening;
        opening.Expect("GAME.D88\n", IDOK);
        opening.Start();
        Open({one, zero});
        ASSERT_TRUE(opening.Finish()) << opening.Report();
    }
    SelectOnly(list(), {0, 1});
    ModalWatcher watcher;
    ASSERT_TRUE(RunTo(watcher).Finish()) << watcher.Report();
    EXPECT_EQ((std::vector<std::string>{"GAME ONE.D88", "GAME ZERO.D88"}), FilesIn(out_.path()));
    EXPECT_TRUE(FileBytes(Target("ONE")) == one);
    EXPECT_TRUE(FileBytes(Target("ZERO")).empty());
}

TEST_F(Extract, ANewDocumentNamesTheFilesWithoutASpace) {
    AppendBlankDisk(main());
    SetLastDir(out_.path());
    SelectOnly(list(), {0});
    ModalWatcher watcher;
    ASSERT_TRUE(RunTo(watcher).Finish()) << watcher.Report();
    std::string name = std::string(TXT_NEW_TITLE) + "BlankDisk.D88";
    EXPECT_EQ((std::vector<std::string>{name}), FilesIn(out_.path()));
    EXPECT_TRUE(FileBytes(out_.File(name)) == MakeImage("BlankDisk", 688));
    EXPECT_EQ(1, params()->modified) << "the blank disk made it modified; extraction left it so";
}

TEST_F(Extract, NothingSelectedShowsNothingAndCancelKeepsTheTrimmedFolder) {
    Open({MakeImage("DISK A", 688)});
    SelectOnly(list(), {});
    {
        ModalWatcher watcher;
        watcher.SetTimeout(1500);
        watcher.Start();
        ExtractDisks(main());
        EXPECT_TRUE(watcher.Finish()) << watcher.Report();
        EXPECT_TRUE(watcher.seen().empty());
    }
    SelectOnly(list(), {0});
    SetLastDir(out_.path() + "\\");
    ModalWatcher watcher;
    watcher.Expect(kBrowser, IDCANCEL);
    ASSERT_TRUE(Run(watcher).Finish()) << watcher.Report();
    EXPECT_TRUE(FilesIn(out_.path()).empty());
    EXPECT_EQ(out_.path(), std::string(params()->lastDir));
}

TEST_F(Extract, SameNamesAskBeforeOverwritingAndAllYesAsksNoMore) {
    Bytes x1 = MakeImage("X", 700);
    Bytes x2 = MakeImage("X", 800);
    Bytes x3 = MakeImage("X", 900);
    Open({x1, x2, x3});
    SelectOnly(list(), {0, 1, 2});
    ModalWatcher watcher;
    watcher.Expect(TXT_OVERWRITE_CAPTION, IDC_ALLYES);
    ASSERT_TRUE(RunTo(watcher).Finish()) << watcher.Report();
    ASSERT_EQ(1u, watcher.seen().size());
    const ModalSeen& prompt = watcher.seen()[0];
    EXPECT_EQ(std::string(TXT_OVERWRITE_CAPTION), prompt.caption);
    std::vector<std::string> statics = prompt.statics;
    EXPECT_NE(statics.end(), std::find(statics.begin(), statics.end(), Format(TXT_OVERWRITE_QUESTION, Target("X"))));
    EXPECT_TRUE(FileBytes(Target("X")) == x3);
}

TEST_F(Extract, NoLeavesOneDiskOutAndCancelEndsTheRun) {
    Bytes x1 = MakeImage("X", 700);
    Bytes x2 = MakeImage("X", 800);
    Bytes y = MakeImage("Y", 900);
    Bytes x3 = MakeImage("X", 1000);
    Open({x1, x2, y, x3});
    SelectOnly(list(), {0, 1, 2, 3});
    {
        ModalWatcher watcher;
            watcher.Expect(TXT_OVERWRITE_CAPTION, IDNO);   // x2
        watcher.Expect(TXT_OVERWRITE_CAPTION, IDYES);  // x3
        ASSERT_TRUE(RunTo(watcher).Finish()) << watcher.Report();
        EXPECT_TRUE(FileBytes(Target("Y")) == y);
        EXPECT_TRUE(FileBytes(Target("X")) == x3);
    }
    DeleteFileA(Target("X").c_str());
    DeleteFileA(Target("Y").c_str());
    ModalWatcher watcher;
    watcher.Expect(TXT_OVERWRITE_CAPTION, IDCANCEL);  // x2
    ASSERT_TRUE(RunTo(watcher).Finish()) << watcher.Report();
    EXPECT_EQ((std::vector<std::string>{"GAME X.D88"}), FilesIn(out_.path()));
    EXPECT_TRUE(FileBytes(Target("X")) == x1);
}

TEST_F(Extract, BackupsKeepTheOldTarget) {
    Bytes fresh = MakeImage("DISK A", 1200);
    Open({fresh});
    Bytes old = MakeImage("OLD", 900);
    out_.Write("GAME DISK A.D88", old);
    params()->flags |= FLAG_MAKE_BACKUP;
    SelectOnly(list(), {0});
    ModalWatcher watcher;
    watcher.Expect(TXT_OVERWRITE_CAPTION, IDYES);
    ASSERT_TRUE(RunTo(watcher).Finish()) << watcher.Report();
    EXPECT_TRUE(FileBytes(Target("DISK A")) == fresh);
    EXPECT_TRUE(FileBytes(out_.File("GAME DISK A.bak")) == old);
}

TEST_F(Extract, ANameTheFileSystemRefusesCannotBeOpenedAndEndsTheRun) {
    const char* bad[] = {"A|B", "A>B"};
    for (const char* name : bad) {
        Open({MakeImage(name, 700), MakeImage("LATER", 800)});
        SelectOnly(list(), {0, 1});
        ModalWatcher watcher;
            watcher.Expect(TXT_APP_CAPTION, IDOK);
        ASSERT_TRUE(RunTo(watcher).Finish()) << watcher.Report();
        EXPECT_EQ(Format(TXT_CANNOT_OPEN, Target(name)), watcher.seen()[0].text);
        EXPECT_TRUE(FilesIn(out_.path()).empty()) << "nothing written, no temporary file left";
    }
}

TEST_F(Extract, WildcardsMatchNoOtherFileAndAFolderCountsAsExisting) {
    out_.Write("GAME X.D88", MakeImage("OTHER", 700));
    CreateDirectoryA(out_.File("GAME DIR.D88").c_str(), nullptr);
    {
        Open({MakeImage("*", 700)});
        SelectOnly(list(), {0});
        ModalWatcher watcher;
            watcher.Expect(TXT_APP_CAPTION, IDOK);  // no question: nothing is called "GAME *.D88"
        ASSERT_TRUE(RunTo(watcher).Finish()) << watcher.Report();
        EXPECT_EQ(Format(TXT_CANNOT_OPEN, Target("*")), watcher.seen()[0].text);
    }
    {
        Open({MakeImage("?", 700)});
        SelectOnly(list(), {0});
        ModalWatcher watcher;
            watcher.Expect(TXT_APP_CAPTION, IDOK);
        ASSERT_TRUE(RunTo(watcher).Finish()) << watcher.Report();
        EXPECT_EQ(Format(TXT_CANNOT_OPEN, Target("?")), watcher.seen()[0].text);
    }
    Open({MakeImage("DIR", 700)});
    SelectOnly(list(), {0});
    ModalWatcher watcher;
    watcher.Expect(TXT_OVERWRITE_CAPTION, IDYES);
    watcher.Expect(TXT_APP_CAPTION, IDOK);  // a folder cannot be replaced by a file
    ASSERT_TRUE(RunTo(watcher).Finish()) << watcher.Report();
    EXPECT_EQ(Format(TXT_CANNOT_OPEN, Target("DIR")), watcher.seen()[1].text);
    EXPECT_TRUE(FileBytes(out_.File("GAME X.D88")) == MakeImage("OTHER", 700));
    EXPECT_EQ((std::vector<std::string>{"GAME DIR.D88", "GAME X.D88"}), FilesIn(out_.path()));
    RemoveDirectoryA(out_.File("GAME DIR.D88").c_str());
}

TEST_F(Extract, AFailedWriteLeavesNoTargetAndEndsTheRun) {
    Open({MakeImage("DISK A", 9000), MakeImage("DISK B", 700)});
    SelectOnly(list(), {0, 1});
    FaultFiles files;
    files.failWriteAfter = 5000;
    params()->files = &files;
    ModalWatcher watcher;
    watcher.Expect(TXT_APP_CAPTION, IDOK);
    RunTo(watcher);
    bool finished = watcher.Finish();
    params()->files = &SystemFiles();
    ASSERT_TRUE(finished) << watcher.Report();
    EXPECT_EQ(Format(TXT_WRITE_FAILED, Target("DISK A")), watcher.seen()[0].text);
    EXPECT_TRUE(FilesIn(out_.path()).empty());
    EXPECT_EQ(0u, files.openHandles());
    EXPECT_EQ(0, params()->modified);
}

TEST_F(Extract, ATargetNameOver259BytesIsRefusedWithTheNameCutToFit) {
    // A document title long enough that folder + title + name passes the
    // limit (the title is what LoadDocumentFile was given, not the file's).
    std::string title(250, 'T');
    title += ".D88";
    Open({MakeImage("DISK A", 700), MakeImage("B", 700)}, title.c_str());
    SelectOnly(list(), {0, 1});
    ModalWatcher watcher;
    watcher.Expect(TXT_APP_CAPTION, IDOK);
    ASSERT_TRUE(RunTo(watcher).Finish()) << watcher.Report();
    std::string full = out_.path() + "\\" + std::string(250, 'T') + " DISK A.D88";
    ASSERT_GT(full.size(), 259u);
    EXPECT_EQ(Format(TXT_CANNOT_OPEN, full.substr(0, 259)), watcher.seen()[0].text);
    EXPECT_TRUE(FilesIn(out_.path()).empty());
}

TEST_F(Extract, WriteDiskImageWritesOneImageAndReportsItsOwnFailures) {
    Bytes a = MakeImage("DISK A", 3000);
    Bytes b = MakeImage("DISK B", 700);
    Open({a, b});
    std::string target = out_.File("ONE.D88");
    EXPECT_TRUE(WriteDiskImage(main(), target.c_str(), 3000));
    EXPECT_TRUE(FileBytes(target) == b);
    std::string missing = out_.File("NO SUCH FOLDER\\ONE.D88");
    ModalWatcher watcher;
    watcher.Expect(TXT_APP_CAPTION, IDOK);
    watcher.Start();
    EXPECT_FALSE(WriteDiskImage(main(), missing.c_str(), 0));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(Format(TXT_CANNOT_OPEN, missing), watcher.seen()[0].text);
    EXPECT_EQ(0, params()->modified);
}

}  // namespace

namespace {

TEST_F(Extract, NamesInOtherLetterCaseAndFilesMadeDuringTheRunAreAskedAbout) {
    Bytes a = MakeImage("DISK A", 700);
    Bytes b = MakeImage("DISK B", 800);
    Open({a, b});
    out_.Write("game disk a.d88", MakeImage("OLD", 900));
    SelectOnly(list(), {0, 1});
    FaultFiles files;
    // Another program makes B's file after the run has read the folder.
    files.beforeCreate = [&](const std::string& where) {
        if (where.find("GAME DISK B.D88") != std::string::npos && !Exists(Target("DISK B")))
            out_.Write("GAME DISK B.D88", MakeImage("OTHER", 900));
    };
    params()->files = &files;
    ModalWatcher watcher;
    watcher.Expect(Format(TXT_OVERWRITE_QUESTION, Target("DISK A")), IDYES);
    watcher.Expect(Format(TXT_OVERWRITE_QUESTION, Target("DISK B")), IDYES);
    bool finished = RunTo(watcher).Finish();
    params()->files = &SystemFiles();
    ASSERT_TRUE(finished) << watcher.Report();
    // The replaced file's name may take either letter case.
    EXPECT_EQ(2u, FilesIn(out_.path()).size()) << "one file for each name, and nothing else left";
    EXPECT_TRUE(FileBytes(Target("DISK A")) == a);
    EXPECT_TRUE(FileBytes(Target("DISK B")) == b);
}

TEST_F(Extract, ALongRunShowsHowFarItIsAndStartsNoCommandInside) {
    std::vector<Bytes> disks;
    std::vector<int> all;
    for (int i = 0; i < 40; ++i) {
        disks.push_back(MakeImage(("D" + std::to_string(i)).c_str(), 700));
        all.push_back(i);
    }
    Open(disks);
    SelectOnly(list(), all);
    FaultFiles files;
    files.failMakeFolder = true;  // the new files are made beside their targets then
    DWORD start = 0;
    bool inside = true, waitCursor = true, painted = false;
    std::string late;  // the status text once the run has lasted over a second
    // A slow disk: each new file takes 40 ms to make.
    files.beforeCreate = [&](const std::string&) {
        if (!start) {
            start = GetTickCount();
            SendMessageA(main(), WM_COMMAND, IDM_STATUSBAR, 0);
            PostMessageA(main(), WM_COMMAND, IDM_LIST, 0);
            InvalidateRect(list(), nullptr, TRUE);
        } else {
            inside &= IsWindowVisible(params()->statusBar) && ListViewBits(list()) == LVS_ICON;
            painted |= !GetUpdateRect(list(), nullptr, FALSE);
            if (GetTickCount() - start > 1200) late = StatusText();
        }
        waitCursor &= GetCursor() == LoadCursorA(nullptr, IDC_WAIT);
        Sleep(40);
    };
    params()->files = &files;
    ModalWatcher watcher;
    RunTo(watcher);
    params()->files = &SystemFiles();
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_TRUE(inside) << "a command started inside the run";
    EXPECT_TRUE(waitCursor);
    EXPECT_TRUE(painted) << "the list was not repainted during the run";
    EXPECT_EQ(0u, late.find("ﾃﾞｨｽｸｲﾒｰｼﾞを抽出中... ")) << late;
    EXPECT_NE(std::string::npos, late.find(" / 40 個")) << late;
    EXPECT_EQ(std::string("40 個のｲﾒｰｼﾞを選択"), StatusText());
    EXPECT_EQ(40u, FilesIn(out_.path()).size());
    Pump();  // the commands run now
    EXPECT_FALSE(IsWindowVisible(params()->statusBar));
    EXPECT_EQ(static_cast<DWORD>(LVS_LIST), ListViewBits(list()));
}

}  // namespace
