// Conversions of files, as d88 makes them: the source (a file in any
// format, or one image of a D88 container), the report of each image before
// anything is written, and the files written through the one writer, every
// one complete before any takes its name. Only the source's header and the
// image being converted are ever in memory, one image at a time.
#ifndef ORVANEL_FORMATS_CONVERT_FILES_H
#define ORVANEL_FORMATS_CONVERT_FILES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/io_status.h"
#include "formats/convert.h"
#include "store/d88.h"

class FileApi;
class MemoryApi;

struct SourceImage {
    size_t index;  // its number in the container (0 for the other formats)
    uint32_t offset, extent;
    HeaderFields fields;  // D88: its header's
};

struct ConvertSource {
    std::string path;
    ImageFormat format;
    uint32_t size;
    FileStamp stamp;
    std::vector<SourceImage> images;  // those to convert
    std::vector<size_t> sizeZero;     // D88: images of a disk size of 0, which hold no disk
};

// What stopped a conversion: a file (io) or the bytes of an image (format,
// with `image` the index into the source's images, and `looksLike` what
// the content is where it is not what the name says).
struct ConvertFailure {
    IoStatus io;
    FormatError format;
    ImageFormat looksLike;
    size_t image;
    bool noImage;   // FILE@N: the file has no image N (`image` holds N)
    size_t images;  // ... but this many
};

// Opens the source at `path` in the format `stated`, or else the one of its
// name, or else of its content; a file whose content is of another format
// than its name says is refused, with what it looks like. A D88 file gives
// its images (image `index` alone when `hasIndex`) but those of a disk size
// of 0, which hold no disk (noted; one picked by its index is refused with
// noImage); any other one image of the whole file (only index 0 is one).
bool OpenConvertSource(FileApi& files, const std::string& path, ImageFormat stated, bool hasIndex,
                       uint32_t index, ConvertSource* source, ConvertFailure* failure);

// The report of converting each image of the source to `to`, in their
// order; D88 to D88 copies the images as they are and loses nothing.
bool ReportConvertSource(FileApi& files, const ConvertSource& source, ImageFormat to,
                         const ConvertOptions& options, std::vector<ConvertReport>* reports,
                         ConvertFailure* failure);

// Whether `target` is the source itself, by any name.
bool IsSourceFile(FileApi& files, const ConvertSource& source, const std::string& target);

// The file an image of several is written to: named as extract names it
// (the source's title, the disk's name) with the extension of the format.
bool ConvertTargetName(const std::string& folder, const std::string& fileTitle,
                       const std::string& diskName, const char* extension, std::string* out);

// Writes the conversion: to D88, one file of all the images (`targets`
// has one name); to another format, a file per image. A target that is
// the source itself is refused (kIoExists with the source's path), and so
// is an existing one unless `replace`. The source is read again for each
// file, and a source changed since it was opened is not written from.
bool WriteConversion(FileApi& files, MemoryApi& mem, const ConvertSource& source, ImageFormat to,
                     const ConvertOptions& options, const std::vector<std::string>& targets,
                     bool replace, size_t* placed, ConvertFailure* failure);

#endif
