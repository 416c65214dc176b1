// IMD: a track's mode, size code and maps chosen from its sectors, records
// written and read back, and what a track of mixed sizes or densities and
// the statuses other than a data error lose.
#include "formats/imd_image.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "store/sector_view.h"

namespace {

const uint32_t kHeaderLine = 31;  // "IMD 1.18: DD/MM/YYYY HH:MM:SS\r\n"
const uint8_t kMapCylinders = 0x80, kMapHeads = 0x40;
const uint8_t kLargestCode = 6;

// What one track is written with.
struct TrackPlan {
    uint8_t mode, head, code;
    uint32_t count;  // sectors written (at most 255)
};

bool HighRate(const Disk& disk) { return MediumOf(disk) == kMediaHD; }

// Whether most of a track's sectors are FM.
bool TrackFm(const std::vector<Sector>& sectors) {
    size_t fm = 0;
    for (size_t i = 0; i < sectors.size(); ++i) fm += sectors[i].fm() ? 1 : 0;
    return 2 * fm > sectors.size();
}

TrackPlan PlanTrack(const Disk& disk, uint32_t t) {
    const std::vector<Sector>& sectors = disk.tracks[t].sectors;
    TrackPlan p;
    bool fm = TrackFm(sectors), high = HighRate(disk);
    p.mode = static_cast<uint8_t>(fm ? (high ? 0 : 2) : (high ? 3 : 5));
    p.count = std::min<uint32_t>(static_cast<uint32_t>(sectors.size()), 255);
    // The size code most of its sectors have.
    std::map<uint8_t, uint32_t> codes;
    uint32_t most = 0;
    p.code = kLargestCode;
    for (uint32_t i = 0; i < p.count; ++i) {
        uint8_t n = sectors[i].n;
        if (n <= kLargestCode && ++codes[n] > most) most = codes[n], p.code = n;
    }
    p.head = static_cast<uint8_t>(t & 1);
    for (uint32_t i = 0; i < p.count; ++i) {
        if (sectors[i].c != t / 2) p.head |= kMapCylinders;
        if (sectors[i].h != (t & 1)) p.head |= kMapHeads;
    }
    return p;
}

// Whether a sector's data, as written in `size` bytes, is all one value.
bool OneValue(const Sector& s, uint32_t size) {
    if (s.data.size() < size) {
        for (size_t i = 0; i < s.data.size(); ++i) {
            if (s.data[i] != 0) return false;
        }
        return true;
    }
    for (uint32_t i = 1; i < size; ++i) {
        if (s.data[i] != s.data[0]) return false;
    }
    return true;
}

bool ErrorRecord(const Sector& s) {
    return s.status == kStatusDataCrc || s.status == kStatusNoData;
}

uint8_t StatusReadBack(const Sector& s) {
    if (s.data.empty()) return kStatusNoData;
    return ErrorRecord(s) ? kStatusDataCrc : 0;
}

// The bytes of a track's records; each sector's losses to *losses.
uint32_t TrackBytes(const Disk& disk, uint32_t t, Losses* losses) {
    const std::vector<Sector>& sectors = disk.tracks[t].sectors;
    TrackPlan p = PlanTrack(disk, t);
    uint32_t size = SizeOfCode(p.code),
             maps = 1 + ((p.head & kMapCylinders) ? 1 : 0) + ((p.head & kMapHeads) ? 1 : 0);
    uint32_t bytes = 5 + maps * p.count;
    if (losses && sectors.size() > p.count) losses->Track(kLossTracks, t);
    for (uint32_t i = 0; i < p.count; ++i) {
        const Sector& s = sectors[i];
        bytes += 1 + (s.data.empty() ? 0 : OneValue(s, size) ? 1 : size);
        if (!losses) continue;
        if (s.n > kLargestCode)
            losses->Sector(kLossSizeCode, t, s.c, s.h, s.r, s.n);
        else if (s.n != p.code)
            losses->Sector(kLossMixedSizes, t, s.c, s.h, s.r, s.n);
        if (s.fm() != TrackFm(sectors)) losses->Sector(kLossDensity, t, s.c, s.h, s.r, s.n);
        if (StatusReadBack(s) != s.status) losses->Sector(kLossStatus, t, s.c, s.h, s.r, s.n);
        if (!s.data.empty() && s.data.size() != SizeOfCode(s.n))
            losses->Sector(kLossDataSize, t, s.c, s.h, s.r, s.n);
        if ((s.density != 0 && s.density != kDensityFm) ||
            (s.deleted != 0 && s.deleted != kDeletedData))
            losses->Sector(kLossFieldBytes, t, s.c, s.h, s.r, s.n);
    }
    return bytes;
}

// Reads through a source from the start, remembering how far it got.
class Cursor {
public:
    explicit Cursor(ImageSource& source) : source_(source) {}
    enum Got { kGot, kEnded, kFailed };
    Got Get(uint8_t* dst, uint32_t n) {
        if (n > source_.Extent() - pos_) return kEnded;
        if (n && !source_.Read(pos_, dst, n)) return kFailed;
        pos_ += n;
        return kGot;
    }
    uint32_t pos() const { return pos_; }
    bool AtEnd() const { return pos_ == source_.Extent(); }

private:
    ImageSource& source_;
    uint32_t pos_ = 0;
};

FormatError TrackTruncated(const Cursor& at, uint32_t need, uint32_t extent, uint32_t c,
                           uint32_t h) {
    FormatError e = Truncated(kFormatImd, static_cast<uint64_t>(at.pos()) + need, extent, c);
    e.side = h;
    return e;
}

}  // namespace

uint32_t ImdSize(const Disk& disk, Losses* losses) {
    uint32_t size = kHeaderLine + 1;
    for (uint32_t t = 0; t < disk.tracks.size(); ++t) {
        if (!disk.tracks[t].sectors.empty()) size += TrackBytes(disk, t, losses);
    }
    if (!losses) return size;
    bool named = false, reserved = false;
    for (size_t i = 0; i < sizeof disk.name; ++i) named = named || disk.name[i];
    for (size_t i = 0; i < sizeof disk.reserved; ++i) reserved = reserved || disk.reserved[i];
    if (named) losses->Field(kLossName);
    if (reserved) losses->Field(kLossReserved);
    if (disk.writeProtect) losses->Field(kLossProtect, disk.writeProtect);
    uint8_t media = MediaForRate(HighRate(disk) ? 500 : 250, disk.Cylinders());
    if (media != disk.media) losses->Field(kLossMedia, disk.media, media);
    return size;
}

void WriteImd(const Disk& disk, const ImdStamp& k, uint8_t* out) {
    char line[64];
    std::snprintf(line, sizeof line, "IMD 1.18: %02d/%02d/%04d %02d:%02d:%02d\r\n", k.day % 100,
                  k.month % 100, k.year % 10000, k.hour % 100, k.minute % 100, k.second % 100);
    std::memcpy(out, line, kHeaderLine);
    out[kHeaderLine] = 0x1A;
    uint8_t* p = out + kHeaderLine + 1;
    for (uint32_t t = 0; t < disk.tracks.size(); ++t) {
        const std::vector<Sector>& sectors = disk.tracks[t].sectors;
        if (sectors.empty()) continue;
        TrackPlan plan = PlanTrack(disk, t);
        uint32_t size = SizeOfCode(plan.code);
        *p++ = plan.mode;
        *p++ = static_cast<uint8_t>(t / 2);
        *p++ = plan.head;
        *p++ = static_cast<uint8_t>(plan.count);
        *p++ = plan.code;
        for (uint32_t i = 0; i < plan.count; ++i) *p++ = sectors[i].r;
        if (plan.head & kMapCylinders)
            for (uint32_t i = 0; i < plan.count; ++i) *p++ = sectors[i].c;
        if (plan.head & kMapHeads)
            for (uint32_t i = 0; i < plan.count; ++i) *p++ = sectors[i].h;
        for (uint32_t i = 0; i < plan.count; ++i) {
            const Sector& s = sectors[i];
            if (s.data.empty()) {
                *p++ = 0;
                continue;
            }
            bool one = OneValue(s, size);
            // 1 data, 3 deleted, 5 a data error, 7 both; one more when compressed.
            uint8_t type = static_cast<uint8_t>(1 + (s.deleted ? 2 : 0) + (ErrorRecord(s) ? 4 : 0));
            *p++ = static_cast<uint8_t>(type + (one ? 1 : 0));
            if (one) {
                *p++ = s.data.size() < size ? 0 : s.data[0];
                continue;
            }
            uint32_t n = static_cast<uint32_t>(std::min<size_t>(s.data.size(), size));
            std::memcpy(p, &s.data[0], n);
            std::memset(p + n, 0, size - n);
            p += size;
        }
    }
}

FormatError ReadImd(ImageSource& source, Disk* disk) {
    *disk = Disk();
    Cursor in(source);
    uint8_t b[5];
    if (in.Get(b, 4) != Cursor::kGot || std::memcmp(b, "IMD ", 4) != 0)
        return FormatFailure(kFormatNotThis, kFormatImd, "it does not begin with \"IMD \"");
    // The header line, then the comment up to 0x1A.
    bool lineEnded = false, comment = false;
    for (;;) {
        Cursor::Got got = in.Get(b, 1);
        if (got == Cursor::kFailed) return FormatFailure(kFormatReadFailed, kFormatImd);
        if (got == Cursor::kEnded)
            return Truncated(kFormatImd, in.pos() + 1ull, source.Extent(), kNoPlace,
                             "its comment (no 0x1A ends it)");
        if (b[0] == 0x1A) break;
        if (lineEnded && b[0] != '\r' && b[0] != '\n' && b[0] != ' ' && b[0] != '\t')
            comment = true;
        if (b[0] == '\n') lineEnded = true;
    }
    if (comment) disk->readLosses.Field(kLossComment);
    uint32_t rate = 250;
    std::vector<bool> seen(256 * 2, false);
    std::vector<uint8_t> maps[3], record;
    while (!in.AtEnd()) {
        Cursor::Got got = in.Get(b, 5);
        if (got == Cursor::kFailed) return FormatFailure(kFormatReadFailed, kFormatImd);
        if (got == Cursor::kEnded) return TrackTruncated(in, 5, source.Extent(), kNoPlace, 0);
        uint32_t mode = b[0], c = b[1], h = b[2] & 0x3F, count = b[3], code = b[4];
        if (mode > 5 || h > 1 || (code > kLargestCode && code != 0xFF)) {
            FormatError e = FormatFailure(kFormatBadField, kFormatImd,
                                          mode > 5 ? "mode"
                                          : h > 1  ? "head"
                                                   : "size code",
                                          c);
            e.side = h;
            e.value = mode > 5 ? mode : h > 1 ? b[2] : code;
            return e;
        }
        if (code == 0xFF) {
            FormatError e =
                FormatFailure(kFormatUnsupported, kFormatImd, "a table of sector sizes", c);
            e.side = h;
            return e;
        }
        if (seen[c * 2 + h]) {
            FormatError e = FormatFailure(kFormatBadField, kFormatImd, "the track twice", c);
            e.side = h;
            return e;
        }
        seen[c * 2 + h] = true;
        if (mode == 1 || mode == 4) disk->readLosses.Field(kLossRate, 300);
        if (mode == 0 || mode == 3) rate = 500;
        bool has[3] = {true, (b[2] & kMapCylinders) != 0, (b[2] & kMapHeads) != 0};
        for (int m = 0; m < 3; ++m) {
            maps[m].assign(count, 0);
            if (!has[m] || !count) continue;
            got = in.Get(&maps[m][0], count);
            if (got != Cursor::kGot)
                return got == Cursor::kFailed ? FormatFailure(kFormatReadFailed, kFormatImd)
                                              : TrackTruncated(in, count, source.Extent(), c, h);
        }
        uint32_t t = c * 2 + h, size = SizeOfCode(static_cast<uint8_t>(code));
        if (t >= kDiskTracks && count) disk->readLosses.Track(kLossTracks, t);
        for (uint32_t i = 0; i < count; ++i) {
            got = in.Get(b, 1);
            if (got == Cursor::kGot && b[0] > 8) {
                FormatError e = FormatFailure(kFormatBadField, kFormatImd, "sector record", c);
                e.side = h;
                e.value = b[0];
                return e;
            }
            uint32_t n = got != Cursor::kGot || b[0] == 0 ? 0 : b[0] % 2 ? size : 1;
            record.resize(n);
            if (got == Cursor::kGot && n) got = in.Get(&record[0], n);
            if (got != Cursor::kGot)
                return got == Cursor::kFailed
                           ? FormatFailure(kFormatReadFailed, kFormatImd)
                           : TrackTruncated(in, n ? n : 1, source.Extent(), c, h);
            if (t >= kDiskTracks) continue;
            Sector s;
            s.r = maps[0][i];
            s.c = has[1] ? maps[1][i] : static_cast<uint8_t>(c);
            s.h = has[2] ? maps[2][i] : static_cast<uint8_t>(h);
            s.n = static_cast<uint8_t>(code);
            s.density = mode < 3 ? kDensityFm : 0;
            uint8_t type = b[0];
            s.deleted = type == 3 || type == 4 || type == 7 || type == 8 ? kDeletedData : 0;
            s.status = type == 0 ? kStatusNoData : type >= 5 ? kStatusDataCrc : 0;
            if (type != 0 && disk->dataHeld + size > kMaxDiskData)
                return FormatFailure(kFormatTooLarge, kFormatImd, std::string(), c);
            if (type % 2)
                s.data = record;
            else if (type != 0)
                s.data.assign(size, record[0]);
            if (!AddSector(disk, &disk->At(t), s))
                return FormatFailure(kFormatTooLarge, kFormatImd, std::string(), c);
        }
    }
    disk->media = MediaForRate(rate, disk->Cylinders());
    return FormatOk();
}
