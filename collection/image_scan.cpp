// The reading behind the checks and the digests: a window of one chunk that
// moves forward through the image, each chunk handed to the digests as it
// is read, and a small second window for positions behind it.
#include "collection/image_scan.h"

#include <cstring>

#include "platform/memory.h"

namespace {

// The window for positions behind the chunk: a track that starts before
// the end of the one walked last.
const uint32_t kBackWindow = 64 * 1024;

IoStatus Status(IoResult result, const SystemError& error) {
    return IoFailure(result, error, std::string());
}

IoStatus Status(IoResult result, int) {
    return result == kIoOk ? IoSuccess() : IoFailure(result, std::string());
}

}  // namespace

class ImageScanner::Reader : public ImageBytes {
public:
    Reader(ImageScanner& scanner, FileApi::Handle file, uint64_t base, uint32_t extent,
           ImageHasher* hasher)
        : scanner_(scanner), file_(file), base_(base), extent_(extent), hasher_(hasher) {
        failure = Status(kIoOk, 0);
    }

    bool Get(uint32_t pos, uint8_t* dst, uint32_t n) override {
        if (pos > extent_) pos = extent_;
        if (n > extent_ - pos) {
            std::memset(dst + (extent_ - pos), 0, n - (extent_ - pos));
            n = extent_ - pos;
        }
        while (n > 0) {
            const uint8_t* from = nullptr;
            uint32_t have = 0;
            if (pos >= start_ && pos < end_) {
                from = scanner_.chunk_ + (pos - start_);
                have = end_ - pos;
            } else if (pos >= end_) {
                if (!Advance(pos)) return false;
                continue;
            } else {
                if (!(pos >= backStart_ && pos < backEnd_) && !FillBack(pos)) return false;
                from = scanner_.back_ + (pos - backStart_);
                have = backEnd_ - pos;
            }
            uint32_t m = have < n ? have : n;
            std::memcpy(dst, from, m);
            dst += m;
            pos += m;
            n -= m;
        }
        return true;
    }

    // Reads what the checks did not need, for the digests.
    bool Drain() {
        while (hasher_ && end_ < extent_) {
            if (!Advance(end_)) return false;
        }
        Report(extent_);
        return true;
    }

    IoStatus failure;

private:
    // Moves the window on so that it holds `pos`: chunk after chunk when
    // every byte must reach the digests, else straight there.
    bool Advance(uint32_t pos) {
        start_ = hasher_ ? end_ : pos;
        uint32_t n = extent_ - start_ < kScanChunk ? extent_ - start_ : kScanChunk;
        if (!ReadFully(start_, scanner_.chunk_, n)) return false;
        end_ = start_ + n;
        if (hasher_) hasher_->Write(scanner_.chunk_, n);
        Report(end_);
        return true;
    }

    bool FillBack(uint32_t pos) {
        uint32_t n = extent_ - pos < kBackWindow ? extent_ - pos : kBackWindow;
        if (!ReadFully(pos, scanner_.back_, n)) return false;
        backStart_ = pos;
        backEnd_ = pos + n;
        return true;
    }

    // A file that ends before the image does has changed since the walk.
    bool ReadFully(uint32_t pos, uint8_t* dst, uint32_t n) {
        uint32_t done = 0;
        while (done < n) {
            uint32_t got = 0;
            if (!scanner_.files_.ReadAt(file_, base_ + pos + done, dst + done, n - done, &got)) {
                failure = Status(kIoReadFailed, scanner_.files_.LastError());
                return false;
            }
            if (got == 0) {
                failure = Status(kIoSourceChanged, 0);
                return false;
            }
            done += got < n - done ? got : n - done;
        }
        return true;
    }

    void Report(uint32_t upTo) {
        if (upTo <= reported_) return;
        if (scanner_.progress_) scanner_.progress_(scanner_.progressContext_, upTo - reported_);
        reported_ = upTo;
    }

    ImageScanner& scanner_;
    FileApi::Handle file_;
    uint64_t base_;
    uint32_t extent_;
    ImageHasher* hasher_;
    uint32_t start_ = 0, end_ = 0;
    uint32_t backStart_ = 0, backEnd_ = 0;
    uint32_t reported_ = 0;
};

ImagePlace PlaceOf(const FileWalk& walk, size_t index) {
    const WalkedImage& image = walk.images[index];
    ImagePlace place;
    place.offset = image.offset;
    place.diskSize = WalkedDiskSize(image);
    place.extent = WalkedExtent(image, walk.fileSize);
    place.toFileEnd = walk.fileSize - image.offset;
    return place;
}

ImageScanner::ImageScanner(FileApi& files, MemoryApi& memory, const ScanWants& wants)
    : files_(files),
      memory_(memory),
      wants_(wants),
      hasher_(wants.rawDigests, wants.normalisedDigests),
      chunk_(nullptr),
      back_(nullptr),
      progress_(nullptr),
      progressContext_(nullptr) {}

ImageScanner::~ImageScanner() {
    if (chunk_) memory_.Release(chunk_, kScanChunk);
    if (back_) memory_.Release(back_, kBackWindow);
}

IoStatus ImageScanner::Scan(FileApi::Handle file, const FileWalk& walk, size_t index,
                            ImageReport* out) {
    out->findings.clear();
    std::memset(&out->raw, 0, sizeof out->raw);
    std::memset(&out->normalised, 0, sizeof out->normalised);
    if (!hasher_.ok()) return Status(kIoNoMemory, 0);
    if (!chunk_) chunk_ = memory_.Allocate(kScanChunk);
    if (wants_.check && !back_) back_ = memory_.Allocate(kBackWindow);
    if (!chunk_ || (wants_.check && !back_)) return Status(kIoNoMemory, 0);

    ImagePlace place = PlaceOf(walk, index);
    ImageHasher* hasher = hasher_.wanted() ? &hasher_ : nullptr;
    if (hasher) hasher->Begin(place.extent);
    Reader reader(*this, file, place.offset, place.extent, hasher);
    if (wants_.check && !CheckImage(place, reader, &out->findings)) return reader.failure;
    if (!reader.Drain()) return reader.failure;
    if (hasher) hasher->Finish(&out->raw, &out->normalised);
    return Status(kIoOk, 0);
}

IoStatus ImageScanner::ScanFile(const char* path, size_t only, FileWalk* walk, EachImage each,
                                void* context) {
    IoStatus status = WalkContainerFile(files_, path, walk);
    if (status.result != kIoOk) return status;
    size_t count = walk->images.size();
    if (count == 0 || (only != kEveryImage && only >= count)) return status;
    FileApi::Handle file = files_.OpenRead(path);
    if (!file) return Status(kIoOpenFailed, files_.LastError());
    ImageReport report;
    for (size_t i = only == kEveryImage ? 0 : only; i < count; ++i) {
        status = Scan(file, *walk, i, &report);
        if (status.result != kIoOk) break;
        each(context, *walk, i, report);
        if (only != kEveryImage) break;
    }
    files_.Close(file);
    return status;
}
