// The settings dialog (what a drop does, backups) and the version dialog.
#include <windows.h>

#include "dialogs/dialogs_win.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"

namespace {

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    MainWindowParams* params = GetParamsFromChild(dialog);
    switch (message) {
        case WM_INITDIALOG: {
            uint32_t flags = params ? params->flags : kDefaultFlags;
            CheckRadioButton(dialog, IDC_DROP_OPEN, IDC_DROP_ADD,
                             (flags & FLAG_DROP_ADDS) ? IDC_DROP_ADD : IDC_DROP_OPEN);
            CheckDlgButton(dialog, IDC_MAKE_BACKUP,
                           (flags & FLAG_MAKE_BACKUP) ? BST_CHECKED : BST_UNCHECKED);
            SetFocus(GetDlgItem(dialog, IDC_DROP_OPEN));
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                if (params) {
                    params->flags &= ~FLAG_MAKE_BACKUP;
                    if (IsDlgButtonChecked(dialog, IDC_MAKE_BACKUP) == BST_CHECKED)
                        params->flags |= FLAG_MAKE_BACKUP;
                    params->flags &= ~FLAG_DROP_ADDS;
                    if (IsDlgButtonChecked(dialog, IDC_DROP_ADD) == BST_CHECKED)
                        params->flags |= FLAG_DROP_ADDS;
                }
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            HICON icon = reinterpret_cast<HICON>(GetClassLongPtrW(GetParent(dialog), GCLP_HICON));
            SendDlgItemMessageW(dialog, IDC_ABOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon),
                                0);
            return TRUE;
        }
        case WM_COMMAND:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
    }
    return FALSE;
}

HINSTANCE InstanceOf(HWND window) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
}

}  // namespace

int ShowSettingsDialog(HWND mainWindow) {
    DialogBoxParamW(InstanceOf(mainWindow), MAKEINTRESOURCEW(IDD_SETTINGS), mainWindow,
                    SettingsDialogProc, 0);
    return 1;
}

int ShowAboutDialog(HWND mainWindow) {
    return static_cast<int>(DialogBoxParamW(InstanceOf(mainWindow), MAKEINTRESOURCEW(IDD_ABOUT),
                                            mainWindow, AboutDialogProc, 0));
}
