// The checks of one image, in the order of its bytes: the header's fields,
// the track table, then each track's chain of sector headers (a 16-byte
// header, then as many data bytes as its data size says, then the next
// header), walked from the track's offset for as many sectors as its first
// header counts. Sector findings are given once per track and code, with
// the number of sectors that share them.
#include "collection/image_check.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <utility>

#include "store/d88.h"

namespace {

enum Code {
    kSizeZero,
    kSizeBelowHeader,
    kSizePastFile,
    kSizeSlack,
    kReservedNonzero,
    kProtectUnusual,
    kMediaUnknown,
    kMediaGeometry,
    kUnformatted,
    kTrackFfffffff,
    kTrackInHeader,
    kTrackAtEnd,
    kTrackPastEnd,
    kTrackOrder,
    kTrackShared,
    kTrackOverlap,
    kTrackRunsPast,
    kTrackNoSectors,
    kSectorCountSwapped,
    kSectorCountMismatch,
    kSectorSizeMismatch,
    kSectorDuplicate,
    kSectorDensity,
    kSectorDeleted,
    kSectorStatus,
    kCodeCount
};

const FindingCode kCodes[kCodeCount] = {
    {"size-zero", kError, "the disk size is 0: readers stop there, and what follows is no image's"},
    {"size-below-header", kError, "the disk size is below 688: the header runs into what follows"},
    {"size-past-file", kError,
     "the disk size runs past the end of the file: the image is cut short"},
    {"size-slack", kWarning, "the disk size runs past the last track: bytes of no track"},
    {"reserved-nonzero", kWarning, "header bytes 0x11-0x19 are not all zero"},
    {"protect-unusual", kWarning, "the write-protect byte is neither 0x00 nor 0x10"},
    {"media-unknown", kWarning, "the media byte is none of 0x00, 0x10, 0x20, 0x30 and 0x40"},
    {"media-geometry", kWarning, "the tracks are those of another medium than the media byte's"},
    {"unformatted", kWarning, "the disk has no tracks: a header only"},
    {"track-ffffffff", kWarning, "a track offset is 0xFFFFFFFF, which some readers follow"},
    {"track-in-header", kError, "a track offset points inside the header"},
    {"track-at-end", kWarning, "a track offset is the disk size, some writers' \"no track\""},
    {"track-past-end", kError, "a track offset points past the end of the image"},
    {"track-order", kWarning, "the tracks are not in the order of the table"},
    {"track-shared", kWarning, "two table entries point to the same track"},
    {"track-overlap", kError, "a track's sectors run over the start of the next track"},
    {"track-runs-past", kError, "a track's sectors run past the end of the image or the file"},
    {"track-no-sectors", kWarning, "a track's first sector header counts 0 sectors"},
    {"sector-count-swapped", kError, "a sector count with its bytes swapped (0x1000 for 16)"},
    {"sector-count-mismatch", kError, "the sectors of a track disagree on their count"},
    {"sector-size-mismatch", kError, "a sector's data size is not 128 << N"},
    {"sector-duplicate", kWarning, "the same C/H/R/N twice in a track"},
    {"sector-density", kWarning, "a density byte is neither 0x00 nor 0x40"},
    {"sector-deleted", kWarning, "a deleted-mark byte is neither 0x00 nor 0x10"},
    {"sector-status", kWarning, "a status byte is none of 0x00, 0x10, 0xA0, 0xB0, 0xE0, 0xF0"},
};

const uint32_t kTableStart = 0x20;
const uint32_t kTableEntries = 164;
const uint32_t kShortHeader = 0x2A0;  // a header of 160 entries
const uint32_t kShortEntries = 160;
const uint32_t kNoTrackMark = 0xFFFFFFFFu;
const uint32_t kSectorHeader = 16;
// More data than a track of a 2D or 2DD disk holds (300 rpm at 250 kbit/s:
// about 6,250 bytes with the gaps), and the last cylinder a 2D drive reaches.
const uint32_t kDoubleDensityTrack = 6500;
const uint32_t kLast2DCylinder = 42;

std::string Say(const char* format, ...) {
    char text[320];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

unsigned U(uint32_t v) { return static_cast<unsigned>(v); }

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool KnownMedia(uint8_t m) { return MediaByteName(m) != nullptr; }

const char* MediaName(uint8_t m) { return KnownMedia(m) ? MediaByteName(m) : "1DD"; }

bool KnownStatus(uint8_t s) {
    return s == 0x00 || s == 0x10 || s == 0xA0 || s == 0xB0 || s == 0xE0 || s == 0xF0;
}

// The first finding of one sector code in a track, and how many sectors
// of the track have it.
struct Tally {
    uint32_t sectors = 0;
    uint32_t pos = 0;
    std::string text;
};

struct SectorId {
    uint32_t chrn;  // C, H, R, N as one little-endian number
    uint32_t sector;
    uint32_t pos;
};

struct Track {
    uint32_t entry;  // its first table entry
    uint32_t start;  // its offset in the image
};

// What one walked track holds.
struct TrackData {
    uint32_t entry = 0;
    uint32_t bytes = 0;  // of its sectors' data
    uint32_t sectors = 0;
};

class Checker {
public:
    Checker(const ImagePlace& place, ImageBytes& bytes, std::vector<Finding>* out)
        : place_(place), bytes_(bytes), out_(out) {}

    bool Run() {
        if (place_.diskSize == 0) {
            Add(kSizeZero, kOffDiskSize,
                Say("the disk size is 0, so readers stop here: the %llu bytes from here to the end "
                    "of the file belong to no image",
                    static_cast<unsigned long long>(place_.toFileEnd)));
            return true;
        }
        headerLength_ = place_.extent < kHeaderSize ? place_.extent : kHeaderSize;
        if (!bytes_.Get(0, header_, headerLength_)) return false;
        limit_ = place_.diskSize < place_.extent ? place_.diskSize : place_.extent;
        HeaderFields();
        std::vector<Track> tracks;
        if (place_.diskSize >= kHeaderSize) tracks = TrackTable();  // else no table of its own
        if (place_.diskSize > place_.extent) {
            // Tracks named by more than one entry count once; entries the
            // file does not hold are no tracks it can count.
            std::sort(beyondFile_.begin(), beyondFile_.end());
            const unsigned beyond = U(static_cast<uint32_t>(
                std::unique(beyondFile_.begin(), beyondFile_.end()) - beyondFile_.begin()));
            const uint32_t table = headerSize_ == kShortHeader ? kShortEntries : kTableEntries;
            std::string lost;
            if (tableRead_ < table)
                lost = Say(
                    "; the file ends inside its track table, after %u of its %u entries%s",
                    U(tableRead_), U(table),
                    beyond ? Say(", and %u of the tracks they name lie wholly past the end", beyond)
                                 .c_str()
                           : "");
            else if (beyond)
                lost = Say("; %u of its tracks lie wholly past the end", beyond);
            Add(kSizePastFile, kOffDiskSize,
                Say("the disk size is %u bytes, but the file holds only %u of them: the image is "
                    "cut short",
                    U(place_.diskSize), U(place_.extent)) +
                    lost);
        }
        if (place_.diskSize < kHeaderSize) return true;
        uint32_t end = headerSize_;
        for (size_t i = 0; i < tracks.size(); ++i) {
            uint32_t next = i + 1 < tracks.size() ? tracks[i + 1].start : 0;
            uint32_t trackEnd = 0;
            if (!WalkTrack(tracks[i], next, &trackEnd)) return false;
            end = std::max(end, trackEnd);
        }
        if (tracks.empty() && !badEntries_)
            Add(kUnformatted, kTableStart,
                "the disk has no tracks: it is unformatted (a header only)");
        MediaGeometry();
        if (place_.diskSize <= place_.extent && end < place_.diskSize) {
            Add(kSizeSlack, end,
                Say("the disk size is %u, but the last track ends at %u: the %u bytes after it "
                    "belong to no track",
                    U(place_.diskSize), U(end), U(place_.diskSize - end)));
        }
        return true;
    }

private:
    void Add(Code code, uint32_t pos, const std::string& text) {
        Finding f;
        f.code = kCodes[code].code;
        f.severity = kCodes[code].severity;
        f.offset = place_.offset + pos;
        f.text = text;
        out_->push_back(f);
    }

    void HeaderFields() {
        if (place_.diskSize < kHeaderSize) {
            Add(kSizeBelowHeader, kOffDiskSize,
                Say("the disk size %u is smaller than the %u-byte header, so the header runs into "
                    "the bytes after the image",
                    U(place_.diskSize), U(kHeaderSize)));
        }
        for (uint32_t i = kNameField; i < kOffWriteProtect && i < headerLength_; ++i) {
            if (header_[i] == 0) continue;
            Add(kReservedNonzero, i,
                Say("the reserved header bytes 0x11-0x19 are not all zero (byte 0x%02X is 0x%02X); "
                    "some readers refuse such a file",
                    U(i), U(header_[i])));
            break;
        }
        if (headerLength_ > kOffWriteProtect) {
            uint8_t p = header_[kOffWriteProtect];
            if (p != 0x00 && p != kProtectBit) {
                Add(kProtectUnusual, kOffWriteProtect,
                    Say("the write-protect byte is 0x%02X: it reads as protected, but some readers "
                        "accept only 0x00 and 0x10",
                        U(p)));
            }
        }
        if (headerLength_ > kOffMediaType && !KnownMedia(header_[kOffMediaType])) {
            Add(kMediaUnknown, kOffMediaType,
                Say("the media byte 0x%02X is none of 0x00 (2D), 0x10 (2DD), 0x20 (2HD), 0x30 (1D) "
                    "and 0x40 (1DD)",
                    U(header_[kOffMediaType])));
        }
    }

    uint32_t Entry(uint32_t t) const { return ReadLe32(header_ + kTableStart + 4 * t); }

    // The entries that name tracks, in ascending order of their offsets;
    // the others reported. A table whose lowest offset is 0x2A0 has 160
    // entries: the header is 672 bytes and the last 16 bytes are a track's.
    std::vector<Track> TrackTable() {
        uint32_t entries = 0;
        while (entries < kTableEntries && kTableStart + 4 * (entries + 1) <= headerLength_)
            ++entries;
        uint32_t lowest = kNoTrackMark;
        for (uint32_t t = 0; t < entries && t < kShortEntries; ++t) {
            uint32_t v = Entry(t);
            if (v != 0 && v < lowest) lowest = v;
        }
        headerSize_ = kHeaderSize;
        if (lowest == kShortHeader) {
            headerSize_ = kShortHeader;
            entries = std::min(entries, kShortEntries);
        }
        tableRead_ = entries;
        std::vector<Track> tracks;
        bool ordered = true;
        uint32_t previous = 0, previousEntry = 0;
        for (uint32_t t = 0; t < entries; ++t) {
            uint32_t v = Entry(t), at = kTableStart + 4 * t;
            if (v == 0) continue;
            ++badEntries_;
            if (v == kNoTrackMark) {
                Add(kTrackFfffffff, at,
                    Say("track %u's offset is 0xFFFFFFFF, which some readers take for no track and "
                        "others follow past the end of the image",
                        U(t)));
            } else if (v < headerSize_) {
                Add(kTrackInHeader, at,
                    Say("track %u's offset %u lies inside the %u-byte header", U(t), U(v),
                        U(headerSize_)));
            } else if (v == place_.diskSize) {
                Add(kTrackAtEnd, at,
                    Say("track %u's offset is the end of the disk (%u), which some writers use for "
                        "no track; a reader that follows it reads past the image",
                        U(t), U(v)));
            } else if (v > place_.diskSize) {
                Add(kTrackPastEnd, at,
                    Say("track %u's offset %u lies past the end of the image (%u bytes)", U(t),
                        U(v), U(place_.diskSize)));
            } else if (v >= place_.extent) {
                beyondFile_.push_back(v);  // said with size-past-file
            } else {
                --badEntries_;
                if (ordered && !tracks.empty() && v < previous) {
                    ordered = false;
                    Add(kTrackOrder, at,
                        Say("track %u starts at %u, before track %u at %u: the tracks are out of "
                            "order",
                            U(t), U(v), U(previousEntry), U(previous)));
                }
                previous = v;
                previousEntry = t;
                Track track = {t, v};
                tracks.push_back(track);
            }
        }
        std::stable_sort(tracks.begin(), tracks.end(),
                         [](const Track& a, const Track& b) { return a.start < b.start; });
        std::vector<Track> distinct;
        for (size_t i = 0; i < tracks.size(); ++i) {
            if (!distinct.empty() && distinct.back().start == tracks[i].start) {
                Add(kTrackShared, kTableStart + 4 * tracks[i].entry,
                    Say("track %u starts at the same offset %u as track %u: both read the same "
                        "bytes",
                        U(tracks[i].entry), U(tracks[i].start), U(distinct.back().entry)));
                continue;
            }
            distinct.push_back(tracks[i]);
        }
        return distinct;
    }

    void Note(Code code, uint32_t pos, const std::string& text) {
        Tally& tally = tallies_[code];
        if (tally.sectors++ == 0) {
            tally.pos = pos;
            tally.text = text;
        }
    }

    // Walks the sectors of one track; *end gets where they end. `next` is
    // the start of the next track (0 for the last one).
    bool WalkTrack(const Track& track, uint32_t next, uint32_t* end) {
        const unsigned t = U(track.entry);
        uint8_t h[kSectorHeader];
        uint32_t pos = track.start;
        *end = pos;
        if (pos + kSectorHeader > limit_) return RunsPast(t, pos, end);
        if (!bytes_.Get(pos, h, kSectorHeader)) return false;
        const uint16_t stated = Le16(h + 4);
        uint32_t count = stated;
        if (stated == 0) {
            Add(kTrackNoSectors, pos + 4, Say("track %u's first sector header gives 0 sectors", t));
            return true;
        }
        if (stated > 0xFF && (stated & 0xFF) == 0) {
            count = stated >> 8;
            Add(kSectorCountSwapped, pos + 4,
                Say("track %u gives its sector count as %u (0x%04X): %u with its two bytes "
                    "swapped, as one converter wrote it",
                    t, U(stated), U(stated), U(count)));
        }
        for (int c = kSectorCountMismatch; c <= kSectorStatus; ++c) tallies_[c] = Tally();
        ids_.clear();
        TrackData data;
        data.entry = track.entry;
        bool whole = true;
        for (uint32_t k = 0; k < count && whole; ++k) {
            if (pos + kSectorHeader > limit_) {
                whole = false;
                break;
            }
            if (k > 0 && !bytes_.Get(pos, h, kSectorHeader)) return false;
            SectorFields(t, k, pos, h, stated);
            uint16_t size = Le16(h + 14);
            whole = static_cast<uint64_t>(pos) + kSectorHeader + size <= limit_;
            if (whole) pos += kSectorHeader + size;
            if (whole) data.bytes += size, ++data.sectors;
        }
        Measure(data);
        Duplicates(t);
        for (int c = kSectorCountMismatch; c <= kSectorStatus; ++c) {
            const Tally& tally = tallies_[c];
            if (tally.sectors == 0) continue;
            std::string text = tally.text;
            if (tally.sectors > 1)
                text += Say(" (%u sectors of the track are so)", U(tally.sectors));
            Add(static_cast<Code>(c), tally.pos, text);
        }
        if (!whole) return RunsPast(t, pos, end);
        *end = pos;
        if (next && pos > next) {
            Add(kTrackOverlap, next,
                Say("track %u runs on to offset %u, over the start of the next track at %u", t,
                    U(pos), U(next)));
        }
        return true;
    }

    void SectorFields(unsigned t, uint32_t k, uint32_t pos, const uint8_t* h, uint16_t stated) {
        const unsigned s = U(k);
        uint16_t size = Le16(h + 14);
        if (Le16(h + 4) != stated)
            Note(kSectorCountMismatch, pos + 4,
                 Say("sector %u of track %u gives %u sectors in the track, its first sector %u", s,
                     t, U(Le16(h + 4)), U(stated)));
        if (h[3] > 9) {
            Note(kSectorSizeMismatch, pos + 3,
                 Say("sector %u of track %u has the size code N %u, whose 128 << N bytes no data "
                     "size can hold; it holds %u",
                     s, t, U(h[3]), U(size)));
        } else if (size != (128u << h[3])) {
            Note(kSectorSizeMismatch, pos + 14,
                 Say("sector %u of track %u (C %u H %u R %u N %u) holds %u bytes of data, not the "
                     "%u that N %u gives",
                     s, t, U(h[0]), U(h[1]), U(h[2]), U(h[3]), U(size), 128u << h[3], U(h[3])));
        }
        if (h[6] != 0x00 && h[6] != 0x40)
            Note(kSectorDensity, pos + 6,
                 Say("sector %u of track %u has the density byte 0x%02X, neither 0x00 (double) nor "
                     "0x40 (single)",
                     s, t, U(h[6])));
        if (h[7] != 0x00 && h[7] != 0x10)
            Note(kSectorDeleted, pos + 7,
                 Say("sector %u of track %u has the deleted-mark byte 0x%02X, neither 0x00 nor "
                     "0x10",
                     s, t, U(h[7])));
        if (!KnownStatus(h[8]))
            Note(kSectorStatus, pos + 8,
                 Say("sector %u of track %u has the status byte 0x%02X, none of the known 0x00, "
                     "0x10, 0xA0, 0xB0, 0xE0 and 0xF0",
                     s, t, U(h[8])));
        SectorId id = {ReadLe32(h), k, pos};
        ids_.push_back(id);
    }

    // The sectors whose C/H/R/N an earlier sector of the track has.
    void Duplicates(unsigned t) {
        std::sort(ids_.begin(), ids_.end(), [](const SectorId& a, const SectorId& b) {
            return a.chrn != b.chrn ? a.chrn < b.chrn : a.sector < b.sector;
        });
        size_t first = 0;
        const SectorId* report = nullptr;
        const SectorId* original = nullptr;
        for (size_t i = 1; i < ids_.size(); ++i) {
            if (ids_[i].chrn != ids_[first].chrn) {
                first = i;
                continue;
            }
            ++tallies_[kSectorDuplicate].sectors;
            if (!report || ids_[i].sector < report->sector) {
                report = &ids_[i];
                original = &ids_[first];
            }
        }
        if (!report) return;
        uint32_t id = report->chrn;
        tallies_[kSectorDuplicate].pos = report->pos;
        tallies_[kSectorDuplicate].text =
            Say("sector %u of track %u has the same C %u H %u R %u N %u as sector %u",
                U(report->sector), t, U(id & 0xFF), U((id >> 8) & 0xFF), U((id >> 16) & 0xFF),
                U(id >> 24), U(original->sector));
    }

    void Measure(const TrackData& data) {
        if (data.sectors == 0) return;
        ++formatted_;
        lastEntry_ = std::max(lastEntry_, data.entry);
        if (data.bytes > kDoubleDensityTrack && bigTracks_++ == 0) firstBig_ = data;
        if (data.bytes > largest_.bytes) largest_ = data;
    }

    // The media byte against the tracks: most of them holding more than a
    // 2D or 2DD track can is a 2HD disk; a 2D disk whose tracks reach past
    // the cylinders of a 2D drive is a 2DD one; a 2HD disk of ten tracks or
    // more none of which holds more than a 2DD track is a 2D or 2DD one. A
    // few long tracks (copy protection does that) are no medium.
    void MediaGeometry() {
        if (headerLength_ <= kOffMediaType || formatted_ == 0) return;
        const uint8_t m = header_[kOffMediaType];
        const unsigned cylinders = U(lastEntry_ / 2 + 1);
        std::string says = Say("the media byte 0x%02X says %s, but ", U(m), MediaName(m));
        if (m != 0x20 && KnownMedia(m) && 2 * bigTracks_ > formatted_) {
            Add(kMediaGeometry, kOffMediaType,
                says + Say("%u of its %u tracks hold more data than a %s track can (track %u: %u "
                           "bytes in %u sectors): the tracks suggest a 2HD disk",
                           U(bigTracks_), U(formatted_), MediaName(m), U(firstBig_.entry),
                           U(firstBig_.bytes), U(firstBig_.sectors)));
        } else if (m == 0x00 && bigTracks_ == 0 && cylinders > kLast2DCylinder + 1) {
            Add(kMediaGeometry, kOffMediaType,
                says + Say("its tracks reach cylinder %u (track %u), past the %u of a 2D drive: "
                           "the tracks suggest a 2DD disk",
                           cylinders - 1, U(lastEntry_), U(kLast2DCylinder)));
        } else if (m == 0x20 && bigTracks_ == 0 && formatted_ >= 10) {
            Add(kMediaGeometry, kOffMediaType,
                says + Say("none of its %u tracks holds more data than a 2D or 2DD track can (the "
                           "most: track %u, %u bytes in %u sectors): the tracks suggest a %s disk",
                           U(formatted_), U(largest_.entry), U(largest_.bytes), U(largest_.sectors),
                           cylinders > kLast2DCylinder + 1 ? "2DD" : "2D"));
        }
    }

    bool RunsPast(unsigned t, uint32_t pos, uint32_t* end) {
        *end = limit_;
        if (limit_ == place_.diskSize) {
            Add(kTrackRunsPast, pos,
                Say("track %u's sectors run past the end of the image (%u bytes): the track is "
                    "cut short",
                    t, U(place_.diskSize)));
        } else {
            Add(kTrackRunsPast, pos,
                Say("track %u's sectors run past the end of the file: the track is cut short", t));
        }
        return true;
    }

    const ImagePlace& place_;
    ImageBytes& bytes_;
    std::vector<Finding>* out_;
    uint8_t header_[kHeaderSize] = {0};
    uint32_t headerLength_ = 0;
    uint32_t headerSize_ = kHeaderSize;
    uint32_t limit_ = 0;
    uint32_t badEntries_ = 0;  // entries that name no track and are not 0
    std::vector<uint32_t> beyondFile_;    // offsets of tracks that start past the end of the file
    uint32_t tableRead_ = kTableEntries;  // entries the file holds
    uint32_t formatted_ = 0;              // tracks with sectors
    uint32_t bigTracks_ = 0;              // of them, those that hold more than a 2DD track
    uint32_t lastEntry_ = 0;              // the highest entry of a track with sectors
    TrackData firstBig_, largest_;
    Tally tallies_[kCodeCount];
    std::vector<SectorId> ids_;  // of the current track's sectors
};

}  // namespace

const FindingCode* FindingCodes(size_t* count) {
    *count = kCodeCount;
    return kCodes;
}

bool CheckImage(const ImagePlace& place, ImageBytes& bytes, std::vector<Finding>* out) {
    std::vector<Finding> found;
    Checker checker(place, bytes, &found);
    bool read = checker.Run();
    std::stable_sort(found.begin(), found.end(),
                     [](const Finding& a, const Finding& b) { return a.offset < b.offset; });
    out->insert(out->end(), found.begin(), found.end());
    return read;
}
