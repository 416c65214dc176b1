// Files dropped from the shell, in process: real drop handles (a DROPFILES
// block of ANSI paths in movable global memory) sent to the main window as
// WM_DROPFILES; the extension and save questions answered by the watcher;
// the drop menu shown with Ctrl (through the keyState seam) answered with
// keys from a thread of its own.
#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialogs/dialogs_win.h"
#include "doc_helpers_win.h"
#include "document/document_win.h"
#include "modal_watcher_win.h"
#include "resources/resource.h"
#include "shell/long_run_win.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"
#include "shell/texts.h"
#include "window_fixture_win.h"

namespace {

// A drop handle as the shell makes it: DROPFILES, then the paths, each
// ended by a NUL, and one more NUL.
HGLOBAL MakeDrop(const std::vector<std::string>& paths) {
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& p : paths) bytes += p.size() + 1;
    HGLOBAL h = GlobalAlloc(GHND, bytes);
    DROPFILES* files = static_cast<DROPFILES*>(GlobalLock(h));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = FALSE;
    char* at = reinterpret_cast<char*>(files) + sizeof(DROPFILES);
    for (const std::string& p : paths) {
        std::memcpy(at, p.c_str(), p.size() + 1);
        at += p.size() + 1;
    }
    GlobalUnlock(h);
    return h;
}

// True once the handle was given back (DragFinish frees it).
bool Released(HGLOBAL h) { return GlobalFlags(h) == GMEM_INVALID_HANDLE && GlobalSize(h) == 0; }

SHORT WINAPI CtrlDown(int key) { return key == VK_CONTROL ? static_cast<SHORT>(0x8000) : 0; }
SHORT WINAPI NothingDown(int) { return 0; }

// Answers the next popup menu of the UI thread with keys posted to it, and
// notes its items and where it appeared. A menu that never comes ends the
// wait after ten seconds.
class MenuKeys {
public:
    explicit MenuKeys(const std::vector<WPARAM>& keys)
        : watcher_(GetCurrentThreadId(), kMenuClass) {
        watcher_.SetTimeout(10000);
        watcher_.Expect(ModalStep::Calling([this, keys](HWND menu) {
            seen_ = true;
            DWORD_PTR r = 0;
            SendMessageTimeoutA(menu, MN_GETHMENU, 0, 0, SMTO_NORMAL, 5000, &r);
            HMENU items = reinterpret_cast<HMENU>(r);
            for (int i = 0; i < GetMenuItemCount(items); ++i)
                ids_.push_back(GetMenuItemID(items, i));
            RECT rect;
            GetWindowRect(menu, &rect);
            corner_.x = rect.left;
            corner_.y = rect.top;
            for (WPARAM key : keys) {
                PostMessageA(menu, WM_KEYDOWN, key, 0);
                Sleep(50);
            }
        }));
        watcher_.Start();
    }
    void Join() { watcher_.Finish(); }
    bool seen() const { return seen_; }
    const std::vector<UINT>& ids() const { return ids_; }
    POINT corner() const { return corner_; }

private:
    ModalWatcher watcher_;
    volatile bool seen_ = false;
    std::vector<UINT> ids_;
    POINT corner_ = {0, 0};
};

class Drop : public MainWindowTest {
protected:
    HANDLE pending() { return GetPropA(main(), PROP_DROP_HANDLE); }

    // Files X.D88, Y.D88 and Z.D88 of one image each, named after them.
    void MakeXyz() {
        x_ = folder_.Write("X.D88", MakeImage("DISK X", 700));
        y_ = folder_.Write("Y.D88", Join({MakeImage("DISK Y1", 700), MakeImage("DISK Y2", 800)}));
        z_ = folder_.Write("Z.D88", MakeImage("DISK Z", 900));
    }
    void Send(HGLOBAL drop) {
        SendMessageA(main(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    }

    TempFolder folder_;
    std::string x_, y_, z_;
};

TEST_F(Drop, DroppingThreeFilesWhileDropsOpenOpensTheFirst) {
    MakeXyz();
    HGLOBAL drop = MakeDrop({x_, y_, z_});
    Send(drop);
    EXPECT_EQ((std::vector<std::string>{"DISK X"}), names());
    EXPECT_EQ("X.D88 - Orvanel", WindowText(main()));
    EXPECT_EQ("X.D88", std::string(params()->fileTitle));
    EXPECT_EQ(x_, std::string(params()->filePath));
    EXPECT_EQ(folder_.path(), std::string(params()->lastDir));
    EXPECT_EQ(0, params()->modified);
    EXPECT_EQ(nullptr, pending());
    EXPECT_TRUE(Released(drop));
}

TEST_F(Drop, DroppingThreeFilesWhileDropsAddAppendsThemFromTheLast) {
    MakeXyz();
    AppendBlankDisk(main());
    params()->flags |= FLAG_DROP_ADDS;
    HGLOBAL drop = MakeDrop({x_, y_, z_});
    ModalWatcher watcher;  // no question: adding asks nothing about saving
    watcher.SetTimeout(1500);
    watcher.Start();
    Send(drop);
    EXPECT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_TRUE(watcher.seen().empty());
    EXPECT_EQ((std::vector<std::string>{"BlankDisk", "DISK Z", "DISK Y1", "DISK Y2", "DISK X"}),
              names());
    EXPECT_EQ(1, params()->modified);
    EXPECT_EQ(nullptr, pending());
    EXPECT_TRUE(Released(drop));
}

TEST_F(Drop, AFileThatIsNotD88IsTakenOnlyAfterAQuestion) {
    MakeXyz();
    std::string notes = folder_.Write("notes.txt", MakeImage("TEXT", 688));
    ASSERT_TRUE(LoadDocumentFile(main(), x_.c_str(), "X.D88",
                                 static_cast<unsigned>(folder_.path().size() + 1)));
    {
        HGLOBAL drop = MakeDrop({notes});
        ModalWatcher watcher;
        watcher.Expect(Format(TXT_NOT_D88_OPEN, "notes.txt"), IDNO);
        watcher.Start();
        Send(drop);
        ASSERT_TRUE(watcher.Finish()) << watcher.Report();
        EXPECT_EQ(std::string(TXT_FILE_CHECK), watcher.seen()[0].caption);
        EXPECT_EQ(Format(TXT_NOT_D88_OPEN, "notes.txt"), watcher.seen()[0].text);
        EXPECT_EQ((std::vector<std::string>{"DISK X"}), names());
        EXPECT_EQ("X.D88 - Orvanel", WindowText(main()));
        EXPECT_EQ(nullptr, pending());
        EXPECT_TRUE(Released(drop));
    }
    params()->flags |= FLAG_DROP_ADDS;
    {
        // One plain question per file, from the last one; No skips only that file.
        std::string more = folder_.Write("more.dat", MakeImage("MORE", 688));
        HGLOBAL drop = MakeDrop({notes, y_, more});
        ModalWatcher watcher;
        watcher.Expect(Format(TXT_NOT_D88_ADD, "more.dat"), IDNO);
        watcher.Expect(Format(TXT_NOT_D88_ADD, "notes.txt"), IDYES);
        watcher.Start();
        Send(drop);
        ASSERT_TRUE(watcher.Finish()) << watcher.Report();
        EXPECT_EQ(std::string(TXT_FILE_CHECK), watcher.seen()[1].caption);
        EXPECT_EQ((std::vector<std::string>{"DISK X", "DISK Y1", "DISK Y2", "TEXT"}), names());
        EXPECT_TRUE(Released(drop));
    }
}

TEST_F(Drop, OntoAModifiedDocumentTheExtensionQuestionComesBeforeTheSaveQuestion) {
    MakeXyz();
    std::string notes = folder_.Write("notes.txt", MakeImage("TEXT", 688));
    AppendBlankDisk(main());
    {
        HGLOBAL drop = MakeDrop({notes});
        ModalWatcher watcher;
        watcher.Expect(TXT_FILE_CHECK, IDYES);
        watcher.Expect(TXT_SAVE_CAPTION, IDCANCEL);
        watcher.Start();
        Send(drop);
        ASSERT_TRUE(watcher.Finish()) << watcher.Report();
        EXPECT_EQ((std::vector<std::string>{"BlankDisk"}), names());
        EXPECT_EQ(1, params()->modified);
        EXPECT_EQ(std::string(TXT_NEW_WINDOW_TITLE), WindowText(main()));
        EXPECT_EQ(nullptr, pending());
        EXPECT_TRUE(Released(drop));
    }
    HGLOBAL drop = MakeDrop({z_});
    ModalWatcher watcher;
    watcher.Expect(TXT_SAVE_CAPTION, IDNO);
    watcher.Start();
    Send(drop);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ((std::vector<std::string>{"DISK Z"}), names());
    EXPECT_EQ(0, params()->modified);
}

TEST_F(Drop, PathsThatNameNothingAreDroppedQuietly) {
    MakeXyz();
    std::string missing = folder_.File("GONE.D88");
    HGLOBAL drop = MakeDrop({missing, x_});
    ModalWatcher watcher;
    watcher.SetTimeout(1500);
    watcher.Start();
    Send(drop);  // opens the first name only, which is not there
    EXPECT_TRUE(names().empty());
    EXPECT_TRUE(Released(drop));
    params()->flags |= FLAG_DROP_ADDS;
    drop = MakeDrop({x_, missing});
    Send(drop);
    EXPECT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_TRUE(watcher.seen().empty());
    EXPECT_EQ((std::vector<std::string>{"DISK X"}), names());
    EXPECT_TRUE(Released(drop));
}

TEST_F(Drop, AFolderIsAskedAboutAndThenFailsToOpen) {
    std::string sub = folder_.File("FOLDER");
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    HGLOBAL drop = MakeDrop({sub});
    ModalWatcher watcher;
    watcher.Expect(Format(TXT_NOT_D88_OPEN, "FOLDER"), IDYES);
    watcher.Expect(Format(TXT_CANNOT_OPEN, "FOLDER"), IDOK);
    watcher.Start();
    Send(drop);
    bool ok = watcher.Finish();
    RemoveDirectoryA(sub.c_str());
    ASSERT_TRUE(ok) << watcher.Report();
    EXPECT_TRUE(names().empty());
    EXPECT_TRUE(Released(drop));
}

TEST_F(Drop, ALongNameIsFoundByItsShortNameAndKeptLong) {
    std::string path = folder_.Write("My Game Disk.d88", MakeImage("LONG", 700));
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(path.c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    std::string opened = folder_.path() + "\\" +
                         (found.cAlternateFileName[0] ? found.cAlternateFileName : found.cFileName);
    HGLOBAL drop = MakeDrop({path});
    Send(drop);
    EXPECT_EQ((std::vector<std::string>{"LONG"}), names());
    EXPECT_EQ(path, std::string(params()->filePath));  // so the backup is "My Game Disk.bak"
    EXPECT_EQ("My Game Disk.d88", std::string(params()->fileTitle));
    EXPECT_EQ("My Game Disk.d88 - Orvanel", WindowText(main()));

    std::string path2, title;
    HGLOBAL again = MakeDrop({path});
    ASSERT_TRUE(GetDroppedFileName(static_cast<HDROP>(again), 0, &path2, &title));
    EXPECT_EQ(opened, path2);
    EXPECT_EQ("My Game Disk.d88", title);
    EXPECT_FALSE(GetDroppedFileName(nullptr, 0, &path2, &title));
    EXPECT_FALSE(GetDroppedFileName(static_cast<HDROP>(again), 1, &path2, &title));
    GlobalFree(again);
}

TEST_F(Drop, ALongExtensionWhoseShortNameEndsInD88AsksNothing) {
    std::string path = folder_.Write("game.d88x", MakeImage("EXT", 700));
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(path.c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    std::string alt = found.cAlternateFileName;
    if (alt.size() < 4 || lstrcmpiA(alt.substr(alt.size() - 4).c_str(), ".D88") != 0)
        GTEST_SKIP() << "the file system keeps no short name ending in .D88 here: \"" << alt
                     << "\"";
    ModalWatcher watcher;
    watcher.SetTimeout(1500);
    watcher.Start();
    Send(MakeDrop({path}));
    EXPECT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_TRUE(watcher.seen().empty());
    EXPECT_EQ((std::vector<std::string>{"EXT"}), names());
    EXPECT_EQ("game.d88x", std::string(params()->fileTitle));
}

TEST_F(Drop, ABareNameIsTakenFromTheCurrentFolder) {
    folder_.Write("REL.D88", MakeImage("RELATIVE", 700));
    char before[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.path().c_str()));
    std::string path, title;
    HGLOBAL drop = MakeDrop({"REL.D88"});
    bool got = GetDroppedFileName(static_cast<HDROP>(drop), 0, &path, &title);
    ModalWatcher watcher;
    watcher.SetTimeout(1500);
    watcher.Start();
    Send(drop);
    bool quiet = watcher.Finish();
    SetCurrentDirectoryA(before);
    ASSERT_TRUE(got);
    EXPECT_EQ(folder_.File("REL.D88"), path);
    EXPECT_EQ("REL.D88", title);
    EXPECT_TRUE(quiet) << watcher.Report();
    EXPECT_EQ((std::vector<std::string>{"RELATIVE"}), names());
    EXPECT_EQ(folder_.File("REL.D88"), std::string(params()->filePath));
    EXPECT_EQ(folder_.path(), std::string(params()->lastDir));
}

TEST_F(Drop, WithCtrlTheDropMenuIsShownAndDismissingItReleasesTheDrop) {
    MakeXyz();
    AppendBlankDisk(main());
    params()->keyState = CtrlDown;
    SetForegroundWindow(main());
    SetCursorPos(300, 200);
    HGLOBAL drop = MakeDrop({x_});
    MenuKeys keys({VK_ESCAPE});
    Send(drop);
    keys.Join();
    params()->keyState = NothingDown;
    ASSERT_TRUE(keys.seen());
    EXPECT_EQ((std::vector<UINT>{IDM_DROP_OPEN, IDM_DROP_ADD, 0, IDM_DROP_CANCEL}), keys.ids());
    EXPECT_EQ(300, keys.corner().x);
    EXPECT_EQ(200, keys.corner().y);
    EXPECT_EQ(nullptr, pending());
    EXPECT_TRUE(Released(drop));
    // Later drop commands find nothing pending and do nothing.
    ModalWatcher watcher;
    watcher.SetTimeout(1500);
    watcher.Start();
    SendMessageA(main(), WM_COMMAND, IDM_DROP_OPEN, 0);
    SendMessageA(main(), WM_COMMAND, IDM_DROP_ADD, 0);
    SendMessageA(main(), WM_COMMAND, IDM_DROP_CANCEL, 0);
    Pump();
    EXPECT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_TRUE(watcher.seen().empty());
    EXPECT_EQ((std::vector<std::string>{"BlankDisk"}), names());
    EXPECT_EQ(1, params()->modified);
}

TEST_F(Drop, WithCtrlTheChosenMenuItemOpensAddsOrCancels) {
    MakeXyz();
    SetForegroundWindow(main());
    params()->keyState = CtrlDown;
    {
        HGLOBAL drop = MakeDrop({y_, x_});
        MenuKeys keys({VK_DOWN, VK_RETURN});  // the first item: open
        Send(drop);
        keys.Join();
        ASSERT_TRUE(keys.seen());
        Pump(100);
        EXPECT_EQ((std::vector<std::string>{"DISK Y1", "DISK Y2"}), names());
        EXPECT_TRUE(Released(drop));
    }
    {
        HGLOBAL drop = MakeDrop({x_, z_});
        MenuKeys keys({VK_DOWN, VK_DOWN, VK_RETURN});  // the second item: add
        Send(drop);
        keys.Join();
        Pump(100);
        EXPECT_EQ((std::vector<std::string>{"DISK Y1", "DISK Y2", "DISK Z", "DISK X"}), names());
        EXPECT_EQ(nullptr, pending());
        EXPECT_TRUE(Released(drop));
    }
    {
        HGLOBAL drop = MakeDrop({x_});
        MenuKeys keys({VK_UP, VK_RETURN});  // the last item: cancel
        Send(drop);
        keys.Join();
        Pump(100);
        EXPECT_EQ(4u, names().size());
        EXPECT_EQ(nullptr, pending());
        EXPECT_TRUE(Released(drop));
    }
    params()->keyState = NothingDown;
}

TEST_F(Drop, ANewDropReleasesTheOneThatWasPending) {
    MakeXyz();
    HGLOBAL first = MakeDrop({y_});
    SetPropA(main(), PROP_DROP_HANDLE, first);
    HGLOBAL second = MakeDrop({x_});
    Send(second);
    EXPECT_TRUE(Released(first));
    EXPECT_TRUE(Released(second));
    EXPECT_EQ((std::vector<std::string>{"DISK X"}), names());
    EXPECT_EQ(nullptr, pending());
    // The cancel command gives a pending drop back too.
    HGLOBAL third = MakeDrop({z_});
    SetPropA(main(), PROP_DROP_HANDLE, third);
    SendMessageA(main(), WM_COMMAND, IDM_DROP_CANCEL, 0);
    EXPECT_TRUE(Released(third));
    EXPECT_EQ(nullptr, pending());
    EXPECT_EQ((std::vector<std::string>{"DISK X"}), names());
}

// A second drop posted before the first is sent arrives in the loop of the
// first one's extension question: it is refused (and given back) while the
// first is worked through to its end.
TEST_F(Drop, ADropThatArrivesWhileAnotherAsksIsRefused) {
    MakeXyz();
    std::string notes = folder_.Write("notes.txt", MakeImage("TEXT", 688));
    params()->flags |= FLAG_DROP_ADDS;
    {
        HGLOBAL first = MakeDrop({x_, y_, notes});  // asked about first, the rest read after
        HGLOBAL second = MakeDrop({z_});
        ModalWatcher watcher;
        watcher.Expect(Format(TXT_NOT_D88_ADD, "notes.txt"), IDYES);
        watcher.Start();
        PostMessageA(main(), WM_DROPFILES, reinterpret_cast<WPARAM>(second), 0);
        Send(first);
        ASSERT_TRUE(watcher.Finish()) << watcher.Report();
        EXPECT_EQ((std::vector<std::string>{"TEXT", "DISK Y1", "DISK Y2", "DISK X"}), names());
        EXPECT_TRUE(Released(first));
        EXPECT_TRUE(Released(second));
        EXPECT_EQ(nullptr, pending());
    }
    params()->flags &= ~FLAG_DROP_ADDS;
    HGLOBAL first = MakeDrop({notes});
    HGLOBAL second = MakeDrop({z_});
    ModalWatcher watcher;
    watcher.Expect(Format(TXT_NOT_D88_OPEN, "notes.txt"), IDYES);
    watcher.Expect(TXT_SAVE_CAPTION, IDNO);
    watcher.Start();
    PostMessageA(main(), WM_DROPFILES, reinterpret_cast<WPARAM>(second), 0);
    Send(first);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ((std::vector<std::string>{"TEXT"}), names());
    EXPECT_EQ("notes.txt - Orvanel", WindowText(main()));
    EXPECT_TRUE(Released(first));
    EXPECT_TRUE(Released(second));
}

// A long command holds the drops that come meanwhile; one it has no room
// for is given back at once.
TEST_F(Drop, ADropALongRunHasNoRoomToHoldIsReleased) {
    HGLOBAL drop = MakeDrop({folder_.File("ANY.D88")});
    {
        LongRun run(main());
        for (int i = 0; i < kHeldMessages; ++i) SendMessageA(main(), WM_COMMAND, 0, 0);
        Send(drop);
        EXPECT_TRUE(Released(drop));
    }
    Pump();
}

TEST_F(Drop, APendingDropIsReleasedWhenTheWindowCloses) {
    HGLOBAL drop = MakeDrop({folder_.File("ANY.D88")});
    SetPropA(main(), PROP_DROP_HANDLE, drop);
    DestroyMain();
    EXPECT_TRUE(Released(drop));
}

}  // namespace
