// The one writer: pieces to a new file beside the target, then the name.
#include "document/file_writer.h"

#include <cctype>
#include <cstring>
#include <memory>
#include <utility>

#include "document/paths.h"
#include "platform/file_api.h"
#include "platform/memory.h"
#include "store/image_buffer.h"

namespace {

// The most one call of the system's copy is asked for, so that progress
// is told often enough.
const uint32_t kCopyAsk = 16u << 20;

uint32_t Smaller(uint64_t a, uint32_t b) { return a < b ? static_cast<uint32_t>(a) : b; }

bool SameNameIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        int ca = std::tolower(static_cast<unsigned char>(*a));
        int cb = std::tolower(static_cast<unsigned char>(*b));
        if (ca != cb) return false;
        if (ca == 0) return true;
    }
}

// The backup name of `path`; false when there is none to make, or when the
// path already has it: a file that has the backup extension would be
// copied onto itself.
bool BackupTarget(const char* path, PathStyle style, std::string* name) {
    std::vector<char> out(std::strlen(path) + 8);
    if (!BackupName(path, &out[0], out.size(), style)) return false;
    *name = &out[0];
    return !SameNameIgnoringCase(name->c_str(), path);
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

// Reads exactly n bytes at pos.
enum GetResult { kGot, kEnded, kFailed };
GetResult GetAll(FileApi& files, FileApi::Handle h, uint64_t pos, uint8_t* dst, uint32_t n) {
    uint32_t done = 0;
    while (done < n) {
        uint32_t got = 0;
        if (!files.ReadAt(h, pos + done, dst + done, n - done, &got)) return kFailed;
        if (got == 0) return kEnded;
        done += got < n - done ? got : n - done;
    }
    return kGot;
}

// A new file beside a target: deleted when it goes out of scope unless it
// took its name.
class NewFile {
public:
    explicit NewFile(FileApi& files) : files_(files) {}
    ~NewFile() { Discard(); }

    IoStatus Create(const std::string& target, const std::string& folder = std::string()) {
        target_ = target;
        // The name beside the target keeps its prefix, so that a file left
        // by a crash says whose it is; a folder too deep for it is refused.
        char probe[4096];
        if (!NewFileNameBeside(target.c_str(), 0, 0, probe, sizeof probe, kSystemPaths))
            return IoFailure(kIoNameTooLong, target);
        // In the caller's folder the file is made as for the target's name
        // there, which nothing has; where that name does not fit, beside
        // the target after all.
        std::string where = target;
        if (!folder.empty()) {
            std::string there = folder + (kSystemPaths == kWindowsPaths ? "\\" : "/") +
                                target.substr(FolderPartLength(target.c_str(), kSystemPaths));
            if (NewFileNameBeside(there.c_str(), 0, 0, probe, sizeof probe, kSystemPaths))
                where = there;
        }
        handle_ = files_.CreateTempBeside(where.c_str(), &path_);
        if (!handle_) return IoFailure(kIoCreateFailed, files_, target);
        return IoSuccess();
    }
    // Closes the file, flushed first when asked; a close that fails may
    // have lost buffered bytes.
    IoStatus Close(bool flush) {
        IoStatus status = IoSuccess();
        if (flush && !files_.Flush(handle_)) status = IoFailure(kIoWriteFailed, files_, target_);
        if (!files_.Close(handle_) && status.ok())
            status = IoFailure(kIoWriteFailed, files_, target_);
        handle_ = nullptr;
        return status;
    }
    void Discard() {
        if (handle_) files_.Close(handle_);
        handle_ = nullptr;
        if (!path_.empty()) files_.Delete(path_.c_str());
        path_.clear();
    }
    // The file has taken another name, or is left where it is: nothing to
    // delete any more. Release hands its name over without copying it.
    void Keep() { path_.clear(); }
    std::string Release() {
        std::string path(std::move(path_));
        path_.clear();
        return path;
    }
    FileApi::Handle handle() const { return handle_; }
    const std::string& path() const { return path_; }
    const std::string& target() const { return target_; }

private:
    NewFile(const NewFile&);
    NewFile& operator=(const NewFile&);
    FileApi& files_;
    FileApi::Handle handle_ = nullptr;
    std::string path_;
    std::string target_;
};

// The bytes of the pieces, moved into one open new file. Stretches of one
// file that follow each other are moved as one, and a piece with edited
// header bytes writes them with the rest of its first page, so that what
// the system copies stays page-aligned whenever the images are (a copy
// that starts mid-page is several times slower).
class PieceWriter {
public:
    PieceWriter(FileApi& files, MemoryApi& mem, const NewFile& out,
                const std::vector<SourceFile>& sources, ByteProgress* progress, uint64_t* told)
        : files_(files),
          mem_(mem),
          out_(out),
          sources_(sources),
          progress_(progress),
          told_(told) {}
    ~PieceWriter() {
        if (block_) mem_.Release(block_, kStreamChunk);
        if (source_) files_.Close(source_);
    }

    IoStatus Add(const Piece& piece) {
        if (piece.length == 0) return IoSuccess();
        IoStatus status = IoSuccess();
        if (piece.from == kFromFile) {
            status = Check(piece);
            if (!status.ok()) return status;
            if (piece.headerLength == 0 && pendingLength_ && piece.source == pendingSource_ &&
                piece.offset == pendingPos_ + pendingLength_) {
                pendingLength_ += piece.length;
                return status;
            }
        }
        status = Flush();
        if (!status.ok()) return status;
        if (piece.from == kFromMemory) return PutMemory(piece);
        uint32_t head = 0;
        if (piece.headerLength) {
            status = WriteHead(piece, &head);
            if (!status.ok() || head >= piece.length) return status;
        }
        if (piece.from == kFromZeros) return PutZeros(piece.length - head);
        pendingSource_ = piece.source;
        pendingPos_ = static_cast<uint64_t>(piece.offset) + head;
        pendingLength_ = piece.length - head;
        return status;
    }

    // Moves the stretch held back for joining, and lets go of the last
    // source, which must not have changed while it was read.
    IoStatus Finish() {
        IoStatus status = Flush();
        if (status.ok()) status = CloseSource();
        return status;
    }

private:
    PieceWriter(const PieceWriter&);
    PieceWriter& operator=(const PieceWriter&);

    IoStatus Changed(size_t source) { return IoFailure(kIoSourceChanged, sources_[source].path); }
    IoStatus ReadFailed(size_t source) {
        return IoFailure(kIoReadFailed, files_, sources_[source].path);
    }
    IoStatus WriteFailed() { return IoFailure(kIoWriteFailed, files_, out_.target()); }

    void Told(uint64_t bytes) {
        *told_ += bytes;
        if (progress_) progress_->Moved(*told_);
    }

    // The source as it was walked: same file, size and time.
    bool Unchanged(size_t source) {
        const SourceFile& file = sources_[source];
        if (!file.stamped) return true;
        FileStamp now;
        return files_.Stamp(source_, &now) && SameStamp(now, file.stamp);
    }

    IoStatus Open(size_t source) {
        if (source_ && source == sourceIndex_) return IoSuccess();
        IoStatus status = CloseSource();
        if (!status.ok()) return status;
        source_ = files_.OpenRead(sources_[source].path.c_str());
        if (!source_) return IoFailure(kIoOpenFailed, files_, sources_[source].path);
        sourceIndex_ = source;
        return Unchanged(source) ? IoSuccess() : Changed(source);
    }

    IoStatus CloseSource() {
        if (!source_) return IoSuccess();
        bool same = Unchanged(sourceIndex_);
        files_.Close(source_);
        source_ = nullptr;
        return same ? IoSuccess() : Changed(sourceIndex_);
    }

    // The header bytes that were read when the image was found must still
    // be there.
    IoStatus Check(const Piece& piece) {
        if (piece.checkLength == 0) return IoSuccess();
        IoStatus status = Open(piece.source);
        if (!status.ok()) return status;
        uint8_t now[kHeaderAccess];
        GetResult got = GetAll(files_, source_, piece.offset, now, piece.checkLength);
        if (got == kFailed) return ReadFailed(piece.source);
        // A file that ends before the header it had has changed too.
        if (got == kEnded || std::memcmp(now, piece.found, piece.checkLength) != 0)
            return Changed(piece.source);
        return IoSuccess();
    }

    IoStatus Flush() {
        uint64_t left = pendingLength_;
        pendingLength_ = 0;
        if (left == 0) return IoSuccess();
        IoStatus status = Open(pendingSource_);
        uint64_t pos = pendingPos_;
        while (status.ok() && left > 0) {
            uint32_t copied = 0;
            if (kernelCopy_) {
                kernelCopy_ = files_.CopyRange(source_, pos, out_.handle(), Smaller(left, kCopyAsk),
                                               &copied) &&
                              copied > 0;
            }
            // From where the system's copy stopped, read and write here.
            if (!kernelCopy_) status = Move(pos, Smaller(left, kStreamChunk), &copied);
            if (copied > left) copied = static_cast<uint32_t>(left);
            pos += copied;
            left -= copied;
            Told(copied);
        }
        return status;
    }

    // The piece's edited header bytes, with the file's bytes after them up
    // to the next page boundary of the new file; *head is how many.
    IoStatus WriteHead(const Piece& piece, uint32_t* head) {
        const uint32_t kPage = 4096;
        uint8_t bytes[2 * kPage];
        uint32_t n = kPage - static_cast<uint32_t>(written_ % kPage);
        if (n < piece.headerLength) n += kPage;
        if (n > piece.length) n = piece.length;
        if (piece.from == kFromZeros) {
            n = piece.headerLength;  // the zeros follow by themselves
        } else if (n > piece.headerLength) {
            IoStatus status = Open(piece.source);
            if (!status.ok()) return status;
            GetResult got =
                GetAll(files_, source_, static_cast<uint64_t>(piece.offset) + piece.headerLength,
                       bytes + piece.headerLength, n - piece.headerLength);
            if (got != kGot)
                return got == kFailed ? ReadFailed(piece.source) : Changed(piece.source);
        }
        std::memcpy(bytes, piece.header, piece.headerLength);
        if (!PutAll(files_, out_.handle(), bytes, n)) return WriteFailed();
        written_ += n;
        Told(n);
        *head = n;
        return IoSuccess();
    }

    IoStatus PutZeros(uint32_t n) {
        static const uint8_t kZeros[4096] = {0};
        while (n > 0) {
            uint32_t chunk = Smaller(n, sizeof kZeros);
            if (!PutAll(files_, out_.handle(), kZeros, chunk)) return WriteFailed();
            written_ += chunk;
            n -= chunk;
            Told(chunk);
        }
        return IoSuccess();
    }

    // Memory in chunks of one page, each locked while it is written.
    IoStatus PutMemory(const Piece& piece) {
        uint32_t page = PageOf(mem_);
        uint32_t pos = 0;
        while (pos < piece.length) {
            uint32_t chunk = Smaller(piece.length - pos, page);
            uint32_t put = 0;
            bool ok;
            {
                ChunkLock lock(mem_, piece.block, piece.blockSize, piece.offset + pos, page);
                ok = files_.Write(out_.handle(), piece.block + piece.offset + pos, chunk, &put);
            }
            if (!ok || put == 0) return WriteFailed();
            if (put > chunk) put = chunk;
            pos += put;
            written_ += put;
            Told(put);
        }
        return IoSuccess();
    }

    IoStatus Move(uint64_t pos, uint32_t left, uint32_t* moved) {
        *moved = 0;
        if (!block_) {
            block_ = mem_.Allocate(kStreamChunk);
            if (!block_) return IoFailure(kIoNoMemory, out_.target());
        }
        uint32_t got = 0;
        if (!files_.ReadAt(source_, pos, block_, left, &got)) return ReadFailed(sourceIndex_);
        // The source is shorter than when it was walked.
        if (got == 0) return Changed(sourceIndex_);
        if (!PutAll(files_, out_.handle(), block_, got)) return WriteFailed();
        written_ += got;
        *moved = got;
        return IoSuccess();
    }

    FileApi& files_;
    MemoryApi& mem_;
    const NewFile& out_;
    const std::vector<SourceFile>& sources_;
    ByteProgress* progress_;
    uint64_t* told_;
    FileApi::Handle source_ = nullptr;
    size_t sourceIndex_ = 0;
    uint8_t* block_ = nullptr;
    bool kernelCopy_ = true;
    uint64_t written_ = 0;
    size_t pendingSource_ = 0;
    uint64_t pendingPos_ = 0;
    uint64_t pendingLength_ = 0;
};

IoStatus WritePieces(FileApi& files, MemoryApi& mem, const std::vector<SourceFile>& sources,
                     const std::vector<Piece>& pieces, NewFile* out, bool flush,
                     ByteProgress* progress, uint64_t* told) {
    IoStatus status = IoSuccess();
    {
        PieceWriter writer(files, mem, *out, sources, progress, told);
        for (size_t i = 0; status.ok() && i < pieces.size(); ++i) status = writer.Add(pieces[i]);
        if (status.ok()) status = writer.Finish();
    }
    IoStatus closed = out->Close(flush);
    return status.ok() ? closed : status;
}

// The name a staged backup copy of `target` takes (empty when the target
// does not exist: there are no old contents to keep). A name that is the
// target's own (as the file system compares names: its own file, found
// under it), or a folder's, stops the write before anything is written:
// the copy could never take it.
IoStatus StagedBackupName(FileApi& files, const std::string& target, std::string* name) {
    name->clear();
    if (!files.Exists(target.c_str())) return IoSuccess();
    std::vector<char> out(target.size() + 8);
    if (!BackupName(target.c_str(), &out[0], out.size(), kSystemPaths))
        return IoFailure(kIoNameTooLong, target);
    *name = &out[0];
    PathFacts mine, there;
    bool same = *name == target;
    if (!same && files.Inspect(target.c_str(), &mine) && files.Inspect(name->c_str(), &there))
        same = mine.index != 0 ? mine.volume == there.volume && mine.index == there.index
                               : SameNameIgnoringCase(name->c_str(), target.c_str());
    if (same) return IoFailure(kIoBackupFailed, target, target);
    if (files.IsFolder(name->c_str())) return IoFailure(kIoBackupFailed, target, *name);
    return IoSuccess();
}

// The stamped sources of a job's pieces, each once, as they were walked:
// asked again right before the new file takes the target's name, so that
// a file another program saved during the flush is not replaced.
IoStatus SourcesUnchanged(FileApi& files, const std::vector<SourceFile>& sources,
                          const std::vector<Piece>& pieces) {
    std::vector<bool> asked(sources.size(), false);
    for (size_t i = 0; i < pieces.size(); ++i) {
        size_t s = pieces[i].source;
        if (pieces[i].from != kFromFile || !sources[s].stamped || asked[s]) continue;
        asked[s] = true;
        FileStamp now;
        FileApi::Handle h = files.OpenRead(sources[s].path.c_str());
        bool same = h && files.Stamp(h, &now) && SameStamp(now, sources[s].stamp);
        if (h) files.Close(h);
        if (!same) return IoFailure(kIoSourceChanged, sources[s].path);
    }
    return IoSuccess();
}

// The target's old contents, copied to a new file beside it for its backup
// name (which goes to *name; empty when there is no backup to make).
IoStatus StageBackup(FileApi& files, MemoryApi& mem, const std::string& target, NewFile* copy,
                     std::string* name) {
    IoStatus status = StagedBackupName(files, target, name);
    if (!status.ok() || name->empty()) return status;
    FileApi::Handle h = files.OpenRead(target.c_str());
    uint64_t length = 0;
    if (!h || !files.Size(h, &length)) status = IoFailure(kIoBackupFailed, files, target, *name);
    if (h) files.Close(h);
    if (status.ok() && length >= kFourGiB) status = IoFailure(kIoBackupFailed, target, *name);
    if (status.ok()) status = copy->Create(target);
    if (status.ok()) {
        std::vector<SourceFile> from(1);
        from[0].path = target;
        from[0].stamped = false;
        std::vector<Piece> whole(1, FilePiece(0, 0, static_cast<uint32_t>(length)));
        uint64_t told = 0;
        status = WritePieces(files, mem, from, whole, copy, true, nullptr, &told);
    }
    if (!status.ok()) {
        copy->Discard();
        status.result = kIoBackupFailed;
        status.path = target;
        status.other = *name;
    }
    return status;
}

}  // namespace

Piece FilePiece(size_t source, uint32_t offset, uint32_t length) {
    Piece piece;
    std::memset(&piece, 0, sizeof piece);
    piece.from = kFromFile;
    piece.source = source;
    piece.offset = offset;
    piece.length = length;
    return piece;
}

Piece MemoryPiece(const uint8_t* block, uint32_t blockSize, uint32_t offset, uint32_t length) {
    Piece piece = FilePiece(0, offset, length);
    piece.from = kFromMemory;
    piece.block = block;
    piece.blockSize = blockSize;
    return piece;
}

Piece ZeroPiece(uint32_t length) {
    Piece piece = FilePiece(0, 0, length);
    piece.from = kFromZeros;
    return piece;
}

void MakeBackupCopy(FileApi& files, const char* path) {
    std::string name;
    if (BackupTarget(path, kWindowsPaths, &name)) files.Copy(path, name.c_str());
}

IoStatus WriteOneFile(FileApi& files, MemoryApi& mem, const std::vector<SourceFile>& sources,
                      const WriteJob& job, ByteProgress* progress) {
    size_t placed = 0;
    return WriteFiles(files, mem, sources, std::vector<WriteJob>(1, job), &placed, progress);
}

IoStatus WriteFiles(FileApi& files, MemoryApi& mem, const std::vector<SourceFile>& sources,
                    const std::vector<WriteJob>& jobs, size_t* placed, ByteProgress* progress,
                    JobPieces* make) {
    *placed = 0;
    // One file is flushed before it is closed and replaces its target
    // written through. Several are written first and then flushed one after
    // another, so that their writes reach the disk together, and named
    // together with one write-through of their folder.
    const bool one = jobs.size() == 1;
    // Every new file is owned here from the moment it exists, so that any
    // way out, a thrown bad_alloc included, deletes those not yet named.
    std::vector<std::unique_ptr<NewFile> > made, backups;
    made.reserve(jobs.size());
    backups.reserve(jobs.size());
    std::vector<std::string> backupNames(jobs.size());

    uint64_t told = 0;
    if (progress) {
        uint64_t total = 0;
        for (size_t k = 0; k < jobs.size(); ++k) {
            for (size_t i = 0; i < jobs[k].pieces.size(); ++i) total += jobs[k].pieces[i].length;
        }
        progress->Planned(total);
    }
    for (size_t k = 0; k < jobs.size(); ++k) {
        if (jobs[k].backup != kBackupStaged) continue;
        IoStatus status = StagedBackupName(files, jobs[k].target, &backupNames[k]);
        if (!status.ok()) return status;
    }
    for (size_t k = 0; k < jobs.size(); ++k) {
        const WriteJob& job = jobs[k];
        if (job.backup == kBackupFirst) MakeBackupCopy(files, job.target.c_str());
        made.push_back(std::unique_ptr<NewFile>(new NewFile(files)));
        std::vector<Piece> madePieces;
        IoStatus status = make ? make->Make(k, &madePieces) : IoSuccess();
        if (status.ok())
            status = made.back()->Create(job.target, job.replace ? std::string() : job.folder);
        if (status.ok())
            status = WritePieces(files, mem, sources, make ? madePieces : job.pieces,
                                 made.back().get(), one, progress, &told);
        if (!status.ok()) return status;
    }
    for (size_t k = 0; !one && k < made.size(); ++k) {
        if (!files.FlushNamed(made[k]->path().c_str()))
            return IoFailure(kIoWriteFailed, files, jobs[k].target);
    }
    for (size_t k = 0; k < jobs.size(); ++k) {
        backups.push_back(std::unique_ptr<NewFile>(new NewFile(files)));
        if (jobs[k].backup != kBackupStaged && jobs[k].backup != kBackupStagedQuiet) continue;
        IoStatus status =
            StageBackup(files, mem, jobs[k].target, backups.back().get(), &backupNames[k]);
        if (!status.ok() && jobs[k].backup == kBackupStagedQuiet) backupNames[k].clear();
        if (!status.ok() && jobs[k].backup == kBackupStaged) return status;
    }

    IoStatus result = IoSuccess();
    bool syncFolder = !one;
    for (size_t k = 0; k < jobs.size(); ++k) {
        const char* temp = made[k]->path().c_str();
        const char* target = jobs[k].target.c_str();
        IoStatus status = SourcesUnchanged(files, sources, jobs[k].pieces);
        bool ok = status.ok() && (one ? files.Replace(temp, target, jobs[k].replace)
                                      : files.Rename(temp, target, jobs[k].replace));
        if (!ok) {
            if (status.ok()) status = IoFailure(kIoReplaceFailed, files, jobs[k].target);
            if (status.result == kIoReplaceFailed && !jobs[k].replace && files.Exists(target))
                status.result = kIoExists;
            // A replace that took the old file away and then failed: the
            // new file is all there is of the target now, and stays.
            if (status.result == kIoReplaceFailed && jobs[k].replace && !files.Exists(target))
                status.other = made[k]->Release();
            if (*placed > 0) files.SyncFolder(jobs[0].target.c_str());
            return status;
        }
        made[k]->Keep();
        ++*placed;
        if (backupNames[k].empty()) continue;
        // The old contents take the backup name only now: a write that
        // failed before has left an older backup as it was.
        // If that fails, the copy stays where it is and the caller says so.
        bool named = files.Rename(backups[k]->path().c_str(), backupNames[k].c_str(), true);
        syncFolder = true;
        if (!named && jobs[k].backup == kBackupStagedQuiet) continue;  // the copy goes
        std::string copy = backups[k]->Release();
        if (!named && result.ok())
            result = IoFailure(kIoBackupNotNamed, files, backupNames[k], copy);
    }
    if (syncFolder && !jobs.empty()) files.SyncFolder(jobs[0].target.c_str());
    return result;
}
