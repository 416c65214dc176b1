// The byte work of open, add, save and extract. Bulk data moves in chunks of
// at most one page, each chunk's page-size range locked while it moves (the
// range cut at the end of its block); lock failures are ignored there.
#include "document/document_io.h"

#include <cstring>
#include <vector>

#include "document/file_writer.h"
#include "platform/file_api.h"
#include "platform/memory.h"
#include "store/d88.h"
#include "store/image_buffer.h"

namespace {

const uint32_t kReadAlign = 1024;

uint32_t Smaller(uint32_t a, uint32_t b) { return a < b ? a : b; }

}  // namespace

IoStatus ReadWholeFile(FileApi& files, MemoryApi& mem, const char* path, uint8_t** block,
                       uint32_t* size, bool* opened, ByteProgress* progress, FileVersion* version) {
    *block = nullptr;
    *size = 0;
    if (opened) *opened = false;
    if (version) version->known = false;
    FileApi::Handle h = files.OpenRead(path);
    if (!h) return IoFailure(kIoOpenFailed, files, path);
    if (opened) *opened = true;
    if (version) version->known = files.Stamp(h, &version->stamp);

    uint64_t length = 0;
    if (!files.Size(h, &length)) {
        IoStatus s = IoFailure(kIoSizeFailed, files, path);
        files.Close(h);
        return s;
    }
    if (length == 0 || length >= kFourGiB) {
        files.Close(h);
        return IoFailure(length == 0 ? kIoEmptyFile : kIoTooLarge, path);
    }
    uint32_t n = static_cast<uint32_t>(length);
    uint8_t* b = mem.Allocate(n);
    if (!b) {
        files.Close(h);
        return IoFailure(kIoNoMemory, path);
    }

    uint32_t page = PageOf(mem);
    if (progress) progress->Planned(n);
    for (uint64_t p = 0; p < n; p += page) {
        uint32_t at = static_cast<uint32_t>(p);
        uint32_t chunk = Smaller(page, n - at);
        uint32_t got = 0;
        bool ok;
        {
            ChunkLock lock(mem, b, n, at, page);
            ok = files.Read(h, b + at, chunk, &got);
        }
        if (!ok || got != chunk) {
            // A read that delivered less has no system error to tell.
            IoStatus s =
                ok ? IoFailure(kIoReadFailed, path) : IoFailure(kIoReadFailed, files, path);
            mem.Release(b, n);
            files.Close(h);
            return s;
        }
        if (progress) progress->Moved(at + chunk);
    }
    files.Close(h);
    *block = b;
    *size = n;
    return IoSuccess();
}

IoStatus ReadFileAppended(FileApi& files, MemoryApi& mem, const char* path, const uint8_t* oldBase,
                          uint32_t oldSize, uint8_t** newBlock, uint32_t* added,
                          ByteProgress* progress) {
    *newBlock = nullptr;
    *added = 0;
    FileApi::Handle h = files.OpenRead(path);
    if (!h) return IoFailure(kIoOpenFailed, files, path);

    uint32_t page = PageOf(mem);
    uint64_t length = 0;
    if (!files.Size(h, &length)) {
        IoStatus s = IoFailure(kIoSizeFailed, files, path);
        files.Close(h);
        return s;
    }
    IoResult refused = kIoOk;
    if (length >= kFourGiB || length > 0xFFFFFFFFull - oldSize) refused = kIoTooLarge;
    // There is no block of 0 bytes to make.
    if (length == 0 && oldSize == 0) refused = kIoEmptyFile;
    uint32_t n = static_cast<uint32_t>(length);
    uint8_t* b = refused == kIoOk ? GrowBlock(mem, oldBase, oldSize, n) : nullptr;
    if (!b) {
        files.Close(h);
        return IoFailure(refused == kIoOk ? kIoNoMemory : refused, path);
    }

    uint32_t end = oldSize + n;
    uint32_t q = oldSize;
    if (progress) progress->Planned(n);
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
            // A read that delivered nothing has no system error to tell.
            IoStatus s =
                ok ? IoFailure(kIoReadFailed, path) : IoFailure(kIoReadFailed, files, path);
            mem.Release(b, end);
            files.Close(h);
            return s;
        }
        q += Smaller(got, ask);
        if (progress) progress->Moved(q - oldSize);
    }
    files.Close(h);
    *newBlock = b;
    *added = n;
    return IoSuccess();
}

FileVersion VersionOf(FileApi& files, const char* path) {
    FileVersion version = {false, FileStamp()};
    FileApi::Handle h = files.OpenRead(path);
    if (!h) return version;
    version.known = files.Stamp(h, &version.stamp);
    files.Close(h);
    return version;
}

bool ChangedSince(FileApi& files, const char* path, const FileVersion& was) {
    if (!was.known) return false;
    FileVersion now = VersionOf(files, path);
    return now.known && !SameStamp(now.stamp, was.stamp);
}

IoStatus WriteImages(FileApi& files, MemoryApi& mem, const uint8_t* base, uint32_t size,
                     const uint32_t* offsets, size_t count, const char* target, bool makeBackup,
                     ByteProgress* progress) {
    WriteJob job = ImagesJob(mem, base, size, offsets, count, target, makeBackup);
    return WriteOneFile(files, mem, std::vector<SourceFile>(), job, progress);
}

WriteJob ImagesJob(MemoryApi& mem, const uint8_t* base, uint32_t size, const uint32_t* offsets,
                   size_t count, const char* target, bool makeBackup) {
    WriteJob job;
    job.target = target;
    job.backup = makeBackup ? kBackupFirst : kNoBackup;
    job.replace = true;
    for (size_t i = 0; offsets && i < count; ++i) {
        uint32_t off = offsets[i];
        if (off == kNoImage) continue;
        uint32_t extent = ImageExtent(mem, base, size, off);
        if (extent > 0) job.pieces.push_back(MemoryPiece(base, size, off, extent));
    }
    return job;
}

bool HeldImagesJob(MemoryApi& mem, const uint8_t* base, uint32_t size,
                   const BufferStretches& stretches, const uint32_t* offsets, size_t count,
                   const char* target, BackupOrder backup, WriteJob* job, size_t* cutShort) {
    job->target = target;
    job->backup = backup;
    job->replace = true;
    job->pieces.clear();
    bool lastCut = false;
    for (size_t i = 0; offsets && i < count; ++i) {
        uint32_t off = offsets[i];
        if (off == kNoImage) continue;
        // The header as the walk read it, with the bytes past its stretch 0.
        uint32_t end = stretches.EndOf(off, size);
        uint32_t diskSize = DiskSizeAt(mem, base, end, off);
        uint32_t extent = off < end ? ExtentOf(diskSize, end - off) : 0;
        if (extent == 0) continue;
        if (lastCut) return false;
        lastCut = extent < diskSize;
        if (lastCut) *cutShort = i;
        job->pieces.push_back(MemoryPiece(base, size, off, extent));
    }
    return true;
}
