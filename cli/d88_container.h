// A container file as the d88 tool holds it: the file's bytes in one block
// (the image buffer of the window), the images found by the walk over it,
// and the safe write of a chosen order of images to a file.
#ifndef ORVANEL_CLI_D88_CONTAINER_H
#define ORVANEL_CLI_D88_CONTAINER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/d88.h"

class FileApi;
class MemoryApi;

namespace d88cli {

// One image as the walk found it.
struct Image {
    uint32_t offset;      // of its header in the block
    HeaderFields fields;  // as read when it was found
    uint32_t extent;      // bytes of it that lie in the block (the bytes written)
    size_t source;        // which appended file it came from
};

// What the walk over one appended file found.
struct WalkReport {
    bool complete;        // the walk reached the end of the file's bytes
    size_t firstImage;    // index of the file's first image
    size_t imageCount;    // images listed from this file
    uint32_t fileSize;
    uint32_t unlisted;    // bytes from the image of size 0 that stopped the walk on
    std::string path;     // the file's path; empty for blank disks
};

class Container {
public:
    Container(FileApi& files, MemoryApi& memory);
    ~Container();

    // Appends the bytes of a file to the block, as the window's add does
    // (one new block holding the old bytes and the file's), and walks them.
    // An empty file adds nothing and no image. False with a message (without
    // the path) when the file cannot be read; nothing is changed then.
    bool AppendFile(const std::string& path, std::string* error);

    // Appends n blank disks ("BlankDisk", diskSize 688).
    bool AppendBlankDisks(uint32_t n, std::string* error);

    const std::vector<Image>& images() const { return images_; }
    const std::vector<WalkReport>& reports() const { return reports_; }
    uint8_t* base() { return block_; }
    uint32_t size() const { return size_; }
    FileApi& files() { return files_; }
    MemoryApi& memory() { return memory_; }

    // The header fields of an image as they are now (after edits).
    bool Fields(size_t index, HeaderFields* out) const;

    // "image K" for the images of one file; "image K of PATH" (K counted in
    // its own file) when several files were appended.
    std::string Label(size_t index) const;

    // Writes the images `order` (indexes into images()) back to back to
    // `target` through WriteImages: a new file beside the target that
    // replaces it when complete. Before anything is written, the result is
    // checked to read back as the same images (same sizes, same places);
    // when it would not, nothing is written. `backup` copies an existing
    // target to its backup name first.
    bool Write(const std::vector<size_t>& order, const std::string& target, bool backup,
               std::string* error);

private:
    Container(const Container&);
    Container& operator=(const Container&);

    FileApi& files_;
    MemoryApi& memory_;
    uint8_t* block_;
    uint32_t size_;
    std::vector<Image> images_;
    std::vector<WalkReport> reports_;
};

// Why a file could not be opened, in words: "no such file", "is a folder",
// or the system's reason.
std::string DescribeOpenFailure(const std::string& path);

// The backup name of a path: everything from the '.' that starts the
// extension of its last component replaced by ".bak", or ".bak" appended
// when there is none. On POSIX the path's bytes are UTF-8 and every '.'
// byte is a '.'; on Windows the core's CP932 rule is used.
std::string BackupPathOf(const std::string& path);

// Why a new file could not be made at `path`, in words.
std::string DescribeCreateFailure(const std::string& path);

// A backup copy in two steps, so that a command that fails leaves no
// backup behind: StageBackup copies an existing target to a new file beside
// its backup name (empty when there is nothing to copy, or the copy fails:
// then no backup is made, silently, as in the window); CommitBackup puts
// that copy in the backup name's place once the target was written.
std::string StageBackup(FileApi& files, const std::string& target);
bool CommitBackup(FileApi& files, const std::string& stage, const std::string& target);

// A name for a new file in the folder of `path` that nothing has yet.
std::string UniqueSibling(FileApi& files, const std::string& path);

// The name of the file an extracted image goes to: folder, a separator
// unless the folder ends in one, the container's file name with its
// extension dot turned into a space and the rest cut, the disk's name (as a
// file name on this system), and ".D88". False with a reason when the name
// cannot be built.
bool ExtractTarget(const std::string& folder, const std::string& containerPath,
                   const std::string& diskNameForFile, std::string* out, std::string* why);

// The last component of a path (after its last '/' or '\').
std::string FileTitleOf(const std::string& path);

}  // namespace d88cli

#endif
