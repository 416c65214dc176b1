// Disk images of other formats in the window, in process: raw, HFE and IMD
// files added and opened as one D88 disk each, the geometry and loss
// questions answered from the keyboard, and Disk > Export through the save
// dialog. What the window makes is compared with what d88 convert makes of
// the same file: the two share the one conversion.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/d88_cli.h"
#include "doc_helpers_win.h"
#include "document/document_win.h"
#include "fault_files.h"
#include "fault_memory.h"
#include "list/disk_list_win.h"
#include "modal_watcher_win.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/texts.h"
#include "window_fixture_win.h"

namespace {

Bytes Raw(uint32_t size) {
    Bytes b(size);
    for (uint32_t i = 0; i < size; ++i) b[i] = static_cast<uint8_t>(i * 13 + (i >> 8));
    return b;
}

// IMD bytes of one track of two sectors, with a comment (which D88 cannot hold).
Bytes ImdWithComment() {
    std::string head = "IMD 1.18: 01/01/2026 00:00:00\r\nA comment\x1a";
    Bytes b(head.begin(), head.end());
    const uint8_t track[] = {5, 0, 0, 2, 1, 1, 2, 2, 0xE5, 2, 0x00};
    b.insert(b.end(), track, track + sizeof track);
    return b;
}

// Presses a key where the dialog has the focus, as a person would.
void Press(DWORD ui, WPARAM key) {
    HWND focus = FocusOf(ui);
    PostMessageA(focus, WM_KEYDOWN, key, 0);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000000);
}

// The name the dialog proposes, once it has put it in its box.
std::string NameBox(HWND dialog) {
    std::string name;
    for (int i = 0; i < 100 && name.empty(); ++i, Sleep(i > 1 ? 20 : 0))
        name = ModalWatcher::TextOf(ModalWatcher::FileNameBox(dialog));
    return name;
}

// Answers a file dialog: `name` into the name box, then OK.
void TypeName(HWND dialog, const std::string& name) {
    SetWindowTextA(ModalWatcher::FileNameBox(dialog), name.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

bool Mentions(const ModalSeen& seen, const std::string& text) {
    for (const std::string& s : seen.statics)
        if (s.find(text) != std::string::npos) return true;
    return false;
}

class Formats : public MainWindowTest {
protected:

    // What d88 convert writes of the same source (its arguments before the
    // target's name).
    Bytes D88Made(std::vector<std::string> args, const std::string& target) {
        std::ostringstream out, err;
        args.insert(args.begin(), "convert");
        args.push_back(folder_.File(target));
        EXPECT_EQ(0, d88cli::RunD88(args, out, err)) << err.str();
        Bytes b;
        ReadAll(folder_.File(target), &b);
        return b;
    }
    Bytes BufferFrom(uint32_t from) {
        return Bytes(params()->buffer + from, params()->buffer + params()->bufferSize);
    }
    // GAME.D88 of one 2D disk read from a raw image (named when `name`).
    void OpenGame(const char* name = nullptr) {
        std::string raw = folder_.Write("SRC.2D", Raw(327680));
        D88Made({raw}, "GAME.D88");
        if (name) {
            std::ostringstream out, err;
            ASSERT_EQ(0, d88cli::RunD88({"rename", folder_.File("GAME.D88"), "0", name}, out, err));
        }
        ASSERT_TRUE(LoadDocumentFile(main(), folder_.File("GAME.D88").c_str(), "GAME.D88",
                                     static_cast<unsigned>(folder_.path().size() + 1)));
        SelectOnly(list(), {0});
        lstrcpynA(params()->lastDir, folder_.path().c_str(), 261);
    }

    TempFolder folder_;
};

TEST_F(Formats, ARawImageIsAddedThroughTheDialogAsTheD88ImageD88ConvertMakes) {
    std::string raw = folder_.Write("DISK.2D", Raw(327680));
    AppendBlankDisk(main());
    params()->modified = 0;
    std::vector<std::string> filters;
    int chosen = -1;
    ModalWatcher watcher;
    watcher.Expect(ModalStep::Calling([&](HWND dialog) {
        HWND types = ModalWatcher::FindControl(dialog, cmb1);
        chosen = static_cast<int>(SendMessageA(types, CB_GETCURSEL, 0, 0));
        for (int i = 0; i < SendMessageA(types, CB_GETCOUNT, 0, 0); ++i) {
            char text[256] = "";
            SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            filters.push_back(text);
        }
        TypeName(dialog, raw);
    }));
    watcher.Start();
    SendMessageA(main(), WM_COMMAND, IDM_ADDDISK, 0);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(0, chosen);
    EXPECT_EQ((std::vector<std::string>{"88ﾃﾞｨｽｸｲﾒｰｼﾞ(*.D88;*.88D)", "HFEｲﾒｰｼﾞ(*.HFE)",
                                        "IMDｲﾒｰｼﾞ(*.IMD)", "FDIｲﾒｰｼﾞ(*.FDI)",
                                        "ﾍﾞﾀｲﾒｰｼﾞ(*.HDM;*.2HD;*.XDF;*.2D;*.2DD;*.IMG;*.IMA;*.HDB)",
                                        "すべてのﾌｧｲﾙ(*.*)"}),
              filters);
    EXPECT_EQ((std::vector<std::string>{"BlankDisk", ""}), names());
    EXPECT_EQ((std::vector<std::string>{"2D", "2D"}), ListColumn(list(), 2));
    EXPECT_TRUE(BufferFrom(688) == D88Made({raw}, "DISK.D88"));
    EXPECT_EQ(1, params()->modified);
}

TEST_F(Formats, ASizeOfTwoGeometriesAsksWhichAndCancelAddsNothing) {
    std::string raw = folder_.Write("DISK.IMG", Raw(655360));
    DWORD ui = GetCurrentThreadId();
    int choices = 0;
    ModalWatcher watcher;
    watcher.Expect(ModalStep::Calling([&](HWND dialog) {
        choices = static_cast<int>(SendDlgItemMessageA(dialog, IDC_FORMAT_CHOICES, LB_GETCOUNT, 0, 0));
        Press(ui, VK_ESCAPE);
    }));
    watcher.Expect(ModalStep::Calling([&](HWND) {
        Press(ui, VK_DOWN);  // the second: 80/2/8/512
        Sleep(100);
        Press(ui, VK_RETURN);
    }));
    watcher.Start();
    EXPECT_FALSE(AppendImageFile(main(), raw.c_str()));
    EXPECT_EQ(nullptr, params()->buffer);
    EXPECT_EQ(0, params()->modified);
    EXPECT_TRUE(AppendImageFile(main(), raw.c_str()));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(2, choices);
    EXPECT_TRUE(Mentions(watcher.seen()[0], Format(TXT_GEOMETRY_QUESTION, raw).substr(0, 20)));
    EXPECT_TRUE(BufferFrom(0) == D88Made({"--geometry", "80/2/8/512", raw}, "DISK.D88"));
}

TEST_F(Formats, ALossyImageIsAddedOnlyOnYesAndEnterSaysNo) {
    std::string imd = folder_.Write("DISK.IMD", ImdWithComment());
    DWORD ui = GetCurrentThreadId();
    int defaultButton = 0;
    ModalWatcher watcher;
    watcher.Expect(ModalStep::Calling([&](HWND dialog) {
        defaultButton = LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0));
        Press(ui, VK_RETURN);
    }));
    watcher.Expect(TXT_LOSS_COMMENT, IDOK);
    watcher.Start();
    EXPECT_FALSE(AppendImageFile(main(), imd.c_str()));
    EXPECT_EQ(nullptr, params()->buffer);
    EXPECT_TRUE(AppendImageFile(main(), imd.c_str()));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(IDCANCEL, defaultButton);
    EXPECT_EQ(std::string(TXT_FORMAT_CAPTION), watcher.seen()[0].caption);
    EXPECT_TRUE(Mentions(watcher.seen()[0], TXT_LOSS_COMMENT));
    EXPECT_TRUE(BufferFrom(0) == D88Made({"--lossy", imd}, "DISK.D88"));
}

TEST_F(Formats, FailuresOfAnAddLeaveTheDocumentAsItWas) {
    std::string raw = folder_.Write("DISK.2D", Raw(327680));
    std::string odd = folder_.Write("ODD.HDM", Raw(1000));
    AppendBlankDisk(main());
    uint8_t* before = params()->buffer;
    FaultMemory memory;
    FaultFiles files;
    ModalWatcher watcher;
    watcher.Expect(TXT_NO_MEMORY, IDOK);
    watcher.Expect(Format(TXT_READ_FAILED, raw), IDOK);  // cut short
    watcher.Expect("1000ﾊﾞｲﾄのﾍﾞﾀｲﾒｰｼﾞは形がわかりません.", IDOK);
    watcher.Start();
    MemoryApi* realMemory = params()->memory;
    params()->memory = &memory;
    memory.RefuseAllocation(2);  // the block of the disk, after the file's
    EXPECT_FALSE(AppendImageFile(main(), raw.c_str()));
    params()->memory = realMemory;
    params()->files = &files;
    files.shortReadAt = 3;
    files.shortReadBytes = 100;
    EXPECT_FALSE(AppendImageFile(main(), raw.c_str()));
    params()->files = &SystemFiles();
    EXPECT_FALSE(AppendImageFile(main(), odd.c_str()));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(0u, memory.liveBlocks());
    EXPECT_EQ(before, params()->buffer);
    EXPECT_EQ((std::vector<std::string>{"BlankDisk"}), names());
}

TEST_F(Formats, AnImageOpensAsADocumentWithoutAFileThatSavesAsD88) {
    std::string raw = folder_.Write("SRC.2D", Raw(327680));
    Bytes d88 = D88Made({raw}, "SRC.D88");
    D88Made({raw}, "GAME.HFE");
    std::string hfe = folder_.File("GAME.HFE");
    ASSERT_TRUE(LoadDocumentFile(main(), hfe.c_str(), "GAME.HFE",
                                 static_cast<unsigned>(folder_.path().size() + 1)));
    EXPECT_EQ((std::vector<std::string>{""}), names());
    EXPECT_EQ("GAME.HFE - Orvanel", WindowText(main()));
    EXPECT_STREQ("", params()->filePath);
    EXPECT_EQ(folder_.path(), std::string(params()->lastDir));
    EXPECT_EQ(0, params()->modified);
    EXPECT_TRUE(BufferFrom(0) == d88);
    // Changed, it is saved to a file the user names, proposed as D88.
    params()->modified = 1;
    std::string proposed;
    ModalWatcher watcher;
    watcher.Expect(ModalStep::Calling([&](HWND dialog) {
        proposed = NameBox(dialog);
        TypeName(dialog, folder_.File("NEW.D88"));
    }));
    watcher.Start();
    EXPECT_TRUE(SaveDocument(main()));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ("GAME.D88", proposed);
    Bytes saved;
    ASSERT_TRUE(ReadAll(folder_.File("NEW.D88"), &saved));
    EXPECT_TRUE(saved == d88);
}

TEST_F(Formats, ExportWritesWhatD88ConvertWritesNamedAsExtractNames) {
    OpenGame();
    std::string proposed;
    ModalWatcher watcher;
    watcher.Expect(ModalStep::Calling([&](HWND dialog) {
        proposed = NameBox(dialog);
        TypeName(dialog, folder_.File(proposed));
    }));
    watcher.Start();
    SendMessageA(main(), WM_COMMAND, IDM_EXPORT, 0);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ("GAME .HFE", proposed);
    Bytes written;
    ASSERT_TRUE(ReadAll(folder_.File("GAME .HFE"), &written));
    EXPECT_TRUE(written == D88Made({folder_.File("GAME.D88") + "@0"}, "D88.HFE"));
    EXPECT_EQ(0, params()->modified);
}

TEST_F(Formats, ALossyExportAsksFirstAndNoWritesNothing) {
    OpenGame("DISK A");
    std::string target = folder_.File("GAME DISK A.HFE");
    DWORD ui = GetCurrentThreadId();
    ModalWatcher watcher;
    watcher.Expect("", IDOK).SetText(kFileNameBox, target);
    watcher.Expect(ModalStep::Calling([&](HWND) { Press(ui, VK_RETURN); }));
    watcher.Expect("", IDOK).SetText(kFileNameBox, target);
    watcher.Expect(TXT_LOSS_NAME, IDOK);
    watcher.Start();
    ExportDisks(main());
    EXPECT_FALSE(Exists(target));
    ExportDisks(main());
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_TRUE(Mentions(watcher.seen()[1], Format(TXT_LOSSY_EXPORT, target)));
    Bytes written;
    ASSERT_TRUE(ReadAll(target, &written));
    EXPECT_TRUE(written == D88Made({"--lossy", folder_.File("GAME.D88") + "@0"}, "D88.HFE"));
}

TEST_F(Formats, AnotherFilterGivesTheNameItsExtensionAndTheFileItsFormat) {
    OpenGame();
    std::string renamed;
    ModalWatcher watcher;
    watcher.Expect(ModalStep::Calling([&](HWND dialog) {
        std::string proposed = NameBox(dialog);
        // Down in the file type box: the next filter, IMD.
        HWND types = ModalWatcher::FindControl(dialog, cmb1);
        PostMessageA(types, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(types, WM_KEYUP, VK_DOWN, 0xC0000000);
        for (int i = 0; i < 100 && (renamed.empty() || renamed == proposed); ++i, Sleep(20))
            renamed = NameBox(dialog);
        TypeName(dialog, folder_.File(renamed));
    }));
    watcher.Start();
    ExportDisks(main());
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ("GAME .IMD", renamed);
    Bytes written;
    ASSERT_TRUE(ReadAll(folder_.File("GAME .IMD"), &written));
    EXPECT_EQ("IMD ", std::string(written.begin(), written.begin() + 4));
}

TEST_F(Formats, AFailedExportWriteLeavesNoFileAndEndsTheRun) {
    OpenGame();
    AppendBlankDisk(main());
    SelectOnly(list(), {0, 1});
    std::string target = folder_.File("OUT.HFE");
    FaultFiles files;
    files.failWriteAfter = 1000;
    ModalWatcher watcher;
    watcher.Expect("", IDOK).SetText(kFileNameBox, target);
    watcher.Expect(Format(TXT_WRITE_FAILED, target), IDOK);
    watcher.Start();
    params()->files = &files;
    ExportDisks(main());
    params()->files = &SystemFiles();
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_FALSE(Exists(target));
    WIN32_FIND_DATAA found;
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(folder_.File("~orv*").c_str(), &found));
}

}  // namespace
