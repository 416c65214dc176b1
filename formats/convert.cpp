// The formats by name and content, and one disk read, reported and written
// in any of them.
#include "formats/convert.h"

#include <cctype>
#include <cstring>
#include <ctime>
#include <new>

#include "document/paths.h"
#include "platform/memory.h"
#include "store/d88.h"
#include "store/sector_view.h"

namespace {

struct NamedFormat {
    const char* extension;
    ImageFormat format;
};

const NamedFormat kExtensions[] = {
    {"d88", kFormatD88}, {"d77", kFormatD88}, {"88d", kFormatD88}, {"d68", kFormatD88},
    {"d98", kFormatD88}, {"98d", kFormatD88}, {"1dd", kFormatD88}, {"hdm", kFormatRaw},
    {"2hd", kFormatRaw}, {"xdf", kFormatRaw}, {"2d", kFormatRaw},  {"2dd", kFormatRaw},
    {"img", kFormatRaw}, {"ima", kFormatRaw}, {"hdb", kFormatRaw}, {"fdi", kFormatFdi},
    {"imd", kFormatImd}, {"hfe", kFormatHfe},
};

bool SameText(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b)))
            return false;
        if (!*a) return true;
    }
}

bool Starts(ImageSource& source, const char* text) {
    uint8_t b[8];
    uint32_t n = static_cast<uint32_t>(std::strlen(text));
    return source.Extent() >= n && source.Read(0, b, n) && std::memcmp(b, text, n) == 0;
}

// A D88 header: a size inside the file, a media byte D88 has, and a track
// table whose entries lie in the image (or are 0).
bool LooksLikeD88(ImageSource& source, const uint8_t* first) {
    uint32_t diskSize = ReadLe32(first + kOffDiskSize);
    uint8_t media = first[kOffMediaType];
    uint8_t table[kHeaderSize];
    if (diskSize < kHeaderSize || diskSize > source.Extent() ||
        (media != 0x00 && media != 0x10 && media != 0x20 && media != 0x30 && media != 0x40) ||
        !source.Read(0, table, kHeaderSize))
        return false;
    for (uint32_t t = 0; t < kDiskTracks; ++t) {
        uint32_t v = ReadLe32(table + 0x20 + 4 * t);
        if (v != 0 && (v < 0x2A0 || v > diskSize)) return false;
    }
    return true;
}

ImdStamp Now() {
    std::time_t now = std::time(nullptr);
    std::tm* t = std::localtime(&now);
    ImdStamp s = {1980, 1, 1, 0, 0, 0};
    if (t) {
        ImdStamp local = {t->tm_year + 1900, t->tm_mon + 1, t->tm_mday,
                          t->tm_hour,        t->tm_min,     t->tm_sec};
        s = local;
    }
    return s;
}

}  // namespace

ConvertOptions DefaultConvertOptions() {
    ConvertOptions o;
    std::memset(&o, 0, sizeof o);
    return o;
}

ImageFormat FormatOfName(const char* path) {
    int dot = ExtensionDot(path, kSystemPaths);
    if (dot < 0) return kFormatUnknown;
    for (size_t i = 0; i < sizeof kExtensions / sizeof kExtensions[0]; ++i) {
        if (SameText(path + dot + 1, kExtensions[i].extension)) return kExtensions[i].format;
    }
    return kFormatUnknown;
}

ImageFormat FormatOfContent(ImageSource& source) {
    if (Starts(source, "HXCPICFE") || Starts(source, "HXCHFEV3")) return kFormatHfe;
    if (Starts(source, "IMD ")) return kFormatImd;
    uint8_t h[32];
    uint32_t size = source.Extent();
    if (size >= sizeof h && source.Read(0, h, sizeof h)) {
        uint32_t headerSize = ReadLe32(h + 8), data = ReadLe32(h + 12);
        Geometry g = {ReadLe32(h + 28), ReadLe32(h + 24), ReadLe32(h + 20), ReadLe32(h + 16),
                      false};
        if (ReadLe32(h) == 0 && headerSize >= sizeof h && g.heads >= 1 && g.heads <= 2 &&
            g.cylinders && g.sectors && g.bytes && g.cylinders <= 255 && g.sectors <= 255 &&
            g.bytes <= 16384 && GeometrySize(g) == data &&
            static_cast<uint64_t>(headerSize) + data == size)
            return kFormatFdi;
        if (LooksLikeD88(source, h)) return kFormatD88;
    }
    if (!GeometriesOfSize(size).empty()) return kFormatRaw;
    return kFormatUnknown;
}

FormatError ReadDisk(ImageSource& source, ImageFormat format, const ConvertOptions& options,
                     Disk* disk) {
    switch (format) {
        case kFormatD88:
            return ReadD88(source, disk);
        case kFormatRaw:
            return ReadRaw(source, options.hasGeometry ? &options.geometry : nullptr, disk);
        case kFormatFdi:
            return ReadFdi(source, disk);
        case kFormatImd:
            return ReadImd(source, disk);
        case kFormatHfe:
            return ReadHfe(source, disk);
        default:
            return FormatFailure(kFormatNotThis, kFormatUnknown);
    }
}

ConvertReport ReportConversion(const Disk& disk, ImageFormat format,
                               const ConvertOptions& options) {
    ConvertReport r;
    r.format = format;
    r.losses = disk.readLosses;
    r.size = 0;
    Geometry none = {0, 0, 0, 0, false};
    r.geometry = none;
    r.geometriesOfSize = 0;
    std::memset(&r.hfe, 0, sizeof r.hfe);
    if (format == kFormatRaw || format == kFormatFdi) {
        r.geometry =
            options.hasGeometry ? options.geometry : RawGeometryOf(disk, format == kFormatRaw);
        r.geometriesOfSize =
            static_cast<uint32_t>(GeometriesOfSize(GeometrySize(r.geometry)).size());
        uint64_t size = GeometrySize(r.geometry) + (format == kFormatFdi ? kFdiHeader : 0);
        r.size = GeometrySize(r.geometry) <= kMaxDiskData ? static_cast<uint32_t>(size) : 0;
        WriteRaw(disk, r.geometry, &r.losses, nullptr);
    } else if (format == kFormatImd) {
        r.size = ImdSize(disk, &r.losses);
    } else if (format == kFormatHfe) {
        r.hfe = ChooseHfe(disk, options.hfe);
        r.size = HfeSize(disk, r.hfe, &r.losses);
    } else {
        r.size = D88Size(disk);
    }
    return r;
}

void WriteConverted(const Disk& disk, const ConvertReport& report, const ConvertOptions& options,
                    uint8_t* out) {
    switch (report.format) {
        case kFormatRaw:
            return WriteRaw(disk, report.geometry, nullptr, out);
        case kFormatFdi:
            return WriteFdi(disk, report.geometry, nullptr, out);
        case kFormatImd:
            return WriteImd(disk, options.stamp.year ? options.stamp : Now(), out);
        case kFormatHfe:
            return WriteHfe(disk, report.hfe, out);
        default:
            return WriteD88(disk, out);
    }
}

bool ConvertedBytes::Allocate(uint32_t n) {
    Release();
    data_ = n ? mem_.Allocate(n) : nullptr;
    size_ = data_ ? n : 0;
    return data_ != nullptr;
}

void ConvertedBytes::Release() {
    if (data_) mem_.Release(data_, size_);
    data_ = nullptr;
    size_ = 0;
}

FormatError ConvertImage(ImageSource& source, ImageFormat from, ImageFormat to,
                         const ConvertOptions& options, bool write, ConvertReport* report,
                         ConvertedBytes* out) {
    try {
        Disk disk;
        FormatError e = ReadDisk(source, from, options, &disk);
        if (!e.ok()) return e;
        if ((to == kFormatRaw || to == kFormatFdi) && !options.hasGeometry && !disk.TrackEnd())
            return FormatFailure(kFormatNoTracks, to);
        *report = ReportConversion(disk, to, options);
        if (!report->size) return FormatFailure(kFormatTooLarge, to);
        if (!write) return FormatOk();
        if (!out->Allocate(report->size)) return FormatFailure(kFormatNoMemory, to);
        WriteConverted(disk, *report, options, out->data());
        return FormatOk();
    } catch (const std::bad_alloc&) {
        return FormatFailure(kFormatNoMemory, to);
    }
}

const char* ExtensionOf(ImageFormat format, const Geometry& g) {
    switch (format) {
        case kFormatFdi:
            return ".FDI";
        case kFormatImd:
            return ".IMD";
        case kFormatHfe:
            return ".HFE";
        case kFormatRaw:
            if (g.fmTrack0) return ".HDB";
            if (g.bytes == 1024) return ".HDM";
            if (g.bytes == 256) return g.cylinders <= 42 ? ".2D" : ".2DD";
            return ".IMG";
        default:
            return ".D88";
    }
}
