// libFuzzer target of the format readers: arbitrary bytes read as D88,
// raw (with a stated geometry too), FDI, IMD and HFE, and what reads written
// in every format and read back. Besides no crash, hang or unbounded
// memory: a disk never holds more than the model's limits, and what a
// writer writes reads back.
#include <cstdlib>
#include <cstring>

#include "formats/convert.h"
#include "platform/memory.h"
#include "store/sector_view.h"

namespace {

const ImageFormat kFormats[] = {kFormatD88, kFormatRaw, kFormatFdi, kFormatImd, kFormatHfe};

void Check(const Disk& disk) {
    if (disk.sectorsHeld > kMaxDiskSectors || disk.dataHeld > kMaxDiskData ||
        disk.tracks.size() > kDiskTracks)
        std::abort();
}

// Reads the bytes as one format and writes what reads as another.
void Convert(ImageSource& image, ImageFormat from, ImageFormat to, ConvertOptions options) {
    Disk disk;
    if (!ReadDisk(image, from, options, &disk).ok()) return;
    Check(disk);
    options.hasGeometry = false;
    if ((to == kFormatRaw || to == kFormatFdi) && !disk.TrackEnd()) return;
    ConvertReport report = ReportConversion(disk, to, options);
    if (!report.size || report.size > (64u << 20)) return;
    uint8_t* out = static_cast<uint8_t*>(std::malloc(report.size));
    WriteConverted(disk, report, options, out);
    MemoryImage written(SystemMemory(), out, 0, report.size);
    // A raw image of a size that is not known by its size needs its geometry.
    if (to == kFormatRaw && report.geometriesOfSize != 1) {
        options.geometry = report.geometry;
        options.hasGeometry = true;
    }
    Disk back;
    if (!ReadDisk(written, to, options, &back).ok()) std::abort();
    Check(back);
    std::free(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) return 0;
    MemoryImage image(SystemMemory(), data, 0, static_cast<uint32_t>(size));
    FormatOfContent(image);
    ConvertOptions options = DefaultConvertOptions();
    for (size_t f = 0; f < 5; ++f) Convert(image, kFormats[f], kFormats[(size + f) % 5], options);
    // A raw image of a stated geometry: its bytes as sectors of 128 bytes.
    if (size % 128 == 0 && size / 128 <= 255) {
        Geometry g = {1, 1, static_cast<uint32_t>(size / 128), 128, false};
        options.geometry = g;
        options.hasGeometry = true;
        Convert(image, kFormatRaw, kFormats[size % 5], options);
    }
    return 0;
}
