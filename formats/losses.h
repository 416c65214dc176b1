// What a conversion cannot carry over, by kind: how many sectors, tracks or
// fields of the disk are concerned and the first of them. A plain record
// that the window and d88 word in their own ways (loss_text.h words it for
// d88); the writers fill it while they lay the disk out, so that what they
// report is exactly what they drop.
#ifndef ORVANEL_FORMATS_LOSSES_H
#define ORVANEL_FORMATS_LOSSES_H

#include <cstdint>
#include <vector>

enum LossKind {
    // Sectors.
    kLossIds,         // C/H other than the track's, or R outside 1..n (raw, FDI)
    kLossOrder,       // sectors that are not in the order 1..n in their track (raw, FDI)
    kLossDuplicates,  // a second sector of the same ID in one track (raw, FDI)
    kLossMixedSizes,  // a size code other than the track's (IMD) or the disk's (raw, FDI)
    kLossSizeCode,    // a size code the format has no room for (IMD: above 6)
    kLossDensity,     // FM where the format has MFM, or a density mixed within a track
    kLossDeleted,     // deleted-data marks
    kLossStatus,      // controller statuses the format cannot hold
    kLossDataSize,    // data of other than 128 << N bytes
    kLossFieldBytes,  // density or deleted bytes of other values than 0x00/0x40, 0x00/0x10
    kLossAdded,       // sectors the disk does not have, written as zeros (raw, FDI)
    // Tracks.
    kLossUnformatted,  // unformatted tracks, written formatted and zero-filled (raw, FDI)
    kLossTracks,       // tracks that lie past what the target holds
    kLossTrackLength,  // tracks longer than one turn at the chosen rate (HFE)
    kLossSourceCut,    // tracks the source holds only in part (a track table entry that
                       // leads nowhere, a chain of sectors cut short)
    kLossLayout,       // a track's bit cells other than this program writes them (gaps, sync,
                       // timing, anything between the sectors), read from an HFE
    // The disk.
    kLossName,
    kLossReserved,  // the header's reserved bytes
    kLossProtect,   // write protection (value: the byte)
    kLossMedia,     // the media byte (value: as it was, other: as it reads back)
    kLossComment,   // an IMD's comment
    kLossRate,      // a data rate D88 has no media byte for (value: kbit/s)
    kLossHeader,    // fields of the source's header that are not written back the same
    kLossKinds
};

const uint32_t kNoTrackNumber = 0xFFFFFFFFu;

struct Loss {
    LossKind kind;
    uint32_t count;  // of sectors, tracks or fields, as the kind counts them
    uint32_t track;  // the first one's track number (C * 2 + H), or kNoTrackNumber
    bool hasSector;  // the first one is a sector: its ID follows
    uint8_t c, h, r, n;
    uint32_t value, other;  // what the kind says of itself
};

// The losses of a conversion, each kind once, in the order of the kinds.
class Losses {
public:
    void Sector(LossKind kind, uint32_t track, uint8_t c, uint8_t h, uint8_t r, uint8_t n);
    void Track(LossKind kind, uint32_t track);
    void Field(LossKind kind, uint32_t value = 0, uint32_t other = 0);
    void Merge(const Losses& other);
    bool empty() const { return items_.empty(); }
    // The items in the order of their kinds.
    std::vector<Loss> Items() const;
    const Loss* Find(LossKind kind) const;

private:
    Loss* Slot(LossKind kind);
    std::vector<Loss> items_;
};

#endif
