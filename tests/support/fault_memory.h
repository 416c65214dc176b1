// A MemoryApi over the C heap that makes memory faults real: it refuses
// chosen allocations or locks, counts the blocks still held, and checks that
// every lock and unlock lies inside a live block and pairs with its lock.
#ifndef ORVANEL_TESTS_SUPPORT_FAULT_MEMORY_H
#define ORVANEL_TESTS_SUPPORT_FAULT_MEMORY_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/memory.h"

class FaultMemory : public MemoryApi {
public:
    struct Range {
        const uint8_t* p;
        uint32_t n;
    };

    explicit FaultMemory(uint32_t pageSize = 4096);
    ~FaultMemory() override;

    uint8_t* Allocate(uint32_t n) override;
    void Release(uint8_t* block, uint32_t n) override;
    bool Lock(const uint8_t* p, uint32_t n) override;
    void Unlock(const uint8_t* p, uint32_t n) override;
    uint32_t PageSize() override { return pageSize_; }

    // Faults. Allocations and locks are counted from 1.
    void RefuseAllocation(int k) { refuseAllocAt_ = k; }
    void RefuseAllAllocations(bool on) { refuseAllAllocs_ = on; }
    void RefuseLocks(bool on) { refuseLocks_ = on; }
    void RefuseLock(int k) { refuseLockAt_ = k; }

    // What happened.
    int allocations() const { return allocations_; }
    size_t liveBlocks() const { return blocks_.size(); }
    uint64_t liveBytes() const;
    size_t heldLocks() const { return held_.size(); }
    const std::vector<Range>& locks() const { return locks_; }
    void ClearLockLog() { locks_.clear(); }
    // Out-of-range locks, unpaired unlocks, unknown releases; empty when
    // every call was sound.
    const std::vector<std::string>& errors() const { return errors_; }
    // The offset of a lock inside its block, or -1.
    int64_t OffsetInBlock(const uint8_t* p) const;

private:
    bool Inside(const uint8_t* p, uint32_t n) const;
    void Note(const std::string& what);

    uint32_t pageSize_;
    int allocations_ = 0;
    int lockCalls_ = 0;
    int refuseAllocAt_ = 0;
    bool refuseAllAllocs_ = false;
    bool refuseLocks_ = false;
    int refuseLockAt_ = 0;
    std::map<const uint8_t*, uint32_t> blocks_;
    std::multimap<const uint8_t*, uint32_t> held_;
    std::vector<Range> locks_;
    std::vector<std::string> errors_;
};

#endif
