// libFuzzer target of check and hash: arbitrary bytes as a container file,
// every image checked and hashed in both forms. Besides no crash and no
// hang: the images scanned are exactly the walk's, in its order, and every
// finding is about a byte of its image, of its header's 688 bytes, or the
// end of the file where its bytes stop. The same bytes are read as a DAT
// of both formats.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "collection/dat.h"
#include "collection/image_scan.h"
#include "document/container_io.h"
#include "platform/file_api.h"
#include "platform/memory.h"

namespace {

struct Seen {
    std::vector<size_t> indexes;
    std::vector<uint32_t> offsets;
    bool findingOutside = false;
};

void Each(void* context, const FileWalk& walk, size_t index, const ImageReport& report) {
    Seen* seen = static_cast<Seen*>(context);
    seen->indexes.push_back(index);
    seen->offsets.push_back(report.image.offset);
    ImagePlace place = PlaceOf(walk, report.image);
    uint64_t end = place.offset + (place.extent > kHeaderSize ? place.extent : kHeaderSize);
    for (size_t k = 0; k < report.findings.size(); ++k) {
        if (report.findings[k].offset < place.offset || report.findings[k].offset > end)
            seen->findingOutside = true;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz-collection-" + std::to_string(getpid()) + ".d88";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);

    FileWalk reference;
    if (WalkContainerFile(SystemFiles(), path.c_str(), &reference).result != kIoOk) std::abort();
    static const ScanWants wants = {true, kDigestAll, kDigestAll};
    static ImageScanner scanner(SystemFiles(), SystemMemory(), wants);
    Seen seen;
    FileWalk walk;
    size_t count = 0;
    if (scanner.ScanFile(path.c_str(), ImageScanner::kEveryImage, &walk, &count, Each, &seen)
            .result != kIoOk)
        std::abort();
    if (seen.findingOutside || seen.indexes.size() != reference.images.size() ||
        count != seen.indexes.size() || !walk.images.empty())
        std::abort();
    for (size_t i = 0; i < seen.indexes.size(); ++i) {
        if (seen.indexes[i] != i || seen.offsets[i] != reference.images[i].offset) std::abort();
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    Dat dat;
    uint32_t line = 0;
    std::string why;
    ParseLogiqx(text, &dat, &line, &why);
    ParseClrMamePro(text, &dat, &line, &why);
    return 0;
}
