// The disk list: items that stand for the document's images, their texts,
// and the routing of the list's notifications.
#include "list/disk_list_win.h"

#include <windows.h>
#include <commctrl.h>

#include "list/listview_win.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "store/d88.h"
#include "store/image_buffer.h"
#include "store/memory.h"

namespace {

MemoryApi& MemoryOf(HWND list) {
    MainWindowParams* params = GetParamsFromChild(list);
    return params && params->memory ? *params->memory : SystemMemory();
}

void SetColumnTexts(HWND list, int index, const HeaderFields& fields, bool allColumns) {
    ListSetSubText(list, index, 1, ProtectText(fields.writeProtect));
    if (!allColumns) return;
    ListSetSubText(list, index, 2, MediaText(fields.mediaType));
    char size[24];
    FormatSizeColumn(fields.diskSize, size);
    ListSetSubText(list, index, 3, size);
}

struct WalkContext {
    HWND list;
    const uint8_t* base;
    uint32_t size;
};

uint32_t ListOneImage(void* ctx, uint32_t offset) {
    WalkContext* walk = static_cast<WalkContext*>(ctx);
    return AddDiskItem(walk->list, walk->base, walk->size, offset);
}

}  // namespace

HWND CreateDiskList(HWND mainWindow) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mainWindow, GWLP_HINSTANCE));
    return CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                           WS_CHILD | WS_VISIBLE | LVS_EDITLABELS | LVS_AUTOARRANGE | LVS_ICON,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mainWindow,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_DISKLIST)), instance,
                           nullptr);
}

uint32_t AddDiskItem(HWND list, const uint8_t* base, uint32_t size, uint32_t offset) {
    if (!base || !list) return 0;
    HeaderFields fields;
    if (!ReadHeader(MemoryOf(list), base, size, offset, &fields)) return 0;
    std::wstring name = WideFromCp932(fields.name);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = ListCount(list);
    item.pszText = const_cast<wchar_t*>(name.c_str());
    item.iImage = fields.writeProtect ? 1 : 0;
    item.lParam = static_cast<LPARAM>(offset);
    int index =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return 0;
    SetColumnTexts(list, index, fields, true);
    return fields.diskSize;
}

bool ListImages(HWND list, const uint8_t* base, uint32_t size, uint32_t start, uint32_t end) {
    WalkContext walk = {list, base, size};
    // Drawing is off while the items go in and the list is drawn once at
    // the end: drawn item by item, a container of 10,000 images took well
    // over a minute to list under Wine.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    bool complete = WalkImages(start, end, ListOneImage, &walk);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, TRUE);
    return complete;
}

int RefreshDiskItem(HWND list, int index) {
    MainWindowParams* params = GetParamsFromChild(list);
    if (!list || !params) return 0;
    uint32_t offset = GetItemImageOffset(list, index);
    HeaderFields fields;
    if (offset == kNoImage ||
        !ReadHeader(*params->memory, params->buffer, params->bufferSize, offset, &fields))
        return 1;
    ListSetSubText(list, index, 0, fields.name);
    ListSetImage(list, index, fields.writeProtect ? 1 : 0);
    SetColumnTexts(list, index, fields, false);
    return 1;
}

uint32_t GetItemImageOffset(HWND list, int index) {
    if (!list || index < 0) return kNoImage;
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return kNoImage;
    return static_cast<uint32_t>(item.lParam);
}

LRESULT OnDiskListNotify(HWND list, NMHDR* header) {
    switch (header->code) {
        case LVN_BEGINDRAG:
            BeginDiskDrag(list, reinterpret_cast<NMLISTVIEW*>(header));
            return 0;
        case LVN_BEGINLABELEDITW:
            return OnBeginLabelEdit(list, &reinterpret_cast<NMLVDISPINFOW*>(header)->item);
        case LVN_ENDLABELEDITW:
            OnEndLabelEdit(list, &reinterpret_cast<NMLVDISPINFOW*>(header)->item);
            return 0;
        case LVN_ITEMCHANGED:
            return UpdateStatusText(list, reinterpret_cast<NMLISTVIEW*>(header));
        case NM_RCLICK:
            ShowDiskContextMenu(list);
            return 0;
        default:
            return 0;
    }
}
