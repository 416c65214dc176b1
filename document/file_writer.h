// The one way files are written: the window's save and extract and every
// command of d88. A file is made of pieces (stretches of memory, of other
// files, or zeros, with edited header bytes patched in on the way), written
// to a new file beside its target, flushed, and only then given the
// target's name. On any failure the new file is deleted and the target is
// left as it was.
#ifndef ORVANEL_DOCUMENT_FILE_WRITER_H
#define ORVANEL_DOCUMENT_FILE_WRITER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/io_status.h"
#include "store/d88.h"

class MemoryApi;

// The bytes moved per read and write when the system has no copy of its own.
const uint32_t kStreamChunk = 1u << 20;

enum PieceFrom { kFromFile, kFromMemory, kFromZeros };

struct Piece {
    PieceFrom from;
    size_t source;         // kFromFile: which of the sources
    const uint8_t* block;  // kFromMemory: the block the bytes lie in,
    uint32_t blockSize;    // and its size (page locks stay inside it)
    uint32_t offset;       // where the stretch starts in its file or block
    uint32_t length;
    uint32_t headerLength;  // the first headerLength (at most 36) bytes come from `header`
    uint8_t header[kHeaderAccess];
    uint32_t checkLength;          // kFromFile: the file's first checkLength bytes there
    uint8_t found[kHeaderAccess];  // must still be these, or nothing is replaced
};

Piece FilePiece(size_t source, uint32_t offset, uint32_t length);
// Memory is written in chunks of one page, each locked while it moves.
Piece MemoryPiece(const uint8_t* block, uint32_t blockSize, uint32_t offset, uint32_t length);
Piece ZeroPiece(uint32_t length);

// A file that pieces are copied from, with the stamp it had when it was
// walked: a file that has changed since (another program saved over it) is
// not copied from.
struct SourceFile {
    std::string path;
    bool stamped;
    FileStamp stamp;
};

// When the target's old contents are copied to its backup name.
enum BackupOrder {
    kNoBackup,
    // Before anything is written; a copy that cannot be made is passed
    // over and the write goes on (the window's save and extract).
    kBackupFirst,
    // Once the new file is complete, before the target is replaced; a copy
    // that cannot be made stops the write with nothing replaced. The copy
    // takes the backup name after the target was replaced (d88).
    kBackupStaged,
    // Staged in the same order, but a copy that cannot be made, or cannot
    // take the backup name, is passed over without a word and leaves an
    // older backup as it was (the window's save and extract).
    kBackupStagedQuiet
};

struct WriteJob {
    std::string target;
    std::vector<Piece> pieces;
    BackupOrder backup;
    bool replace;  // false: refused, in one step of the system's, when the target exists
    // Where the new file of a job that does not replace is made: a folder
    // of the caller's own on the target's volume, so that making it asks
    // nothing of the target's folder (empty: beside the target, as a job
    // that replaces always makes it, to take what the user set on the
    // target). Only the final rename then meets the target's folder.
    std::string folder;
};

// Writes one file. Failures name the file concerned: the target
// (kIoCreateFailed, kIoWriteFailed, kIoReplaceFailed, kIoExists,
// kIoNameTooLong), a source (kIoOpenFailed, kIoReadFailed,
// kIoSourceChanged), the backup name (kIoBackupFailed, with `other` the
// target's own path when the backup name is the target's own name; this
// and a folder of the backup name stop the write before anything is
// written). kIoBackupNotNamed means the file was written and the old
// contents are kept under `other`. Every stamped source is asked again
// right before the new file takes the target's name (before each name of
// a run of several), so that a source another program saved meanwhile is
// not replaced: kIoSourceChanged, with nothing replaced.
// A kIoReplaceFailed with `other` set means the target was gone when the
// new file could not take its name: the new file is kept under `other`.
// A progress is told the bytes of all pieces first, then the bytes that
// reached the new files so far.
IoStatus WriteOneFile(FileApi& files, MemoryApi& mem, const std::vector<SourceFile>& sources,
                      const WriteJob& job, ByteProgress* progress = nullptr);

// Makes the pieces of a job just before the job is written, so that only
// the bytes of one file at a time need to be in memory (the files of a
// conversion); its failure stops the write as a piece's would.
class JobPieces {
public:
    virtual ~JobPieces() {}
    virtual IoStatus Make(size_t job, std::vector<Piece>* pieces) = 0;
};

// Writes several files, each beside its target (or in its job's folder),
// and gives them their names only when all are complete and flushed (and
// their backup copies made).
// *placed gets how many took their names; none did when a failure comes
// before that step. With `make`, each job's pieces are the ones it makes
// (and a progress is told of those as they are made).
IoStatus WriteFiles(FileApi& files, MemoryApi& mem, const std::vector<SourceFile>& sources,
                    const std::vector<WriteJob>& jobs, size_t* placed,
                    ByteProgress* progress = nullptr, JobPieces* make = nullptr);

// Copies `path` to its backup name, replacing an older backup, before the
// file is overwritten. Failures (nothing to copy, no room) are silent.
void MakeBackupCopy(FileApi& files, const char* path);

#endif
