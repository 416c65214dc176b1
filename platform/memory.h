// The memory interface behind the image buffer: whole blocks from the
// system, page locks and the page size. The Win32 version uses virtual
// memory directly; tests substitute one that can refuse allocations.
#ifndef ORVANEL_PLATFORM_MEMORY_H
#define ORVANEL_PLATFORM_MEMORY_H

#include <cstdint>

class MemoryApi {
public:
    virtual ~MemoryApi() {}
    // A zero-filled block of exactly n bytes that starts on a page boundary,
    // or null when refused.
    // A request for 0 bytes is always refused.
    virtual uint8_t* Allocate(uint32_t n) = 0;
    // Gives back a block obtained from Allocate with its byte size.
    virtual void Release(uint8_t* block, uint32_t n) = 0;
    // Keeps n bytes at p resident; false when the system refuses.
    virtual bool Lock(const uint8_t* p, uint32_t n) = 0;
    virtual void Unlock(const uint8_t* p, uint32_t n) = 0;
    virtual uint32_t PageSize() = 0;
};

// The process's own memory: virtual memory on Windows, the C heap
// elsewhere. Stateless; one instance serves every caller.
MemoryApi& SystemMemory();

#endif
