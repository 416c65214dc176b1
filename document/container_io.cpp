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

// The bytes of the pieces, moved into one open new file. Stretches of one
// file that follow each other are moved as one, and a piece with edited
// header bytes writes them with the rest of its first page, so that what
// the system copies stays page-aligned whenever the images are (a copy
// that starts mid-page is several times slower).
class PieceWriter {
public:
    PieceWriter(FileApi& files, MemoryApi& mem, FileApi::Handle out, const char* const* sources)
        : files_(files), mem_(mem), out_(out), sources_(sources) {}
    ~PieceWriter() {
        if (block_) mem_.Release(block_, kStreamChunk);
        CloseSource();
    }

    IoStatus Add(const Piece& piece) {
        if (piece.length == 0) return Status(kIoOk, 0);
        if (piece.headerLength == 0 && piece.source != kZeroSource && pendingLength_ &&
            piece.source == pendingSource_ && piece.offset == pendingPos_ + pendingLength_) {
            pendingLength_ += piece.length;
            return Status(kIoOk, 0);
        }
        IoStatus status = Flush();
        if (status.result != kIoOk) return status;
        uint32_t head = 0;
        if (piece.headerLength) {
            status = WriteHead(piece, &head);
            if (status.result != kIoOk || head >= piece.length) return status;
        }
        if (piece.source == kZeroSource) return PutZeros(piece.length - head);
        pendingSource_ = piece.source;
        pendingPos_ = static_cast<uint64_t>(piece.offset) + head;
        pendingLength_ = piece.length - head;
        return Status(kIoOk, 0);
    }

    // Moves the stretch held back for joining.
    IoStatus Flush() {
        uint64_t left = pendingLength_;
        pendingLength_ = 0;
        if (left == 0) return Status(kIoOk, 0);
        IoStatus status = Open(pendingSource_);
        uint64_t pos = pendingPos_;
        while (status.result == kIoOk && left > 0) {
            uint32_t ask = left < 0x40000000u ? static_cast<uint32_t>(left) : 0x40000000u;
            uint32_t copied = 0;
            if (kernelCopy_) kernelCopy_ = files_.CopyRange(source_, pos, out_, ask, &copied) && copied > 0;
            // Read and write ourselves from here on.
            if (!kernelCopy_) status = Move(pos, ask, &copied);
            if (copied > ask) copied = ask;
            pos += copied;
            left -= copied;
            written_ += copied;
        }
        return status;
    }

private:
    PieceWriter(const PieceWriter&);
    PieceWriter& operator=(const PieceWriter&);

    IoStatus Open(size_t source) {
        if (source_ && source == sourceIndex_) return Status(kIoOk, 0);
        CloseSource();
        source_ = files_.OpenRead(sources_[source]);
        if (!source_) return Status(kIoOpenFailed, files_.LastError());
        sourceIndex_ = source;
        return Status(kIoOk, 0);
    }

    // The piece's edited header bytes, with the file's bytes after them up
    // to the next page boundary of the new file; *head is how many.
    IoStatus WriteHead(const Piece& piece, uint32_t* head) {
        const uint32_t kPage = 4096;
        uint8_t bytes[2 * kPage];
        uint32_t n = kPage - static_cast<uint32_t>(written_ % kPage);
        if (n < piece.headerLength) n += kPage;
        if (n > piece.length) n = piece.length;
        std::memset(bytes, 0, n);
        if (piece.source != kZeroSource && n > piece.headerLength) {
            IoStatus status = Open(piece.source);
            if (status.result != kIoOk) return status;
            uint32_t done = piece.headerLength;
            while (done < n) {
                uint32_t got = 0;
                if (!files_.ReadAt(source_, static_cast<uint64_t>(piece.offset) + done,
                                   bytes + done, n - done, &got))
                    return Status(kIoReadFailed, files_.LastError());
                if (got == 0) return Status(kIoReadFailed, 0);
                done += got < n - done ? got : n - done;
            }
        } else if (piece.source == kZeroSource && n > piece.headerLength) {
            n = piece.headerLength;  // the zeros follow by themselves
        }
        std::memcpy(bytes, piece.header, piece.headerLength);
        if (!PutAll(files_, out_, bytes, n)) return Status(kIoWriteFailed, files_.LastError());
        written_ += n;
        *head = n;
        return Status(kIoOk, 0);
    }

    IoStatus PutZeros(uint32_t n) {
        static const uint8_t kZeros[4096] = {0};
        while (n > 0) {
            uint32_t chunk = n < sizeof kZeros ? n : static_cast<uint32_t>(sizeof kZeros);
            if (!PutAll(files_, out_, kZeros, chunk)) return Status(kIoWriteFailed, files_.LastError());
            written_ += chunk;
            n -= chunk;
        }
        return Status(kIoOk, 0);
    }

    IoStatus Move(uint64_t pos, uint32_t left, uint32_t* moved) {
        *moved = 0;
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
    const char* const* sources_;
    FileApi::Handle source_ = nullptr;
    size_t sourceIndex_ = 0;
    uint8_t* block_ = nullptr;
    bool kernelCopy_ = true;
    uint64_t written_ = 0;
    size_t pendingSource_ = 0;
    uint64_t pendingPos_ = 0;
    uint64_t pendingLength_ = 0;
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
                           char* tempPath, bool flush) {
    tempPath[0] = '\0';
    FileApi::Handle out = files.CreateTempBeside(target, tempPath);
    if (!out) return Status(kIoOpenFailed, files.LastError());
    IoStatus status = Status(kIoOk, 0);
    {
        PieceWriter writer(files, mem, out, sources);
        for (size_t i = 0; status.result == kIoOk && i < count; ++i) status = writer.Add(pieces[i]);
        if (status.result == kIoOk) status = writer.Flush();
    }
    if (status.result == kIoOk && flush && !files.Flush(out)) status = Status(kIoWriteFailed, files.LastError());
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
