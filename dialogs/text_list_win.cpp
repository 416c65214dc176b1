#include "dialogs/text_list_win.h"

#include <cstring>
#include <vector>

#include "platform/text_wide_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"

void PrepareTextList(HWND list, const TextColumn* columns, int count) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < count; ++i) {
        std::wstring caption = WideFromCp932(columns[i].caption);
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM | LVCF_WIDTH;
        column.fmt = columns[i].format;
        column.cx = 40;
        column.pszText = const_cast<wchar_t*>(caption.c_str());
        column.iSubItem = i;
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

int AppendTextRow(HWND list, const std::string* texts, int count, LPARAM param) {
    std::wstring first = WideFromCp932(texts[0]);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(first.c_str());
    item.lParam = param;
    int index =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (int sub = 1; index >= 0 && sub < count; ++sub) {
        std::wstring text = WideFromCp932(texts[sub]);
        LVITEMW cell = {};
        cell.iSubItem = sub;
        cell.pszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&cell));
    }
    return index;
}

void FitTextColumns(HWND list, int count) {
    for (int i = 0; i < count; ++i) {
        wchar_t caption[64] = L"";
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT;
        column.pszText = caption;
        column.cchTextMax = 64;
        SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        // The caption's text and the room the header gives it around it.
        const LRESULT least =
            SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(caption)) + 16;
        SendMessageW(list, LVM_SETCOLUMNWIDTH, i, LVSCW_AUTOSIZE);
        if (SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0) < least)
            SendMessageW(list, LVM_SETCOLUMNWIDTH, i, least);
    }
}

void SelectAllRows(HWND list) {
    LVITEMW all = {};
    all.stateMask = LVIS_SELECTED;
    all.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
}

int TextListKeyCommand(const NMLVKEYDOWN* key, int selectAll, int copy) {
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return 0;
    if (key->wVKey == 'A') return selectAll;
    if (key->wVKey == 'C') return copy;
    return 0;
}

bool CopyTextToClipboard(HWND owner, const std::string& cp932) {
    std::wstring text = WideFromCp932(cp932);
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* at = block ? GlobalLock(block) : nullptr;
    if (at) {
        std::memcpy(at, text.c_str(), bytes);
        GlobalUnlock(block);
    }
    bool done = false;
    if (at && OpenClipboard(owner)) {
        done = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, block);
        CloseClipboard();
    }
    if (!done) {
        if (block) GlobalFree(block);
        ShowWarning(owner, TXT_CLIPBOARD_FAILED, nullptr);
    }
    return done;
}
