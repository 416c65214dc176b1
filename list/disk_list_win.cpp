// The disk list: items that stand for the document's images, their texts,
// and the routing of the list's notifications.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "platform/memory.h"
#include "platform/text_wide_win.h"
#include "resources/resource.h"
#include "shell/long_run_win.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "store/d88.h"
#include "store/image_buffer.h"

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

// Inserts the item of an image as index `index` with all its texts.
bool InsertDiskItem(HWND list, int index, uint32_t offset, const HeaderFields& fields) {
    std::wstring name = WideFromCp932(fields.name);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(name.c_str());
    item.iImage = fields.writeProtect ? 1 : 0;
    item.lParam = static_cast<LPARAM>(offset);
    index =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return false;
    SetColumnTexts(list, index, fields, true);
    return true;
}

struct FoundImage {
    uint32_t offset;
    HeaderFields fields;
};

struct WalkContext {
    WalkHeaderReader* headers;
    std::vector<FoundImage>* found;
};

// One step of the walk: the image's header is read once, for its item.
uint32_t FindOneImage(void* ctx, uint32_t offset) {
    WalkContext* walk = static_cast<WalkContext*>(ctx);
    FoundImage image;
    image.offset = offset;
    if (!walk->headers->Read(offset, &image.fields)) return 0;
    walk->found->push_back(image);
    return image.fields.diskSize;
}

// The disk list's messages pass here on their way to the list view, so
// that a burst of changes (all selected at once, a click that moves the
// selection) sets the status text once, when the message that caused it
// returns. The list view is a Unicode window: the wide functions pass its
// messages on unconverted.
LRESULT CALLBACK DiskListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindowParams* params =
        reinterpret_cast<MainWindowParams*>(GetWindowLongPtrW(list, GWLP_USERDATA));
    if (!params || !params->listProc) return DefWindowProcW(list, message, wParam, lParam);
    ++params->listDepth;
    LRESULT result = CallWindowProcW(params->listProc, list, message, wParam, lParam);
    // The list, and the record with it, may be gone by now.
    if (reinterpret_cast<MainWindowParams*>(GetWindowLongPtrW(list, GWLP_USERDATA)) != params)
        return result;
    if (--params->listDepth == 0) ShowPendingStatus(params);
    return result;
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
    if (!InsertDiskItem(list, ListCount(list), offset, fields)) return 0;
    return fields.diskSize;
}

bool ListImages(HWND list, const uint8_t* base, uint32_t size, uint32_t start, uint32_t end,
                LongRun* run) {
    // The walk first, so that the list knows how many items come.
    std::vector<FoundImage> found;
    bool complete;
    {
        WalkHeaderReader headers(MemoryOf(list), base, size);
        WalkContext walk = {&headers, &found};
        complete = WalkImages(start, end, FindOneImage, &walk);
    }
    int first = ListCount(list);
    SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(first + found.size()), 0);
    // Drawing is off while the items go in and the list is drawn once at
    // the end: drawn item by item, a container of 10,000 images took well
    // over a minute to list under Wine.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    if (run) run->Begin(kRunListing, found.size());
    for (size_t i = 0; i < found.size(); ++i) {
        if (!InsertDiskItem(list, first + static_cast<int>(i), found[i].offset, found[i].fields)) {
            complete = false;
            break;
        }
        if (run) run->Step(i + 1);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, TRUE);
    return complete;
}

void HookDiskList(HWND list, MainWindowParams* params) {
    SetWindowLongPtrW(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(params));
    params->listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DiskListProc)));
}

void UnhookDiskList(HWND list, MainWindowParams* params) {
    if (!params->listProc) return;
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(params->listProc));
    SetWindowLongPtrW(list, GWLP_USERDATA, 0);
    params->listProc = nullptr;
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

uint32_t HeldExtent(const MainWindowParams* params, uint32_t offset) {
    uint32_t end = params->stretches->EndOf(offset, params->bufferSize);
    return ImageExtent(*params->memory, params->buffer, end, offset);
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
        case LVN_ITEMACTIVATE:
            // Enter or a double click: the files of the disk, as the
            // command shows them once this notification has returned.
            PostMessageW(GetParent(list), WM_COMMAND, IDM_FILES, 0);
            return 0;
        default:
            return 0;
    }
}
