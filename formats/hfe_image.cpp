// HFE: the choices of rate, turn and gaps, the layout of a side's cells,
// the file's header and track list, and the decoding of cells back into
// sectors.
#include "formats/hfe_image.h"

#include <algorithm>
#include <cstring>

#include "formats/bit_cells.h"
#include "store/sector_view.h"

namespace {

const uint32_t kBlock = 512;
const uint32_t kHalf = 256;
const uint32_t kLongestSide = 0x7FFF;  // a track's length (both sides) is 16 bits
const uint8_t kEncodingMfm = 0, kEncodingFm = 2;
const uint8_t kGenericShugart = 7;
const char kSignature[] = "HXCPICFE";

void PutLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
uint32_t Le16(const uint8_t* p) { return p[0] | p[1] << 8; }

// The gap after a sector's data when the format is written (the values
// the NEC and IBM controllers' manuals give for each size).
uint32_t StandardGap3(bool fm, uint8_t n) {
    static const uint8_t kMfm[4] = {32, 54, 84, 116}, kFm[4] = {27, 42, 58, 58};
    return fm ? kFm[std::min<uint8_t>(n, 3)] : kMfm[std::min<uint8_t>(n, 3)];
}

uint8_t GapByte(bool fm) { return fm ? 0xFF : 0x4E; }

// How a sector's statuses are written: an ID field with a wrong CRC for an
// ID error (and for a missing address mark, which cells cannot hold with
// the sector kept), no data field for a missing data mark without data, a
// data field with a wrong CRC for a data error (and a missing data mark
// with data).
bool NoDataField(const Sector& s) { return s.status == kStatusNoData && s.data.empty(); }
bool BadIdCrc(const Sector& s) { return s.status == kStatusIdCrc || s.status == kStatusNoId; }
bool BadDataCrc(const Sector& s) { return s.status == kStatusDataCrc || s.status == kStatusNoData; }

// The status it reads back with: a data field of other than 128 << N bytes
// reads as one of that size, whose CRC is then wrong.
uint8_t StatusReadBack(const Sector& s) {
    if (BadIdCrc(s)) return kStatusIdCrc;
    if (NoDataField(s)) return kStatusNoData;
    if (BadDataCrc(s) || s.n > 7 || s.data.size() != SizeOfCode(s.n)) return kStatusDataCrc;
    return 0;
}

void PutField(CellWriter* w, bool fm, uint8_t mark, const uint8_t* p, uint32_t n, bool badCrc) {
    const uint8_t pre[4] = {0xA1, 0xA1, 0xA1, mark};
    uint16_t crc = 0;
    if (!w->counting()) {
        crc = Crc16(Crc16(0xFFFF, fm ? pre + 3 : pre, fm ? 1 : 4), p, n);
        if (badCrc) crc = static_cast<uint16_t>(~crc);
    }
    const uint8_t tail[2] = {static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc)};
    w->Fill(fm, 0x00, fm ? 6 : 12);
    w->Mark(fm, mark);
    w->Bytes(fm, p, n);
    w->Bytes(fm, tail, 2);
}

// One side's cells: the gaps before the first sector in its density, each
// sector in its own, the gaps after the data (`gap3`, or the standard one
// where it is larger) and the rest of the turn.
void PutSide(const std::vector<Sector>& sectors, uint32_t gap3, CellWriter* w) {
    if (sectors.empty()) return w->FillToEnd(false);
    bool pfm = sectors[0].fm();
    w->Fill(pfm, GapByte(pfm), pfm ? 40 : 80);
    w->Fill(pfm, 0x00, pfm ? 6 : 12);
    w->Mark(pfm, kMarkIndex);
    w->Fill(pfm, GapByte(pfm), pfm ? 26 : 50);
    for (size_t i = 0; i < sectors.size(); ++i) {
        const Sector& s = sectors[i];
        bool fm = s.fm();
        const uint8_t id[4] = {s.c, s.h, s.r, s.n};
        PutField(w, fm, kMarkId, id, 4, BadIdCrc(s));
        w->Fill(fm, GapByte(fm), fm ? 11 : 22);
        if (!NoDataField(s)) {
            uint32_t n = static_cast<uint32_t>(s.data.size());
            PutField(w, fm, s.deleted ? kMarkDeleted : kMarkData, n ? &s.data[0] : nullptr, n,
                     BadDataCrc(s));
        }
        w->Fill(fm, GapByte(fm), std::min(gap3, StandardGap3(fm, s.n)));
    }
    w->FillToEnd(pfm);
}

// The side laid out in a turn of `capacity` bytes: the gaps after the data
// made smaller (down to one byte) where the standard ones do not fit. Its
// bytes; more than the capacity when even then it does not fit.
uint32_t LaySide(const std::vector<Sector>& sectors, uint32_t capacity, uint8_t* out) {
    CellWriter count(nullptr, 0);
    PutSide(sectors, 0, &count);
    uint32_t fixed = count.bytes(), weight = 0;
    for (size_t i = 0; i < sectors.size(); ++i) weight += CellBytes(sectors[i].fm());
    uint32_t gap3 = weight && fixed < capacity ? (capacity - fixed) / weight : 0;
    gap3 = std::max<uint32_t>(gap3, 1);
    CellWriter sized(nullptr, 0);
    PutSide(sectors, gap3, &sized);
    uint32_t bytes = std::min(std::max(sized.bytes(), capacity), kLongestSide);
    if (out) {
        CellWriter w(out, bytes);
        PutSide(sectors, gap3, &w);
    }
    return std::max(sized.bytes(), capacity);
}

// The sectors of cylinder c, head h (none for a head past the second).
const std::vector<Sector>& SideOf(const Disk& disk, uint32_t c, uint32_t h) {
    static const std::vector<Sector> none;
    uint32_t t = c * 2 + h;
    return h < 2 && t < disk.tracks.size() ? disk.tracks[t].sectors : none;
}

uint32_t TrackLength(const Disk& disk, const HfeChoices& k, uint32_t c) {
    uint32_t side = 0;
    for (uint32_t h = 0; h < k.sides; ++h)
        side = std::max(side, LaySide(SideOf(disk, c, h), k.sideBytes, nullptr));
    return 2 * std::min(side, kLongestSide);
}

uint32_t Blocks(uint32_t bytes) { return (bytes + kBlock - 1) / kBlock; }

uint8_t TrackEncoding(const std::vector<Sector>& sectors, uint8_t otherwise) {
    if (sectors.empty()) return otherwise;
    return sectors[0].fm() ? kEncodingFm : kEncodingMfm;
}

void PutHeader(const Disk& disk, const HfeChoices& k, uint8_t* h) {
    std::memset(h, 0xFF, kBlock);
    std::memcpy(h, kSignature, 8);
    h[8] = 0;
    h[9] = static_cast<uint8_t>(k.cylinders);
    h[10] = static_cast<uint8_t>(k.sides);
    h[11] = k.encoding;
    PutLe16(h + 12, k.kbps);
    PutLe16(h + 14, k.rpm);
    h[16] = k.interfaceMode;
    h[17] = 0;
    PutLe16(h + 18, 1);
    h[20] = disk.writeProtect ? 0x00 : 0xFF;
    h[21] = k.doubleStep ? 0x00 : 0xFF;
    for (uint32_t side = 0; side < 2; ++side) {
        uint8_t e = TrackEncoding(SideOf(disk, 0, side), k.encoding);
        if (e != k.encoding) h[22 + 2 * side] = 0x00, h[23 + 2 * side] = e;
    }
}

// The sectors of one side's cells, in the order of their ID marks.
void DecodeSide(const SideCells& cells, std::vector<Sector>* out) {
    std::vector<FoundMark> marks;
    cells.FindMarks(&marks);
    out->clear();
    for (size_t i = 0; i < marks.size(); ++i) {
        const FoundMark& m = marks[i];
        uint8_t f[6];
        if (m.mark != kMarkId || !cells.Read(m.fieldCell, m.step, f, 6)) continue;
        const uint8_t pre[4] = {0xA1, 0xA1, 0xA1, kMarkId};
        uint16_t crc = Crc16(Crc16(0xFFFF, m.fm ? pre + 3 : pre, m.fm ? 1 : 4), f, 4);
        Sector s;
        s.c = f[0], s.h = f[1], s.r = f[2], s.n = f[3];
        s.density = m.fm ? kDensityFm : 0;
        s.deleted = 0;
        s.status = crc == (f[4] << 8 | f[5]) ? 0 : kStatusIdCrc;
        // Its data mark follows within the gap, in its density; across the
        // end of the side, the first mark is the one after the last.
        FoundMark next = marks[(i + 1) % marks.size()];
        if (i + 1 == marks.size()) next.cell += cells.cells(), next.fieldCell += cells.cells();
        uint32_t idEnd = m.fieldCell + 6 * 8 * m.step;
        bool paired = next.mark != kMarkId && next.fm == m.fm && next.step == m.step &&
                      next.cell >= idEnd && next.cell - idEnd <= 64 * 8 * m.step;
        if (!paired) {
            if (s.status == 0) s.status = kStatusNoData;
            out->push_back(s);
            continue;
        }
        s.deleted = next.mark == kMarkDeleted ? kDeletedData : 0;
        uint32_t size = std::min<uint32_t>(SizeOfCode(std::min<uint8_t>(s.n, 7)), 0xFFFF);
        uint32_t end = 2 * cells.cells();
        uint32_t room = next.fieldCell < end ? (end - next.fieldCell) / (8 * m.step) : 0;
        bool whole = room >= size + 2;
        if (!whole) size = room > 2 ? room - 2 : 0;
        s.data.resize(size + 2);
        cells.Read(next.fieldCell, m.step, &s.data[0], size + 2);
        const uint8_t dpre[4] = {0xA1, 0xA1, 0xA1, next.mark};
        uint16_t dcrc =
            Crc16(Crc16(0xFFFF, m.fm ? dpre + 3 : dpre, m.fm ? 1 : 4), &s.data[0], size);
        bool good = whole && dcrc == (s.data[size] << 8 | s.data[size + 1]);
        s.data.resize(size);
        if (!good && s.status == 0) s.status = kStatusDataCrc;
        out->push_back(s);
    }
}

// The bytes of one side of a track whose blocks are in `track`.
void SideBytes(const uint8_t* track, uint32_t sideLength, uint32_t side,
               std::vector<uint8_t>* out) {
    out->resize(sideLength);
    for (uint32_t i = 0; i < sideLength; i += kHalf) {
        uint32_t n = std::min(kHalf, sideLength - i);
        std::memcpy(&(*out)[i], track + (i / kHalf) * kBlock + side * kHalf, n);
    }
}

}  // namespace

HfeChoices ChooseHfe(const Disk& disk, const HfeOptions& options) {
    HfeChoices k;
    uint8_t medium = MediumOf(disk);
    bool hd = medium == kMediaHD;
    k.kbps = options.kbps ? options.kbps : hd ? 500 : 250;
    k.cylinders = std::max<uint32_t>(std::min<uint32_t>(disk.Cylinders(), 255), 1);
    k.sides = 1;
    for (size_t t = 1; t < disk.tracks.size(); t += 2) {
        if (!disk.tracks[t].sectors.empty()) k.sides = 2;
    }
    bool allFm = true;
    for (size_t t = 0; t < disk.tracks.size(); ++t) {
        for (size_t s = 0; s < disk.tracks[t].sectors.size(); ++s)
            allFm = allFm && disk.tracks[t].sectors[s].fm();
    }
    k.encoding = allFm && disk.TrackEnd() ? kEncodingFm : kEncodingMfm;
    k.fortyTracks = !hd && disk.Cylinders() <= 42;
    k.doubleStep = k.fortyTracks && options.doubleStep;
    k.interfaceMode = kGenericShugart;
    // 2HD turns at 360 rpm, unless its tracks need the longer turn of 300
    // (1.44 MB).
    k.rpm = options.rpm ? options.rpm : 300;
    if (!options.rpm && hd) {
        k.rpm = 360;
        uint32_t turn = (k.kbps * 120000 / 360 + 7) / 8;
        for (uint32_t c = 0; c < k.cylinders; ++c) {
            for (uint32_t h = 0; h < k.sides; ++h) {
                if (LaySide(SideOf(disk, c, h), turn, nullptr) > turn) k.rpm = 300;
            }
        }
    }
    k.sideBytes = static_cast<uint32_t>((static_cast<uint64_t>(k.kbps) * 120000 / k.rpm + 7) / 8);
    return k;
}

uint32_t HfeSize(const Disk& disk, const HfeChoices& k, Losses* losses) {
    uint32_t size = kBlock * (1 + Blocks(4 * k.cylinders));
    for (uint32_t c = 0; c < k.cylinders; ++c) size += kBlock * Blocks(TrackLength(disk, k, c));
    if (!losses) return size;
    for (size_t t = 0; t < disk.tracks.size(); ++t) {
        const std::vector<Sector>& sectors = disk.tracks[t].sectors;
        uint32_t tn = static_cast<uint32_t>(t);
        if (t / 2 >= k.cylinders || (t % 2) >= k.sides) {
            if (!sectors.empty()) losses->Track(kLossTracks, tn);
            continue;
        }
        if (LaySide(sectors, k.sideBytes, nullptr) > k.sideBytes)
            losses->Track(kLossTrackLength, tn);
        for (size_t i = 0; i < sectors.size(); ++i) {
            const Sector& s = sectors[i];
            if (StatusReadBack(s) != s.status) losses->Sector(kLossStatus, tn, s.c, s.h, s.r, s.n);
            if (!NoDataField(s) && s.data.size() != SizeOfCode(s.n))
                losses->Sector(kLossDataSize, tn, s.c, s.h, s.r, s.n);
            if ((s.density != 0 && s.density != kDensityFm) ||
                (s.deleted != 0 && s.deleted != kDeletedData))
                losses->Sector(kLossFieldBytes, tn, s.c, s.h, s.r, s.n);
        }
    }
    bool named = false, reserved = false;
    for (size_t i = 0; i < sizeof disk.name; ++i) named = named || disk.name[i];
    for (size_t i = 0; i < sizeof disk.reserved; ++i) reserved = reserved || disk.reserved[i];
    if (named) losses->Field(kLossName);
    if (reserved) losses->Field(kLossReserved);
    if (disk.writeProtect != 0 && disk.writeProtect != kDeletedData)
        losses->Field(kLossProtect, disk.writeProtect);
    uint8_t media = MediaForRate(k.kbps, disk.Cylinders());
    if (media != disk.media) losses->Field(kLossMedia, disk.media, media);
    return size;
}

void WriteHfe(const Disk& disk, const HfeChoices& k, uint8_t* out) {
    PutHeader(disk, k, out);
    uint32_t listBlocks = Blocks(4 * k.cylinders);
    uint8_t* list = out + kBlock;
    std::memset(list, 0xFF, kBlock * listBlocks);
    uint32_t block = 1 + listBlocks;
    std::vector<uint8_t> side;
    for (uint32_t c = 0; c < k.cylinders; ++c) {
        uint32_t length = TrackLength(disk, k, c), half = length / 2;
        uint8_t* track = out + kBlock * block;
        std::memset(track, 0, kBlock * Blocks(length));
        PutLe16(list + 4 * c, block);
        PutLe16(list + 4 * c + 2, length);
        for (uint32_t h = 0; h < 2; ++h) {
            side.assign(half, 0);
            if (half) LaySide(SideOf(disk, c, h < k.sides ? h : 2), half, &side[0]);
            for (uint32_t i = 0; i < half; i += kHalf)
                std::memcpy(track + (i / kHalf) * kBlock + h * kHalf, &side[i],
                            std::min(kHalf, half - i));
        }
        block += Blocks(length);
    }
}

FormatError ReadHfe(ImageSource& source, Disk* disk) {
    *disk = Disk();
    uint8_t h[kBlock];
    if (source.Extent() < 8) return FormatFailure(kFormatNotThis, kFormatHfe, "it is too short");
    uint32_t have = std::min(source.Extent(), kBlock);
    std::memset(h, 0xFF, sizeof h);
    if (!source.Read(0, h, have)) return FormatFailure(kFormatReadFailed, kFormatHfe);
    if (std::memcmp(h, "HXCHFEV3", 8) == 0)
        return FormatFailure(kFormatUnsupported, kFormatHfe, "HFE v3 (HXCHFEV3)");
    if (std::memcmp(h, kSignature, 8) != 0)
        return FormatFailure(kFormatNotThis, kFormatHfe, "it does not begin with HXCPICFE");
    if (have < kBlock) return Truncated(kFormatHfe, kBlock, have, kNoPlace, "its header");
    if (h[8] != 0) {
        FormatError e = FormatFailure(kFormatUnsupported, kFormatHfe, "HFE revision");
        e.value = h[8];
        return e;
    }
    uint32_t cylinders = h[9], sides = h[10], kbps = Le16(h + 12);
    if (sides < 1 || sides > 2) {
        FormatError e = FormatFailure(kFormatBadField, kFormatHfe, "sides");
        e.value = sides;
        return e;
    }
    uint64_t listAt = static_cast<uint64_t>(Le16(h + 18)) * kBlock;
    uint8_t list[4 * 256];
    if (listAt + 4 * cylinders > source.Extent())
        return Truncated(kFormatHfe, listAt + 4 * cylinders, source.Extent(), kNoPlace,
                         "its track list");
    if (!source.Read(static_cast<uint32_t>(listAt), list, 4 * cylinders))
        return FormatFailure(kFormatReadFailed, kFormatHfe);
    disk->writeProtect = h[20] == 0x00 ? kDeletedData : 0;
    HfeChoices ours;
    ours.kbps = kbps;
    ours.rpm = Le16(h + 14);
    ours.sides = sides;
    ours.sideBytes =
        ours.rpm ? static_cast<uint32_t>((static_cast<uint64_t>(kbps) * 120000 / ours.rpm + 7) / 8)
                 : 0;
    std::vector<uint8_t> track, again;
    std::vector<std::vector<uint8_t> > side(sides);
    std::vector<std::vector<Sector> > sectors(sides);
    SideCells cells;
    for (uint32_t c = 0; c < cylinders; ++c) {
        uint64_t at = static_cast<uint64_t>(Le16(list + 4 * c)) * kBlock;
        uint32_t length = Le16(list + 4 * c + 2), half = length / 2;
        uint32_t span =
            half ? ((half - 1) / kHalf) * kBlock + kHalf * (sides - 1) + (half - 1) % kHalf + 1 : 0;
        if (at + span > source.Extent())
            return Truncated(kFormatHfe, at + span, source.Extent(), c);
        track.assign(Blocks(span) * kBlock, 0);
        if (span && !source.Read(static_cast<uint32_t>(at), &track[0], span))
            return FormatFailure(kFormatReadFailed, kFormatHfe);
        uint32_t longest = 0;
        for (uint32_t s = 0; s < sides; ++s) {
            SideBytes(track.empty() ? nullptr : &track[0], half, s, &side[s]);
            cells.Assign(side[s].empty() ? nullptr : &side[s][0], half);
            DecodeSide(cells, &sectors[s]);
            if (sectors[s].empty() && cells.Violations() > cells.cells() / 100) {
                FormatError e = FormatFailure(kFormatUndecodable, kFormatHfe, std::string(), c);
                e.side = s;
                return e;
            }
            longest = std::max(longest, LaySide(sectors[s], ours.sideBytes, nullptr));
        }
        // The cells as this program would write them again.
        bool sameLength = ours.sideBytes && std::min(longest, kLongestSide) == half;
        for (uint32_t s = 0; s < sides; ++s) {
            uint32_t t = c * 2 + s;
            if (t >= kDiskTracks) {
                if (!sectors[s].empty()) disk->readLosses.Track(kLossTracks, t);
                continue;
            }
            for (size_t i = 0; i < sectors[s].size(); ++i) {
                if (!AddSector(disk, &disk->At(t), sectors[s][i]))
                    return FormatFailure(kFormatTooLarge, kFormatHfe, std::string(), c);
            }
            again.assign(half, 0);
            if (sameLength && half) LaySide(sectors[s], half, &again[0]);
            if (!sameLength || again != side[s]) disk->readLosses.Track(kLossLayout, t);
        }
    }
    disk->media = MediaForRate(kbps, disk->Cylinders());
    HfeOptions asked = {kbps, ours.rpm, h[21] == 0x00};
    uint8_t header[kBlock];
    PutHeader(*disk, ChooseHfe(*disk, asked), header);
    if (std::memcmp(header, h, kBlock) != 0) disk->readLosses.Field(kLossHeader);
    return FormatOk();
}
