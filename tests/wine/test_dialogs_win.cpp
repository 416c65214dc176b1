// The prompt and Disk > Delete, renaming in place, write protection, the
// context menus, and the properties, settings and version dialogs, in
// process on the real main window. Dialogs are answered from another
// thread by the ModalWatcher, with a function of the test's own where a step
// needs real clicks, keys or a look at the keyboard focus.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/dialogs_win.h"
#include "doc_helpers_win.h"
#include "document/document_win.h"
#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "modal_watcher_win.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"
#include "window_fixture_win.h"

namespace {

// Messages to a window of the UI thread from the script thread, bounded.
LRESULT Send(HWND w, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(w, message, wParam, lParam, SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}
void Answer(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// A real click: the button changes its state and tells the dialog.
void Click(HWND dialog, int id) { Send(GetDlgItem(dialog, id), BM_CLICK); }
bool Checked(HWND dialog, int id) {
    return Send(GetDlgItem(dialog, id), BM_GETCHECK) == BST_CHECKED;
}
std::string TextOf(HWND dialog, int id) { return ModalWatcher::TextOf(GetDlgItem(dialog, id)); }
bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}
bool HasButtons(const ModalSeen& seen, const std::vector<int>& ids) {
    for (int id : ids)
        if (std::find(seen.buttons.begin(), seen.buttons.end(), id) == seen.buttons.end())
            return false;
    return true;
}

class Dialogs : public MainWindowTest {
protected:
    std::string StatusText() {
        char text[256] = "";
        SendMessageA(params()->statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }

    // Opens a file DISKS.D88 holding the images; not modified afterwards.
    std::string Open(const std::vector<Bytes>& images) {
        std::string path = folder_.Write("DISKS.D88", Join(images));
        EXPECT_TRUE(LoadDocumentFile(main(), path.c_str(), "DISKS.D88",
                                     static_cast<unsigned>(folder_.path().size() + 1)));
        EXPECT_EQ(images.size(), names().size());
        EXPECT_EQ(0, params()->modified);
        return path;
    }
    std::vector<Bytes> FourDisks() {
        return {MakeImage("DISK-1", 700), MakeImage("DISK-2", 800), MakeImage("DISK-3", 900),
                MakeImage("DISK-4", 1000)};
    }
    // The label editor's answer for item `index`.
    static LVITEMW Edited(int index, const wchar_t* text) {
        LVITEMW item = {};
        item.iItem = index;
        item.pszText = const_cast<wchar_t*>(text);
        return item;
    }
    // The header of list item `index`, as it is in the buffer.
    Bytes Header(int index) {
        uint32_t offset = GetItemImageOffset(list(), index);
        if (offset == kNoImage) return Bytes();
        const uint8_t* h = params()->buffer + offset;
        return Bytes(h, h + kHeaderSize);
    }
    int ImageIndex(int index) {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = index;
        SendMessageA(list(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }
    std::string Question(const char* name) { return Format(TXT_DELETE_QUESTION, name); }

    TempFolder folder_;
};

// ---------------------------------------------------------------------------
// The prompt and Disk > Delete

TEST_F(Dialogs, PromptShowsCaptionAndQuestionAndAnswersWithTheButtonId) {
    const int answers[] = {IDYES, IDC_ALLYES, IDNO, IDCANCEL};
    ModalWatcher watcher;
    for (int a : answers) watcher.Expect("TWO\nLINES", a);
    watcher.Start();
    for (int a : answers) EXPECT_EQ(a, ShowPrompt(main(), L"TWO\nLINES", "CAPTION"));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    for (const ModalSeen& seen : watcher.seen()) {
        EXPECT_EQ("CAPTION", seen.caption);
        EXPECT_TRUE(Contains(seen.statics, "TWO\nLINES"));
        EXPECT_TRUE(HasButtons(seen, {IDYES, IDC_ALLYES, IDNO, IDCANCEL}));
    }
}

TEST_F(Dialogs, PromptEscapeAndTheCloseBoxAnswerCancel) {
    ModalWatcher script;
    script.Expect(ModalStep::Calling([](HWND d) { PostMessageA(d, WM_KEYDOWN, VK_ESCAPE, 0); }));
    script.Expect(ModalStep::Calling([](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }));
    script.Expect(ModalStep::Calling([](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }));
    script.Start();
    EXPECT_EQ(IDCANCEL, ShowPrompt(main(), L"Q", "C"));
    EXPECT_EQ(IDCANCEL, ShowPrompt(main(), L"Q", "C"));
    EXPECT_EQ(IDCANCEL, ShowPrompt(main(), L"Q", "C"));
    EXPECT_TRUE(script.Finish()) << script.Report();
}

TEST_F(Dialogs, DeleteYesNoYesRemovesTheFirstAndThirdAndTheSecondStaysSelected) {
    std::vector<Bytes> disks = FourDisks();
    std::string path = Open(disks);
    SelectOnly(list(), {0, 1, 2});
    ModalWatcher watcher;
    watcher.Expect(Question("DISK-1"), IDYES);
    watcher.Expect(Question("DISK-2"), IDNO);
    watcher.Expect(Question("DISK-3"), IDYES);
    watcher.Start();
    SendMessageA(main(), WM_COMMAND, IDM_DELETEDISK, 0);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(std::string(TXT_DELETE_CAPTION), watcher.seen()[0].caption);
    EXPECT_TRUE(Contains(watcher.seen()[0].statics, Question("DISK-1")));
    EXPECT_TRUE(HasButtons(watcher.seen()[0], {IDYES, IDC_ALLYES, IDNO, IDCANCEL}));
    EXPECT_EQ((std::vector<std::string>{"DISK-2", "DISK-4"}), names());
    EXPECT_TRUE(ListIsSelected(list(), 0));
    EXPECT_FALSE(ListIsSelected(list(), 1));
    EXPECT_EQ(1, params()->modified);
    EXPECT_EQ(0u, StatusText().find("1 個のｲﾒｰｼﾞを選択    2D(")) << StatusText();
    // The removed images stay in the buffer; the save leaves them out.
    EXPECT_EQ(Join(disks).size(), params()->bufferSize);
    ASSERT_TRUE(SaveDocument(main()));
    Bytes saved;
    ASSERT_TRUE(ReadAll(path, &saved));
    EXPECT_TRUE(saved == Join({disks[1], disks[3]}));
}

TEST_F(Dialogs, DeleteAllYesAtTheFirstQuestionRemovesTheRestWithoutAsking) {
    std::vector<Bytes> disks = FourDisks();
    std::string path = Open(disks);
    SelectOnly(list(), {0, 2, 3});
    ModalWatcher watcher;
    watcher.Expect(Question("DISK-1"), IDC_ALLYES);
    watcher.Start();
    DeleteDisks(main());
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(1u, watcher.seen().size());
    EXPECT_EQ((std::vector<std::string>{"DISK-2"}), names());
    EXPECT_EQ(std::string("1 個のｲﾒｰｼﾞ"), StatusText());
    ASSERT_TRUE(SaveDocument(main()));
    Bytes saved;
    ASSERT_TRUE(ReadAll(path, &saved));
    EXPECT_TRUE(saved == disks[1]);
}

// A close, or the session end's query, while a question is open (the
// document modified, so either would ask to save): the close is dropped,
// the session end refused, nothing asked.
TEST_F(Dialogs, ACloseThatArrivesWhileAQuestionIsOpenWaitsForIt) {
    for (UINT message : {WM_CLOSE, WM_QUERYENDSESSION}) {
        SCOPED_TRACE(message == WM_CLOSE ? "WM_CLOSE" : "WM_QUERYENDSESSION");
        Open(FourDisks());
        params()->modified = 1;
        SelectOnly(list(), {0, 1});
        HWND window = main();
        DWORD_PTR reply = TRUE;
        LRESULT sent = 0;
        ModalWatcher watcher;
        watcher.Expect(ModalStep::Calling([&](HWND d) {
            if (message == WM_CLOSE)
                PostMessageA(window, WM_CLOSE, 0, 0);
            else
                sent = SendMessageTimeoutA(window, message, 0, 0, SMTO_NORMAL, 5000, &reply);
            Answer(d, IDYES);
        }));
        watcher.Expect(Question("DISK-2"), IDYES);
        watcher.Start();
        DeleteDisks(window);
        ASSERT_TRUE(watcher.Finish()) << watcher.Report();
        ASSERT_TRUE(IsWindow(window));
        EXPECT_EQ((std::vector<std::string>{"DISK-3", "DISK-4"}), names());
        if (message == WM_QUERYENDSESSION) {
            EXPECT_NE(0, sent) << "the query was not answered within 5 s";
            EXPECT_EQ(static_cast<DWORD_PTR>(FALSE), reply);
        }
    }
}

TEST_F(Dialogs, DeleteCancelAtTheSecondKeepsTheRest) {
    Open(FourDisks());
    SelectOnly(list(), {0, 1, 2});
    ModalWatcher watcher;
    watcher.Expect(Question("DISK-1"), IDYES);
    watcher.Expect(Question("DISK-2"), IDCANCEL);
    watcher.Start();
    DeleteDisks(main());
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ((std::vector<std::string>{"DISK-2", "DISK-3", "DISK-4"}), names());
    EXPECT_EQ(2, ListSelectedCount(list()));
    EXPECT_EQ(1, params()->modified);
}

TEST_F(Dialogs, DeleteNoToEveryQuestionRemovesNothing) {
    Open(FourDisks());
    SelectOnly(list(), {1, 3});
    ModalWatcher watcher;
    watcher.Expect(Question("DISK-2"), IDNO);
    watcher.Expect(Question("DISK-4"), IDNO);
    watcher.Start();
    DeleteDisks(main());
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(4u, names().size());
    EXPECT_EQ(2, ListSelectedCount(list()));
    EXPECT_EQ(0, params()->modified);
}

TEST_F(Dialogs, DeleteWithNothingSelectedAsksNothing) {
    Open(FourDisks());
    SelectOnly(list(), {});
    ModalWatcher watcher;
    watcher.SetTimeout(1500);
    watcher.Start();
    DeleteDisks(main());
    EXPECT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_TRUE(watcher.seen().empty());
    EXPECT_EQ(4u, names().size());
}

TEST_F(Dialogs, DeleteTheCloseBoxOfTheQuestionEndsTheRun) {
    Open(FourDisks());
    SelectOnly(list(), {0, 1});
    ModalWatcher script;
    script.Expect(ModalStep::Calling([](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }));
    script.Start();
    DeleteDisks(main());
    EXPECT_TRUE(script.Finish()) << script.Report();
    EXPECT_EQ(4u, names().size());
    EXPECT_EQ(0, params()->modified);
}

// ---------------------------------------------------------------------------
// Renaming

TEST_F(Dialogs, RenameStoresTheTextAndItsNulAndKeepsTheRestOfTheField) {
    AppendBlankDisk(main());
    params()->modified = 0;
    Bytes before = Header(0);
    LVITEMW item = Edited(0, L"AB");
    EXPECT_EQ(0, OnEndLabelEdit(list(), &item));
    Bytes after = Header(0);
    const uint8_t expected[17] = {'A', 'B', 0, 'n', 'k', 'D', 'i', 's', 'k',
                                  0,   0,   0, 0,   0,   0,   0,   0};
    EXPECT_EQ(0, std::memcmp(expected, &after[0], 17));
    EXPECT_TRUE(std::equal(after.begin() + 17, after.end(), before.begin() + 17));
    EXPECT_EQ((std::vector<std::string>{"AB"}), names());
    EXPECT_EQ(1, params()->modified);

    // The same text again still counts as a change; an empty one is stored too.
    params()->modified = 0;
    EXPECT_EQ(0, OnEndLabelEdit(list(), &item));
    EXPECT_EQ(1, params()->modified);
    item = Edited(0, L"");
    OnEndLabelEdit(list(), &item);
    EXPECT_EQ(0, Header(0)[0]);
    EXPECT_EQ('B', Header(0)[1]);
    EXPECT_EQ((std::vector<std::string>{""}), names());

    // A character that the header's code page cannot hold is refused with
    // a message, and nothing is stored; a Japanese name is stored as CP932.
    params()->modified = 0;
    ModalWatcher watcher;
    watcher.Expect(std::string(TXT_NAME_NOT_CP932), IDOK);
    watcher.Start();
    item = Edited(0, L"caf\u00E9");
    OnEndLabelEdit(list(), &item);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(0, Header(0)[0]);
    EXPECT_EQ(0, params()->modified);
    item = Edited(0, L"\u8868\u30BD");  // 表ソ
    OnEndLabelEdit(list(), &item);
    EXPECT_EQ(std::string("\x95\x5C\x83\x5C", 5),
              std::string(reinterpret_cast<char*>(&Header(0)[0]), 5));
}

TEST_F(Dialogs, RenameCancelledChangesNothing) {
    AppendBlankDisk(main());
    params()->modified = 0;
    Bytes before = Header(0);
    LVITEMW item = Edited(0, nullptr);
    OnEndLabelEdit(list(), &item);
    item = Edited(-1, L"X");
    OnEndLabelEdit(list(), &item);
    EXPECT_TRUE(Header(0) == before);
    EXPECT_EQ((std::vector<std::string>{"BlankDisk"}), names());
    EXPECT_EQ(0, params()->modified);
}

TEST_F(Dialogs, RenameCutsATextOver16BytesAtACharacterBoundary) {
    Open({MakeImage("0123456789ABCDEF", 700), MakeImage("X", 700)});
    // Nine double-byte characters: 18 bytes, cut to eight.
    char kana[] = "あいうえおかきくけ";
    ASSERT_EQ(18u, std::strlen(kana));
    LVITEMW item = Edited(0, L"あいうえおかきくけ");
    OnEndLabelEdit(list(), &item);
    Bytes h = Header(0);
    EXPECT_EQ(std::string(kana, 16), std::string(reinterpret_cast<char*>(&h[0]), 16));
    EXPECT_EQ(0, h[16]);
    EXPECT_EQ(std::string(kana, 16), names()[0]);
    // 17 bytes whose 16th is a lead byte: 15 are kept, then the NUL; byte 16 keeps what it held.
    char mixed[] = "Aあいうえおかきく";
    ASSERT_EQ(17u, std::strlen(mixed));
    item = Edited(1, L"Aあいうえおかきく");
    Bytes before = Header(1);
    before[16] = 0x7E;
    std::memcpy(params()->buffer + GetItemImageOffset(list(), 1), &before[0], kHeaderSize);
    OnEndLabelEdit(list(), &item);
    h = Header(1);
    EXPECT_EQ(std::string(mixed, 15), std::string(reinterpret_cast<char*>(&h[0]), 15));
    EXPECT_EQ(0, h[15]);
    EXPECT_EQ(0x7E, h[16]);
    EXPECT_EQ(std::string(mixed, 15), names()[1]);
}

TEST_F(Dialogs, StartRenameNeedsExactlyOneSelectedItem) {
    Open(FourDisks());
    SelectOnly(list(), {});
    EXPECT_EQ(0, StartRename(main()));
    EXPECT_EQ(NULL, reinterpret_cast<HWND>(SendMessageA(list(), LVM_GETEDITCONTROL, 0, 0)));
    SelectOnly(list(), {0, 2});
    EXPECT_EQ(0, StartRename(main()));
    EXPECT_EQ(NULL, reinterpret_cast<HWND>(SendMessageA(list(), LVM_GETEDITCONTROL, 0, 0)));
    EXPECT_EQ(0, params()->modified);
}

TEST_F(Dialogs, StartRenameOpensTheEditorLimitedTo16AndItsEndsReachTheHeader) {
    Open(FourDisks());
    SelectOnly(list(), {1});
    SetForegroundWindow(main());
    ASSERT_EQ(1, StartRename(main()));
    HWND editor = reinterpret_cast<HWND>(SendMessageA(list(), LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(static_cast<HWND>(NULL), editor);
    EXPECT_EQ(16, static_cast<int>(SendMessageA(editor, EM_GETLIMITTEXT, 0, 0)));
    EXPECT_EQ("DISK-2", WindowText(editor));
    // Escape: nothing changes.
    SetWindowTextA(editor, "GONE");
    SendMessageA(editor, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_EQ(NULL, reinterpret_cast<HWND>(SendMessageA(list(), LVM_GETEDITCONTROL, 0, 0)));
    EXPECT_EQ("DISK-2", names()[1]);
    EXPECT_EQ(0, params()->modified);
    // Enter: the text reaches the label and the header. The editor may
    // count characters: nine double-byte ones are cut to 16 bytes.
    ASSERT_EQ(1, StartRename(main()));
    editor = reinterpret_cast<HWND>(SendMessageA(list(), LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(static_cast<HWND>(NULL), editor);
    SetWindowTextA(editor, "あいうえおかきくけ");
    SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_EQ("あいうえおかきく", names()[1]);
    Bytes h = Header(1);
    EXPECT_EQ("あいうえおかきく", std::string(reinterpret_cast<char*>(&h[0])));
    EXPECT_EQ(1, params()->modified);
}

// A name typed but not confirmed is stored, as Enter stores it, before a
// save and before the save question; the editor keeps its editing keys
// while the other accelerators act.
TEST_F(Dialogs, ARenameInProgressIsStoredBeforeASaveOrTheSaveQuestion) {
    std::string path = Open(FourDisks());
    SelectOnly(list(), {1});
    SetForegroundWindow(main());
    ASSERT_EQ(1, StartRename(main()));
    HWND editor = reinterpret_cast<HWND>(SendMessageA(list(), LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(static_cast<HWND>(NULL), editor);
    SetWindowTextA(editor, "NEW");
    HACCEL keys = LoadAcceleratorsW(instance(), MAKEINTRESOURCEW(IDR_ACCEL));
    MSG key = {editor, WM_KEYDOWN, VK_DELETE, 0, 0, {0, 0}};
    EXPECT_FALSE(TranslateMainAccelerator(main(), keys, &key));
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    key.wParam = 'S';
    bool saved = TranslateMainAccelerator(main(), keys, &key);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    EXPECT_TRUE(saved) << "Ctrl+S is grayed while the name is typed";
    Bytes file;
    ASSERT_TRUE(ReadAll(path, &file));
    EXPECT_EQ("NEW", std::string(reinterpret_cast<char*>(&file[700])));
    ASSERT_EQ(1, StartRename(main()));
    editor = reinterpret_cast<HWND>(SendMessageA(list(), LVM_GETEDITCONTROL, 0, 0));
    SetWindowTextA(editor, "LAST");
    ModalWatcher watcher;
    watcher.Expect(TXT_SAVE_CAPTION, IDCANCEL);
    watcher.Start();
    EXPECT_EQ(FALSE, SendMessageA(main(), WM_QUERYENDSESSION, 0, 0));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ("LAST", names()[1]);
}

// An image too short to hold a header field does not get it written into
// the image after it: from the list or the dialog, the edit is refused.
TEST_F(Dialogs, EditsOfAnImageTooShortForTheirFieldAreRefused) {
    Bytes next = MakeImage("NEXT", 688);
    next[18] = 10;  // the tiny image's diskSize, bytes 28-31 from its start
    Bytes tiny(10, 0);
    std::memcpy(&tiny[0], "TINY", 4);
    Open({tiny, next});
    Bytes before(params()->buffer, params()->buffer + params()->bufferSize);
    SelectOnly(list(), {0});
    char text[256];
    std::snprintf(text, sizeof text, TXT_TOO_SHORT_TO_EDIT, "TINY", 10ul);
    ModalWatcher watcher;
    watcher.Expect(text, IDOK);
    watcher.Expect(text, IDOK);
    watcher.Expect(ModalStep::Calling([](HWND d) {
        Send(GetDlgItem(d, IDC_DISKNAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("AB"));
        Answer(d, IDOK);
    }));
    watcher.Expect(text, IDOK);
    watcher.Start();
    LVITEMW item = Edited(0, L"0123456789ABCDEF");
    OnEndLabelEdit(list(), &item);
    EXPECT_EQ(0, ToggleWriteProtect(main()));
    ShowDiskProperties(main());
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_TRUE(Bytes(params()->buffer, params()->buffer + params()->bufferSize) == before);
    EXPECT_EQ("TINY", names()[0]);
    EXPECT_EQ(0, params()->modified);
}

// ---------------------------------------------------------------------------
// Write protection

TEST_F(Dialogs, WriteProtectFlipsBit0x10AndNothingElse) {
    Open({MakeImage("PLAIN", 700, 0x00, 0x10), MakeImage("ODD", 900, 0x01, 0x20)});
    SelectOnly(list(), {0});
    Bytes before = Header(0);
    ASSERT_EQ(1, ToggleWriteProtect(main()));
    Bytes after = Header(0);
    EXPECT_EQ(0x10, after[kOffWriteProtect]);
    after[kOffWriteProtect] = before[kOffWriteProtect];
    EXPECT_TRUE(after == before) << "only the protect byte changes";
    EXPECT_EQ(1, ImageIndex(0));
    EXPECT_EQ("Yes", ListColumn(list(), 1)[0]);
    EXPECT_EQ(1, params()->modified);
    SendMessageA(main(), WM_COMMAND, IDM_WRITEPROTECT, 0);
    EXPECT_TRUE(Header(0) == before);
    EXPECT_EQ(0, ImageIndex(0));
    EXPECT_EQ("No", ListColumn(list(), 1)[0]);

    SelectOnly(list(), {1});
    before = Header(1);
    ASSERT_EQ(1, ToggleWriteProtect(main()));
    EXPECT_EQ(0x11, Header(1)[kOffWriteProtect]);
    EXPECT_EQ(1, ImageIndex(1));
    EXPECT_EQ("Yes", ListColumn(list(), 1)[1]);
    ASSERT_EQ(1, ToggleWriteProtect(main()));
    EXPECT_TRUE(Header(1) == before);
    EXPECT_EQ(1, ImageIndex(1));
    EXPECT_EQ("Yes", ListColumn(list(), 1)[1]);
}

TEST_F(Dialogs, WriteProtectNeedsExactlyOneSelectedItem) {
    Open({MakeImage("A", 700), MakeImage("B", 700)});
    Bytes a = Header(0), b = Header(1);
    SelectOnly(list(), {0, 1});
    EXPECT_EQ(0, ToggleWriteProtect(main()));
    SelectOnly(list(), {});
    EXPECT_EQ(0, ToggleWriteProtect(main()));
    EXPECT_TRUE(Header(0) == a);
    EXPECT_TRUE(Header(1) == b);
    EXPECT_EQ(0, params()->modified);
    EXPECT_EQ((std::vector<std::string>{"No", "No"}), ListColumn(list(), 1));
}

// ---------------------------------------------------------------------------
// Context menus

// The command ids of the popup menu window's items.
std::vector<UINT> MenuIds(HWND menuWindow) {
    std::vector<UINT> ids;
    HMENU menu = reinterpret_cast<HMENU>(Send(menuWindow, MN_GETHMENU));
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) ids.push_back(GetMenuItemID(menu, i));
    return ids;
}

TEST_F(Dialogs, TheContextMenuDependsOnWhatLiesUnderThePointer) {
    Open(FourDisks());
    SetForegroundWindow(main());
    RECT item;
    ASSERT_TRUE(ListItemRect(list(), 0, LVIR_BOUNDS, &item));
    POINT onItem = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list(), &onItem);
    RECT client;
    GetClientRect(list(), &client);
    POINT empty = {client.right - 5, client.bottom - 5};
    ClientToScreen(list(), &empty);

    std::vector<UINT> disk, space;
    ModalWatcher script(GetCurrentThreadId(), kMenuClass);
    script.Expect(ModalStep::Calling([&](HWND m) {
        disk = MenuIds(m);
        PostMessageA(m, WM_KEYDOWN, VK_ESCAPE, 0);
    }));
    script.Expect(ModalStep::Calling([&](HWND m) {
        space = MenuIds(m);
        PostMessageA(m, WM_KEYDOWN, VK_ESCAPE, 0);
    }));
    script.Start();
    SetCursorPos(onItem.x, onItem.y);
    EXPECT_EQ(0, ShowDiskContextMenu(list()));
    SetCursorPos(empty.x, empty.y);
    EXPECT_EQ(0, ShowDiskContextMenu(list()));
    EXPECT_TRUE(script.Finish()) << script.Report();
    const UINT sep = 0;  // GetMenuItemID of a separator
    EXPECT_EQ((std::vector<UINT>{IDM_DELETEDISK, IDM_EXTRACT, IDM_EXPORT, sep, IDM_FILES,
                                 IDM_CHECK, sep, IDM_RENAME, IDM_WRITEPROTECT, sep,
                                 IDM_PROPERTIES}),
              disk);
    EXPECT_EQ((std::vector<UINT>{IDM_LARGEICON, IDM_SMALLICON, IDM_LIST, IDM_DETAILS, sep,
                                 IDM_NEWDISK, IDM_ADDDISK}),
              space);
    EXPECT_EQ(4u, names().size());
}

// ---------------------------------------------------------------------------
// Properties

struct PropertiesSeen {
    std::string caption, name, media, size;
    bool checked = false;
    HWND focus = NULL;
    HWND ok = NULL;
};

std::function<void(HWND)> LookAt(PropertiesSeen* seen, DWORD ui,
                                 const std::function<void(HWND)>& then) {
    return [=](HWND d) {
        seen->caption = ModalWatcher::TextOf(d);
        seen->name = TextOf(d, IDC_DISKNAME);
        seen->media = TextOf(d, IDC_MEDIATYPE);
        seen->size = TextOf(d, IDC_DISKSIZE);
        seen->checked = Checked(d, IDC_WRITEPROTECT);
        seen->focus = FocusOf(ui);
        seen->ok = GetDlgItem(d, IDOK);
        then(d);
    };
}

TEST_F(Dialogs, PropertiesShowMediaTypeAndExactSizeAndOkUntouchedIsNoChange) {
    Open({MakeImage("GAME", 737280, 0x10, 0x10), MakeImage("BlankDisk", 688)});
    SelectOnly(list(), {0});
    Bytes before = Header(0);
    PropertiesSeen seen, blank;
    ModalWatcher script;
    script.Expect(
        ModalStep::Calling(LookAt(&seen, GetCurrentThreadId(), [](HWND d) { Answer(d, IDOK); })));
    script.Expect(
        ModalStep::Calling(LookAt(&blank, GetCurrentThreadId(), [](HWND d) { Answer(d, IDOK); })));
    script.Start();
    EXPECT_EQ(IDOK, ShowDiskProperties(main()));
    SelectOnly(list(), {1});
    SendMessageA(main(), WM_COMMAND, IDM_PROPERTIES, 0);
    ASSERT_TRUE(script.Finish()) << script.Report();
    EXPECT_EQ("プロパティ", seen.caption);
    EXPECT_EQ("GAME", seen.name);
    EXPECT_EQ("ﾒﾃﾞｨｱﾀｲﾌﾟ:\t2DD", seen.media);
    EXPECT_EQ("ｻｲｽﾞ:\t\t737280ﾊﾞｲﾄ", seen.size);
    EXPECT_TRUE(seen.checked);
    EXPECT_EQ(seen.ok, seen.focus) << "OK has the focus when the dialog opens";
    EXPECT_EQ("ﾒﾃﾞｨｱﾀｲﾌﾟ:\t2D", blank.media);
    EXPECT_EQ("ｻｲｽﾞ:\t\t688ﾊﾞｲﾄ", blank.size);
    EXPECT_FALSE(blank.checked);
    EXPECT_TRUE(Header(0) == before);
    EXPECT_EQ(0, params()->modified);
}

TEST_F(Dialogs, PropertiesStoreASixteenByteNameWithItsNulInTheSeventeenthByte) {
    Bytes image = MakeImage("", 700);
    std::memset(&image[0], 'Z', 17);  // a name field with no NUL at all
    Open({image});
    SelectOnly(list(), {0});
    ModalWatcher script;
    script.Expect(ModalStep::Calling([](HWND d) {
        Send(GetDlgItem(d, IDC_DISKNAME), WM_SETTEXT, 0,
             reinterpret_cast<LPARAM>("0123456789ABCDEF"));
        Answer(d, IDOK);
    }));
    script.Start();
    EXPECT_EQ(IDOK, ShowDiskProperties(main()));
    ASSERT_TRUE(script.Finish()) << script.Report();
    Bytes h = Header(0);
    EXPECT_EQ("0123456789ABCDEF", std::string(reinterpret_cast<char*>(&h[0]), 16));
    EXPECT_EQ(0, h[16]);
    EXPECT_EQ((std::vector<std::string>{"0123456789ABCDEF"}), names());
    EXPECT_EQ(1, params()->modified);
}

TEST_F(Dialogs, PropertiesCheckBoxClickedTwiceMarksTheDocumentModified) {
    Open({MakeImage("A", 700), MakeImage("B", 700)});
    SelectOnly(list(), {0});
    ModalWatcher script;
    bool afterOne = false, afterTwo = true;
    script.Expect(ModalStep::Calling([&](HWND d) {
        Click(d, IDC_WRITEPROTECT);
        afterOne = Checked(d, IDC_WRITEPROTECT);
        Click(d, IDC_WRITEPROTECT);
        afterTwo = Checked(d, IDC_WRITEPROTECT);
        Answer(d, IDOK);
    }));
    script.Expect(ModalStep::Calling([](HWND d) {
        Click(d, IDC_WRITEPROTECT);
        Answer(d, IDOK);
    }));
    script.Start();
    EXPECT_EQ(IDOK, ShowDiskProperties(main()));
    EXPECT_TRUE(afterOne);
    EXPECT_FALSE(afterTwo);
    EXPECT_EQ(0x00, Header(0)[kOffWriteProtect]);
    EXPECT_EQ(1, params()->modified);
    SelectOnly(list(), {1});
    EXPECT_EQ(IDOK, ShowDiskProperties(main()));
    ASSERT_TRUE(script.Finish()) << script.Report();
    EXPECT_EQ(0x10, Header(1)[kOffWriteProtect]);
    EXPECT_EQ(1, ImageIndex(1));
    EXPECT_EQ("Yes", ListColumn(list(), 1)[1]);
}

TEST_F(Dialogs, PropertiesTypingAndRestoringTheNameStillCountsAsAChange) {
    Open({MakeImage("SAME", 700)});
    SelectOnly(list(), {0});
    Bytes before = Header(0);
    ModalWatcher script;
    script.Expect(ModalStep::Calling([](HWND d) {
        HWND box = GetDlgItem(d, IDC_DISKNAME);
        Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("OTHER"));
        Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("SAME"));
        Answer(d, IDOK);
    }));
    script.Start();
    EXPECT_EQ(IDOK, ShowDiskProperties(main()));
    ASSERT_TRUE(script.Finish()) << script.Report();
    EXPECT_TRUE(Header(0) == before);
    EXPECT_EQ(1, params()->modified);
}

TEST_F(Dialogs, PropertiesCancelAfterEditsChangesNothing) {
    Open({MakeImage("KEEP", 700)});
    SelectOnly(list(), {0});
    Bytes before = Header(0);
    ModalWatcher script;
    script.Expect(ModalStep::Calling([](HWND d) {
        Send(GetDlgItem(d, IDC_DISKNAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("NEW NAME"));
        Click(d, IDC_WRITEPROTECT);
        Answer(d, IDCANCEL);
    }));
    script.Expect(ModalStep::Calling([](HWND d) {
        Send(GetDlgItem(d, IDC_DISKNAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("NEW NAME"));
        PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    }));
    script.Start();
    EXPECT_EQ(IDCANCEL, ShowDiskProperties(main()));
    EXPECT_EQ(IDCANCEL, ShowDiskProperties(main()));
    ASSERT_TRUE(script.Finish()) << script.Report();
    EXPECT_TRUE(Header(0) == before);
    EXPECT_EQ((std::vector<std::string>{"KEEP"}), names());
    EXPECT_EQ(0, params()->modified);
}

TEST_F(Dialogs, PropertiesOkStoresTheStandardProtectValue) {
    Open({MakeImage("ODD", 700, 0x01)});
    SelectOnly(list(), {0});
    ModalWatcher watcher;
    watcher.Expect("ﾒﾃﾞｨｱﾀｲﾌﾟ:\t2D", IDOK);
    watcher.Start();
    EXPECT_EQ(IDOK, ShowDiskProperties(main()));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(0x10, Header(0)[kOffWriteProtect]);
    EXPECT_EQ(0, params()->modified);
}

TEST_F(Dialogs, PropertiesNeedExactlyOneSelectedItem) {
    Open({MakeImage("A", 700), MakeImage("B", 700)});
    ModalWatcher watcher;
    watcher.SetTimeout(1500);
    watcher.Start();
    SelectOnly(list(), {0, 1});
    EXPECT_EQ(IDCANCEL, ShowDiskProperties(main()));
    SelectOnly(list(), {});
    EXPECT_EQ(IDCANCEL, ShowDiskProperties(main()));
    EXPECT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_TRUE(watcher.seen().empty());
}

// ---------------------------------------------------------------------------
// Settings and version information

struct SettingsSeen {
    bool open = false, add = false, backup = false;
    HWND focus = NULL, openButton = NULL;
};

std::function<void(HWND)> LookAtSettings(SettingsSeen* seen, DWORD ui,
                                         const std::function<void(HWND)>& then) {
    return [=](HWND d) {
        seen->open = Checked(d, IDC_DROP_OPEN);
        seen->add = Checked(d, IDC_DROP_ADD);
        seen->backup = Checked(d, IDC_MAKE_BACKUP);
        seen->focus = FocusOf(ui);
        seen->openButton = GetDlgItem(d, IDC_DROP_OPEN);
        then(d);
    };
}

TEST_F(Dialogs, SettingsShowTheBitsAndCancelLeavesThem) {
    params()->flags = kDefaultFlags;
    SettingsSeen seen;
    ModalWatcher script;
    script.Expect(ModalStep::Calling(LookAtSettings(&seen, GetCurrentThreadId(), [](HWND d) {
        Click(d, IDC_DROP_ADD);
        Click(d, IDC_MAKE_BACKUP);
        Answer(d, IDCANCEL);
    })));
    script.Expect(ModalStep::Calling([](HWND d) {
        Click(d, IDC_MAKE_BACKUP);
        PostMessageA(d, WM_KEYDOWN, VK_ESCAPE, 0);
    }));
    script.Start();
    EXPECT_EQ(1, ShowSettingsDialog(main()));
    EXPECT_EQ(1, ShowSettingsDialog(main()));
    ASSERT_TRUE(script.Finish()) << script.Report();
    EXPECT_TRUE(seen.open);
    EXPECT_FALSE(seen.add);
    EXPECT_FALSE(seen.backup);
    EXPECT_EQ(seen.openButton, seen.focus);
    EXPECT_EQ(kDefaultFlags, params()->flags);
}

TEST_F(Dialogs, SettingsOkSetsAndClearsBits30And31Only) {
    const uint32_t others = FLAG_STATUSBAR | 0x3u | 0x00F00000u;
    params()->flags = others;
    SettingsSeen first, second;
    ModalWatcher script;
    script.Expect(ModalStep::Calling(LookAtSettings(&first, GetCurrentThreadId(), [](HWND d) {
        Click(d, IDC_DROP_ADD);
        Click(d, IDC_MAKE_BACKUP);
        Answer(d, IDOK);
    })));
    script.Expect(ModalStep::Calling(LookAtSettings(&second, GetCurrentThreadId(), [](HWND d) {
        Click(d, IDC_DROP_OPEN);
        Click(d, IDC_MAKE_BACKUP);
        Answer(d, IDOK);
    })));
    script.Start();
    SendMessageA(main(), WM_COMMAND, IDM_SETTINGS, 0);
    EXPECT_EQ(others | FLAG_DROP_ADDS | FLAG_MAKE_BACKUP, params()->flags);
    ShowSettingsDialog(main());
    ASSERT_TRUE(script.Finish()) << script.Report();
    EXPECT_EQ(others, params()->flags);
    EXPECT_TRUE(second.add);
    EXPECT_FALSE(second.open);
    EXPECT_TRUE(second.backup);
    EXPECT_EQ(second.openButton, second.focus) << "the focus starts on 102 even when 103 is marked";
}

TEST_F(Dialogs, AboutShowsTheProductAndClosesOnOkEnterAndEscape) {
    std::string text;
    HANDLE icon = NULL;
    ModalWatcher script;
    script.Expect(ModalStep::Calling([&](HWND d) {
        struct Statics {
            static BOOL CALLBACK Visit(HWND w, LPARAM p) {
                std::string t = ModalWatcher::TextOf(w);
                if (!t.empty()) *reinterpret_cast<std::string*>(p) += t + "|";
                return TRUE;
            }
        };
        EnumChildWindows(d, Statics::Visit, reinterpret_cast<LPARAM>(&text));
        icon = reinterpret_cast<HANDLE>(Send(GetDlgItem(d, IDC_ABOUT_ICON), STM_GETICON));
        Answer(d, IDOK);
    }));
    script.Expect(ModalStep::Calling([](HWND d) { Answer(d, IDCANCEL); }));
    script.Expect(ModalStep::Calling([](HWND d) { PostMessageA(d, WM_KEYDOWN, VK_RETURN, 0); }));
    script.Expect(ModalStep::Calling([](HWND d) { PostMessageA(d, WM_KEYDOWN, VK_ESCAPE, 0); }));
    script.Start();
    EXPECT_EQ(IDOK, ShowAboutDialog(main()));
    EXPECT_EQ(IDCANCEL, ShowAboutDialog(main()));
    EXPECT_EQ(IDOK, ShowAboutDialog(main()));
    SendMessageA(main(), WM_COMMAND, IDM_ABOUT, 0);
    ASSERT_TRUE(script.Finish()) << script.Report();
    EXPECT_NE(std::string::npos, text.find("Orvanel")) << text;
    EXPECT_NE(std::string::npos, text.find("Version 1.0.1")) << text;
    EXPECT_NE(static_cast<HANDLE>(NULL), icon);
    EXPECT_EQ(0, params()->modified);
}

}  // namespace
