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

// A formatted disk: `tracks` tracks of `sectors` sectors of 128 << n bytes
// (C = track / heads, H = track % heads, R from 1), listed in a track table
// of 164 entries, or 160 when `headerSize` is 672. Sector data is the
// track's number.
inline std::vector<uint8_t> MakeDisk(uint8_t media, uint32_t tracks, uint32_t heads,
                                     uint32_t sectors, uint8_t n, const std::string& name = "DISK",
                                     uint32_t headerSize = kHeaderSize) {
    const uint32_t data = 128u << n, track = sectors * (16 + data);
    std::vector<uint8_t> img = MakeImage(headerSize + tracks * track, name, 0, 0, media);
    img.resize(headerSize + tracks * track);
    for (uint32_t t = 0; t < tracks; ++t) {
        uint8_t* p = &img[headerSize + t * track];
        WriteLe32(&img[0x20 + 4 * t], static_cast<uint32_t>(p - &img[0]));
        for (uint32_t s = 0; s < sectors; ++s, p += 16 + data) {
            uint8_t h[16] = {uint8_t(t / heads), uint8_t(t % heads), uint8_t(s + 1), n,
                             uint8_t(sectors), uint8_t(sectors >> 8), 0, 0, 0, 0, 0, 0, 0, 0,
                             uint8_t(data), uint8_t(data >> 8)};
            std::memcpy(p, h, 16);
            std::memset(p + 16, static_cast<int>(t), data);
        }
    }
    return img;
}

inline void Append(std::vector<uint8_t>* to, const std::vector<uint8_t>& bytes) {
    to->insert(to->end(), bytes.begin(), bytes.end());
}

#endif
