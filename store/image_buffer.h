// The image buffer: one block holding every image of the document back to
// back. It only grows; growth copies the old bytes to the same offsets in a
// new block, page by page, so image offsets stay valid.
#ifndef ORVANEL_STORE_IMAGE_BUFFER_H
#define ORVANEL_STORE_IMAGE_BUFFER_H

#include <cstdint>
#include <vector>

class MemoryApi;

// A new block of oldSize + n bytes with the old bytes at their old offsets
// and zeros after them. Null when the memory is refused or the new size does
// not fit in 32 bits; nothing is changed then.
uint8_t* GrowBlock(MemoryApi& mem, const uint8_t* old, uint32_t oldSize, uint32_t n);

// Gives a block back; a null block is ignored.
void ReleaseBlock(MemoryApi& mem, uint8_t* block, uint32_t size);

// Copies `n` bytes from src to dst in page-size chunks, each chunk locked in
// both blocks while it moves. Lock failures are ignored.
void CopyPaged(MemoryApi& mem, uint8_t* dst, const uint8_t* src, uint32_t n);

// The page lock held while one chunk at `pos` of a block of `blockSize`
// bytes moves: one page from there, cut at the block's end. A refused lock
// is passed over; the locks only keep pages resident.
class ChunkLock {
public:
    ChunkLock(MemoryApi& mem, const uint8_t* block, uint32_t blockSize, uint32_t pos,
              uint32_t page);
    ~ChunkLock();

private:
    ChunkLock(const ChunkLock&);
    ChunkLock& operator=(const ChunkLock&);
    MemoryApi& mem_;
    const uint8_t* at_;
    uint32_t len_;
    bool locked_;
};

// The system's page size, 4096 where it gives none.
uint32_t PageOf(MemoryApi& mem);

struct HeaderFields;

// Reads the headers of a walk, in order, as ReadHeader reads each, but with
// one lock per page rather than one per header: the page that holds a
// header stays locked while the headers after it lie in it too (a lock
// and its unlock cost more than the read; small images share pages).
class WalkHeaderReader {
public:
    WalkHeaderReader(MemoryApi& mem, const uint8_t* base, uint32_t size);
    ~WalkHeaderReader();
    bool Read(uint32_t off, HeaderFields* out);

private:
    WalkHeaderReader(const WalkHeaderReader&);
    WalkHeaderReader& operator=(const WalkHeaderReader&);
    void Unlock();
    MemoryApi& mem_;
    const uint8_t* base_;
    uint32_t size_;
    uint32_t page_;
    uint32_t from_;
    uint32_t to_;  // the locked range; empty when nothing is locked
};

// Where the stretches of a buffer end: the bytes of each file read into it
// (open, add) and each blank disk are one stretch, in the order they came.
// An image holds the bytes it came with, up to the end of its stretch: a
// diskSize that runs past that end would take in the bytes of whatever was
// added after it.
class BufferStretches {
public:
    // One stretch of `end` bytes (none when `end` is 0) in place of all
    // noted so far. False, with nothing changed, when memory is refused.
    bool Reset(uint32_t end);
    // A stretch that ends at `end`, after those noted so far.
    bool Add(uint32_t end);
    // The end of the stretch that holds `offset`: the first end noted past
    // it, or `bufferEnd` when there is none.
    uint32_t EndOf(uint32_t offset, uint32_t bufferEnd) const;

private:
    std::vector<uint32_t> ends_;
};

// Called once per image found; answers the number of bytes to advance
// (the image's diskSize), or 0 to stop the walk.
typedef uint32_t (*ImageStep)(void* ctx, uint32_t offset);

// Hands every image between start and end to `step`, following diskSize.
// True when the walk reached `end`; false when a step answered 0. A size
// that would carry the position past 0xFFFFFFFF counts as reaching the end.
bool WalkImages(uint32_t start, uint32_t end, ImageStep step, void* ctx);

#endif
