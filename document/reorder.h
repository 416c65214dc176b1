// The order rule of moving the selected disks to an insert position.
#ifndef ORVANEL_DOCUMENT_REORDER_H
#define ORVANEL_DOCUMENT_REORDER_H

#include <cstddef>
#include <cstdint>

// Compares two items by (group, old position): group 0 holds the unselected
// items before the insert position, 1 the selected items, 2 the unselected
// items at or after it. Negative when a goes first.
int CompareForMoveKeys(uint32_t posA, bool selA, uint32_t posB, bool selB, uint32_t insertAt);

#endif
