// The reading behind the checks and the digests: a window of one chunk that
// moves forward through the image, each chunk handed to the digests as it
// is read, and a small second window for positions behind it. While a
// second thread hashes a chunk, the next one is read into another.
#include "collection/image_scan.h"

#include <cstring>

#include "collection/image_findings.h"
#include "filesystems/disk_files.h"
#include "platform/memory.h"
#include "store/sector_view.h"

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
                from = chunk_ + (pos - start_);
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
    // every byte must reach the digests, else straight there. The chunk
    // read into must be one the second thread is done with.
    bool Advance(uint32_t pos) {
        start_ = hasher_ ? end_ : pos;
        uint32_t n = extent_ - start_ < kScanChunk ? extent_ - start_ : kScanChunk;
        next_ = (next_ + 1) % scanner_.chunkCount_;
        chunk_ = scanner_.chunks_[next_];
        if (hasher_) hasher_->Settle(scanner_.chunkCount_);
        if (!ReadFully(start_, chunk_, n)) return false;
        end_ = start_ + n;
        if (hasher_) hasher_->Write(chunk_, n);
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
    uint8_t* chunk_ = nullptr;
    size_t next_ = 0;
    uint32_t start_ = 0, end_ = 0;
    uint32_t backStart_ = 0, backEnd_ = 0;
    uint32_t reported_ = 0;
};

// One file's scan as its walk goes on.
struct ImageScanner::FileScan {
    ImageScanner* scanner;
    FileApi::Handle file;
    size_t only;
    EachImage each;
    void* context;
    ImageReport report;
    IoStatus status;
};

ImagePlace PlaceOf(const FileWalk& walk, const WalkedImage& image) {
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
      chunkCount_(hasher_.threaded() ? kChunks : 1),
      back_(nullptr),
      progress_(nullptr),
      progressContext_(nullptr) {
    for (size_t i = 0; i < kChunks; ++i) chunks_[i] = nullptr;
}

ImageScanner::~ImageScanner() {
    hasher_.Settle(1);  // the second thread may still read a chunk
    for (size_t i = 0; i < kChunks; ++i) {
        if (chunks_[i]) memory_.Release(chunks_[i], kScanChunk);
    }
    if (back_) memory_.Release(back_, kBackWindow);
}

IoStatus ImageScanner::Scan(FileApi::Handle file, const FileWalk& walk, const WalkedImage& image,
                            ImageReport* out) {
    out->image = image;
    out->findings.clear();
    std::memset(&out->raw, 0, sizeof out->raw);
    std::memset(&out->normalised, 0, sizeof out->normalised);
    if (!hasher_.ok()) return Status(kIoNoMemory, 0);
    for (size_t i = 0; i < chunkCount_; ++i) {
        if (!chunks_[i]) chunks_[i] = memory_.Allocate(kScanChunk);
        if (!chunks_[i]) return Status(kIoNoMemory, 0);
    }
    if (wants_.check && !back_) back_ = memory_.Allocate(kBackWindow);
    if (wants_.check && !back_) return Status(kIoNoMemory, 0);

    ImagePlace place = PlaceOf(walk, image);
    ImageHasher* hasher = hasher_.wanted() ? &hasher_ : nullptr;
    if (hasher) hasher->Begin(place.extent);
    Reader reader(*this, file, place.offset, place.extent, hasher);
    bool read = (!wants_.check || CheckImage(place, reader, &out->findings)) && reader.Drain();
    if (hasher) hasher->Settle(1);  // done with the chunks, read or not
    if (!read) return reader.failure;
    if (hasher) hasher->Finish(&out->raw, &out->normalised);
    if (wants_.check) return CheckFileSystem(file, place, &out->findings);
    return Status(kIoOk, 0);
}

IoStatus ImageScanner::CheckFileSystem(FileApi::Handle file, const ImagePlace& place,
                                       std::vector<Finding>* findings) {
    // The directory and the tables are read where they lie, through the
    // handle the scan has open.
    FileImage bytes(files_, file, place.offset, place.extent);
    SectorView view(bytes);
    FsVolume volume;
    if (!view.Open() || OpenDiskFiles(view, &volume, false) != kFsOk) {
        return bytes.error().kind == kNoSystemCode ? Status(kIoSourceChanged, 0)
                                                   : Status(kIoReadFailed, bytes.error());
    }
    std::vector<FsFinding> found;
    CheckDiskFiles(volume, &found);
    AddFsFindings(found, place.offset, findings);
    return Status(kIoOk, 0);
}

bool ImageScanner::Step(void* context, const FileWalk& walk, size_t index,
                        const WalkedImage& image) {
    FileScan* scan = static_cast<FileScan*>(context);
    if (scan->only != kEveryImage && index < scan->only) return true;
    scan->status = scan->scanner->Scan(scan->file, walk, image, &scan->report);
    if (!scan->status.ok()) return false;
    scan->each(scan->context, walk, index, scan->report);
    return scan->only == kEveryImage;
}

IoStatus ImageScanner::ScanFile(const char* path, size_t only, FileWalk* walk, size_t* count,
                                EachImage each, void* context) {
    *count = 0;
    FileApi::Handle file = files_.OpenRead(path);
    if (!file) return Status(kIoOpenFailed, files_.LastError());
    FileScan scan = {this, file, only, each, context, ImageReport(), Status(kIoOk, 0)};
    IoStatus status = StreamOpenContainer(files_, file, path, walk, Step, &scan, count);
    files_.Close(file);
    return status.ok() ? scan.status : status;
}
