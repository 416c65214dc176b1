// libFuzzer target of the file-system readers: arbitrary bytes as one disk
// image, every recognised file system listed, every file read and checked,
// BASIC programs listed. Besides no crash and no hang: reading from memory
// never fails, no file is larger than the image, no finding lies outside
// it, and the directory holds no more entries than the image has room for.
// (libFuzzer itself fails the run when the input's bytes change.)
#include <cstdlib>
#include <string>
#include <vector>

#include "filesystems/disk_files.h"
#include "filesystems/n88_program.h"
#include "filesystems/safe_name.h"
#include "platform/memory.h"
#include "store/sector_view.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    MemoryImage source(SystemMemory(), data, 0, static_cast<uint32_t>(size));
    SectorView view(source);
    if (!view.Open()) std::abort();
    FsVolume volume;
    if (OpenDiskFiles(view, &volume) != kFsOk) std::abort();
    if (volume.files.size() > size / 16 + 1) std::abort();
    for (size_t i = 0; i < volume.files.size(); ++i) {
        const DiskFile& f = volume.files[i];
        DisplayName(f);
        MakeSafeName(f.name, f.charset);
        std::vector<uint8_t> bytes;
        std::string problem;
        FsStatus read = ReadDiskFile(view, volume, i, &bytes, &problem);
        if (read == kFsIoFailed || bytes.size() > size) std::abort();
        if (read == kFsOk && volume.probe.kind == kN88Basic && f.kind == kFileBasic)
            ListingToUtf8(ListN88Program(bytes, kBasicV2).text);
    }
    std::vector<FsFinding> findings;
    CheckDiskFiles(volume, &findings);
    for (size_t k = 0; k < findings.size(); ++k)
        if (findings[k].pos >= size) std::abort();
    // The listing of the bytes themselves, as if they were a program.
    ListN88Program(std::vector<uint8_t>(data, data + size), kBasic86);
    return 0;
}
