// What `d88 get` does, as calls the window can make too: which files the
// names asked for are, the path each gets below the target folder (safe
// names, folders kept, said when changed, two files never on one path),
// and each file written through the one writer.
#ifndef ORVANEL_FILESYSTEMS_DISK_EXTRACT_H
#define ORVANEL_FILESYSTEMS_DISK_EXTRACT_H

#include <cstddef>
#include <string>
#include <vector>

#include "document/io_status.h"
#include "filesystems/disk_files.h"

class FileApi;
class MemoryApi;

struct ExtractTarget {
    size_t file;                     // in volume.files
    std::vector<std::string> parts;  // below the target folder: its folders, then its name (CP932)
    bool changed;                    // not the stored names
    std::string why;                 // what was changed
};

// The live files whose display names (DisplayName) are in `names`, or all
// of them with `all` (folders are not files of their own: their files
// are), in directory order. Names no file has go to *unknown. A path that
// another file of the list takes already (letter case aside, as Windows
// compares) gets " (2)", " (3)" before its extension.
void PlanExtract(const FsVolume& volume, const std::vector<std::string>& names, bool all,
                 std::vector<ExtractTarget>* out, std::vector<std::string>* unknown);

// The target's path below `folder` (UTF-8 paths, as the file interface's).
std::string ExtractPath(const std::string& folder, const ExtractTarget& target);

// Writes `bytes` to the target's path, making the folders on the way that
// do not exist yet; an existing file is replaced only with `replace`.
// Failures as the one writer's (kIoExists, kIoCreateFailed, ...), and
// kIoNoMemory when the block for the bytes is refused.
IoStatus WriteExtracted(FileApi& files, MemoryApi& memory, const std::string& folder,
                        const ExtractTarget& target, const std::vector<uint8_t>& bytes,
                        bool replace);

#endif
