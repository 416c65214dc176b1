// One disk from one format to another, in memory: the format a file has by
// its name or its bytes, a disk read from an image in any format, what
// writing it in another format would lose and what that format is written
// with, and the bytes written. The window calls it on its buffer through
// MemoryImage (a D88 image out, or a file's bytes in and D88 bytes back);
// d88 through convert_files.h.
#ifndef ORVANEL_FORMATS_CONVERT_H
#define ORVANEL_FORMATS_CONVERT_H

#include <cstdint>
#include <string>

#include "formats/disk.h"
#include "formats/hfe_image.h"
#include "formats/imd_image.h"
#include "formats/raw_image.h"

class ImageSource;
class MemoryApi;

struct ConvertOptions {
    bool hasGeometry;  // raw: read with, and raw or FDI: written with, this geometry
    Geometry geometry;
    HfeOptions hfe;
    ImdStamp stamp;  // IMD's header line
};
ConvertOptions DefaultConvertOptions();  // no geometry, choices by medium, stamp 0

// The format a file's name says: .d88 .d77 .88d .d68 .d98 .98d .1dd (D88),
// .hdm .2hd .xdf .2d .2dd .img .ima .hdb (raw), .fdi, .imd, .hfe; else
// kFormatUnknown.
ImageFormat FormatOfName(const char* path);
// The format the bytes have: HFE and IMD by their signatures, FDI by a
// header whose sizes describe the rest of the file, D88 by a header whose
// size and media byte make sense, raw by a size of the geometry table.
ImageFormat FormatOfContent(ImageSource& source);

// Reads the disk of an image in `format` (a D88 image's header at 0).
FormatError ReadDisk(ImageSource& source, ImageFormat format, const ConvertOptions& options,
                     Disk* disk);

// What writing a disk in a format makes and loses.
struct ConvertReport {
    ImageFormat format;
    Losses losses;      // of reading the source (the disk's readLosses) and of writing the target
    uint32_t size;      // of the file written
    Geometry geometry;  // raw and FDI: written with
    uint32_t
        geometriesOfSize;  // raw: of the table, those of the file's size (1: it reads back alone)
    HfeChoices hfe;        // HFE: written with
    bool lossless() const { return losses.empty(); }
};
ConvertReport ReportConversion(const Disk& disk, ImageFormat format, const ConvertOptions& options);
// The report.size bytes of the file.
void WriteConverted(const Disk& disk, const ConvertReport& report, const ConvertOptions& options,
                    uint8_t* out);

// A block of memory from a MemoryApi for the bytes written, given back when
// it goes.
class ConvertedBytes {
public:
    explicit ConvertedBytes(MemoryApi& mem) : mem_(mem) {}
    ~ConvertedBytes() { Release(); }
    bool Allocate(uint32_t n);
    void Release();
    uint8_t* data() const { return data_; }
    uint32_t size() const { return size_; }

private:
    ConvertedBytes(const ConvertedBytes&);
    ConvertedBytes& operator=(const ConvertedBytes&);
    MemoryApi& mem_;
    uint8_t* data_ = nullptr;
    uint32_t size_ = 0;
};

// The whole conversion of one image: read, report, written into *out
// (only when `write`). Failures: the reader's, kFormatNoMemory (the block
// refused, or memory run out on the way), kFormatNoTracks (nothing to write
// in a format without a place for an unformatted disk).
FormatError ConvertImage(ImageSource& source, ImageFormat from, ImageFormat to,
                         const ConvertOptions& options, bool write, ConvertReport* report,
                         ConvertedBytes* out);

// The extension a file of the format is given where d88 names it: ".D88",
// ".FDI", ".IMD", ".HFE", and for raw the one of its geometry (".2D",
// ".2DD", ".HDM", ".HDB", ".IMG").
const char* ExtensionOf(ImageFormat format, const Geometry& rawGeometry);

#endif
