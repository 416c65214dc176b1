// The walk over a container file's headers and the chunked write of a new
// file from stretches of others.
#include "document/container_io.h"

#include <cstring>
#include <new>

#include "document/file_api.h"
#include "store/image_buffer.h"
#include "store/memory.h"

namespace {

const uint64_t kFourGiB = 0x100000000ull;

IoStatus Status(IoResult result, int systemError) {
    IoStatus s = {result, systemError};
    return s;
}

struct WalkState {
    FileApi* files;
    FileApi::Handle h;
    uint32_t fileSize;
    std::vector<WalkedImage>* images;
    IoStatus failure;
};

// Reads up to n bytes at pos, as many reads as it takes; a file that ends
// leaves the rest 0.
bool ReadFully(FileApi& files, FileApi::Handle h, uint64_t pos, uint8_t* dst, uint32_t n) {
    std::memset(dst, 0, n);
    uint32_t done = 0;
    while (done < n) {
        uint32_t got = 0;
        if (!files.ReadAt(h, pos + done, dst + done, n - done, &got)) return false;
        if (got == 0) break;
        done += got < n - done ? got : n - done;
    }
    return true;
}

uint32_t WalkOne(void* ctx, uint32_t offset) {
    WalkState* walk = static_cast<WalkState*>(ctx);
    WalkedImage image;
    image.offset = offset;
    uint32_t left = walk->fileSize - offset;
    if (!ReadFully(*walk->files, walk->h, offset, image.header,
                   left < kHeaderAccess ? left : kHeaderAccess)) {
        walk->failure = Status(kIoReadFailed, walk->files->LastError());
        return 0;
    }
    if (left < kHeaderAccess) std::memset(image.header + left, 0, kHeaderAccess - left);
    try {
        walk->images->push_back(image);
    } catch (const std::bad_alloc&) {
        walk->failure = Status(kIoNoMemory, 0);
        return 0;
    }
    return WalkedDiskSize(image);
}

// Writes all n bytes; false when a write fails or makes no progress.
bool PutAll(FileApi& files, FileApi::Handle h, const uint8_t* src, uint32_t n) {
    while (n > 0) {
        uint32_t put = 0;
        if (!files.Write(h, src, n, &put) || put == 0) return false;
        if (put > n) put = n;
        src += put;
        n -= put;
    }
    return true;
}

// The bytes of the pieces, moved into one open new file.
class PieceWriter {
public:
    PieceWriter(FileApi& files, MemoryApi& mem, FileApi::Handle out)
        : files_(files), mem_(mem), out_(out) {}
    ~PieceWriter() {
        if (block_) mem_.Release(block_, kStreamChunk);
        CloseSource();
    }

    IoStatus Write(const char* const* sources, const Piece& piece) {
        if (piece.headerLength && !PutAll(files_, out_, piece.header, piece.headerLength))
            return Status(kIoWriteFailed, files_.LastError());
        if (piece.length <= piece.headerLength) return Status(kIoOk, 0);
        if (piece.source == kZeroSource) return PutZeros(piece.length - piece.headerLength);
        if (!source_ || piece.source != sourceIndex_) {
            CloseSource();
            source_ = files_.OpenRead(sources[piece.source]);
            if (!source_) return Status(kIoOpenFailed, files_.LastError());
            sourceIndex_ = piece.source;
        }
        uint64_t pos = static_cast<uint64_t>(piece.offset) + piece.headerLength;
        uint32_t left = piece.length - piece.headerLength;
        while (left > 0) {
            uint32_t copied = 0;
            if (kernelCopy_) {
                kernelCopy_ = files_.CopyRange(source_, pos, out_, left, &copied) && copied > 0;
            }
            if (!kernelCopy_) {
                // Read and write ourselves from here on.
                IoStatus moved = Move(pos, left, &copied);
                if (moved.result != kIoOk) return moved;
            }
            if (copied > left) copied = left;
            pos += copied;
            left -= copied;
        }
        return Status(kIoOk, 0);
    }

private:
    PieceWriter(const PieceWriter&);
    PieceWriter& operator=(const PieceWriter&);

    IoStatus PutZeros(uint32_t n) {
        static const uint8_t kZeros[4096] = {0};
        while (n > 0) {
            uint32_t chunk = n < sizeof kZeros ? n : static_cast<uint32_t>(sizeof kZeros);
            if (!PutAll(files_, out_, kZeros, chunk)) return Status(kIoWriteFailed, files_.LastError());
            n -= chunk;
        }
        return Status(kIoOk, 0);
    }

    IoStatus Move(uint64_t pos, uint32_t left, uint32_t* moved) {
        if (!block_) {
            block_ = mem_.Allocate(kStreamChunk);
            if (!block_) return Status(kIoNoMemory, 0);
        }
        uint32_t got = 0;
        if (!files_.ReadAt(source_, pos, block_, left < kStreamChunk ? left : kStreamChunk, &got))
            return Status(kIoReadFailed, files_.LastError());
        // The source is shorter than when it was walked.
        if (got == 0) return Status(kIoReadFailed, 0);
        if (!PutAll(files_, out_, block_, got)) return Status(kIoWriteFailed, files_.LastError());
        *moved = got;
        return Status(kIoOk, 0);
    }

    void CloseSource() {
        if (source_) files_.Close(source_);
        source_ = nullptr;
    }

    FileApi& files_;
    MemoryApi& mem_;
    FileApi::Handle out_;
    FileApi::Handle source_ = nullptr;
    size_t sourceIndex_ = 0;
    uint8_t* block_ = nullptr;
    bool kernelCopy_ = true;
};

}  // namespace

uint32_t WalkedDiskSize(const WalkedImage& image) { return ReadLe32(image.header + kOffDiskSize); }

uint32_t WalkedExtent(const WalkedImage& image, uint32_t fileSize) {
    return ExtentOf(WalkedDiskSize(image), fileSize - image.offset);
}

IoStatus WalkContainerFile(FileApi& files, const char* path, FileWalk* out) {
    out->fileSize = 0;
    out->complete = true;
    out->images.clear();
    FileApi::Handle h = files.OpenRead(path);
    if (!h) return Status(kIoOpenFailed, files.LastError());
    uint64_t length = 0;
    if (!files.Size(h, &length)) {
        IoStatus s = Status(kIoSizeFailed, files.LastError());
        files.Close(h);
        return s;
    }
    if (length >= kFourGiB) {
        files.Close(h);
        return Status(kIoTooLarge, 0);
    }
    WalkState walk = {&files, h, static_cast<uint32_t>(length), &out->images, Status(kIoOk, 0)};
    out->fileSize = walk.fileSize;
    out->complete = WalkImages(0, walk.fileSize, WalkOne, &walk);
    files.Close(h);
    if (walk.failure.result != kIoOk) {
        out->images.clear();
        return walk.failure;
    }
    return Status(kIoOk, 0);
}

IoStatus WritePiecesBeside(FileApi& files, MemoryApi& mem, const char* const* sources,
                           const Piece* pieces, size_t count, const char* target,
                           char* tempPath) {
    tempPath[0] = '\0';
    FileApi::Handle out = files.CreateTempBeside(target, tempPath);
    if (!out) return Status(kIoOpenFailed, files.LastError());
    IoStatus status = Status(kIoOk, 0);
    {
        PieceWriter writer(files, mem, out);
        for (size_t i = 0; status.result == kIoOk && i < count; ++i)
            status = writer.Write(sources, pieces[i]);
    }
    if (status.result == kIoOk && !files.Flush(out)) status = Status(kIoWriteFailed, files.LastError());
    // A close that fails may have lost buffered bytes.
    if (!files.Close(out) && status.result == kIoOk)
        status = Status(kIoWriteFailed, files.LastError());
    if (status.result != kIoOk) {
        files.Delete(tempPath);
        tempPath[0] = '\0';
    }
    return status;
}

IoStatus CopyToNewFileBeside(FileApi& files, MemoryApi& mem, const char* from,
                             const char* besideOf, char* tempPath) {
    tempPath[0] = '\0';
    FileApi::Handle h = files.OpenRead(from);
    if (!h) return Status(kIoOpenFailed, files.LastError());
    uint64_t length = 0;
    bool sized = files.Size(h, &length);
    int error = files.LastError();
    files.Close(h);
    if (!sized) return Status(kIoSizeFailed, error);
    if (length >= kFourGiB) return Status(kIoTooLarge, 0);
    Piece whole;
    whole.source = 0;
    whole.offset = 0;
    whole.length = static_cast<uint32_t>(length);
    whole.headerLength = 0;
    return WritePiecesBeside(files, mem, &from, &whole, 1, besideOf, tempPath);
}
