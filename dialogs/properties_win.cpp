// Disk > Properties: name, media type, size and write protection of one disk.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "dialogs/dialogs_win.h"
#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "platform/text_wide_win.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"

namespace {

void SetChanged(HWND dialog) { SetPropA(dialog, PROP_DIALOG_UPDATED, reinterpret_cast<HANDLE>(1)); }
void ClearChanged(HWND dialog) { RemovePropA(dialog, PROP_DIALOG_UPDATED); }

int InitPropertiesDialog(HWND dialog) {
    MainWindowParams* params = GetParamsFromChild(dialog);
    HWND list = params ? params->listView : nullptr;
    uint32_t offset = list ? GetItemImageOffset(list, ListNextSelected(list, -1)) : kNoImage;
    HeaderFields fields;
    if (offset == kNoImage ||
        !ReadHeader(*params->memory, params->buffer, params->bufferSize, offset, &fields)) {
        EndDialog(dialog, IDCANCEL);
        return 0;
    }
    SetDlgItemTextW(dialog, IDC_DISKNAME, TextW(fields.name).c_str());
    SendDlgItemMessageW(dialog, IDC_DISKNAME, EM_LIMITTEXT, kNameMax, 0);
    CheckDlgButton(dialog, IDC_WRITEPROTECT, fields.writeProtect ? BST_CHECKED : BST_UNCHECKED);
    char text[128];
    std::snprintf(text, sizeof text, TXT_MEDIA_FORMAT, MediaText(fields.mediaType));
    SetDlgItemTextW(dialog, IDC_MEDIATYPE, TextW(text).c_str());
    std::snprintf(text, sizeof text, TXT_SIZE_FORMAT, static_cast<int>(fields.diskSize));
    SetDlgItemTextW(dialog, IDC_DISKSIZE, TextW(text).c_str());
    ClearChanged(dialog);
    return 1;
}

int ApplyProperties(HWND dialog) {
    bool changed = GetPropA(dialog, PROP_DIALOG_UPDATED) != nullptr;
    MainWindowParams* params = GetParamsFromChild(dialog);
    if (!params || !params->listView) return 0;
    int index = ListNextSelected(params->listView, -1);
    uint32_t offset = GetItemImageOffset(params->listView, index);
    if (offset == kNoImage) return 0;
    // An image too short for the fields is left as it is; a change to them
    // is refused with a message.
    if (!changed && !OwnsWriteProtect(HeldExtent(params, offset))) return 0;
    if (!HoldsEditedFields(dialog, params, offset, true, true)) return 0;
    // Room for an editor that counts characters; the header keeps 16 bytes.
    wchar_t typed[kNameMax * 2 + 2];
    GetDlgItemTextW(dialog, IDC_DISKNAME, typed, kNameMax * 2 + 2);
    std::string name;
    if (!Cp932FromWide(typed, &name)) {
        // The dialog stays open: the user mends the name or cancels.
        ShowWarning(dialog, TXT_NAME_NOT_CP932, nullptr);
        return -1;
    }
    WriteHeaderName(*params->memory, params->buffer, params->bufferSize, offset, name.c_str());
    SetWriteProtect(*params->memory, params->buffer, params->bufferSize, offset,
                    IsDlgButtonChecked(dialog, IDC_WRITEPROTECT) == BST_CHECKED ? kProtectBit : 0);
    RefreshDiskItem(params->listView, index);
    if (changed) params->modified = 1;
    return 1;
}

INT_PTR CALLBACK PropertiesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return InitPropertiesDialog(dialog);
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
        case IDOK: {
            int applied = ApplyProperties(dialog);
            if (applied < 0) return TRUE;
            EndDialog(dialog, applied ? IDOK : IDCANCEL);
            ClearChanged(dialog);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            ClearChanged(dialog);
            return TRUE;
        case IDC_DISKNAME:
            if (HIWORD(wParam) == EN_UPDATE || HIWORD(wParam) == EN_CHANGE) SetChanged(dialog);
            return TRUE;
        case IDC_WRITEPROTECT:
            if (HIWORD(wParam) == BN_CLICKED) SetChanged(dialog);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

int ShowDiskProperties(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !params->listView || ListSelectedCount(params->listView) != 1) return IDCANCEL;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mainWindow, GWLP_HINSTANCE));
    return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PROPERTIES), mainWindow,
                                            PropertiesDialogProc, 0));
}
