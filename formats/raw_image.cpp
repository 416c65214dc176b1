// Raw and FDI images: the geometry table, reading by tracks, and the
// layout of a disk in a geometry with everything it cannot hold.
#include "formats/raw_image.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "store/d88.h"
#include "store/sector_view.h"

namespace {

// The raw images known by their size (DISK-CONTENTS: PC-88/98 2D, 2DD and
// 2HD, the PC/MSX 720 KB, 1.2 MB and 1.44 MB).
const Geometry kKnown[] = {
    {40, 2, 16, 256, false}, {80, 2, 16, 256, false}, {80, 2, 8, 512, false},
    {80, 2, 9, 512, false},  {77, 2, 26, 256, true},  {80, 2, 15, 512, false},
    {77, 2, 8, 1024, false}, {80, 2, 18, 512, false},
};
const uint32_t kFm0Sectors = 26, kFm0Bytes = 128;

uint8_t CodeOf(uint32_t bytes) {
    uint8_t n = 0;
    while (n < 7 && (128u << n) < bytes) ++n;
    return n;
}

uint32_t SectorsOf(const Geometry& g, uint32_t c, uint32_t h) {
    return g.fmTrack0 && c == 0 && h == 0 ? kFm0Sectors : g.sectors;
}
uint32_t BytesOf(const Geometry& g, uint32_t c, uint32_t h) {
    return g.fmTrack0 && c == 0 && h == 0 ? kFm0Bytes : g.bytes;
}

bool SameShape(const Geometry& a, const Geometry& b) {
    return a.heads == b.heads && a.sectors == b.sectors && a.bytes == b.bytes &&
           a.fmTrack0 == b.fmTrack0;
}

// The value that most tracks have, the first of them on a tie.
uint32_t MostCommon(const std::vector<uint32_t>& values, uint32_t otherwise) {
    std::map<uint32_t, size_t> counts;
    uint32_t best = otherwise;
    size_t most = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        size_t n = ++counts[values[i]];
        if (n > most) most = n, best = values[i];
    }
    return best;
}

// Whether track 0 is the FM 26 x 128 of the PC-98 1 MB layout.
bool Fm0Track(const Track& t) {
    if (t.sectors.size() != kFm0Sectors) return false;
    for (size_t s = 0; s < t.sectors.size(); ++s) {
        if (!t.sectors[s].fm() || t.sectors[s].n != 0) return false;
    }
    return true;
}

void HeaderLosses(const Disk& disk, uint8_t media, Losses* losses) {
    bool named = false, reserved = false;
    for (size_t i = 0; i < sizeof disk.name; ++i) named = named || disk.name[i] != 0;
    for (size_t i = 0; i < sizeof disk.reserved; ++i) reserved = reserved || disk.reserved[i] != 0;
    if (named) losses->Field(kLossName);
    if (reserved) losses->Field(kLossReserved);
    if (disk.writeProtect) losses->Field(kLossProtect, disk.writeProtect);
    if (disk.media != media) losses->Field(kLossMedia, disk.media, media);
}

// A stretch of another source.
class Slice : public ImageSource {
public:
    Slice(ImageSource& inner, uint32_t offset, uint32_t extent)
        : inner_(inner), offset_(offset), extent_(extent) {}
    uint32_t Extent() const override { return extent_; }
    bool Read(uint32_t pos, uint8_t* dst, uint32_t n) override {
        return pos <= extent_ && n <= extent_ - pos && inner_.Read(offset_ + pos, dst, n);
    }

private:
    ImageSource& inner_;
    uint32_t offset_, extent_;
};

// The header FDI images have: the type of the medium (0x90 2HD, 0x30 for
// 1.44 MB, 0x70 2DD, 0x50 2D), the header's size, the sectors' size and
// the geometry, the rest zero.
void FdiHeader(const Geometry& g, uint8_t* out) {
    std::memset(out, 0, kFdiHeader);
    uint8_t media = GeometryMedia(g);
    uint32_t type = media == kMediaHD   ? (g.sectors * g.bytes == 18 * 512 ? 0x30 : 0x90)
                    : media == kMediaDD ? 0x70
                                        : 0x50;
    WriteLe32(out + 4, type);
    WriteLe32(out + 8, kFdiHeader);
    WriteLe32(out + 12, static_cast<uint32_t>(GeometrySize(g)));
    WriteLe32(out + 16, g.bytes);
    WriteLe32(out + 20, g.sectors);
    WriteLe32(out + 24, g.heads);
    WriteLe32(out + 28, g.cylinders);
}

}  // namespace

uint64_t GeometrySize(const Geometry& g) {
    uint64_t track = static_cast<uint64_t>(g.sectors) * g.bytes;
    uint64_t size = track * g.cylinders * g.heads;
    if (g.fmTrack0) size = size - track + kFm0Sectors * kFm0Bytes;
    return size;
}

bool ParseGeometry(const std::string& text, Geometry* out, std::string* why) {
    unsigned long v[4];
    const char* p = text.c_str();
    for (int i = 0; i < 4; ++i) {
        char* end = nullptr;
        if (*p < '0' || *p > '9') break;
        v[i] = std::strtoul(p, &end, 10);
        p = end;
        if (i < 3 && *p++ != '/') p = "x";
        if (i == 3 && *p == 0) {
            if (v[0] < 1 || v[0] > 255 || v[1] < 1 || v[1] > 2 || v[2] < 1 || v[2] > 255 ||
                v[3] < 128 || v[3] > 16384 || (v[3] & (v[3] - 1)) != 0) {
                *why = "cylinders 1-255, heads 1-2, sectors 1-255, bytes 128-16384 (a power of 2)";
                return false;
            }
            Geometry g = {static_cast<uint32_t>(v[0]), static_cast<uint32_t>(v[1]),
                          static_cast<uint32_t>(v[2]), static_cast<uint32_t>(v[3]), false};
            *out = g;
            return true;
        }
    }
    *why = "a geometry is C/H/S/BYTES, such as 77/2/8/1024";
    return false;
}

std::string GeometryText(const Geometry& g) {
    char text[80];
    std::snprintf(text, sizeof text, "%u/%u/%u/%u%s", static_cast<unsigned>(g.cylinders),
                  static_cast<unsigned>(g.heads), static_cast<unsigned>(g.sectors),
                  static_cast<unsigned>(g.bytes), g.fmTrack0 ? " (track 0: 26 x 128 FM)" : "");
    return text;
}

std::vector<Geometry> GeometriesOfSize(uint64_t size) {
    std::vector<Geometry> found;
    for (size_t i = 0; i < sizeof kKnown / sizeof kKnown[0]; ++i) {
        if (GeometrySize(kKnown[i]) == size) found.push_back(kKnown[i]);
    }
    return found;
}

uint8_t GeometryMedia(const Geometry& g) {
    return MediaForRate(g.sectors * g.bytes > 6500 ? 500 : 250, g.cylinders);
}

FormatError ReadRaw(ImageSource& source, const Geometry* stated, Disk* disk) {
    *disk = Disk();
    Geometry g;
    if (stated) {
        g = *stated;
        if (GeometrySize(g) != source.Extent()) {
            FormatError e = FormatFailure(kFormatSizeMismatch, kFormatRaw, GeometryText(g));
            e.expected = GeometrySize(g);
            e.actual = source.Extent();
            return e;
        }
    } else {
        std::vector<Geometry> fits = GeometriesOfSize(source.Extent());
        if (fits.empty()) {
            FormatError e = FormatFailure(kFormatUnknownSize, kFormatRaw);
            e.actual = source.Extent();
            return e;
        }
        if (fits.size() > 1) {
            std::string all;
            for (size_t i = 0; i < fits.size(); ++i)
                all += (i ? " or " : "") + GeometryText(fits[i]);
            FormatError e = FormatFailure(kFormatNeedGeometry, kFormatRaw, all);
            e.actual = source.Extent();
            return e;
        }
        g = fits[0];
    }
    disk->media = GeometryMedia(g);
    uint32_t pos = 0;
    for (uint32_t c = 0; c < g.cylinders; ++c) {
        for (uint32_t h = 0; h < g.heads; ++h) {
            uint32_t t = c * 2 + h, count = SectorsOf(g, c, h), bytes = BytesOf(g, c, h);
            if (t >= kDiskTracks) {
                disk->readLosses.Track(kLossTracks, t);
                pos += count * bytes;
                continue;
            }
            Track& track = disk->At(t);
            for (uint32_t r = 1; r <= count; ++r, pos += bytes) {
                Sector s;
                s.c = static_cast<uint8_t>(c);
                s.h = static_cast<uint8_t>(h);
                s.r = static_cast<uint8_t>(r);
                s.n = CodeOf(bytes);
                s.density = g.fmTrack0 && c == 0 && h == 0 ? kDensityFm : 0;
                s.deleted = s.status = 0;
                s.data.resize(bytes);
                if (!source.Read(pos, &s.data[0], bytes))
                    return FormatFailure(kFormatReadFailed, kFormatRaw);
                if (!AddSector(disk, &track, s)) return FormatFailure(kFormatTooLarge, kFormatRaw);
            }
        }
    }
    return FormatOk();
}

Geometry RawGeometryOf(const Disk& disk, bool allowFmTrack0) {
    std::vector<uint32_t> counts, sizes;
    bool twoSides = false;
    bool fm0 = allowFmTrack0 && !disk.tracks.empty() && Fm0Track(disk.tracks[0]);
    for (size_t t = fm0 ? 1 : 0; t < disk.tracks.size(); ++t) {
        const std::vector<Sector>& sectors = disk.tracks[t].sectors;
        if (sectors.empty()) continue;
        twoSides = twoSides || (t & 1) != 0;
        counts.push_back(static_cast<uint32_t>(sectors.size()));
        for (size_t s = 0; s < sectors.size(); ++s)
            sizes.push_back(SizeOfCode(std::min<uint8_t>(sectors[s].n, 7)));
    }
    Geometry own = {std::max<uint32_t>(disk.Cylinders(), 1), twoSides ? 2u : 1u,
                    std::max<uint32_t>(MostCommon(counts, 0), 1), MostCommon(sizes, 256), fm0};
    if (fm0 && (own.sectors != kFm0Sectors || own.bytes != 256)) own.fmTrack0 = false;
    // A known geometry of the same tracks with room for all cylinders, the
    // fewest cylinders first.
    const Geometry* best = nullptr;
    for (size_t i = 0; i < sizeof kKnown / sizeof kKnown[0]; ++i) {
        const Geometry& k = kKnown[i];
        Geometry shape = own;
        shape.heads = k.heads;  // a one-sided disk is written with its second side zero
        if (SameShape(k, shape) && k.cylinders >= own.cylinders &&
            (!best || k.cylinders < best->cylinders))
            best = &k;
    }
    return best ? *best : own;
}

void WriteRaw(const Disk& disk, const Geometry& g, Losses* losses, uint8_t* out) {
    Losses none;
    Losses& lost = losses ? *losses : none;
    uint64_t pos = 0;
    for (uint32_t c = 0; c < g.cylinders; ++c) {
        for (uint32_t h = 0; h < g.heads; ++h) {
            uint32_t t = c * 2 + h, count = SectorsOf(g, c, h), bytes = BytesOf(g, c, h);
            bool fm = g.fmTrack0 && c == 0 && h == 0;
            if (out) std::memset(out + pos, 0, static_cast<size_t>(count) * bytes);
            const Track* track = t < disk.tracks.size() ? &disk.tracks[t] : nullptr;
            if (!track || track->sectors.empty()) {
                lost.Track(kLossUnformatted, t);
                pos += static_cast<uint64_t>(count) * bytes;
                continue;
            }
            std::vector<bool> placed(count, false);
            int last = 0;
            for (size_t k = 0; k < track->sectors.size(); ++k) {
                const Sector& s = track->sectors[k];
                if (s.r < 1 || s.r > count || s.c != c || s.h != h)
                    lost.Sector(kLossIds, t, s.c, s.h, s.r, s.n);
                if (s.r < 1 || s.r > count) continue;
                if (placed[s.r - 1]) {
                    lost.Sector(kLossDuplicates, t, s.c, s.h, s.r, s.n);
                    continue;
                }
                placed[s.r - 1] = true;
                if (s.r < last) lost.Sector(kLossOrder, t, s.c, s.h, s.r, s.n);
                last = s.r;
                if (SizeOfCode(s.n) != bytes) lost.Sector(kLossMixedSizes, t, s.c, s.h, s.r, s.n);
                if (s.density != (fm ? kDensityFm : 0))
                    lost.Sector(kLossDensity, t, s.c, s.h, s.r, s.n);
                if (s.deleted) lost.Sector(kLossDeleted, t, s.c, s.h, s.r, s.n);
                if (s.status) lost.Sector(kLossStatus, t, s.c, s.h, s.r, s.n);
                if (s.data.size() != SizeOfCode(s.n))
                    lost.Sector(kLossDataSize, t, s.c, s.h, s.r, s.n);
                if (out && !s.data.empty())
                    std::memcpy(out + pos + (s.r - 1) * bytes, &s.data[0],
                                std::min<size_t>(s.data.size(), bytes));
            }
            for (uint32_t r = 1; r <= count; ++r) {
                if (!placed[r - 1])
                    lost.Sector(kLossAdded, t, static_cast<uint8_t>(c), static_cast<uint8_t>(h),
                                static_cast<uint8_t>(r), CodeOf(bytes));
            }
            pos += static_cast<uint64_t>(count) * bytes;
        }
    }
    for (size_t t = 0; t < disk.tracks.size(); ++t) {
        bool inside = t / 2 < g.cylinders && t % 2 < g.heads;
        if (!inside && !disk.tracks[t].sectors.empty())
            lost.Track(kLossTracks, static_cast<uint32_t>(t));
    }
    HeaderLosses(disk, GeometryMedia(g), &lost);
}

FormatError ReadFdi(ImageSource& source, Disk* disk) {
    uint8_t h[kFdiHeader];
    const uint32_t kFields = 32;
    if (source.Extent() < kFields) {
        if (source.Extent() == 0) return FormatFailure(kFormatNotThis, kFormatFdi, "it is empty");
        return Truncated(kFormatFdi, kFields, source.Extent(), kNoPlace, "its header");
    }
    uint32_t have = std::min(source.Extent(), kFdiHeader);
    std::memset(h, 0, sizeof h);
    if (!source.Read(0, h, have)) return FormatFailure(kFormatReadFailed, kFormatFdi);
    uint32_t headerSize = ReadLe32(h + 8), dataSize = ReadLe32(h + 12);
    Geometry g = {ReadLe32(h + 28), ReadLe32(h + 24), ReadLe32(h + 20), ReadLe32(h + 16), false};
    bool sane = g.cylinders >= 1 && g.cylinders <= 255 && g.heads >= 1 && g.heads <= 2 &&
                g.sectors >= 1 && g.sectors <= 255 && g.bytes >= 128 && g.bytes <= 16384 &&
                (g.bytes & (g.bytes - 1)) == 0;
    if (ReadLe32(h) != 0 || headerSize < kFields || !sane || GeometrySize(g) != dataSize)
        return FormatFailure(kFormatNotThis, kFormatFdi,
                             "its header's sizes do not describe a disk");
    uint64_t end = static_cast<uint64_t>(headerSize) + dataSize;
    if (end > source.Extent())
        return Truncated(kFormatFdi, end, source.Extent(), kNoPlace, "its sectors");
    Slice sectors(source, headerSize, dataSize);
    FormatError e = ReadRaw(sectors, &g, disk);
    e.format = kFormatFdi;
    if (!e.ok()) return e;
    // What a header written back would not keep: its size, type and the
    // rest of its bytes.
    uint8_t ours[kFdiHeader];
    FdiHeader(g, ours);
    if (headerSize != kFdiHeader || std::memcmp(h, ours, kFdiHeader) != 0)
        disk->readLosses.Field(kLossHeader, ReadLe32(h + 4), ReadLe32(ours + 4));
    return FormatOk();
}

void WriteFdi(const Disk& disk, const Geometry& g, Losses* losses, uint8_t* out) {
    WriteRaw(disk, g, losses, out ? out + kFdiHeader : nullptr);
    if (out) FdiHeader(g, out);
}
