// The order after a move: the unselected items before the insert position,
// then the selected items, then the unselected items at or after it, each
// group in its old order.
#include "document/reorder.h"

#include <algorithm>

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

std::vector<size_t> MoveOrder(const std::vector<bool>& selected, uint32_t insertAt) {
    struct Less {
        const std::vector<bool>* selected;
        uint32_t insertAt;
        bool operator()(size_t a, size_t b) const {
            return CompareForMoveKeys(static_cast<uint32_t>(a), (*selected)[a],
                                      static_cast<uint32_t>(b), (*selected)[b], insertAt) < 0;
        }
    } less = {&selected, insertAt};
    std::vector<size_t> order;
    for (size_t i = 0; i < selected.size(); ++i) order.push_back(i);
    std::sort(order.begin(), order.end(), less);
    return order;
}
