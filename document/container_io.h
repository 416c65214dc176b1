// Container files worked on where they lie, without reading them whole: the
// walk over a file's headers. The d88 tool works this way; the window reads
// its files into the image buffer instead, with the same rules.
#ifndef ORVANEL_DOCUMENT_CONTAINER_IO_H
#define ORVANEL_DOCUMENT_CONTAINER_IO_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/io_status.h"
#include "platform/file_api.h"
#include "store/d88.h"

// One image as the walk over a file found it.
struct WalkedImage {
    uint32_t offset;                // of its header in the file
    uint8_t header[kHeaderAccess];  // the file's first 36 bytes there, 0 past its end
};

// What the walk over one file found.
struct FileWalk {
    uint32_t fileSize;
    FileStamp stamp;  // the file as it was walked
    bool complete;    // false: an image of size 0 ended the walk before the end
    std::vector<WalkedImage> images;
};

// The diskSize in a walked header, and the bytes of the image the file holds.
uint32_t WalkedDiskSize(const WalkedImage& image);
uint32_t WalkedExtent(const WalkedImage& image, uint32_t fileSize);

// Walks the container file at `path` with the rules of WalkImages, reading
// only the first 36 bytes of each header: an image of size 0 is listed and
// ends the walk, a size that runs past the end lists its image and ends it.
// An empty file holds no images. Failures: kIoOpenFailed, kIoSizeFailed
// (the size or the stamp), kIoTooLarge (4 GiB or more), kIoReadFailed,
// kIoSourceChanged (the file ended before its size: it got shorter since),
// kIoNoMemory.
IoStatus WalkContainerFile(FileApi& files, const char* path, FileWalk* out);

// The same walk without keeping the images, so that its memory stays the
// same whatever their number: `each` gets every image as it is found, with
// its index and the walk so far (fileSize and stamp set, images empty),
// and answers false to stop the walk there (the result is then kIoOk with
// `complete` false and `stopped` true). *count gets the images found.
typedef bool (*WalkEach)(void* context, const FileWalk& walk, size_t index,
                         const WalkedImage& image);
IoStatus StreamContainerFile(FileApi& files, const char* path, FileWalk* out, WalkEach each,
                             void* context, size_t* count, bool* stopped = nullptr);
// The same on `file`, the file at `path` opened by the caller, who keeps it
// open for the steps to read the images from (files are not shared on
// Windows, so a second handle could not be had) and closes it.
IoStatus StreamOpenContainer(FileApi& files, FileApi::Handle file, const char* path, FileWalk* out,
                             WalkEach each, void* context, size_t* count, bool* stopped = nullptr);

#endif
