// Container files as the d88 tool holds them: each file walked where it
// lies (36 bytes of each header), its images as the walk found them with
// their headers' first bytes, edits made to copies of those bytes, and the
// safe write of a chosen order of images, streamed from the files.
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
    size_t source;                  // which appended file it came from
    uint32_t offset;                // of its header in that file
    uint32_t extent;                // bytes of it that lie in the file (the bytes written)
    HeaderFields fields;            // as read when it was found
    uint8_t header[kHeaderAccess];  // its first bytes as they will be written
    uint8_t found[kHeaderAccess];   // ... and as the file holds them
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

    // Walks a file and appends its images. An empty file adds nothing and
    // no image. False with a message (without the path) when the file
    // cannot be read, or would carry the files so far to 4 GiB or more;
    // nothing is changed then.
    bool AppendFile(const std::string& path, std::string* error);

    // Appends n blank disks ("BlankDisk", diskSize 688).
    bool AppendBlankDisks(uint32_t n, std::string* error);

    const std::vector<Image>& images() const { return images_; }
    const std::vector<WalkReport>& reports() const { return reports_; }

    // The bytes of an image's header that belong to it (at most 36), to be
    // edited in place with the core's Put functions before Write.
    uint8_t* HeaderOf(size_t index) { return images_[index].header; }
    uint32_t HeaderLengthOf(size_t index) const;

    // "image K" for the images of one file; "image K of PATH" (K counted in
    // its own file) when several files were appended.
    std::string Label(size_t index) const;

    // Writes the images `order` (indexes into images()) back to back to
    // `target`: streamed from their files to a new file beside the target
    // that replaces it when complete and flushed. Before anything is
    // written, the result is checked to read back as the same images (same
    // sizes, same places); when it would not, nothing is written. `backup`
    // keeps an existing target's old contents in its backup copy, made only
    // when the write succeeds.
    bool Write(const std::vector<size_t>& order, const std::string& target, bool backup,
               std::string* error);

    // Writes each image of `order` to a new file beside its target in
    // `targets`, then gives each its name, with its backup copy first when
    // `backup`. `written` gets how many took their names. False with a
    // message about targets[*failed] when one could not be written; none
    // took its name then, unless naming itself failed half way. `noBackup`
    // gets the targets whose backup copy could not take its name.
    bool WriteEach(const std::vector<size_t>& order, const std::vector<std::string>& targets,
                   bool backup, size_t* written, size_t* failed, std::string* error,
                   std::vector<size_t>* noBackup);

private:
    Container(const Container&);
    Container& operator=(const Container&);

    FileApi& files_;
    MemoryApi& memory_;
    uint64_t total_;  // bytes of all appended files
    std::vector<Image> images_;
    std::vector<WalkReport> reports_;
};

// Why a file could not be opened, in words, from the system's error code
// of the failed open: "no such file", "it is a folder, not a file", or the
// system's reason.
std::string DescribeOpenFailure(const std::string& path, int systemError);

// Why a new file could not be made at `path`, in words.
std::string DescribeCreateFailure(const std::string& path);

// The name of the file an extracted image goes to (the core's
// BuildExtractTarget on this system's paths): folder, a separator unless
// the folder ends in one, the container's file name with its extension dot
// turned into a space and the rest cut, the disk's name (as a file name on
// this system), and ".D88". False with a reason when the name is too long.
bool ExtractTarget(const std::string& folder, const std::string& containerPath,
                   const std::string& diskNameForFile, std::string* out, std::string* why);

// The last component of a path.
std::string FileTitleOf(const std::string& path);

}  // namespace d88cli

#endif
