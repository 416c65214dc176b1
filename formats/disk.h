// One disk as tracks of sectors, with everything a D88 image holds of it:
// per sector its ID (C, H, R, N), density, deleted mark, controller status
// and data (as many bytes as the image holds, which may be other than
// 128 << N); per disk its name, reserved header bytes, write protection and
// media byte. The other formats are read into it and written from it. A
// D88 image is read into it through the sector view, from the window's
// buffer (MemoryImage) or where the image lies in a file (FileImage), and
// written back as the bytes of one image.
#ifndef ORVANEL_FORMATS_DISK_H
#define ORVANEL_FORMATS_DISK_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/format_error.h"
#include "formats/losses.h"

class ImageSource;

const uint8_t kDensityFm = 0x40;
const uint8_t kDeletedData = 0x10;
const uint8_t kStatusIdCrc = 0xA0;    // the ID field's CRC is wrong
const uint8_t kStatusDataCrc = 0xB0;  // the data field's CRC is wrong
const uint8_t kStatusNoId = 0xE0;     // no address mark
const uint8_t kStatusNoData = 0xF0;   // no data mark
const uint8_t kMedia2D = 0x00;
const uint8_t kMediaDD = 0x10;
const uint8_t kMediaHD = 0x20;
const uint32_t kDiskTracks = 164;  // the entries of a D88 track table
// No floppy disk holds more; a file that says otherwise is refused before
// its sectors fill the memory.
const uint32_t kMaxDiskData = 16u << 20;
const uint32_t kMaxDiskSectors = 1u << 16;

struct Sector {
    uint8_t c, h, r, n;
    uint8_t density;  // 0x00 MFM, 0x40 FM
    uint8_t deleted;  // 0x10: a deleted-data mark
    uint8_t status;   // 0x00 fine, else the controller's error
    std::vector<uint8_t> data;
    bool fm() const { return (density & kDensityFm) != 0; }
};

// 128 << n, held to 32 bits for any n.
uint32_t SizeOfCode(uint8_t n);

struct Track {
    std::vector<Sector> sectors;  // in the order the track holds them; none: unformatted
};

struct Disk {
    uint8_t name[17];  // the header's name field as it is, its NUL included
    uint8_t reserved[9];
    uint8_t writeProtect;
    uint8_t media;
    std::vector<Track> tracks;  // by track number C * 2 + H, at most 164
    Losses readLosses;          // what reading the source could not carry into the disk
    uint64_t dataHeld;          // the data bytes and sectors that AddSector added
    size_t sectorsHeld;
    Disk();
    // The track numbered t, added (unformatted) when it was not there.
    Track& At(uint32_t t);
    // The number past the last formatted track (0: none is formatted).
    uint32_t TrackEnd() const;
    uint32_t Cylinders() const { return (TrackEnd() + 1) / 2; }
};

// Adds a sector to a track of the disk unless the disk would then hold more
// than a floppy disk: false then. Readers add every sector this way.
bool AddSector(Disk* disk, Track* track, const Sector& sector);

// The medium that the disk's tracks need, whatever its media byte says: 2HD
// when a track holds more than a 2D/2DD track can (about 6,500 bytes), or
// the media byte says 2HD; else 2DD when it has more than 42 cylinders or
// the media byte says 2DD; else 2D.
uint8_t MediumOf(const Disk& disk);
// The media byte a disk of `cylinders` reads back with from a format that
// keeps only its data rate (kbit/s).
uint8_t MediaForRate(uint32_t kbps, uint32_t cylinders);

// Reads one D88 image (its header at position 0 of `source`) into *disk.
// Tracks whose table entry leads nowhere or whose chain of sectors is cut
// short are kept as far as the image holds them and noted in readLosses.
FormatError ReadD88(ImageSource& source, Disk* disk);

// The bytes of the disk as one D88 image: a 688-byte header, then the
// formatted tracks in the order of their numbers.
uint32_t D88Size(const Disk& disk);
void WriteD88(const Disk& disk, uint8_t* out);

#endif
