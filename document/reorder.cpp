// The order after a move: the unselected items before the insert position,
// then the selected items, then the unselected items at or after it, each
// group in its old order.
#include "document/reorder.h"

namespace {

int Group(uint32_t pos, bool selected, uint32_t insertAt) {
    if (selected) return 1;
    return pos < insertAt ? 0 : 2;
}

}  // namespace

int CompareForMoveKeys(uint32_t posA, bool selA, uint32_t posB, bool selB, uint32_t insertAt) {
    int ga = Group(posA, selA, insertAt);
    int gb = Group(posB, selB, insertAt);
    if (ga != gb) return ga < gb ? -1 : 1;
    // Compared, not subtracted: positions are unsigned and may lie far apart.
    if (posA != posB) return posA < posB ? -1 : 1;
    return 0;
}
