// The insert position under a release point, on synthetic item layouts.
#include "list/drop_target.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Layout {
    std::vector<ItemRect> rects;
    int failAt = -1;
};

bool RectOf(void* ctx, int index, ItemRect* out) {
    Layout* l = static_cast<Layout*>(ctx);
    if (index == l->failAt || index < 0 || index >= static_cast<int>(l->rects.size())) {
        return false;
    }
    *out = l->rects[index];
    return true;
}

// Details rows of 16 pixels under a 20-pixel column header.
Layout Rows(int n) {
    Layout l;
    for (int i = 0; i < n; ++i) {
        ItemRect r = {0, 20 + 16 * i, 300, 36 + 16 * i};
        l.rects.push_back(r);
    }
    return l;
}

// Large icons, 3 per row, each 80 wide and 70 high.
Layout Icons(int n) {
    Layout l;
    for (int i = 0; i < n; ++i) {
        ItemRect r = {80 * (i % 3), 70 * (i / 3), 80 * (i % 3) + 80, 70 * (i / 3) + 70};
        l.rects.push_back(r);
    }
    return l;
}

int Drop(Layout& l, int x, int y, uint32_t mode, int bottom = 400) {
    return DropTargetFromRects(x, y, bottom, static_cast<int>(l.rects.size()), mode, RectOf, &l);
}

TEST(DropTarget, DetailsRowsSplitAtTheirMiddle) {
    Layout l = Rows(5);
    EXPECT_EQ(0, Drop(l, 10, 20, 1));
    EXPECT_EQ(0, Drop(l, 10, 27, 1));
    EXPECT_EQ(1, Drop(l, 10, 28, 1));  // mid of row 0 is 28
    EXPECT_EQ(2, Drop(l, 500, 53, 1));  // x plays no part
    EXPECT_EQ(5, Drop(l, 10, 99, 1));   // below the last row
    EXPECT_EQ(-1, Drop(l, 10, 5, 1));   // over the column headers
    EXPECT_EQ(3, Drop(l, 10, 70, 3));   // list view uses the same rule
}

TEST(DropTarget, PointsOutsideTheListGiveNothing) {
    Layout l = Rows(5);
    EXPECT_EQ(-1, Drop(l, -1, 30, 1));
    EXPECT_EQ(-1, Drop(l, 10, -1, 1));
    EXPECT_EQ(-1, Drop(l, 10, 400, 1, 400));
    EXPECT_EQ(-1, Drop(l, 10, 30, 0, 30));
}

TEST(DropTarget, IconHalvesChooseBeforeOrAfter) {
    Layout l = Icons(7);  // rows: 0 1 2 / 3 4 5 / 6
    EXPECT_EQ(0, Drop(l, 10, 10, 0));
    EXPECT_EQ(1, Drop(l, 40, 10, 0));   // right half of item 0
    EXPECT_EQ(4, Drop(l, 90, 80, 0));   // left half of item 4
    EXPECT_EQ(6, Drop(l, 239, 100, 2)); // right half of item 5
    EXPECT_EQ(7, Drop(l, 50, 150, 0));  // right half of item 6, the last
    EXPECT_EQ(7, Drop(l, 200, 150, 0)); // beside the last item
    EXPECT_EQ(7, Drop(l, 10, 211, 0));  // below the last item
}

TEST(DropTarget, EmptyListsAndFailingRectangles) {
    Layout empty;
    EXPECT_EQ(0, Drop(empty, 10, 10, 1));
    Layout l = Rows(3);
    l.failAt = 1;
    EXPECT_EQ(-1, Drop(l, 10, 30, 1));
    Layout huge;
    ItemRect r = {-2147483647, -2147483647, 2147483647, 2147483647};
    huge.rects.push_back(r);
    EXPECT_EQ(1, Drop(huge, 5, 5, 0));
}

}  // namespace
