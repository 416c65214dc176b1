// One pass over the images of a container file, as WalkContainerFile found
// them: each image's bytes are read once, in large chunks and in order,
// and go to the checks and to the digests at the same time. Memory stays at
// one chunk and a small window for the rare look back (a track that starts
// before the one read last), whatever the size of the images.
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
    bool check;
    unsigned rawDigests;         // kDigest* bits, 0 for none
    unsigned normalisedDigests;  // the same for the normalised form
};

struct ImageReport {
    std::vector<Finding> findings;
    DigestSet raw;
    DigestSet normalised;
};

// The bytes read per chunk.
const uint32_t kScanChunk = 1u << 20;

// Called after each chunk read, with the number of its bytes.
typedef void (*ScanProgress)(void* context, uint32_t bytes);

// The place of image `index` of a walk, for the checks.
ImagePlace PlaceOf(const FileWalk& walk, size_t index);

class ImageScanner {
public:
    ImageScanner(FileApi& files, MemoryApi& memory, const ScanWants& wants);
    ~ImageScanner();

    void SetProgress(ScanProgress progress, void* context) {
        progress_ = progress;
        progressContext_ = context;
    }

    // Scans image `index` of `walk`, read from `file`, an open handle of
    // the walked file. Failures: kIoNoMemory (the chunk was refused, or the
    // digest library could not start), kIoReadFailed (a read failed, or
    // the file ended before the image: it changed since the walk).
    IoStatus Scan(FileApi::Handle file, const FileWalk& walk, size_t index, ImageReport* out);

    // The same for the file at `path`: walks it (into *walk), opens it and
    // scans image `only` (kEveryImage: every image, in the walk's order),
    // calling `each` with each report. Stops at the first failure; the
    // walk's own failures leave *walk without images.
    typedef void (*EachImage)(void* context, const FileWalk& walk, size_t index,
                              const ImageReport& report);
    static const size_t kEveryImage = static_cast<size_t>(-1);
    IoStatus ScanFile(const char* path, size_t only, FileWalk* walk, EachImage each, void* context);

private:
    class Reader;
    ImageScanner(const ImageScanner&);
    ImageScanner& operator=(const ImageScanner&);

    FileApi& files_;
    MemoryApi& memory_;
    ScanWants wants_;
    ImageHasher hasher_;
    uint8_t* chunk_;
    uint8_t* back_;
    ScanProgress progress_;
    void* progressContext_;
};

#endif
