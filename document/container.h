// Container files as d88 holds them: each file walked where it lies (36
// bytes of each header), its images as the walk found them with their
// headers' first bytes, edits made to copies of those bytes, and the write
// of a chosen order of images, streamed from the files by the one writer
// after a check that the result reads back as the same images.
#ifndef ORVANEL_DOCUMENT_CONTAINER_H
#define ORVANEL_DOCUMENT_CONTAINER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/file_writer.h"
#include "document/io_status.h"
#include "store/d88.h"

class FileApi;
class MemoryApi;

// One image as the walk found it.
struct ContainerImage {
    size_t source;                  // which appended file it came from
    uint32_t offset;                // of its header in that file
    uint32_t extent;                // bytes of it that lie in the file (the bytes written)
    HeaderFields fields;            // as read when it was found
    uint8_t header[kHeaderAccess];  // its first bytes as they will be written
    uint8_t found[kHeaderAccess];   // ... and as the file holds them
};

// What the walk over one appended file found.
struct WalkReport {
    bool complete;      // the walk reached the end of the file's bytes
    size_t firstImage;  // index of the file's first image
    size_t imageCount;  // images listed from this file
    uint32_t fileSize;
    uint32_t unlisted;  // bytes from the image of size 0 that stopped the walk on
    std::string path;   // the file's path; empty for blank disks
};

// Why a write was refused before anything was written.
struct PlanRefusal {
    enum Kind { kNone, kZeroSize, kTooLarge, kWouldNotReadBack };
    enum Cause { kNoCause, kShortHeader, kTakesInNext };
    Kind kind;
    size_t image;     // kZeroSize: that image; else the first image that would read differently
    uint64_t offset;  // where that image would start in the result
    Cause cause;      // why, when one image explains it
    size_t causeImage;
};

// Why one of the targets of an extract cannot be written.
struct TargetClash {
    enum Kind { kFolder, kExists, kSameName, kReadFrom, kTooLong };
    size_t index;  // into the order
    Kind kind;
    size_t sameAs;       // kSameName: the earlier one it meets
    std::string target;  // its name (kTooLong: cut to fit)
};

// One file an extract writes: an image, its target, and whether the
// target's old contents go to its backup copy first.
struct ExtractFile {
    size_t image;
    std::string target;
    bool backup;
};

// What an extract writes, or why it writes nothing.
struct ExtractPlan {
    std::vector<TargetClash> clashes;  // not empty: nothing is written
    std::vector<ExtractFile> files;
    std::vector<size_t> sizeZero;  // indexes into the order: images of size 0, not written
};

class Container {
public:
    Container(FileApi& files, MemoryApi& memory);

    // Walks a file and appends its images. An empty file adds no image.
    // Failures leave the container as it was: the walk's, and kIoTooLarge
    // when the files so far would reach 4 GiB.
    IoStatus AppendFile(const std::string& path);
    // Appends n blank disks ("BlankDisk", diskSize 688).
    IoStatus AppendBlankDisks(uint32_t n);

    const std::vector<ContainerImage>& images() const { return images_; }
    const std::vector<WalkReport>& reports() const { return reports_; }
    // Whether rewriting the last file appended would lose bytes: its walk
    // ended at an image of size 0 before the file's end.
    bool LastFileEndsEarly() const { return !reports_.empty() && !reports_.back().complete; }

    // The bytes of an image's header that belong to it (at most 36), to be
    // edited in place with the core's Put functions before Write.
    uint8_t* HeaderOf(size_t index) { return images_[index].header; }
    uint32_t HeaderLengthOf(size_t index) const;
    // Clears the sort key bytes of every image that holds them itself, as a
    // reorder of the window leaves them.
    void ClearSortKeys();

    // Writes the images `order` (indexes into images()) back to back to
    // `target`, streamed from their files. Refused (kIoRefused, *refusal
    // says why) when the result would not read back as the same images. A
    // file changed since it was walked stops the write (kIoSourceChanged).
    // `backup` keeps the target's old contents in its backup copy (a copy
    // that cannot be made stops the write); `replace` false refuses an
    // existing target.
    IoStatus Write(const std::vector<size_t>& order, const std::string& target, bool backup,
                   bool replace, PlanRefusal* refusal);

    // Whether `path` is one of the files appended, by whatever name it is
    // reached: the same file on the same volume.
    bool Reads(const std::string& path) const;

    // The files an extract of the images `order` writes into `folder`,
    // each named by BuildExtractTarget after `title` and its disk's name
    // as a part of a file name (`names`, UTF-8, one for each). An image of
    // size 0 is not written. Refused (clashes) for a name that is too long,
    // a folder of a target's name, an existing file unless `replace`, a
    // target that is one of the files read (or its backup name, with
    // `backup`), and a name that meets an earlier one as the folder
    // compares names (letter case counts only where the file system says),
    // which `unique` numbers instead: the disk's name gets " (2)", " (3)"
    // and so on, the first number that meets no earlier name.
    ExtractPlan PlanExtract(const std::vector<size_t>& order, const std::vector<std::string>& names,
                            const std::string& folder, const std::string& title, bool replace,
                            bool backup, bool unique);

    // Writes each file of an extract: all written and flushed, then named.
    // *placed gets how many took their names.
    IoStatus WriteEach(const std::vector<ExtractFile>& files, bool replace, size_t* placed);

private:
    Container(const Container&);
    Container& operator=(const Container&);
    Piece PieceOf(size_t index, bool patchHeader) const;

    FileApi& files_;
    MemoryApi& memory_;
    uint64_t total_;  // bytes of all appended files
    std::vector<ContainerImage> images_;
    std::vector<WalkReport> reports_;
    std::vector<SourceFile> sources_;
};

#endif
