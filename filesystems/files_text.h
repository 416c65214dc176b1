// What `d88 files` says of an image and of each file, in one place so that
// the window's list can say the same: texts in CP932, as every text of the
// program (names escaped where no system could hold them).
#ifndef ORVANEL_FILESYSTEMS_FILES_TEXT_H
#define ORVANEL_FILESYSTEMS_FILES_TEXT_H

#include <string>

#include "filesystems/disk_files.h"

// "N88-BASIC, 40 x 2 x 16 x 256" or "no recognised file system, 1 x 2 x 16 x 256".
std::string VolumeText(const FsVolume& volume);
// "ASCII", "machine code, load &H9000-&H90FF, start &H9000", "folder".
std::string FileKindDetail(const DiskFile& file);
// "884 bytes", "3 sectors", "" for a folder or a deleted entry.
std::string FileSizeText(const DiskFile& file);
// "protected, hidden, deleted", "" when none.
std::string FileAttributeText(const DiskFile& file);
// One line of the listing: name, kind, size, attributes, two spaces apart.
std::string FileLine(const DiskFile& file);

#endif
