// The insert position under a point of the disk list, from the bounds
// rectangles of its items.
#include "list/drop_target.h"

namespace {

// The middle of [a, b), truncated toward zero, without overflow.
int64_t Middle(int a, int b) {
    return static_cast<int64_t>(a) + (static_cast<int64_t>(b) - a) / 2;
}

}  // namespace

int DropTargetFromRects(int x, int y, int clientBottom, int count, uint32_t viewMode,
                        ItemRectFn rectOf, void* ctx) {
    if (x < 0 || y < 0) return -1;
    if (y >= clientBottom) return -1;
    if (count <= 0) return 0;
    if (!rectOf) return -1;

    ItemRect r;
    if (!rectOf(ctx, count - 1, &r)) return -1;
    if (y > r.bottom) return count;

    // The first item that starts below the point.
    int i = count;
    for (int k = 0; k < count; ++k) {
        if (!rectOf(ctx, k, &r)) return -1;
        if (r.top > y) {
            i = k;
            break;
        }
    }

    uint32_t mode = viewMode & 3u;
    if (mode == 1 || mode == 3) {
        // Rows: the upper half of a row inserts before it, the lower half
        // after it; the horizontal position plays no part.
        int row = i - 1;
        if (row < 0) return -1;
        if (!rectOf(ctx, row, &r)) return -1;
        return y < Middle(r.top, r.bottom) ? row : row + 1;
    }

    // Icons: the nearest item at or before i that starts above and left of
    // the point; its left half inserts before it, its right half after it.
    for (int j = (i == count) ? count - 1 : i; j >= 0; --j) {
        if (!rectOf(ctx, j, &r)) return -1;
        if (r.top <= y && r.left <= x) return x < Middle(r.left, r.right) ? j : j + 1;
    }
    return 0;
}
