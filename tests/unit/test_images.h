// Builds container bytes for the native tests (the core's and d88's): images
// of given sizes, each with a header that holds its name, protection, media
// and size, and a recognisable fill.
#ifndef ORVANEL_TESTS_UNIT_TEST_IMAGES_H
#define ORVANEL_TESTS_UNIT_TEST_IMAGES_H

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "store/d88.h"

// One image of `size` bytes: a header with name (at most 17 bytes),
// protection, media and size, the rest of it zero, then `fill`. Sizes below
// the header's hold only the header bytes that fit.
inline std::vector<uint8_t> MakeImage(uint32_t size, const std::string& name, uint8_t fill = 0xE5,
                                      uint8_t protect = 0, uint8_t media = 0) {
    std::vector<uint8_t> img(size, fill);
    uint8_t header[kHeaderSize];
    std::memset(header, 0, sizeof header);
    std::memcpy(header, name.data(), std::min<size_t>(name.size(), kNameField));
    header[kOffWriteProtect] = protect;
    header[kOffMediaType] = media;
    WriteLe32(header + kOffDiskSize, size);
    std::memcpy(img.data(), header, std::min<uint32_t>(size, kHeaderSize));
    return img;
}

inline void Append(std::vector<uint8_t>* to, const std::vector<uint8_t>& bytes) {
    to->insert(to->end(), bytes.begin(), bytes.end());
}

#endif
