// The image buffer's memory on Windows: blocks straight from virtual memory.
#include <windows.h>

#include "platform/memory.h"

namespace {

class VirtualMemory : public MemoryApi {
public:
    uint8_t* Allocate(uint32_t n) override {
        if (n == 0) return nullptr;
        // Committed pages are zero-filled by the system.
        return static_cast<uint8_t*>(
            VirtualAlloc(nullptr, n, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    }
    void Release(uint8_t* block, uint32_t n) override {
        if (!block) return;
        VirtualFree(block, n, MEM_DECOMMIT);
        VirtualFree(block, 0, MEM_RELEASE);
    }
    bool Lock(const uint8_t* p, uint32_t n) override {
        return VirtualLock(const_cast<uint8_t*>(p), n) != FALSE;
    }
    void Unlock(const uint8_t* p, uint32_t n) override {
        VirtualUnlock(const_cast<uint8_t*>(p), n);
    }
    uint32_t PageSize() override {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        return info.dwPageSize ? info.dwPageSize : 4096;
    }
};

}  // namespace

MemoryApi& SystemMemory() {
    static VirtualMemory memory;
    return memory;
}
