// The question about a disk image of another format: what its conversion
// loses (Yes or No, No the default), or which geometry a raw image's size
// leaves open is meant (a list, the first chosen).
#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/dialogs_win.h"
#include "resources/resource.h"
#include "shell/shell_win.h"
#include "shell/texts.h"

namespace {

struct FormatQuestion {
    std::wstring question;
    std::wstring report;               // the loss report; empty for a choice
    std::vector<std::wstring> choices; // the geometries; empty for the losses
    int chosen;
};

void InitQuestion(HWND dialog, FormatQuestion* q) {
    SetWindowTextW(dialog, TextW(TXT_FORMAT_CAPTION).c_str());
    SetDlgItemTextW(dialog, IDC_FORMAT_QUESTION, q->question.c_str());
    bool choice = !q->choices.empty();
    SetDlgItemTextW(dialog, IDOK, TextW(choice ? TXT_OK : TXT_YES).c_str());
    SetDlgItemTextW(dialog, IDCANCEL, TextW(choice ? TXT_CANCEL : TXT_NO).c_str());
    HWND list = GetDlgItem(dialog, IDC_FORMAT_CHOICES);
    HWND report = GetDlgItem(dialog, IDC_FORMAT_REPORT);
    ShowWindow(choice ? report : list, SW_HIDE);
    for (size_t i = 0; i < q->choices.size(); ++i)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(q->choices[i].c_str()));
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    SetWindowTextW(report, q->report.c_str());
    // A loss is taken only on a Yes of the user's own: Enter and Esc say No.
    int button = choice ? IDOK : IDCANCEL;
    SendMessageW(dialog, DM_SETDEFID, button, 0);
    SetFocus(choice ? list : GetDlgItem(dialog, button));
}

INT_PTR CALLBACK FormatQuestionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    FormatQuestion* q = reinterpret_cast<FormatQuestion*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            InitQuestion(dialog, reinterpret_cast<FormatQuestion*>(lParam));
            return FALSE;
        case WM_COMMAND: {
            int id = LOWORD(wParam);
            bool picked = id == IDC_FORMAT_CHOICES && HIWORD(wParam) == LBN_DBLCLK;
            if (id != IDOK && id != IDCANCEL && !picked) return FALSE;
            if (id != IDCANCEL && q)
                q->chosen = static_cast<int>(
                    SendDlgItemMessageW(dialog, IDC_FORMAT_CHOICES, LB_GETCURSEL, 0, 0));
            EndDialog(dialog, id == IDCANCEL ? IDCANCEL : IDOK);
            return TRUE;
        }
    }
    return FALSE;
}

INT_PTR RunQuestion(HWND owner, FormatQuestion* q) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_FORMAT), owner, FormatQuestionProc,
                           reinterpret_cast<LPARAM>(q));
}

}  // namespace

bool AskLossyConversion(HWND owner, const std::wstring& question, const std::string& report) {
    FormatQuestion q = {question, TextW(report.c_str()), std::vector<std::wstring>(), -1};
    return RunQuestion(owner, &q) == IDOK;
}

int AskGeometry(HWND owner, const std::wstring& question, const std::vector<std::string>& choices) {
    FormatQuestion q = {question, std::wstring(), std::vector<std::wstring>(), -1};
    for (size_t i = 0; i < choices.size(); ++i) q.choices.push_back(TextW(choices[i].c_str()));
    if (q.choices.empty() || RunQuestion(owner, &q) != IDOK) return -1;
    return q.chosen >= 0 && q.chosen < static_cast<int>(choices.size()) ? q.chosen : -1;
}
