// One pass over the images of a container file, each handed on as the walk
// over the file's headers finds it: each image's bytes are read once, in
// large chunks and in order, and go to the checks and to the digests at the
// same time. Memory stays at a few chunks (one while no second thread
// hashes) and a small window for the rare look back (a track that starts
// before the one read last), whatever the size and the number of images.
#ifndef ORVANEL_COLLECTION_IMAGE_SCAN_H
#define ORVANEL_COLLECTION_IMAGE_SCAN_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "collection/image_check.h"
#include "collection/image_digest.h"
#include "document/container_io.h"
#include "platform/file_api.h"

class MemoryApi;

// What to work out for each image.
struct ScanWants {
    bool check;  // the image's bytes, and the file system inside it where one is recognised
    unsigned rawDigests;         // kDigest* bits, 0 for none
    unsigned normalisedDigests;  // the same for the normalised form
};

struct ImageReport {
    WalkedImage image;  // as the walk found it
    std::vector<Finding> findings;
    DigestSet raw;
    DigestSet normalised;
};

// The bytes read per chunk.
const uint32_t kScanChunk = 1u << 20;

// Called after each chunk read, with the number of its bytes.
typedef void (*ScanProgress)(void* context, uint32_t bytes);

// The place of an image of a walk, for the checks.
ImagePlace PlaceOf(const FileWalk& walk, const WalkedImage& image);

class ImageScanner {
public:
    ImageScanner(FileApi& files, MemoryApi& memory, const ScanWants& wants);
    ~ImageScanner();

    void SetProgress(ScanProgress progress, void* context) {
        progress_ = progress;
        progressContext_ = context;
    }

    // Scans `image` of `walk`, read from `file`, an open handle of the
    // walked file. Failures: kIoNoMemory (a chunk was refused, or the
    // digest library could not start), kIoReadFailed (a read failed),
    // kIoSourceChanged (the file ended before the image: it changed since
    // the walk).
    IoStatus Scan(FileApi::Handle file, const FileWalk& walk, const WalkedImage& image,
                  ImageReport* out);

    // The same for the file at `path`: walks it (into *walk, which keeps no
    // images) and scans image `only` (kEveryImage: every image, in the
    // walk's order) as the walk finds it, calling `each` with each report;
    // *count gets the images the walk found (up to `only` and that one).
    // Stops at the first failure, the walk's own or a scan's.
    typedef void (*EachImage)(void* context, const FileWalk& walk, size_t index,
                              const ImageReport& report);
    static const size_t kEveryImage = static_cast<size_t>(-1);
    IoStatus ScanFile(const char* path, size_t only, FileWalk* walk, size_t* count, EachImage each,
                      void* context);

private:
    class Reader;
    struct FileScan;
    static bool Step(void* context, const FileWalk& walk, size_t index, const WalkedImage& image);
    IoStatus CheckFileSystem(FileApi::Handle file, const ImagePlace& place,
                             std::vector<Finding>* findings);
    ImageScanner(const ImageScanner&);
    ImageScanner& operator=(const ImageScanner&);

    // The chunks read in turn: while the second thread hashes one, the
    // next is read.
    static const size_t kChunks = 4;

    FileApi& files_;
    MemoryApi& memory_;
    ScanWants wants_;
    ImageHasher hasher_;
    size_t chunkCount_;  // 1, or kChunks with a second thread
    uint8_t* chunks_[kChunks];
    uint8_t* back_;
    ScanProgress progress_;
    void* progressContext_;
};

#endif
