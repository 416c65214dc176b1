// The walk over a container file's headers.
#include "document/container_io.h"

#include <cstring>
#include <new>

#include "platform/file_api.h"
#include "store/image_buffer.h"

namespace {

// Each header is read alone (its first 36 bytes), but after an image that
// is shorter than a header a page at a time: the headers of the images
// that follow such a one come from the same read.
const uint32_t kReadAhead = 4096;

struct WalkState {
    FileApi* files;
    const char* path;
    FileApi::Handle h;
    const FileWalk* walk;
    WalkEach each;
    void* context;
    size_t count;
    bool stopped;
    IoStatus failure;
    uint32_t lastSize;  // the diskSize of the image before
    uint64_t aheadAt;   // the bytes read last: from here
    uint32_t aheadLength;
    uint8_t ahead[kReadAhead];
};

// The step of WalkContainerFile: every image kept.
bool Keep(void* context, const FileWalk& walk, size_t index, const WalkedImage& image) {
    static_cast<std::vector<WalkedImage>*>(context)->push_back(image);
    return true;
}

// Reads n bytes at pos, below the file's size, as many reads as it takes;
// a file that ends before them is shorter than when its size was taken.
IoStatus ReadFully(FileApi& files, FileApi::Handle h, const char* path, uint64_t pos, uint8_t* dst,
                   uint32_t n) {
    uint32_t done = 0;
    while (done < n) {
        uint32_t got = 0;
        if (!files.ReadAt(h, pos + done, dst + done, n - done, &got))
            return IoFailure(kIoReadFailed, files, path);
        if (got == 0) return IoFailure(kIoSourceChanged, path);
        done += got < n - done ? got : n - done;
    }
    return IoSuccess();
}

void StartWalk(FileWalk* out, size_t* count, bool* stopped) {
    *count = 0;
    if (stopped) *stopped = false;
    out->fileSize = 0;
    out->complete = true;
    out->images.clear();
    std::memset(&out->stamp, 0, sizeof out->stamp);
}

uint32_t WalkOne(void* ctx, uint32_t offset) {
    WalkState* walk = static_cast<WalkState*>(ctx);
    WalkedImage image;
    image.offset = offset;
    uint32_t left = walk->walk->fileSize - offset;
    uint32_t n = left < kHeaderAccess ? left : kHeaderAccess;
    if (offset < walk->aheadAt || offset + n > walk->aheadAt + walk->aheadLength) {
        uint32_t page = walk->lastSize >= kHeaderSize ? n : left < kReadAhead ? left : kReadAhead;
        walk->failure = ReadFully(*walk->files, walk->h, walk->path, offset, walk->ahead, page);
        if (!walk->failure.ok()) return 0;
        walk->aheadAt = offset;
        walk->aheadLength = page;
    }
    std::memcpy(image.header, walk->ahead + (offset - walk->aheadAt), n);
    if (left < kHeaderAccess) std::memset(image.header + left, 0, kHeaderAccess - left);
    try {
        if (!walk->each(walk->context, *walk->walk, walk->count++, image)) {
            walk->stopped = true;
            return 0;
        }
    } catch (const std::bad_alloc&) {
        walk->failure = IoFailure(kIoNoMemory, walk->path);
        return 0;
    }
    walk->lastSize = WalkedDiskSize(image);
    return walk->lastSize;
}

}  // namespace

uint32_t WalkedDiskSize(const WalkedImage& image) { return ReadLe32(image.header + kOffDiskSize); }

uint32_t WalkedExtent(const WalkedImage& image, uint32_t fileSize) {
    return ExtentOf(WalkedDiskSize(image), fileSize - image.offset);
}

IoStatus WalkContainerFile(FileApi& files, const char* path, FileWalk* out) {
    std::vector<WalkedImage> images;
    size_t count = 0;
    IoStatus status = StreamContainerFile(files, path, out, Keep, &images, &count);
    if (status.ok()) out->images.swap(images);
    return status;
}

IoStatus StreamContainerFile(FileApi& files, const char* path, FileWalk* out, WalkEach each,
                             void* context, size_t* count, bool* stopped) {
    FileApi::Handle h = files.OpenRead(path);
    if (!h) {
        IoStatus failed = IoFailure(kIoOpenFailed, files, path);
        StartWalk(out, count, stopped);
        return failed;
    }
    IoStatus status = StreamOpenContainer(files, h, path, out, each, context, count, stopped);
    files.Close(h);
    return status;
}

IoStatus StreamOpenContainer(FileApi& files, FileApi::Handle h, const char* path, FileWalk* out,
                             WalkEach each, void* context, size_t* count, bool* stopped) {
    StartWalk(out, count, stopped);
    uint64_t length = 0;
    if (!files.Size(h, &length) || !files.Stamp(h, &out->stamp))
        return IoFailure(kIoSizeFailed, files, path);
    if (length >= kFourGiB) return IoFailure(kIoTooLarge, path);
    out->fileSize = static_cast<uint32_t>(length);
    WalkState walk = {&files, path,        h,           out, each, context, 0,
                      false,  IoSuccess(), kHeaderSize, 0,   0,    {0}};
    out->complete = WalkImages(0, out->fileSize, WalkOne, &walk);
    *count = walk.count;
    if (stopped) *stopped = walk.stopped;
    return walk.failure;
}
