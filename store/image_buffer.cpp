// Growth, release and the walk over the images of the image buffer.
#include "store/image_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/memory.h"
#include "store/d88.h"

namespace {

uint32_t Smaller(uint32_t a, uint32_t b) { return a < b ? a : b; }

// Copies n bytes chunk by chunk. Each chunk locks the page-size range at its
// first byte in both blocks, cut at each block's own end.
void CopyChunks(MemoryApi& mem, uint8_t* dst, uint32_t dstSize, const uint8_t* src,
                uint32_t srcSize, uint32_t n) {
    uint32_t page = PageOf(mem);
    uint32_t p = 0;
    while (p < n) {
        uint32_t chunk = Smaller(page, n - p);
        uint32_t srcLock = Smaller(page, srcSize - p);
        uint32_t dstLock = Smaller(page, dstSize - p);
        bool srcLocked = mem.Lock(src + p, srcLock);
        bool dstLocked = mem.Lock(dst + p, dstLock);
        std::memcpy(dst + p, src + p, chunk);
        if (dstLocked) mem.Unlock(dst + p, dstLock);
        if (srcLocked) mem.Unlock(src + p, srcLock);
        p += chunk;
    }
}

}  // namespace

uint32_t PageOf(MemoryApi& mem) {
    uint32_t page = mem.PageSize();
    return page ? page : 4096;
}

ChunkLock::ChunkLock(MemoryApi& mem, const uint8_t* block, uint32_t blockSize, uint32_t pos,
                     uint32_t page)
    : mem_(mem), at_(block + pos), len_(Smaller(page, blockSize - pos)) {
    locked_ = mem_.Lock(at_, len_);
}

ChunkLock::~ChunkLock() {
    if (locked_) mem_.Unlock(at_, len_);
}

uint8_t* GrowBlock(MemoryApi& mem, const uint8_t* old, uint32_t oldSize, uint32_t n) {
    if (!old && oldSize != 0) return nullptr;
    if (n > 0xFFFFFFFFu - oldSize) return nullptr;
    uint32_t total = oldSize + n;
    uint8_t* block = mem.Allocate(total);
    if (!block) return nullptr;
    if (oldSize) CopyChunks(mem, block, total, old, oldSize, oldSize);
    return block;
}

void ReleaseBlock(MemoryApi& mem, uint8_t* block, uint32_t size) {
    if (block) mem.Release(block, size);
}

void CopyPaged(MemoryApi& mem, uint8_t* dst, const uint8_t* src, uint32_t n) {
    if (!dst || !src) return;
    CopyChunks(mem, dst, n, src, n, n);
}

bool BufferStretches::Reset(uint32_t end) {
    std::vector<uint32_t> ends;
    try {
        if (end) ends.push_back(end);
    } catch (const std::bad_alloc&) {
        return false;
    }
    ends_.swap(ends);
    return true;
}

bool BufferStretches::Add(uint32_t end) {
    if (!ends_.empty() && end <= ends_.back()) return true;
    try {
        ends_.push_back(end);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

uint32_t BufferStretches::EndOf(uint32_t offset, uint32_t bufferEnd) const {
    std::vector<uint32_t>::const_iterator it = std::upper_bound(ends_.begin(), ends_.end(), offset);
    return it == ends_.end() || *it > bufferEnd ? bufferEnd : *it;
}

bool WalkImages(uint32_t start, uint32_t end, ImageStep step, void* ctx) {
    if (!step) return false;
    uint32_t p = start;
    while (p < end) {
        uint32_t v = step(ctx, p);
        if (v == 0) return false;
        if (v > 0xFFFFFFFFu - p) return true;  // past the last offset: the end is reached
        p += v;
    }
    return true;
}

WalkHeaderReader::WalkHeaderReader(MemoryApi& mem, const uint8_t* base, uint32_t size)
    : mem_(mem), base_(base), size_(size), page_(PageOf(mem)), from_(0), to_(0) {}

WalkHeaderReader::~WalkHeaderReader() { Unlock(); }

void WalkHeaderReader::Unlock() {
    if (to_ > from_) mem_.Unlock(base_ + from_, to_ - from_);
    from_ = to_ = 0;
}

bool WalkHeaderReader::Read(uint32_t off, HeaderFields* out) {
    if (!out || !base_ || off >= size_) return false;
    uint32_t len = Smaller(kHeaderAccess, size_ - off);
    if (off < from_ || off + len > to_) {
        Unlock();
        // The page of the header's first byte, and the next one when the
        // header runs into it, cut at the end of the block.
        uint32_t from = off - off % page_;
        uint64_t to = static_cast<uint64_t>(from) + page_;
        if (to < off + len) to += page_;
        if (to > size_) to = size_;
        if (!mem_.Lock(base_ + from, static_cast<uint32_t>(to - from))) return false;
        from_ = from;
        to_ = static_cast<uint32_t>(to);
    }
    uint8_t bytes[kHeaderAccess];
    std::memset(bytes, 0, sizeof bytes);
    std::memcpy(bytes, base_ + off, len);
    FieldsFromBytes(bytes, out);
    return true;
}
