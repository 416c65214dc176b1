// Typed helpers over the list view messages.
#ifndef ORVANEL_LIST_LISTVIEW_WIN_H
#define ORVANEL_LIST_LISTVIEW_WIN_H

#include <windows.h>
#include <commctrl.h>

inline int ListCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}
inline int ListSelectedCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
}
// The next selected item after `after` (-1: the first), or -1.
inline int ListNextSelected(HWND list, int after) {
    return static_cast<int>(
        SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}
inline bool ListSetSubText(HWND list, int index, int sub, const char* text) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.iSubItem = sub;
    item.pszText = const_cast<char*>(text);
    return SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}
inline bool ListGetSubText(HWND list, int index, int sub, char* out, int outSize) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.iSubItem = sub;
    item.pszText = out;
    item.cchTextMax = outSize;
    out[0] = '\0';
    return SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}
inline bool ListSetImage(HWND list, int index, int image) {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iImage = image;
    return SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}
inline bool ListIsSelected(HWND list, int index) {
    return (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) &
            LVIS_SELECTED) != 0;
}
inline DWORD ListViewBits(HWND list) {
    return static_cast<DWORD>(GetWindowLongA(list, GWL_STYLE)) & LVS_TYPEMASK;
}
inline bool ListItemRect(HWND list, int index, int code, RECT* rect) {
    rect->left = code;
    return SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(rect)) != 0;
}

#endif
