#include "tests/support/fault_memory.h"

#include <cstdio>
#include <cstdlib>

FaultMemory::FaultMemory(uint32_t pageSize) : pageSize_(pageSize) {}

FaultMemory::~FaultMemory() {
    for (std::map<const uint8_t*, uint32_t>::iterator it = blocks_.begin(); it != blocks_.end();
         ++it) {
        std::free(const_cast<uint8_t*>(it->first));
    }
}

uint8_t* FaultMemory::Allocate(uint32_t n) {
    ++allocations_;
    if (n == 0 || refuseAllAllocs_ || allocations_ == refuseAllocAt_) return nullptr;
    uint8_t* block = static_cast<uint8_t*>(std::calloc(n, 1));
    if (block) blocks_[block] = n;
    return block;
}

void FaultMemory::Release(uint8_t* block, uint32_t n) {
    std::map<const uint8_t*, uint32_t>::iterator it = blocks_.find(block);
    if (it == blocks_.end()) {
        Note("release of a block that is not live");
        return;
    }
    if (it->second != n) Note("release with a size other than the block's");
    for (std::multimap<const uint8_t*, uint32_t>::iterator h = held_.begin(); h != held_.end();
         ++h) {
        if (h->first >= block && h->first < block + it->second) {
            Note("release of a block that is still locked");
            break;
        }
    }
    blocks_.erase(it);
    std::free(block);
}

bool FaultMemory::Lock(const uint8_t* p, uint32_t n) {
    ++lockCalls_;
    if (!Inside(p, n)) {
        char text[96];
        std::snprintf(text, sizeof text, "lock of %u bytes outside every live block",
                      static_cast<unsigned>(n));
        Note(text);
    }
    if (refuseLocks_ || lockCalls_ == refuseLockAt_) return false;
    locks_.push_back(Range{p, n});
    held_.insert(std::make_pair(p, n));
    return true;
}

void FaultMemory::Unlock(const uint8_t* p, uint32_t n) {
    if (!Inside(p, n)) Note("unlock outside every live block");
    std::pair<std::multimap<const uint8_t*, uint32_t>::iterator,
              std::multimap<const uint8_t*, uint32_t>::iterator>
        same = held_.equal_range(p);
    for (std::multimap<const uint8_t*, uint32_t>::iterator it = same.first; it != same.second;
         ++it) {
        if (it->second == n) {
            held_.erase(it);
            return;
        }
    }
    Note("unlock that matches no lock");
}

uint64_t FaultMemory::liveBytes() const {
    uint64_t total = 0;
    for (std::map<const uint8_t*, uint32_t>::const_iterator it = blocks_.begin();
         it != blocks_.end(); ++it) {
        total += it->second;
    }
    return total;
}

int64_t FaultMemory::OffsetInBlock(const uint8_t* p) const {
    std::map<const uint8_t*, uint32_t>::const_iterator it = blocks_.upper_bound(p);
    if (it == blocks_.begin()) return -1;
    --it;
    if (p >= it->first + it->second) return -1;
    return p - it->first;
}

bool FaultMemory::Inside(const uint8_t* p, uint32_t n) const {
    if (n == 0) return false;
    std::map<const uint8_t*, uint32_t>::const_iterator it = blocks_.upper_bound(p);
    if (it == blocks_.begin()) return false;
    --it;
    const uint8_t* start = it->first;
    return p >= start && static_cast<uint64_t>(p - start) + n <= it->second;
}

void FaultMemory::Note(const std::string& what) { errors_.push_back(what); }
