// The findings of an image and of its file system, put together.
#include "collection/image_findings.h"

#include <algorithm>
#include <cstring>

#include "filesystems/disk_files.h"
#include "platform/memory.h"
#include "store/sector_view.h"

namespace {

// The checker's bytes from the image held in memory; what lies past the
// bytes held reads as zeros, as past the end of a file.
class HeldBytes : public ImageBytes {
public:
    explicit HeldBytes(MemoryImage& image) : image_(image) {}
    bool Get(uint32_t pos, uint8_t* dst, uint32_t n) override {
        const uint32_t extent = image_.Extent();
        const uint32_t from = pos < extent ? pos : extent;
        const uint32_t have = n < extent - from ? n : extent - from;
        if (have < n) std::memset(dst + have, 0, n - have);
        return have == 0 || image_.Read(from, dst, have);
    }

private:
    MemoryImage& image_;
};

bool ByOffset(const Finding& a, const Finding& b) { return a.offset < b.offset; }

}  // namespace

void AddFsFindings(const std::vector<FsFinding>& found, uint64_t offset,
                   std::vector<Finding>* out) {
    for (size_t i = 0; i < found.size(); ++i) {
        Finding f;
        f.code = found[i].code;
        f.severity = found[i].error ? kError : kWarning;
        f.offset = offset + found[i].pos;
        f.text = found[i].text;
        out->push_back(f);
    }
    std::stable_sort(out->begin(), out->end(), ByOffset);
}

void CheckHeldImage(MemoryApi& memory, const uint8_t* base, uint32_t offset, uint32_t extent,
                    uint32_t diskSize, std::vector<Finding>* out) {
    MemoryImage image(memory, base, offset, extent);
    HeldBytes bytes(image);
    const ImagePlace place = {0, diskSize, extent, extent};
    CheckImage(place, bytes, out);
    SectorView view(image);
    FsVolume volume;
    if (!view.Open() || OpenDiskFiles(view, &volume, false) != kFsOk) return;
    std::vector<FsFinding> found;
    CheckDiskFiles(volume, &found);
    AddFsFindings(found, 0, out);
}
