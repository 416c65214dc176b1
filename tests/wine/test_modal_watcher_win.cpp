// The modal watcher on its own: message boxes, a dialog from an in-memory
// template with an edit box and a check box, a dialog over a dialog, the
// common file dialogs, and the failures that must not hang a test.
#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "modal_watcher_win.h"

namespace {

const int kEditId = 200;
const int kCheckId = 201;
const int kAskId = 202;

// A dialog template in memory: DLGTEMPLATE and its items, WORD aligned
// (DWORD aligned items), texts in UTF-16.
class Template {
public:
    Template(const wchar_t* caption, int items) {
        Align(4);
        DLGTEMPLATE t;
        memset(&t, 0, sizeof t);
        t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
        t.cdit = static_cast<WORD>(items);
        t.cx = 200;
        t.cy = 100;
        Add(&t, sizeof t);
        Word(0);  // no menu
        Word(0);  // the standard class
        Text(caption);
        Word(9);
        Text(L"MS Shell Dlg");
    }
    void Item(DWORD style, int x, int y, int cx, int cy, int id, WORD atom, const wchar_t* text) {
        Align(4);
        DLGITEMTEMPLATE it;
        memset(&it, 0, sizeof it);
        it.style = style | WS_CHILD | WS_VISIBLE;
        it.x = static_cast<short>(x);
        it.y = static_cast<short>(y);
        it.cx = static_cast<short>(cx);
        it.cy = static_cast<short>(cy);
        it.id = static_cast<WORD>(id);
        Add(&it, sizeof it);
        Word(0xFFFF);
        Word(atom);
        Text(text);
        Word(0);  // no creation data
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(&words_[0]); }

private:
    void Add(const void* p, size_t n) {
        const WORD* w = static_cast<const WORD*>(p);
        words_.insert(words_.end(), w, w + n / 2);
    }
    void Word(WORD w) { words_.push_back(w); }
    void Text(const wchar_t* s) {
        for (; *s; ++s) Word(static_cast<WORD>(*s));
        Word(0);
    }
    void Align(size_t bytes) {
        while ((words_.size() * 2) % bytes) Word(0);
    }
    std::vector<WORD> words_;
};

const WORD kButton = 0x0080;
const WORD kEdit = 0x0081;
const WORD kStatic = 0x0082;

Template FormTemplate() {
    Template t(L"Form", 6);
    t.Item(SS_LEFT, 5, 5, 150, 10, 203, kStatic, L"Enter a name");
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 5, 20, 150, 12, kEditId, kEdit, L"");
    t.Item(BS_AUTOCHECKBOX | WS_TABSTOP, 5, 40, 150, 10, kCheckId, kButton, L"Protect");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 5, 60, 50, 14, kAskId, kButton, L"Ask");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 60, 80, 50, 14, IDOK, kButton, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 115, 80, 50, 14, IDCANCEL, kButton, L"Cancel");
    return t;
}

struct FormResult {
    char name[64];
    bool checked;
    int asked;  // answer of the message box of the Ask button
};

INT_PTR CALLBACK FormProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    FormResult* result = reinterpret_cast<FormResult*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (LOWORD(wParam)) {
    case kAskId:
        result->asked = MessageBoxA(dialog, "Are you sure?", "Question", MB_YESNO);
        return TRUE;
    case IDOK:
        GetDlgItemTextA(dialog, kEditId, result->name, sizeof result->name);
        result->checked = IsDlgButtonChecked(dialog, kCheckId) == BST_CHECKED;
        EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunForm(FormResult* result) {
    memset(result, 0, sizeof *result);
    Template t = FormTemplate();
    return DialogBoxIndirectParamA(GetModuleHandleA(NULL), t.get(), NULL, FormProc,
                                   reinterpret_cast<LPARAM>(result));
}

std::string TempDir() {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return dir;
}

}  // namespace

TEST(ModalWatcher, AnswersAMessageBoxAndRecordsItsTexts) {
    ModalWatcher watcher;
    watcher.Expect("Keep the changes?", IDNO);
    watcher.Start();
    int answer = MessageBoxA(NULL, "Keep the changes?", "Orvanel", MB_YESNOCANCEL | MB_ICONWARNING);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(IDNO, answer);
    ASSERT_EQ(1u, watcher.seen().size());
    EXPECT_EQ("Orvanel", watcher.seen()[0].caption);
    EXPECT_EQ("Keep the changes?", watcher.seen()[0].text);
    EXPECT_TRUE(watcher.seen()[0].expected);
    EXPECT_TRUE(watcher.seen()[0].closed);
}

TEST(ModalWatcher, MatchesShiftJisTextAndTheCaption) {
    ModalWatcher watcher;
    watcher.Expect("ﾌｧｲﾙ保存の確認", IDYES);      // the caption
    watcher.Expect("は更新されています", IDCANCEL);  // part of the text
    watcher.Start();
    int first = MessageBoxA(NULL, "A.D88\nは更新されています.保存しますか?", "ﾌｧｲﾙ保存の確認",
                            MB_YESNOCANCEL | MB_ICONWARNING);
    int second = MessageBoxA(NULL, "B.D88\nは更新されています.保存しますか?", "ﾌｧｲﾙ保存の確認",
                             MB_YESNOCANCEL | MB_ICONWARNING);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(IDYES, first);
    EXPECT_EQ(IDCANCEL, second);
    ASSERT_EQ(2u, watcher.seen().size());
    EXPECT_EQ("B.D88\nは更新されています.保存しますか?", watcher.seen()[1].text);
}

TEST(ModalWatcher, FillsAnEditAndAChecksBoxBeforeTheAnswer) {
    ModalWatcher watcher;
    watcher.Expect("Enter a name", IDOK).SetText(kEditId, "GAME ﾃﾞｨｽｸ").SetCheck(kCheckId, true);
    watcher.Start();
    FormResult result;
    INT_PTR r = RunForm(&result);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(IDOK, r);
    EXPECT_STREQ("GAME ﾃﾞｨｽｸ", result.name);
    EXPECT_TRUE(result.checked);
    ASSERT_EQ(1u, watcher.seen().size());
    EXPECT_EQ("Form", watcher.seen()[0].caption);
}

TEST(ModalWatcher, AnswersAMessageBoxOverADialogThenTheDialog) {
    ModalWatcher watcher;
    watcher.Expect("Form", kAskId);  // the dialog's own button opens a message box
    watcher.Expect("Are you sure?", IDYES);
    watcher.Expect("Form", IDCANCEL);  // the dialog again, once the box is gone
    watcher.Start();
    FormResult result;
    INT_PTR r = RunForm(&result);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(IDCANCEL, r);
    EXPECT_EQ(IDYES, result.asked);
    EXPECT_EQ(3u, watcher.seen().size());
}

TEST(ModalWatcher, ADialogShowingOtherTextIsClosedAndFailsTheStep) {
    ModalWatcher watcher;
    watcher.Expect("something else", IDYES);
    watcher.Start();
    int answer = MessageBoxA(NULL, "Unexpected question", "Orvanel", MB_YESNO);
    EXPECT_FALSE(watcher.Finish());
    EXPECT_NE(IDYES, answer);
    ASSERT_EQ(1u, watcher.seen().size());
    EXPECT_FALSE(watcher.seen()[0].expected);
    EXPECT_TRUE(watcher.seen()[0].closed);
    EXPECT_EQ(1, watcher.missed());
}

TEST(ModalWatcher, ADialogThatNeverComesFailsWithinTheBound) {
    ModalWatcher watcher;
    watcher.SetTimeout(300);
    watcher.Expect("never shown", IDOK);
    watcher.Start();
    DWORD start = GetTickCount();
    EXPECT_FALSE(watcher.WaitDone(5000));
    EXPECT_LT(GetTickCount() - start, 4000u);
    EXPECT_FALSE(watcher.Finish());
    EXPECT_EQ(1, watcher.missed());
    EXPECT_TRUE(watcher.seen().empty());
}

TEST(ModalWatcher, AnExtraDialogAfterTheStepsIsClosed) {
    ModalWatcher watcher;
    watcher.Start();
    FormResult result;
    INT_PTR r = RunForm(&result);
    EXPECT_FALSE(watcher.Finish());
    EXPECT_EQ(IDCANCEL, r);
    ASSERT_EQ(1u, watcher.seen().size());
    EXPECT_FALSE(watcher.seen()[0].expected);
}

TEST(ModalWatcher, AnswersADialogOpenedFromAPostedMessage) {
    struct Poster {
        static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(NULL, id);
            MessageBoxA(NULL, "Later", "Orvanel", MB_OK);
        }
    };
    ModalWatcher watcher;
    watcher.Expect("Later", IDOK);
    watcher.Start();
    SetTimer(NULL, 0, 50, Poster::Fire);
    EXPECT_TRUE(watcher.WaitDone(10000)) << watcher.Report();
    EXPECT_TRUE(watcher.Finish()) << watcher.Report();
}

TEST(ModalWatcher, TypesAPathIntoTheOpenFileDialog) {
    std::string path = TempDir() + "watcher-open.d88";
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    CloseHandle(f);

    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = "88ﾃﾞｨｽｸｲﾒｰｼﾞ(*.D88;*.88D)\0*.D88;*.88D\0すべてのﾌｧｲﾙ(*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;

    ModalWatcher watcher;
    watcher.Expect("", IDOK).SetText(kFileNameBox, path);
    watcher.Start();
    BOOL ok = GetOpenFileNameA(&ofn);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_TRUE(ok);
    EXPECT_EQ(0, lstrcmpiA(path.c_str(), file)) << file;
    DeleteFileA(path.c_str());
}

TEST(ModalWatcher, CancelsTheSaveFileDialog) {
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrDefExt = "D88";
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT;

    ModalWatcher watcher;
    watcher.Expect("", IDCANCEL);
    watcher.Start();
    BOOL ok = GetSaveFileNameA(&ofn);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_FALSE(ok);
    EXPECT_EQ(0u, CommDlgExtendedError());
}
