// Bit cells of one side of a track, as a floppy drive sees them: MFM, or
// FM with each of its cells two cells long, so that one cell rate (the
// medium's MFM rate) serves both. Cells are packed in bytes as HFE keeps
// them, the first in time in the lowest bit. Every byte of a track takes
// whole bytes of cells (MFM 2, FM 4), so a side that is written stays
// byte-aligned; one that is read may have its marks at any cell.
#ifndef ORVANEL_FORMATS_BIT_CELLS_H
#define ORVANEL_FORMATS_BIT_CELLS_H

#include <cstddef>
#include <cstdint>
#include <vector>

// The CRC of floppy controllers (CCITT, 0x1021, from 0xFFFF), over the
// address mark and its field.
uint16_t Crc16(uint16_t crc, const uint8_t* p, size_t n);

const uint8_t kMarkId = 0xFE;
const uint8_t kMarkData = 0xFB;
const uint8_t kMarkDeleted = 0xF8;
const uint8_t kMarkIndex = 0xFC;

// Writes cells to a buffer of `capacity` bytes, or only counts them when
// the buffer is null; bytes past the capacity are counted, not written.
class CellWriter {
public:
    CellWriter(uint8_t* out, uint32_t capacity) : out_(out), capacity_(capacity) {}
    // `count` times the byte (gaps and sync).
    void Fill(bool fm, uint8_t value, uint32_t count);
    void Bytes(bool fm, const uint8_t* p, uint32_t n);
    // The sync before a mark and the mark: MFM three A1 (C2 before the
    // index mark) without a clock bit, then the mark; FM the mark with its
    // missing clocks (C7, D7 for the index mark).
    void Mark(bool fm, uint8_t mark);
    // Fills the rest of the capacity with the gap byte.
    void FillToEnd(bool fm);
    uint32_t bytes() const { return pos_; }
    bool counting() const { return !out_; }

private:
    void Put(uint8_t byte);
    uint8_t* out_;
    uint32_t capacity_;
    uint32_t pos_ = 0;
    bool last_ = false;  // the last data bit written (MFM clocks depend on it)
};

// Cells per byte of data.
inline uint32_t CellBytes(bool fm) { return fm ? 4 : 2; }

struct FoundMark {
    uint32_t cell;  // where its sync begins (MFM, FM of single cells) or the mark (FM)
    bool fm;
    uint32_t step;  // cells a data bit takes: 2 (MFM, FM of single cells), 4 (FM as written here)
    uint8_t mark;
    uint32_t fieldCell;  // where the field after the mark begins
};

// The cells of one side, with room after them to read across the index.
// Marks are found in MFM, in FM of two cells a window (as this program
// writes it) and in FM of one cell a window (the cell rate being FM's own):
// the side is kept twice, so that a field that starts before the end reads
// on from the start.
class SideCells {
public:
    void Assign(const uint8_t* side, uint32_t bytes);
    uint32_t cells() const { return cells_; }
    // The marks that begin in the side, in order: ID and data marks.
    void FindMarks(std::vector<FoundMark>* marks) const;
    // n bytes from cell `at`, a data bit every `step` cells; false when
    // they run past the side's second copy.
    bool Read(uint32_t at, uint32_t step, uint8_t* out, uint32_t n) const;
    // The cells that no MFM or FM stream would have there: flux changes
    // side by side, or (FM of one cell a window) clocks missing.
    uint32_t Violations() const;

private:
    uint32_t Word32(uint32_t at) const;
    std::vector<uint8_t> bytes_;
    uint32_t cells_ = 0;
};

#endif
