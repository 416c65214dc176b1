// The order rule of moving the selected disks to an insert position.
#ifndef ORVANEL_DOCUMENT_REORDER_H
#define ORVANEL_DOCUMENT_REORDER_H

#include <cstddef>
#include <cstdint>
#include <vector>

// Compares two items by (group, old position): group 0 holds the unselected
// items before the insert position, 1 the selected items, 2 the unselected
// items at or after it. Negative when a goes first.
int CompareForMoveKeys(uint32_t posA, bool selA, uint32_t posB, bool selB, uint32_t insertAt);

// The order after moving the `selected` items of n to the insert position:
// the old positions in their new order, by CompareForMoveKeys.
std::vector<size_t> MoveOrder(const std::vector<bool>& selected, uint32_t insertAt);

#endif
