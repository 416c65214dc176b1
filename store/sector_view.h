// The sectors of one disk image, found by their IDs. A track is the chain of
// sector headers that its table entry points to, read as the checks read it:
// a 16-byte header (C, H, R, N, the track's sector count, density, deleted
// mark, status, data size) and then as many data bytes as its data size
// says, for as many sectors as the track's first header counts. Nothing
// here ever writes a byte of the image, and nothing is guessed: a sector
// asked for by C/H/R that a track holds twice is reported as a duplicate,
// not taken from the first.
//
// The bytes come from an ImageSource: the window's buffer (MemoryImage) or
// an image where it lies in a container file (FileImage), of which only the
// header and the sectors asked for are read.
#ifndef ORVANEL_STORE_SECTOR_VIEW_H
#define ORVANEL_STORE_SECTOR_VIEW_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_api.h"

class MemoryApi;

// The bytes of one image, by position from its header.
class ImageSource {
public:
    virtual ~ImageSource() {}
    // The bytes of the image that can be read (its extent).
    virtual uint32_t Extent() const = 0;
    // Fills dst with n bytes from `pos` (pos + n at most the extent); false
    // when the system could not read them.
    virtual bool Read(uint32_t pos, uint8_t* dst, uint32_t n) = 0;
};

// An image in a block of memory (the window's buffer): `extent` bytes from
// `offset`, each read under a page lock of the bytes it touches.
class MemoryImage : public ImageSource {
public:
    MemoryImage(MemoryApi& mem, const uint8_t* base, uint32_t offset, uint32_t extent);
    uint32_t Extent() const override { return extent_; }
    bool Read(uint32_t pos, uint8_t* dst, uint32_t n) override;

private:
    MemoryApi& mem_;
    const uint8_t* base_;
    uint32_t offset_;
    uint32_t extent_;
};

// An image where it lies in a file: `extent` bytes from `offset` of an open
// handle, read through a window of a few KiB so that a track's headers cost
// one read. The handle stays the caller's.
class FileImage : public ImageSource {
public:
    FileImage(FileApi& files, FileApi::Handle file, uint64_t offset, uint32_t extent);
    uint32_t Extent() const override { return extent_; }
    bool Read(uint32_t pos, uint8_t* dst, uint32_t n) override;
    // The system's error of the read that failed.
    SystemError error() const { return error_; }
    // The bytes asked of the system so far.
    uint64_t bytesRead() const { return bytesRead_; }

private:
    bool Fill(uint32_t pos);
    FileApi& files_;
    FileApi::Handle file_;
    uint64_t offset_;
    uint32_t extent_;
    std::vector<uint8_t> window_;
    uint32_t windowStart_ = 0;
    uint32_t windowLength_ = 0;
    SystemError error_ = {0, kNoSystemCode};
    uint64_t bytesRead_ = 0;
};

// One sector as its header describes it.
struct SectorHeader {
    uint8_t c, h, r, n;
    uint16_t count;      // the sectors of its track, as this header states them
    uint8_t density;     // 0x00 double (MFM), 0x40 single (FM)
    uint8_t deleted;     // 0x10: a deleted-data mark
    uint8_t status;      // the controller's status when it was read; 0x00 fine
    uint16_t dataSize;   // as the header states it
    uint32_t dataPos;    // where its data starts in the image
    uint32_t available;  // of its data, the bytes the image holds (below dataSize: cut short)
    uint32_t place;      // its place in the track, from 0
};

// What a track's table entry leads to.
enum TrackState {
    kNoTrack,        // the entry is 0: no track
    kTrackBadEntry,  // the entry points nowhere the image has (0xFFFFFFFF, into the header, past
                     // the end)
    kTrackRead       // the chain of sector headers was read (maybe of 0 sectors)
};

struct TrackSectors {
    uint32_t track;  // its table entry: C * 2 + H for a disk of two sides
    TrackState state;
    uint32_t offset;                    // the entry's value
    bool cut;                           // the chain ran past the end of the image before its count
    std::vector<SectorHeader> sectors;  // in the order the track holds them
};

enum SectorFind {
    kSectorFound,
    kSectorMissing,    // no sector of the track has that ID
    kSectorDuplicate,  // two or more have it
    kSectorReadFailed  // the image's bytes could not be read
};

class SectorView {
public:
    // The view of the image in `source`: its header is read once, by Open.
    explicit SectorView(ImageSource& source);

    // Reads the header. False when it cannot be read (a read failure).
    bool Open();

    // The header's media byte and diskSize (0 where the image is shorter).
    uint8_t media() const { return media_; }
    uint32_t diskSize() const { return diskSize_; }
    // The bytes the tracks may use: diskSize, held to the image's extent.
    uint32_t limit() const { return limit_; }
    // The entries of the track table: 164, or 160 for a 672-byte header;
    // 0 for an image too short for a table of its own.
    uint32_t TrackEntries() const { return entries_; }
    // Entry t of the track table as stored; 0 past the entries.
    uint32_t TrackOffset(uint32_t t) const { return t < entries_ ? table_[t] : 0; }
    // Whether entry t points at a track the image holds (its chain of
    // sector headers is not read to answer).
    bool HasTrack(uint32_t t) const {
        return t < entries_ && table_[t] >= headerSize_ && table_[t] < limit_;
    }

    // The sectors of track t (0 to TrackEntries() - 1), in track order.
    // False when the image could not be read.
    bool ReadTrack(uint32_t t, TrackSectors* out);

    // The sector C/H/R of track t. *out is set when it is found.
    SectorFind Find(uint32_t t, uint8_t c, uint8_t h, uint8_t r, SectorHeader* out);

    // A sector's data: its available bytes, at most n, to dst; *got gets
    // how many. False when the image could not be read.
    bool ReadData(const SectorHeader& sector, uint8_t* dst, uint32_t n, uint32_t* got);

    ImageSource& source() { return source_; }

private:
    SectorView(const SectorView&);
    SectorView& operator=(const SectorView&);
    bool Parse(uint32_t t, TrackSectors* out);
    const TrackSectors* Cached(uint32_t t);

    ImageSource& source_;
    uint8_t media_ = 0;
    uint32_t diskSize_ = 0;
    uint32_t limit_ = 0;
    uint32_t headerSize_ = 688;
    uint32_t entries_ = 0;
    std::vector<uint32_t> table_;
    // Tracks read so far; dropped together when they would hold more
    // sector headers than the image has room for, so that memory stays
    // bounded by the image whatever its table says.
    std::vector<TrackSectors> cache_;
    std::vector<int> cacheIndex_;  // per entry: its place in cache_, -1 when not read
    size_t cachedSectors_ = 0;
};

// The text of a sector's place for messages: "C 18 H 1 R 13".
std::string SectorPlace(uint8_t c, uint8_t h, uint8_t r);

#endif
