// What the files window shows of a disk and of each of its files, and the
// text it copies, computed from the core's reading of the disk. Texts are
// CP932, as every text of the program; the window only shows them.
#ifndef ORVANEL_SHELL_DISK_FILES_TEXT_H
#define ORVANEL_SHELL_DISK_FILES_TEXT_H

#include <string>

#include "filesystems/disk_files.h"

// A file's name as the disk stores it, its folders first (each followed by
// '\'). A byte that is no character of the name's code (a control
// character, a byte JIS X 0201 or Shift-JIS has no character for) shows as
// %XX; everything else is kept, characters no file name may hold included.
std::string ShownFileName(const DiskFile& file);

// The texts of a file's row: name, kind (with the addresses of machine
// code), size (none for a folder or a deleted entry) and attributes.
struct FileRow {
    std::string name;
    std::string kind;
    std::string size;
    std::string attributes;
};
FileRow FileRowOf(const DiskFile& file);

// The two lines over the list: the file system and the tracks; then what
// else is known (a reader's doubt, why none was recognised, the volume
// label), or "".
std::string FilesHeading(const FsVolume& volume);
std::string FilesDetail(const FsVolume& volume);

// Whether the list shows the file: deleted entries only when asked for.
bool ListsFile(const DiskFile& file, bool deleted);
// Whether the file can be taken out: a live file, not a folder.
bool CanExtractFile(const DiskFile& file);
// Whether the file is a tokenised program that can be written as its
// listing: N88-BASIC's BASIC files.
bool HasListing(const FsVolume& volume, const DiskFile& file);

// The listing that Ctrl+C copies: one line per file the list shows, its
// name, kind and size separated by tabs, each line ended by CR LF.
std::string FilesListingText(const FsVolume& volume, bool deleted);

#endif
