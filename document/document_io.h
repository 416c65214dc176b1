// Reading and writing container files: the byte work behind open, add, save
// and extract, with no window involved.
#ifndef ORVANEL_DOCUMENT_DOCUMENT_IO_H
#define ORVANEL_DOCUMENT_DOCUMENT_IO_H

#include <cstddef>
#include <cstdint>

#include "document/paths.h"

class FileApi;
class MemoryApi;

enum IoResult {
    kIoOk = 0,
    kIoOpenFailed,   // "ﾌｧｲﾙがｵｰﾌﾟﾝできません:\n%s"
    kIoSizeFailed,   // "ﾌｧｲﾙｻｲｽﾞが取得できません:\n%s"
    kIoNoMemory,     // "ﾒﾓﾘが確保できません." (a refused allocation)
    kIoReadFailed,   // "ﾌｧｲﾙの読み込みに失敗しました:\n%s"
    kIoWriteFailed,  // "ﾌｧｲﾙの書き込みに失敗しました:\n%s"
    kIoNameTooLong,  // a target name over 259 bytes (reported as open failure)
    kIoEmptyFile,    // a file of 0 bytes to open: the window shows the memory message
    kIoTooLarge      // 4 GiB or more: the window shows the memory message
};

// A result with the system's error code of the call that failed (errno,
// GetLastError; 0 where there is none), for a front end that says more
// than the window's messages.
struct IoStatus {
    IoResult result;
    int systemError;
};

// Reads a whole file into a new block (open). `opened` is set once the file
// was opened, so the caller knows whether to record its folder. A file of
// 0 bytes gets kIoEmptyFile, one of 4 GiB or more kIoTooLarge, a refused
// block kIoNoMemory. A short read leaves the rest of its page zero and
// reading goes on.
IoResult ReadWholeFile(FileApi& files, MemoryApi& mem, const char* path,
                       uint8_t** block, uint32_t* size, bool* opened);

// Grows the buffer by a file's bytes (add): a new block of oldSize + n bytes
// holding the old bytes and then the file. A read that delivers nothing
// before the announced size ends it with kIoReadFailed. An empty file added
// to an empty buffer gets kIoEmptyFile (there is no block of 0 bytes), a
// total of 4 GiB or more kIoTooLarge. On failure nothing is left allocated.
IoResult ReadFileAppended(FileApi& files, MemoryApi& mem, const char* path,
                          const uint8_t* oldBase, uint32_t oldSize,
                          uint8_t** newBlock, uint32_t* added);

// Copies `path` to its backup name, replacing an older backup. Failures
// (nothing to copy, no room) are silent.
void MakeBackupCopy(FileApi& files, const char* path);

// The backup copy in two steps, so that a command that fails leaves no
// backup behind. StageBackupCopy copies an existing `target` to a new file
// beside it whose name goes to `stage` (520 bytes); false, silently, when
// there is nothing to copy, the target already has the backup name, or the
// copy fails. CommitBackupCopy puts the staged copy in the place of the
// target's backup name, or deletes it when that fails.
bool StageBackupCopy(FileApi& files, MemoryApi& mem, const char* target, char* stage,
                     PathStyle style);
bool CommitBackupCopy(FileApi& files, const char* stage, const char* target, PathStyle style);

// Writes the images at `offsets` (kNoImage entries skipped), each its
// diskSize bytes clamped to the buffer, back to back to `target`. The bytes
// go to a new file in the target's folder that replaces the target only when
// complete and flushed; on any failure the new file is deleted and the
// target is left as it was. The backup copy is made first when asked.
IoResult WriteImages(FileApi& files, MemoryApi& mem, const uint8_t* base, uint32_t size,
                     const uint32_t* offsets, size_t count, const char* target,
                     bool makeBackup);

#endif
