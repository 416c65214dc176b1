// MFM and FM cells by table: a byte's cells are looked up, not made bit by
// bit, and marks are found through the byte-aligned 32-cell windows that
// lie inside them, so that a side is searched a byte at a time.
#include "formats/bit_cells.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const uint16_t kSyncA1 = 0x4489;  // A1 without the clock between bits 4 and 3, first cell first
const uint16_t kSyncC2 = 0x5224;  // C2 without the clock between bits 3 and 2

uint16_t Reverse16(uint16_t v) {
    uint16_t r = 0;
    for (int i = 0; i < 16; ++i)
        if (v & (1u << i)) r |= static_cast<uint16_t>(1u << (15 - i));
    return r;
}

// FM cells of a byte with its clock byte, each window `width` cells (1 or
// 2): per bit the clock, then the data, each at the start of its window.
uint32_t FmWindows(uint8_t clock, uint8_t data, uint32_t width) {
    uint32_t w = 0;
    for (int j = 7; j >= 0; --j) {
        uint32_t k = 2 * width * (7 - j);
        if (clock & (1u << j)) w |= 1u << k;
        if (data & (1u << j)) w |= 1u << (k + width);
    }
    return w;
}
uint32_t FmSingle(uint8_t clock, uint8_t data) { return FmWindows(clock, data, 1); }
uint32_t FmCells(uint8_t clock, uint8_t data) { return FmWindows(clock, data, 2); }

// A kind of mark: its first 32 cells, the data mark byte it stands for,
// and where its field begins.
struct MarkPattern {
    uint32_t cells;
    bool mfm, fm;
    uint32_t step;
    uint8_t mark;
    uint32_t field;
};

struct Tables {
    uint16_t mfm[2][256];  // by the last data bit before the byte
    uint32_t fm[256];      // with the clock FF of data bytes
    uint8_t odd4[256];     // the data bits of 8 MFM cells
    uint8_t fm2[256];      // the data bits of 8 FM cells
    uint8_t pairs[256];    // neighbouring flux changes within a byte's cells
    uint8_t ones[256];
    static const size_t kMaxKeys = 128;
    uint8_t candidate[8192];  // hashes of the windows that lie in a mark
    uint32_t keys[kMaxKeys];  // the windows, in order
    size_t keyCount;
    MarkPattern patterns[7];
    uint32_t wideSync;  // FM 00, clock FF, two cells a window
    static uint32_t Hash(uint32_t k) { return (k ^ (k >> 15) ^ (k >> 7)) & 0xFFFF; }
    bool Key(uint32_t k) const {
        uint32_t h = Hash(k);
        return (candidate[h >> 3] & (1u << (h & 7))) &&
               std::binary_search(keys, keys + keyCount, k);
    }
    uint16_t syncA1, syncC2;
    uint16_t crc[256];

    Tables() {
        for (int i = 0; i < 256; ++i) {
            uint16_t c = static_cast<uint16_t>(i << 8);
            for (int k = 0; k < 8; ++k)
                c = static_cast<uint16_t>(c & 0x8000 ? (c << 1) ^ 0x1021 : c << 1);
            crc[i] = c;
        }
        for (int last = 0; last < 2; ++last) {
            for (int v = 0; v < 256; ++v) {
                uint16_t w = 0;
                int prev = last;
                for (int j = 7; j >= 0; --j) {
                    int bit = (v >> j) & 1, k = 2 * (7 - j);
                    if (!prev && !bit) w |= static_cast<uint16_t>(1u << k);
                    if (bit) w |= static_cast<uint16_t>(1u << (k + 1));
                    prev = bit;
                }
                mfm[last][v] = w;
            }
        }
        for (int v = 0; v < 256; ++v) {
            fm[v] = FmCells(0xFF, static_cast<uint8_t>(v));
            odd4[v] = static_cast<uint8_t>(((v >> 1) & 1) << 3 | ((v >> 3) & 1) << 2 |
                                           ((v >> 5) & 1) << 1 | ((v >> 7) & 1));
            fm2[v] = static_cast<uint8_t>(((v >> 2) & 1) << 1 | ((v >> 6) & 1));
            int n = 0;
            for (int i = 0; i < 7; ++i) n += ((v >> i) & 3) == 3;
            pairs[v] = static_cast<uint8_t>(n);
            ones[v] = 0;
            for (int i = 0; i < 8; ++i) ones[v] = static_cast<uint8_t>(ones[v] + ((v >> i) & 1));
        }
        syncA1 = Reverse16(kSyncA1);
        syncC2 = Reverse16(kSyncC2);
        // Reverse16 turns the first-in-time-is-highest notation of the
        // sync words into the first-is-lowest order of packed cells.
        // MFM: two of the three A1 (the third and the mark are checked
        // after); FM of two cells: the mark; FM of one cell: the last sync
        // byte (00 with clock FF) and the mark.
        const uint8_t marks[3] = {kMarkId, kMarkData, kMarkDeleted};
        MarkPattern mfm = {static_cast<uint32_t>(syncA1) | static_cast<uint32_t>(syncA1) << 16,
                           true,
                           false,
                           2,
                           0,
                           64};
        patterns[0] = mfm;
        for (int m = 0; m < 3; ++m) {
            MarkPattern wide = {FmCells(0xC7, marks[m]), false, true, 4, marks[m], 32};
            MarkPattern narrow = {
                FmSingle(0xFF, 0) | FmSingle(0xC7, marks[m]) << 16, false, true, 2, marks[m], 32};
            patterns[1 + m] = wide;
            patterns[4 + m] = narrow;
        }
        // The 32-cell windows that lie inside a mark with what comes just
        // before it (MFM: the three A1; FM: a sync byte, or two of single
        // cells), the sync alone left out: any mark, at any cell, has a
        // byte-aligned one of them.
        wideSync = FmCells(0xFF, 0);
        uint64_t narrowSync = FmSingle(0xFF, 0);
        narrowSync |= narrowSync << 16;
        std::vector<uint32_t> keys;
        for (int m = 0; m < 7; ++m) {
            uint64_t context;
            uint32_t length;
            if (m == 0) {
                context = patterns[0].cells | static_cast<uint64_t>(syncA1) << 32;
                length = 48;
            } else if (m < 4) {
                context = wideSync | static_cast<uint64_t>(patterns[m].cells) << 32;
                length = 64;
            } else {
                context = narrowSync | static_cast<uint64_t>(patterns[m].cells >> 16) << 32;
                length = 48;
            }
            for (uint32_t s = 0; s + 32 <= length; ++s) {
                uint32_t key = static_cast<uint32_t>(context >> s);
                if (key != wideSync && key != static_cast<uint32_t>(narrowSync))
                    keys.push_back(key);
            }
        }
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        keyCount = keys.size() < kMaxKeys ? keys.size() : kMaxKeys;
        std::memset(candidate, 0, sizeof candidate);
        for (size_t k = 0; k < keyCount; ++k) {
            this->keys[k] = keys[k];
            uint32_t hash = Hash(keys[k]);
            candidate[hash >> 3] |= static_cast<uint8_t>(1u << (hash & 7));
        }
    }
};

const Tables& T() {
    static const Tables tables;
    return tables;
}

}  // namespace

uint16_t Crc16(uint16_t crc, const uint8_t* p, size_t n) {
    const uint16_t* table = T().crc;
    for (size_t i = 0; i < n; ++i)
        crc = static_cast<uint16_t>((crc << 8) ^ table[((crc >> 8) ^ p[i]) & 0xFF]);
    return crc;
}

void CellWriter::Put(uint8_t byte) {
    if (out_ && pos_ < capacity_) out_[pos_] = byte;
    ++pos_;
}

void CellWriter::Bytes(bool fm, const uint8_t* p, uint32_t n) {
    if (!out_) {  // counting
        pos_ += n * CellBytes(fm);
        if (n) last_ = (p[n - 1] & 1) != 0;
        return;
    }
    const Tables& t = T();
    for (uint32_t i = 0; i < n; ++i) {
        if (fm) {
            uint32_t w = t.fm[p[i]];
            Put(static_cast<uint8_t>(w));
            Put(static_cast<uint8_t>(w >> 8));
            Put(static_cast<uint8_t>(w >> 16));
            Put(static_cast<uint8_t>(w >> 24));
        } else {
            uint16_t w = t.mfm[last_][p[i]];
            Put(static_cast<uint8_t>(w));
            Put(static_cast<uint8_t>(w >> 8));
        }
        last_ = (p[i] & 1) != 0;
    }
}

void CellWriter::Fill(bool fm, uint8_t value, uint32_t count) {
    if (!out_) {
        pos_ += count * CellBytes(fm);
        if (count) last_ = (value & 1) != 0;
        return;
    }
    for (uint32_t i = 0; i < count; ++i) Bytes(fm, &value, 1);
}

void CellWriter::Mark(bool fm, uint8_t mark) {
    const Tables& t = T();
    if (fm) {
        uint32_t w = FmCells(mark == kMarkIndex ? 0xD7 : 0xC7, mark);
        for (int k = 0; k < 4; ++k) Put(static_cast<uint8_t>(w >> (8 * k)));
        last_ = (mark & 1) != 0;
        return;
    }
    uint16_t sync = mark == kMarkIndex ? t.syncC2 : t.syncA1;
    for (int k = 0; k < 3; ++k) {
        Put(static_cast<uint8_t>(sync));
        Put(static_cast<uint8_t>(sync >> 8));
    }
    last_ = mark != kMarkIndex;  // A1 ends in a 1, C2 in a 0
    Bytes(false, &mark, 1);
}

void CellWriter::FillToEnd(bool fm) {
    uint8_t gap = fm ? 0xFF : 0x4E;
    while (pos_ + CellBytes(fm) <= capacity_) Bytes(fm, &gap, 1);
    const Tables& t = T();  // the rest: the gap byte's first cells
    while (pos_ < capacity_) Put(static_cast<uint8_t>(fm ? t.fm[gap] : t.mfm[last_][gap]));
}

void SideCells::Assign(const uint8_t* side, uint32_t bytes) {
    bytes_.assign(2 * static_cast<size_t>(bytes) + 8, 0);
    if (bytes) {
        std::memcpy(&bytes_[0], side, bytes);
        std::memcpy(&bytes_[bytes], side, bytes);
    }
    cells_ = bytes * 8;
}

uint32_t SideCells::Word32(uint32_t at) const {
    uint64_t w = 0;
    size_t i = at >> 3;
    for (int k = 0; k < 5; ++k) w |= static_cast<uint64_t>(bytes_[i + k]) << (8 * k);
    return static_cast<uint32_t>(w >> (at & 7));
}

bool SideCells::Read(uint32_t at, uint32_t step, uint8_t* out, uint32_t n) const {
    const Tables& t = T();
    uint64_t end = static_cast<uint64_t>(at) + static_cast<uint64_t>(n) * step * 8;
    if (end > 2ull * cells_) return false;
    for (uint32_t k = 0; k < n; ++k) {
        if (step == 4) {
            uint32_t w = Word32(at + 32 * k);
            out[k] = static_cast<uint8_t>(t.fm2[w & 0xFF] << 6 | t.fm2[(w >> 8) & 0xFF] << 4 |
                                          t.fm2[(w >> 16) & 0xFF] << 2 | t.fm2[w >> 24]);
        } else {
            uint32_t w = Word32(at + 16 * k);
            out[k] = static_cast<uint8_t>(t.odd4[w & 0xFF] << 4 | t.odd4[(w >> 8) & 0xFF]);
        }
    }
    return true;
}

void SideCells::FindMarks(std::vector<FoundMark>* marks) const {
    const Tables& t = T();
    marks->clear();
    uint32_t sideBytes = cells_ / 8;
    uint32_t checked = 0;  // the cells below it were tried
    for (uint32_t i = 0; i < sideBytes; ++i) {
        uint32_t key = bytes_[i] | bytes_[i + 1] << 8 | bytes_[i + 2] << 16 |
                       static_cast<uint32_t>(bytes_[i + 3]) << 24;
        if (!t.Key(key)) continue;
        // A mark's own cells begin at most 16 before the window, and at
        // most 32 after it (FM, behind its sync).
        uint32_t from = std::max(checked, 8 * i >= 16 ? 8 * i - 16 : 0);
        uint32_t to = std::min(8 * i + 32, cells_ - 1);
        for (uint32_t o = from; o <= to; ++o) {
            uint32_t w = Word32(o);
            int k = 0;
            while (k < 7 && w != t.patterns[k].cells) ++k;
            if (k == 7) continue;
            const MarkPattern& p = t.patterns[k];
            FoundMark found = {o, p.fm, p.step, p.mark, o + p.field};
            // FM of two cells a window is MFM too: data can hold its marks,
            // but not behind two sync bytes.
            if (p.step == 4 &&
                (o < 64 || Word32(o - 32) != t.wideSync || Word32(o - 64) != t.wideSync))
                continue;
            if (p.mfm) {
                if ((Word32(o + 32) & 0xFFFF) != t.syncA1) continue;
                Read(o + 48, 2, &found.mark, 1);
                if (found.mark != kMarkId && found.mark != kMarkData && found.mark != kMarkDeleted)
                    continue;
            }
            marks->push_back(found);
        }
        checked = to + 1;
    }
    struct ByCell {
        bool operator()(const FoundMark& a, const FoundMark& b) const { return a.cell < b.cell; }
    };
    std::sort(marks->begin(), marks->end(), ByCell());
    size_t kept = 0;
    for (size_t k = 0; k < marks->size(); ++k) {
        if (kept && (*marks)[kept - 1].cell == (*marks)[k].cell) continue;
        (*marks)[kept++] = (*marks)[k];
    }
    marks->resize(kept);
}

uint32_t SideCells::Violations() const {
    const Tables& t = T();
    // MFM and FM of two cells never have two flux changes side by side; FM
    // of one cell has a clock in every other cell.
    uint32_t pairs = 0, gaps[2] = {0, 0}, sideBytes = cells_ / 8;
    for (uint32_t i = 0; i < sideBytes; ++i) {
        uint32_t v = bytes_[i] | bytes_[i + 1] << 8;
        pairs += t.pairs[bytes_[i]] + (((v >> 7) & 3) == 3 ? 1u : 0u);
        gaps[0] += t.ones[~bytes_[i] & 0x55];
        gaps[1] += t.ones[~bytes_[i] & 0xAA];
    }
    return std::min(pairs, std::min(gaps[0], gaps[1]));
}
