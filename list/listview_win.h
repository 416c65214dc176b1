// Typed helpers over the list view messages. Item texts are the program's
// CP932 bytes (disk names, column texts), shown through the W messages.
#ifndef ORVANEL_LIST_LISTVIEW_WIN_H
#define ORVANEL_LIST_LISTVIEW_WIN_H

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/text_wide_win.h"

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
inline bool ListSetSubText(HWND list, int index, int sub, const char* cp932) {
    std::wstring text = WideFromCp932(cp932);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.iSubItem = sub;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    return SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}
// The text as shown.
inline bool ListGetSubTextW(HWND list, int index, int sub, wchar_t* out, int outSize) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.iSubItem = sub;
    item.pszText = out;
    item.cchTextMax = outSize;
    out[0] = L'\0';
    return SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}
// The text as CP932 bytes (cut to fit outSize).
inline bool ListGetSubText(HWND list, int index, int sub, char* out, int outSize) {
    wchar_t wide[256];
    std::string cp932;
    out[0] = '\0';
    if (!ListGetSubTextW(list, index, sub, wide, 256) || !Cp932FromWide(wide, &cp932)) return false;
    lstrcpynA(out, cp932.c_str(), outSize);
    return true;
}
inline bool ListSetImage(HWND list, int index, int image) {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iImage = image;
    return SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}
// Draws overlay image `overlay` (1 and up) over the item's picture, or
// none with 0; the item's image index stays as it is.
inline bool ListSetOverlay(HWND list, int index, int overlay) {
    LVITEMW item = {};
    item.stateMask = LVIS_OVERLAYMASK;
    item.state = INDEXTOOVERLAYMASK(overlay);
    return SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(&item)) != 0;
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
