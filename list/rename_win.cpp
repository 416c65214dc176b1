// Renaming in place, write protection and the two context menus.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <new>
#include <string>

#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "platform/text_wide_win.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"

namespace {

const char kEditorWatch[] = "ORVANEL LABEL EDITOR";

// What the watch over one label editor knows.
struct EditorWatch {
    WNDPROC editorProc;  // the editor's own procedure
    HWND list;
    int item;
    bool reported;   // the list reported the end of the edit
    bool cancelled;  // Esc was pressed
};

void EndWithoutReport(HWND list, int item) {
    wchar_t text[kNameMax * 2 + 2];
    if (!IsWindow(list) || !GetParamsFromChild(list) ||
        !ListGetSubTextW(list, item, 0, text, kNameMax * 2 + 2))
        return;
    LVITEMW kept = {};
    kept.iItem = item;
    kept.pszText = text;
    OnEndLabelEdit(list, &kept);
}

// Wine's list view reports the end of an edit whose text did not change
// as if it had been cancelled (no text); Windows reports the text, and the
// name counts as stored. The editor is watched, and an edit that ends
// without a text reported and without Esc is that case: the name,
// unchanged, is stored.
LRESULT CALLBACK EditorProc(HWND editor, UINT message, WPARAM wParam, LPARAM lParam) {
    EditorWatch* watch = static_cast<EditorWatch*>(GetPropA(editor, kEditorWatch));
    if (!watch) return DefWindowProcW(editor, message, wParam, lParam);
    WNDPROC proc = watch->editorProc;
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) watch->cancelled = true;
    // At its destruction (the list view's own watch of the editor lets no
    // later message through).
    if (message == WM_DESTROY) {
        RemovePropA(editor, kEditorWatch);
        SetWindowLongPtrW(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        if (!watch->reported && !watch->cancelled) EndWithoutReport(watch->list, watch->item);
        delete watch;
    }
    return CallWindowProcW(proc, editor, message, wParam, lParam);
}

void NoteReported(HWND list, const LVITEMW* item) {
    HWND editor = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
    EditorWatch* watch =
        editor ? static_cast<EditorWatch*>(GetPropA(editor, kEditorWatch)) : nullptr;
    if (watch && item && item->pszText) watch->reported = true;
}

}  // namespace

bool RenameInProgress(HWND list) {
    return list && SendMessageW(list, LVM_GETEDITCONTROL, 0, 0) != 0;
}

void EndRenameInProgress(HWND list) {
    HWND editor =
        list ? reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0)) : nullptr;
    if (editor) SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 0);
}

bool HoldsEditedFields(HWND owner, const MainWindowParams* params, uint32_t offset, bool name,
                       bool protect) {
    uint32_t held = HeldExtent(params, offset);
    if ((!name || OwnsNameField(held)) && (!protect || OwnsWriteProtect(held))) return true;
    HeaderFields fields;
    if (!ReadHeader(*params->memory, params->buffer, params->bufferSize, offset, &fields))
        fields.name[0] = '\0';
    char text[256];
    std::snprintf(text, sizeof text, TXT_TOO_SHORT_TO_EDIT, fields.name,
                  static_cast<unsigned long>(held));
    MessageBoxW(owner, TextW(text).c_str(), TextW(TXT_APP_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
    return false;
}

int StartRename(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !params->listView || ListSelectedCount(params->listView) != 1) return 0;
    int index = ListNextSelected(params->listView, -1);
    SetFocus(params->listView);
    SendMessageW(params->listView, LVM_EDITLABELW, static_cast<WPARAM>(index), 0);
    return 1;
}

int OnBeginLabelEdit(HWND list, const LVITEMW* item) {
    HWND editor = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
    if (!editor) return 1;
    SendMessageW(editor, EM_LIMITTEXT, kNameMax, 0);
    EditorWatch* watch = new (std::nothrow) EditorWatch();
    if (watch && item) {
        watch->list = list;
        watch->item = item->iItem;
        watch->editorProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditorProc)));
        SetPropA(editor, kEditorWatch, watch);
    } else {
        delete watch;
    }
    return 0;
}

int OnEndLabelEdit(HWND list, const LVITEMW* item) {
    NoteReported(list, item);
    MainWindowParams* params = GetParamsFromChild(list);
    if (!params || !item || item->iItem == -1 || !item->pszText) return 0;
    std::string typed;
    if (!Cp932FromWide(item->pszText, &typed)) {
        ShowWarning(GetParent(list), TXT_NAME_NOT_CP932, nullptr);
        return 0;
    }
    // An editor that counts characters may hand back more than 16 bytes:
    // keep what fits, never half a character.
    char name[kNameMax + 1];
    ClampName(typed.c_str(), name);
    uint32_t offset = GetItemImageOffset(list, item->iItem);
    if (offset != kNoImage && !HoldsEditedFields(GetParent(list), params, offset, true, false))
        return 0;
    ListSetSubText(list, item->iItem, 0, name);
    if (offset == kNoImage) return 0;
    WriteHeaderName(*params->memory, params->buffer, params->bufferSize, offset, name);
    params->modified = 1;
    return 0;
}

int ToggleWriteProtect(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !params->listView || ListSelectedCount(params->listView) != 1) return 0;
    int index = ListNextSelected(params->listView, -1);
    uint32_t offset = GetItemImageOffset(params->listView, index);
    if (offset == kNoImage || !HoldsEditedFields(mainWindow, params, offset, false, true)) return 0;
    uint8_t now = 0;
    if (!FlipWriteProtect(*params->memory, params->buffer, params->bufferSize, offset, &now))
        return 0;
    ListSetImage(params->listView, index, now ? 1 : 0);
    ListSetSubText(params->listView, index, 1, ProtectText(now));
    UpdateWindow(params->listView);
    params->modified = 1;
    return 1;
}

int ShowDiskContextMenu(HWND list) {
    MainWindowParams* params = GetParamsFromChild(list);
    if (!params || !params->dropMenu) return 0;
    POINT screen;
    GetCursorPos(&screen);
    LVHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(list, &hit.pt);
    int index =
        static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    HMENU menu = GetSubMenu(params->dropMenu, index >= 0 ? 1 : 0);
    TrackPopupMenuEx(menu, TPM_RIGHTBUTTON, screen.x, screen.y, GetParent(list), nullptr);
    return 0;
}
