// Where a drop lands in the disk list: the insert position under a point,
// from the items' bounds rectangles.
#ifndef ORVANEL_LIST_DROP_TARGET_H
#define ORVANEL_LIST_DROP_TARGET_H

#include <cstdint>

struct ItemRect {
    int left, top, right, bottom;
};

// Fetches the bounds rectangle of item i in client coordinates.
typedef bool (*ItemRectFn)(void* ctx, int index, ItemRect* out);

// The insert position (0..count) for the point (x, y), or -1 when the point
// gives none. viewMode is the list's view bits: 0 large icons, 1 details,
// 2 small icons, 3 list. clientBottom is the bottom of the client area.
int DropTargetFromRects(int x, int y, int clientBottom, int count, uint32_t viewMode,
                        ItemRectFn rectOf, void* ctx);

#endif
