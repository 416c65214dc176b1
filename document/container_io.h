// Container files worked on where they lie, without reading them whole: the
// walk over a file's headers, and a new file written from stretches of other
// files in large chunks. The d88 tool works this way; the window reads its
// files into the image buffer instead, with the same rules.
#ifndef ORVANEL_DOCUMENT_CONTAINER_IO_H
#define ORVANEL_DOCUMENT_CONTAINER_IO_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/document_io.h"
#include "store/d88.h"

class FileApi;
class MemoryApi;

// The bytes moved per read and write when the system has no copy of its own.
const uint32_t kStreamChunk = 1u << 20;

// One image as the walk over a file found it.
struct WalkedImage {
    uint32_t offset;                // of its header in the file
    uint8_t header[kHeaderAccess];  // the file's first 36 bytes there, 0 past its end
};

// What the walk over one file found.
struct FileWalk {
    uint32_t fileSize;
    bool complete;  // false: an image of size 0 ended the walk before the end
    std::vector<WalkedImage> images;
};

// The diskSize in a walked header, and the bytes of the image the file holds.
uint32_t WalkedDiskSize(const WalkedImage& image);
uint32_t WalkedExtent(const WalkedImage& image, uint32_t fileSize);

// Walks the container file at `path` with the rules of WalkImages, reading
// only the first 36 bytes of each header: an image of size 0 is listed and
// ends the walk, a size that runs past the end lists its image and ends it.
// An empty file holds no images. Failures: kIoOpenFailed, kIoSizeFailed,
// kIoTooLarge (4 GiB or more), kIoReadFailed, kIoNoMemory.
IoStatus WalkContainerFile(FileApi& files, const char* path, FileWalk* out);

// One stretch of a new file: `length` bytes from `offset` of source file
// number `source`, of which the first `headerLength` (at most 36) come from
// `header`, the header as edited, instead of from the file. A piece of
// source kZeroSource has zeros after its header bytes (a blank disk).
const size_t kZeroSource = static_cast<size_t>(-1);
struct Piece {
    size_t source;
    uint32_t offset;
    uint32_t length;
    uint32_t headerLength;
    uint8_t header[kHeaderAccess];
};

// Writes the pieces back to back to a new file beside `target` (the core's
// CreateTempBeside; its name goes to tempPath, 520 bytes), flushed (unless
// `flush` is false: the caller then flushes it with FlushNamed before it
// takes its name) and closed. The caller gives it the target's name
// (FileApi::Replace or Rename) or deletes it. On failure nothing is left behind. Bytes move by the
// system's own copy where it has one, else through one block of
// kStreamChunk bytes from `mem`: kIoNoMemory when that block is refused.
// A source that ends before its pieces do is kIoReadFailed.
IoStatus WritePiecesBeside(FileApi& files, MemoryApi& mem, const char* const* sources,
                           const Piece* pieces, size_t count, const char* target, char* tempPath,
                           bool flush = true);

// A whole file copied the same way to a new file beside `besideOf`.
IoStatus CopyToNewFileBeside(FileApi& files, MemoryApi& mem, const char* from,
                             const char* besideOf, char* tempPath);

#endif
