// Raw sector images (sectors back to back in cylinder, head, sector order,
// nothing else) and FDI, the same after a 4,096-byte header. A raw image's
// geometry comes from its size, or from the user where the size fits
// several; FDI's header says it.
#ifndef ORVANEL_FORMATS_RAW_IMAGE_H
#define ORVANEL_FORMATS_RAW_IMAGE_H

#include <cstdint>
#include <string>
#include <vector>

#include "formats/disk.h"

class ImageSource;

struct Geometry {
    uint32_t cylinders, heads, sectors, bytes;  // `sectors` a track of `bytes` each
    bool fmTrack0;  // cylinder 0 head 0 is 26 FM sectors of 128 bytes (PC-98 1 MB)
};

const uint32_t kFdiHeader = 4096;

uint64_t GeometrySize(const Geometry& g);
// "C/H/S/BYTES" (cylinders 1-255, heads 1-2, sectors 1-255, bytes a power
// of two from 128 to 16,384). False, with why, for anything else.
bool ParseGeometry(const std::string& text, Geometry* out, std::string* why);
// "77/2/8/1024", with " (track 0: 26 x 128 FM)" for the 1 MB layout.
std::string GeometryText(const Geometry& g);
// The geometries of the raw images known by their size.
std::vector<Geometry> GeometriesOfSize(uint64_t size);
// The media byte a raw image of that geometry reads back with.
uint8_t GeometryMedia(const Geometry& g);

// Reads a raw image with the geometry given, or (null) the one its size
// has.
FormatError ReadRaw(ImageSource& source, const Geometry* stated, Disk* disk);
// The geometry a disk is written with: a known geometry that holds its
// tracks (the one of fewest cylinders), else the disk's own.
// fmTrack0 only where `allowFmTrack0` (raw images; FDI has one size).
Geometry RawGeometryOf(const Disk& disk, bool allowFmTrack0);
// Lays the disk out in the geometry: what it cannot hold to *losses (when
// given), and the GeometrySize bytes to out (when given).
void WriteRaw(const Disk& disk, const Geometry& g, Losses* losses, uint8_t* out);

FormatError ReadFdi(ImageSource& source, Disk* disk);
// The same as raw after a header of kFdiHeader bytes; its type byte is the
// one of the disk's medium.
void WriteFdi(const Disk& disk, const Geometry& g, Losses* losses, uint8_t* out);

#endif
