// Builds container bytes for tests: images of given sizes, each with a
// header that holds its name and size and a recognisable fill.
#ifndef ORVANEL_TESTS_UNIT_TEST_IMAGES_H
#define ORVANEL_TESTS_UNIT_TEST_IMAGES_H

#include <cstring>
#include <vector>

#include "store/d88.h"

// One image of `size` bytes (at least 32) named `name`, filled with `fill`
// after its header fields.
inline std::vector<uint8_t> MakeImage(uint32_t size, const char* name, uint8_t fill) {
    std::vector<uint8_t> img(size, fill);
    std::memset(img.data(), 0, size < 32 ? size : 32);
    std::memcpy(img.data(), name, std::strlen(name) + 1);
    if (size >= 32) WriteLe32(img.data() + kOffDiskSize, size);
    return img;
}

inline void Append(std::vector<uint8_t>* to, const std::vector<uint8_t>& bytes) {
    to->insert(to->end(), bytes.begin(), bytes.end());
}

#endif
