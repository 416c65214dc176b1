// The image buffer's memory where there is no virtual memory interface to
// call: zero-filled blocks from the C heap. Page locks have nothing to do
// here and always succeed.
#include <cstdlib>

#include "platform/memory.h"

namespace {

class HeapMemory : public MemoryApi {
public:
    uint8_t* Allocate(uint32_t n) override {
        if (n == 0) return nullptr;
        return static_cast<uint8_t*>(std::calloc(n, 1));
    }
    void Release(uint8_t* block, uint32_t n) override { std::free(block); }
    bool Lock(const uint8_t* p, uint32_t n) override { return true; }
    void Unlock(const uint8_t* p, uint32_t n) override {}
    uint32_t PageSize() override { return 4096; }
};

}  // namespace

MemoryApi& SystemMemory() {
    static HeapMemory memory;
    return memory;
}
