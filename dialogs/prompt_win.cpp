// The prompt for runs over several items, and Disk > Delete.
#include <windows.h>
#include <commctrl.h>

#include "dialogs/dialogs_win.h"
#include "list/listview_win.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"

namespace {

struct PromptTexts {
    const wchar_t* question;
    const wchar_t* caption;
};

INT_PTR CALLBACK PromptDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const PromptTexts* texts = reinterpret_cast<const PromptTexts*>(lParam);
            SetWindowTextW(dialog, texts->caption);
            SetDlgItemTextW(dialog, IDC_PROMPTTEXT, texts->question);
            return FALSE;
        }
        case WM_COMMAND:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
    }
    return FALSE;
}

}  // namespace

int ShowPrompt(HWND owner, const std::wstring& question, const char* caption) {
    std::wstring title = TextW(caption);
    PromptTexts texts = {question.c_str(), title.c_str()};
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PROMPT), owner,
                                     PromptDialogProc, reinterpret_cast<LPARAM>(&texts));
    return result == -1 ? IDCANCEL : static_cast<int>(result);
}

int DeleteDisks(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !params->listView) return 0;
    HWND list = params->listView;
    if (ListSelectedCount(list) == 0) return 0;
    int answer = 0;
    bool deleted = false;
    int index = ListNextSelected(list, -1);
    while (index >= 0) {
        if (answer != IDC_ALLYES) {
            wchar_t name[kNameMax + 1];
            if (!ListGetSubTextW(list, index, 0, name, kNameMax + 1)) break;
            answer = ShowPrompt(mainWindow, FormatW(TXT_DELETE_QUESTION, name), TXT_DELETE_CAPTION);
            if (answer == IDCANCEL) break;
            if (answer == IDNO) {
                index = ListNextSelected(list, index);
                continue;
            }
        }
        SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
        params->modified = 1;
        deleted = true;
        // The next selected item now stands where this one stood, or later.
        index = ListNextSelected(list, index - 1);
    }
    if (deleted) {
        // Removing items sends no item change, so the status text would go
        // on counting the removed ones: say what is selected now.
        NMLISTVIEW change = {};
        change.iItem = ListNextSelected(list, -1);
        UpdateStatusText(list, &change);
    }
    return 1;
}
