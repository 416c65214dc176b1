// The order that moving the selected items to an insert position gives.
#include "document/reorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

struct Item {
    uint32_t pos;
    bool selected;
    char name;
};

struct ByMove {
    uint32_t insertAt;
    bool operator()(const Item& a, const Item& b) const {
        return CompareForMoveKeys(a.pos, a.selected, b.pos, b.selected, insertAt) < 0;
    }
};

std::vector<Item> Items(const std::string& names, const std::string& selected) {
    std::vector<Item> items;
    for (size_t i = 0; i < names.size(); ++i) {
        Item it = {static_cast<uint32_t>(i), selected.find(names[i]) != std::string::npos,
                   names[i]};
        items.push_back(it);
    }
    return items;
}

std::string Names(const std::vector<Item>& items) {
    std::string s;
    for (size_t i = 0; i < items.size(); ++i) s += items[i].name;
    return s;
}

std::string Moved(const std::string& selected, uint32_t insertAt) {
    std::vector<Item> items = Items("VWXYZ", selected);
    ByMove by = {insertAt};
    std::sort(items.begin(), items.end(), by);
    return Names(items);
}

// The rule spelled out: the unselected items before T, the selected ones,
// the unselected ones at or after T, each group in its old order.
std::vector<Item> Reference(const std::vector<Item>& items, uint32_t insertAt) {
    std::vector<Item> before, moved, after;
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& it = items[i];
        (it.selected ? moved : it.pos < insertAt ? before : after).push_back(it);
    }
    before.insert(before.end(), moved.begin(), moved.end());
    before.insert(before.end(), after.begin(), after.end());
    return before;
}

TEST(MoveOrder, TwoSelectedItems) {
    EXPECT_EQ("VXWYZ", Moved("WY", 3));
    EXPECT_EQ("WYVXZ", Moved("WY", 0));
    EXPECT_EQ("VXZWY", Moved("WY", 5));
    EXPECT_EQ("VWYXZ", Moved("WY", 2));
    EXPECT_EQ("VXWYZ", Moved("WY", 4));
}

TEST(MoveOrder, OneSelectedItem) {
    EXPECT_EQ("VWXYZ", Moved("X", 2));
    EXPECT_EQ("VWXYZ", Moved("X", 3));
    EXPECT_EQ("XVWYZ", Moved("X", 0));
    EXPECT_EQ("VWYZX", Moved("X", 5));
}

TEST(MoveOrder, EverythingSelectedStaysPut) {
    for (uint32_t t = 0; t <= 5; ++t) EXPECT_EQ("VWXYZ", Moved("VWXYZ", t));
}

TEST(MoveOrder, PositionsFarApartCompareCorrectly) {
    // A subtraction of these positions would overflow an int.
    EXPECT_LT(CompareForMoveKeys(0, false, 0xFFFFFFF0u, false, 0), 0);
    EXPECT_GT(CompareForMoveKeys(0xFFFFFFF0u, true, 0, true, 0), 0);
    EXPECT_EQ(0, CompareForMoveKeys(4, true, 4, true, 2));
}

TEST(MoveOrder, RandomSelectionsMatchTheThreeGroups) {
    std::mt19937 rng(20240601);
    for (int round = 0; round < 400; ++round) {
        size_t n = rng() % 40;
        std::vector<Item> items;
        for (size_t i = 0; i < n; ++i) {
            Item it = {static_cast<uint32_t>(i), rng() % 3 == 0, static_cast<char>('A' + i)};
            items.push_back(it);
        }
        uint32_t t = static_cast<uint32_t>(rng() % (n + 1));
        std::vector<Item> expected = Reference(items, t);

        // The list sorts from any arrangement; start from a shuffled one.
        std::vector<Item> shuffled = items;
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        ByMove by = {t};
        std::vector<Item> a = shuffled, b = shuffled;
        std::sort(a.begin(), a.end(), by);
        std::stable_sort(b.begin(), b.end(), by);
        ASSERT_EQ(Names(expected), Names(a)) << "round " << round;
        ASSERT_EQ(Names(expected), Names(b)) << "round " << round;

        // d88's move: the same order as positions.
        std::vector<bool> selected;
        for (size_t i = 0; i < n; ++i) selected.push_back(items[i].selected);
        std::vector<size_t> order = MoveOrder(selected, t);
        std::vector<Item> moved;
        for (size_t i = 0; i < order.size(); ++i) moved.push_back(items[order[i]]);
        ASSERT_EQ(Names(expected), Names(moved)) << "round " << round;
    }
}

}  // namespace
