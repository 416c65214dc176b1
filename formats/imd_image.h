// ImageDisk (IMD) images: an ASCII header line and comment ended by 0x1A,
// then per track its mode (density and data rate), cylinder, head, sector
// count and one size code, the map of its sector numbers (and of their
// cylinders and heads where they differ from the track's), and a record per
// sector: unavailable, or data (all of one value, or whole) with its
// deleted-data and data-error marks.
#ifndef ORVANEL_FORMATS_IMD_IMAGE_H
#define ORVANEL_FORMATS_IMD_IMAGE_H

#include <cstdint>

#include "formats/disk.h"

class ImageSource;

// When the image is written, for its header line.
struct ImdStamp {
    int year, month, day, hour, minute, second;
};

// The file's size; what the disk loses in it to *losses (when given).
uint32_t ImdSize(const Disk& disk, Losses* losses);
void WriteImd(const Disk& disk, const ImdStamp& stamp, uint8_t* out);

// Reads an IMD image. Its comment, and data rates of 300 kbit/s (which no
// media byte says), go to the disk's readLosses.
FormatError ReadImd(ImageSource& source, Disk* disk);

#endif
