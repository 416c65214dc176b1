// HFE v1 images (HxC floppy emulators, FlashFloppy on Gotek drives): a
// 512-byte header, a track list, then per cylinder the bit cells of both
// sides in 256-byte halves of 512-byte blocks. A disk is written as a drive
// would have recorded it with IBM System 34 gaps (MFM) or IBM 3740 ones
// (FM), each sector in its own density; it is read back by decoding the
// cells, wherever they were made.
#ifndef ORVANEL_FORMATS_HFE_IMAGE_H
#define ORVANEL_FORMATS_HFE_IMAGE_H

#include <cstdint>

#include "formats/disk.h"

class ImageSource;

// What the user may ask for; 0 leaves the choice to the disk's medium.
struct HfeOptions {
    uint32_t kbps;    // the data rate of MFM (FM has half of it)
    uint32_t rpm;     // turns a minute
    bool doubleStep;  // a disk of 40 cylinders for an 80-track drive
};

// What an HFE of a disk is made with, for the report and the writer.
struct HfeChoices {
    uint32_t kbps, rpm;
    uint32_t sideBytes;  // of cells in one turn
    uint32_t cylinders, sides;
    uint8_t encoding;  // of the header: 0 MFM, 2 FM (track 0 may differ, as the header says)
    bool fortyTracks;  // the disk has at most 42 cylinders of a 2D or 2DD medium
    bool doubleStep;
    uint8_t interfaceMode;  // 7, a generic Shugart drive
};

HfeChoices ChooseHfe(const Disk& disk, const HfeOptions& options);
// The file's size; what the disk loses in it to *losses (when given).
uint32_t HfeSize(const Disk& disk, const HfeChoices& choices, Losses* losses);
void WriteHfe(const Disk& disk, const HfeChoices& choices, uint8_t* out);

// Reads an HFE v1 image by decoding its cells. Tracks without address marks
// are unformatted; a track whose cells are no MFM or FM at all is refused,
// and named. What D88 cannot hold (the layout of the cells where it is not
// the one this program writes, the header's other fields, cylinders past
// the 82nd) goes to the disk's readLosses.
FormatError ReadHfe(ImageSource& source, Disk* disk);

#endif
