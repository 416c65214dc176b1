// The byte work of open, add, save and extract. Bulk data moves in chunks of
// at most one page, each chunk's page-size range locked while it moves (the
// range cut at the end of its block); lock failures are ignored there.
#include "document/document_io.h"

#include <cctype>
#include <cstring>

#include "document/container_io.h"
#include "document/file_api.h"
#include "document/paths.h"
#include "store/d88.h"
#include "store/image_buffer.h"
#include "store/memory.h"

namespace {

const uint64_t kFourGiB = 0x100000000ull;
const uint32_t kReadAlign = 1024;

uint32_t PageOf(MemoryApi& mem) {
    uint32_t page = mem.PageSize();
    return page ? page : 4096;
}

uint32_t Smaller(uint32_t a, uint32_t b) { return a < b ? a : b; }

// The lock held while one chunk at `pos` of a block of `blockSize` moves.
class ChunkLock {
public:
    ChunkLock(MemoryApi& mem, const uint8_t* block, uint32_t blockSize, uint32_t pos,
              uint32_t page)
        : mem_(mem), at_(block + pos), len_(Smaller(page, blockSize - pos)) {
        locked_ = mem_.Lock(at_, len_);
    }
    ~ChunkLock() {
        if (locked_) mem_.Unlock(at_, len_);
    }

private:
    ChunkLock(const ChunkLock&);
    ChunkLock& operator=(const ChunkLock&);
    MemoryApi& mem_;
    const uint8_t* at_;
    uint32_t len_;
    bool locked_;
};

bool SameNameIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        int ca = std::tolower(static_cast<unsigned char>(*a));
        int cb = std::tolower(static_cast<unsigned char>(*b));
        if (ca != cb) return false;
        if (ca == 0) return true;
    }
}

// Writes one image's bytes to h. False when a write fails or makes no
// progress.
bool WriteExtent(FileApi& files, MemoryApi& mem, FileApi::Handle h, const uint8_t* base,
                 uint32_t size, uint32_t off, uint32_t extent, uint32_t page) {
    uint32_t pos = 0;
    while (pos < extent) {
        uint32_t chunk = Smaller(extent - pos, page);
        uint32_t put = 0;
        bool ok;
        {
            ChunkLock lock(mem, base, size, off + pos, page);
            ok = files.Write(h, base + off + pos, chunk, &put);
        }
        if (!ok || put == 0) return false;
        pos += Smaller(put, chunk);
    }
    return true;
}

}  // namespace

IoResult ReadWholeFile(FileApi& files, MemoryApi& mem, const char* path, uint8_t** block,
                       uint32_t* size, bool* opened) {
    *block = nullptr;
    *size = 0;
    if (opened) *opened = false;
    FileApi::Handle h = files.OpenRead(path);
    if (!h) return kIoOpenFailed;
    if (opened) *opened = true;

    uint64_t length = 0;
    if (!files.Size(h, &length)) {
        files.Close(h);
        return kIoSizeFailed;
    }
    if (length == 0 || length >= kFourGiB) {
        files.Close(h);
        return length == 0 ? kIoEmptyFile : kIoTooLarge;
    }
    uint32_t n = static_cast<uint32_t>(length);
    uint8_t* b = mem.Allocate(n);
    if (!b) {
        files.Close(h);
        return kIoNoMemory;
    }

    uint32_t page = PageOf(mem);
    for (uint64_t p = 0; p < n; p += page) {
        uint32_t at = static_cast<uint32_t>(p);
        uint32_t chunk = Smaller(page, n - at);
        uint32_t got = 0;
        bool ok;
        {
            ChunkLock lock(mem, b, n, at, page);
            // A short read leaves the rest of the chunk zero.
            ok = files.Read(h, b + at, chunk, &got);
        }
        if (!ok) {
            mem.Release(b, n);
            files.Close(h);
            return kIoReadFailed;
        }
    }
    files.Close(h);
    *block = b;
    *size = n;
    return kIoOk;
}

IoResult ReadFileAppended(FileApi& files, MemoryApi& mem, const char* path,
                          const uint8_t* oldBase, uint32_t oldSize, uint8_t** newBlock,
                          uint32_t* added) {
    *newBlock = nullptr;
    *added = 0;
    FileApi::Handle h = files.OpenRead(path);
    if (!h) return kIoOpenFailed;

    uint32_t page = PageOf(mem);
    uint64_t length = 0;
    if (!files.Size(h, &length)) {
        files.Close(h);
        return kIoSizeFailed;
    }
    if (length >= kFourGiB || length > 0xFFFFFFFFull - oldSize) {
        files.Close(h);
        return kIoTooLarge;
    }
    if (length == 0 && oldSize == 0) {
        // There is no block of 0 bytes to make.
        files.Close(h);
        return kIoEmptyFile;
    }
    uint32_t n = static_cast<uint32_t>(length);
    uint8_t* b = GrowBlock(mem, oldBase, oldSize, n);
    if (!b) {
        files.Close(h);
        return kIoNoMemory;
    }

    uint32_t end = oldSize + n;
    uint32_t q = oldSize;
    while (q < end) {
        // Up to the next 1 KiB boundary first, then a page at a time; never
        // past the end of the block.
        uint32_t ask = (q % kReadAlign) ? kReadAlign - q % kReadAlign : page;
        ask = Smaller(ask, end - q);
        uint32_t got = 0;
        bool ok;
        {
            ChunkLock lock(mem, b, end, q, page);
            ok = files.Read(h, b + q, ask, &got);
        }
        // A file that stops delivering before its announced size ends the
        // add: waiting for more would never end.
        if (!ok || got == 0) {
            mem.Release(b, end);
            files.Close(h);
            return kIoReadFailed;
        }
        q += Smaller(got, ask);
    }
    files.Close(h);
    *newBlock = b;
    *added = n;
    return kIoOk;
}

// The backup name of `path` into name (520 bytes); false when there is none
// to make, or when the path already has it: a file that has the backup
// extension would be copied onto itself.
bool BackupTarget(const char* path, char* name, size_t nameSize, PathStyle style) {
    if (!BackupName(path, name, nameSize, style)) return false;
    return !SameNameIgnoringCase(name, path);
}

void MakeBackupCopy(FileApi& files, const char* path) {
    char name[2 * kPathMax];
    if (!BackupTarget(path, name, sizeof name, kWindowsPaths)) return;
    files.Copy(path, name);
}

bool StageBackupCopy(FileApi& files, MemoryApi& mem, const char* target, char* stage,
                     PathStyle style) {
    stage[0] = '\0';
    char name[2 * kPathMax];
    if (!files.Exists(target) || !BackupTarget(target, name, sizeof name, style)) return false;
    return CopyToNewFileBeside(files, mem, target, target, stage).result == kIoOk;
}

bool CommitBackupCopy(FileApi& files, const char* stage, const char* target, PathStyle style) {
    char name[2 * kPathMax];
    if (BackupTarget(target, name, sizeof name, style) && files.Replace(stage, name)) return true;
    files.Delete(stage);
    return false;
}

IoResult WriteImages(FileApi& files, MemoryApi& mem, const uint8_t* base, uint32_t size,
                     const uint32_t* offsets, size_t count, const char* target,
                     bool makeBackup) {
    if (makeBackup) MakeBackupCopy(files, target);
    char temp[2 * kPathMax];
    temp[0] = '\0';
    FileApi::Handle h = files.CreateTempBeside(target, temp);
    if (!h) return kIoOpenFailed;

    uint32_t page = PageOf(mem);
    bool ok = true;
    for (size_t i = 0; ok && offsets && i < count; ++i) {
        uint32_t off = offsets[i];
        if (off == kNoImage) continue;
        uint32_t extent = ImageExtent(mem, base, size, off);
        if (extent == 0) continue;
        ok = WriteExtent(files, mem, h, base, size, off, extent, page);
    }
    if (ok) ok = files.Flush(h);
    // A close that fails may have lost buffered bytes.
    if (!files.Close(h)) ok = false;
    if (ok) ok = files.Replace(temp, target);
    if (!ok) {
        files.Delete(temp);
        return kIoWriteFailed;
    }
    return kIoOk;
}
