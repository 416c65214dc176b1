// Drag reordering of the disk list: the drag picture, the insert position
// under the release point, and the move of the selected items as one block.
//
// A drag is in progress exactly while the list carries the DragInfo
// property. The main window holds the mouse capture meanwhile and the
// pointer is hidden; the arrow drawn into the drag picture stands in for it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <new>
#include <vector>

#include "document/reorder.h"
#include "list/disk_list_win.h"
#include "list/drop_target.h"
#include "list/listview_win.h"
#include "platform/memory.h"
#include "shell/params_win.h"
#include "store/d88.h"

namespace {

struct DragInfo {
    HIMAGELIST dragImage;    // image 0 is the drag picture
    HIMAGELIST cursorImage;  // the standard arrow, merged into the picture
    POINT imageOrigin;       // upper-left corner of the picture in the list
};

// What every comparison of one sort is handed.
struct MoveSortInfo {
    HWND list;
    MainWindowParams* params;
    uint32_t insertAt;
    // Offsets of the items that were selected at the drop, sorted. The sort
    // moves items around while it runs, so their selection is looked up here
    // rather than by list position.
    std::vector<uint32_t> selected;
    // (offset, position before the move) of every item, sorted by offset.
    // The positions also go into the headers' sort key bytes, but an image
    // shorter than those bytes shares them with the next image, so the
    // comparison takes them from here.
    std::vector<std::pair<uint32_t, uint32_t> > positions;
};

// Whether the image at `offset` holds its own sort key bytes (the rule of
// OwnsSortKey, on the bytes the image holds of its own).
bool HoldsSortKey(MainWindowParams* params, uint32_t offset) {
    return OwnsSortKey(HeldExtent(params, offset));
}

DragInfo* DragInfoOf(HWND list) {
    return list ? static_cast<DragInfo*>(GetPropA(list, PROP_DRAG_INFO)) : nullptr;
}

// The list of a main window, when the window has a record and a list.
HWND ListOf(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    return params ? params->listView : nullptr;
}

// A point in the client coordinates of `from` as the list's window
// coordinates (relative to its upper-left corner, border included), which
// is what the image-list drag functions take.
POINT ToListWindow(HWND list, HWND from, POINT point) {
    ClientToScreen(from, &point);
    RECT frame;
    if (GetWindowRect(list, &frame)) {
        point.x -= frame.left;
        point.y -= frame.top;
    }
    return point;
}

// Ends the drag picture and frees the record. The property goes first, so
// that the capture change caused by releasing the capture finds no drag.
void FinishDrag(HWND list, DragInfo* info, bool releaseCapture) {
    RemovePropA(list, PROP_DRAG_INFO);
    ImageList_DragLeave(list);
    ImageList_EndDrag();
    if (info->dragImage) ImageList_Destroy(info->dragImage);
    if (info->cursorImage) ImageList_Destroy(info->cursorImage);
    if (releaseCapture) ReleaseCapture();
    ShowCursor(TRUE);
    delete info;
}

bool ItemBounds(void* ctx, int index, ItemRect* out) {
    RECT rect;
    if (!ListItemRect(static_cast<HWND>(ctx), index, LVIR_BOUNDS, &rect)) return false;
    out->left = rect.left;
    out->top = rect.top;
    out->right = rect.right;
    out->bottom = rect.bottom;
    return true;
}

// The standard arrow as a one-image list, and its hot spot.
HIMAGELIST MakeCursorImage(POINT* hotSpot) {
    HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR4 | ILC_MASK, 1, 1);
    if (!images) return nullptr;
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    if (!arrow || ImageList_ReplaceIcon(images, -1, reinterpret_cast<HICON>(arrow)) < 0) {
        ImageList_Destroy(images);
        return nullptr;
    }
    hotSpot->x = 0;
    hotSpot->y = 0;
    ICONINFO icon;
    if (GetIconInfo(reinterpret_cast<HICON>(arrow), &icon)) {
        hotSpot->x = static_cast<LONG>(icon.xHotspot);
        hotSpot->y = static_cast<LONG>(icon.yHotspot);
        // GetIconInfo hands out copies of the cursor's bitmaps.
        if (icon.hbmMask) DeleteObject(icon.hbmMask);
        if (icon.hbmColor) DeleteObject(icon.hbmColor);
    }
    return images;
}

HIMAGELIST ItemDragImage(HWND list, int index, POINT* origin) {
    return reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_CREATEDRAGIMAGE,
                                                     static_cast<WPARAM>(index),
                                                     reinterpret_cast<LPARAM>(origin)));
}

void ClearSortKeys(HWND list, MainWindowParams* params) {
    int count = ListCount(list);
    for (int p = 0; p < count; ++p) {
        uint32_t offset = GetItemImageOffset(list, p);
        if (offset == kNoImage || !HoldsSortKey(params, offset)) continue;
        WriteSortKey(*params->memory, params->buffer, params->bufferSize, offset, 0);
    }
}

bool PositionOf(const MoveSortInfo* info, uint32_t offset, uint32_t* position) {
    std::vector<std::pair<uint32_t, uint32_t> >::const_iterator it = std::lower_bound(
        info->positions.begin(), info->positions.end(), std::make_pair(offset, 0u));
    if (it == info->positions.end() || it->first != offset) return false;
    *position = it->second;
    return true;
}

}  // namespace

// Orders two items by (group, position before the move). A header that
// cannot be read makes a tie.
static int CALLBACK CompareForMove(LPARAM first, LPARAM second, LPARAM sortInfo) {
    const MoveSortInfo* info = reinterpret_cast<const MoveSortInfo*>(sortInfo);
    MainWindowParams* params = info->params;
    uint32_t a = static_cast<uint32_t>(first);
    uint32_t b = static_cast<uint32_t>(second);
    HeaderFields fa, fb;
    if (!ReadHeader(*params->memory, params->buffer, params->bufferSize, a, &fa) ||
        !ReadHeader(*params->memory, params->buffer, params->bufferSize, b, &fb))
        return 0;
    uint32_t pa = 0, pb = 0;
    if (!PositionOf(info, a, &pa) || !PositionOf(info, b, &pb)) return 0;
    bool sa = std::binary_search(info->selected.begin(), info->selected.end(), a);
    bool sb = std::binary_search(info->selected.begin(), info->selected.end(), b);
    return CompareForMoveKeys(pa, sa, pb, sb, info->insertAt);
}

int BeginDiskDrag(HWND list, const NMLISTVIEW* start) {
    if (!list || !start || DragInfoOf(list)) return 0;
    HWND mainWindow = GetParent(list);
    if (!mainWindow) return 0;

    DragInfo* info = new (std::nothrow) DragInfo();
    if (!info) return 0;
    int selected = ListSelectedCount(list);
    if (selected == 1) {
        info->dragImage = ItemDragImage(list, start->iItem, &info->imageOrigin);
        // A list that gives no picture of its own gets the outline picture.
        if (!info->dragImage) info->dragImage = MakeMultiDragImage(list, &info->imageOrigin);
    } else if (selected >= 2) {
        info->dragImage = MakeMultiDragImage(list, &info->imageOrigin);
    }
    if (!info->dragImage) {
        delete info;
        return 0;
    }

    POINT hotSpot;
    info->cursorImage = MakeCursorImage(&hotSpot);
    int dx = start->ptAction.x - info->imageOrigin.x;
    int dy = start->ptAction.y - info->imageOrigin.y;
    if (!info->cursorImage || !ImageList_BeginDrag(info->dragImage, 0, dx, dy)) {
        if (info->cursorImage) ImageList_Destroy(info->cursorImage);
        ImageList_Destroy(info->dragImage);
        delete info;
        return 0;
    }
    // The arrow's tip lands exactly on the drag hot spot.
    ImageList_SetDragCursorImage(info->cursorImage, 0, dx - hotSpot.x, dy - hotSpot.y);
    POINT at = ToListWindow(list, list, start->ptAction);
    ImageList_DragEnter(list, at.x, at.y);

    // The capture is taken before the record is attached, so a capture
    // change that this causes finds no drag to end.
    SetCapture(mainWindow);
    ShowCursor(FALSE);
    SetPropA(list, PROP_DRAG_INFO, info);
    return 0;
}

HIMAGELIST MakeMultiDragImage(HWND list, POINT* origin) {
    if (!list || !origin || ListSelectedCount(list) <= 0) return nullptr;

    RECT all;
    SetRectEmpty(&all);
    for (int i = ListNextSelected(list, -1); i >= 0; i = ListNextSelected(list, i)) {
        RECT icon, label;
        if (ListItemRect(list, i, LVIR_ICON, &icon)) UnionRect(&all, &all, &icon);
        if (ListItemRect(list, i, LVIR_LABEL, &label)) UnionRect(&all, &all, &label);
    }
    int width = all.right - all.left;
    int height = all.bottom - all.top;
    if (width <= 0 || height <= 0) return nullptr;

    HDC screen = GetDC(list);
    if (!screen) return nullptr;
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    HBITMAP mask = CreateCompatibleBitmap(screen, width, height);
    HDC pictureDc = CreateCompatibleDC(screen);
    HDC maskDc = CreateCompatibleDC(screen);
    HIMAGELIST result = nullptr;
    if (picture && mask && pictureDc && maskDc) {
        HGDIOBJ oldPicture = SelectObject(pictureDc, picture);
        HGDIOBJ oldMask = SelectObject(maskDc, mask);
        // In the mask white is transparent; the picture stays black there.
        RECT whole = {0, 0, width, height};
        FillRect(pictureDc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        FillRect(maskDc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        HGDIOBJ oldPicturePen = SelectObject(pictureDc, GetStockObject(BLACK_PEN));
        HGDIOBJ oldMaskPen = SelectObject(maskDc, GetStockObject(BLACK_PEN));

        for (int i = ListNextSelected(list, -1); i >= 0; i = ListNextSelected(list, i)) {
            RECT bounds;
            if (!ListItemRect(list, i, LVIR_BOUNDS, &bounds)) continue;
            int ox = bounds.left - all.left;
            int oy = bounds.top - all.top;
            POINT ignored;
            HIMAGELIST item = ItemDragImage(list, i, &ignored);
            if (item) {
                ImageList_Draw(item, 0, pictureDc, ox, oy, ILD_NORMAL);
                ImageList_Draw(item, 0, maskDc, ox, oy, ILD_MASK);
                ImageList_Destroy(item);
            } else {
                // Black outline on the default white brush.
                int right = bounds.right - all.left;
                int bottom = bounds.bottom - all.top;
                Rectangle(pictureDc, ox, oy, right, bottom);
                Rectangle(maskDc, ox, oy, right, bottom);
            }
        }

        // The bitmaps leave their device contexts before the image list
        // takes them.
        SelectObject(pictureDc, oldPicturePen);
        SelectObject(maskDc, oldMaskPen);
        SelectObject(pictureDc, oldPicture);
        SelectObject(maskDc, oldMask);
        result = ImageList_Create(width, height, ILC_MASK, 1, 1);
        if (result && ImageList_Add(result, picture, mask) < 0) {
            ImageList_Destroy(result);
            result = nullptr;
        }
    }
    ReleaseDC(list, screen);
    if (pictureDc) DeleteDC(pictureDc);
    if (maskDc) DeleteDC(maskDc);
    if (picture) DeleteObject(picture);
    if (mask) DeleteObject(mask);
    if (result) {
        origin->x = all.left;
        origin->y = all.top;
    }
    return result;
}

int MoveDragImage(HWND mainWindow, int x, int y) {
    HWND list = ListOf(mainWindow);
    if (!DragInfoOf(list)) return 0;
    POINT point = {x, y};
    point = ToListWindow(list, mainWindow, point);
    ImageList_DragMove(point.x, point.y);
    return 0;
}

int EndDiskDrag(HWND mainWindow, int x, int y) {
    HWND list = ListOf(mainWindow);
    DragInfo* info = DragInfoOf(list);
    if (!info) return 0;
    POINT point = {x, y};
    MapWindowPoints(mainWindow, list, &point, 1);
    FinishDrag(list, info, true);
    int insertAt = DropTargetIndex(list, point);
    if (insertAt != -1) MoveSelectedDisks(list, insertAt);
    return 0;
}

int CancelDiskDrag(HWND mainWindow) {
    HWND list = ListOf(mainWindow);
    DragInfo* info = DragInfoOf(list);
    if (!info) return 0;
    // On a capture change the capture is already someone else's; it is
    // given up here only while this window still holds it (destruction).
    FinishDrag(list, info, GetCapture() == mainWindow);
    return 1;
}

int DropTargetIndex(HWND list, POINT point) {
    if (!list) return -1;
    RECT client;
    if (!GetClientRect(list, &client)) return -1;
    return DropTargetFromRects(point.x, point.y, client.bottom, ListCount(list),
                               ListViewBits(list), ItemBounds, list);
}

int MoveSelectedDisks(HWND list, int insertAt) {
    MainWindowParams* params = GetParamsFromChild(list);
    if (!list || !params || !params->memory || insertAt < 0) return 0;

    MoveSortInfo info;
    info.list = list;
    info.params = params;
    info.insertAt = static_cast<uint32_t>(insertAt);

    int count = ListCount(list);
    for (int p = 0; p < count; ++p) {
        uint32_t offset = GetItemImageOffset(list, p);
        if (offset == kNoImage) continue;
        if (HoldsSortKey(params, offset))
            WriteSortKey(*params->memory, params->buffer, params->bufferSize, offset,
                         static_cast<uint32_t>(p));
        info.positions.push_back(std::make_pair(offset, static_cast<uint32_t>(p)));
        if (ListIsSelected(list, p)) info.selected.push_back(offset);
    }
    std::sort(info.selected.begin(), info.selected.end());
    std::sort(info.positions.begin(), info.positions.end());

    BOOL sorted = static_cast<BOOL>(SendMessageA(list, LVM_SORTITEMS,
                                                 reinterpret_cast<WPARAM>(&info),
                                                 reinterpret_cast<LPARAM>(CompareForMove)));
    if (!sorted) {
        ClearSortKeys(list, params);
        return 0;
    }
    UpdateWindow(list);
    ClearSortKeys(list, params);
    params->modified = 1;
    return 1;
}
