// Disk images of other formats where the window meets them: what a file
// it opens or adds is taken as, the one D88 image made of a disk read from
// another format, and the name a disk exported in a format is written to.
#ifndef ORVANEL_DOCUMENT_OTHER_FORMATS_H
#define ORVANEL_DOCUMENT_OTHER_FORMATS_H

#include <cstdint>
#include <string>

#include "formats/convert.h"

class FileApi;
class MemoryApi;

// What a file is taken as. kFormatD88: its bytes as they are, as a
// container of images (whatever they hold); another format: its one disk,
// converted. `recognised`: it asks no question about its name, because it
// is named .d88 or .88d, or its name says a format that its bytes have.
struct ImportPlan {
    ImageFormat format;
    bool recognised;
};
// From the name and the format of the bytes: a .d88 or .88d file is D88;
// else bytes of a known format are taken as that; else a name of another
// format than D88 is read as it says (and fails with why); else D88.
ImportPlan PlanImport(const char* path, ImageFormat content);
// The same with the content of the file at `path` (its size and first
// bytes); a file that cannot be opened or read counts as of no format.
ImportPlan PlanImportOf(FileApi& files, const char* path);

// Reads the disk of an image in `format`, the `extent` bytes at `offset`
// of a block, raw with the geometry given (null: its size's). Memory run
// out is kFormatNoMemory.
FormatError ReadImageDisk(MemoryApi& mem, const uint8_t* block, uint32_t offset, uint32_t extent,
                          ImageFormat format, const Geometry* geometry, Disk* disk);
// A new block of the old bytes followed by the disk as one D88 image;
// *added is that image's size. False, with nothing allocated, when the
// memory is refused or the total would not fit in 32 bits.
bool AppendD88Image(MemoryApi& mem, const uint8_t* oldBase, uint32_t oldSize, const Disk& disk,
                    uint8_t** block, uint32_t* added);

// The file a disk is exported to from the name given in the save dialog
// and the format of its filter: a name that says one of the other formats
// is written in that one as it is; else in the filter's, its `extension`
// appended to a name without one, and put in place of a D88 extension
// (never other bytes under a D88 name); any other name stays as given.
// Answers the format written.
ImageFormat ExportTarget(const std::string& given, ImageFormat filter, const char* extension,
                         std::string* target);
// The name the save dialog's box shows when the filter changes to a
// format: a name whose extension says a format gets the new `extension`.
std::string NameForFilter(const std::string& given, const char* extension);

#endif
