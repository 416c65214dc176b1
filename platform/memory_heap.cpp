// The image buffer's memory where there is no virtual memory interface to
// call: zero-filled blocks from the C heap, each starting on a page boundary
// as the system's virtual memory gives them. The kernel copies a file's
// bytes into such a block several times faster than into one that starts a
// few bytes into a page. Page locks have nothing to do here and always
// succeed.
#include <cstdlib>
#include <cstring>

#include "platform/memory.h"

namespace {

const uint32_t kPage = 4096;

class HeapMemory : public MemoryApi {
public:
    uint8_t* Allocate(uint32_t n) override {
        if (n == 0) return nullptr;
        void* block = nullptr;
        if (posix_memalign(&block, kPage, n) != 0) return nullptr;
        std::memset(block, 0, n);
        return static_cast<uint8_t*>(block);
    }
    void Release(uint8_t* block, uint32_t n) override { std::free(block); }
    bool Lock(const uint8_t* p, uint32_t n) override { return true; }
    void Unlock(const uint8_t* p, uint32_t n) override {}
    uint32_t PageSize() override { return kPage; }
};

}  // namespace

MemoryApi& SystemMemory() {
    static HeapMemory memory;
    return memory;
}
