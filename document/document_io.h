// Reading and writing container files: the byte work behind open, add, save
// and extract, with no window involved.
#ifndef ORVANEL_DOCUMENT_DOCUMENT_IO_H
#define ORVANEL_DOCUMENT_DOCUMENT_IO_H

#include <cstddef>
#include <cstdint>

class FileApi;
class MemoryApi;

enum IoResult {
    kIoOk = 0,
    kIoOpenFailed,   // "ﾌｧｲﾙがｵｰﾌﾟﾝできません:\n%s"
    kIoSizeFailed,   // "ﾌｧｲﾙｻｲｽﾞが取得できません:\n%s"
    kIoNoMemory,     // "ﾒﾓﾘが確保できません."
    kIoReadFailed,   // "ﾌｧｲﾙの読み込みに失敗しました:\n%s"
    kIoWriteFailed,  // "ﾌｧｲﾙの書き込みに失敗しました:\n%s"
    kIoNameTooLong   // a target name over 259 bytes (reported as open failure)
};

// Reads a whole file into a new block (open). `opened` is set once the file
// was opened, so the caller knows whether to record its folder. A file of
// 0 bytes or of 4 GiB or more gets kIoNoMemory. A short read leaves the rest
// of its page zero and reading goes on.
IoResult ReadWholeFile(FileApi& files, MemoryApi& mem, const char* path,
                       uint8_t** block, uint32_t* size, bool* opened);

// Grows the buffer by a file's bytes (add): a new block of oldSize + n bytes
// holding the old bytes and then the file. A read that delivers nothing
// before the announced size ends it with kIoReadFailed. On failure nothing
// is left allocated.
IoResult ReadFileAppended(FileApi& files, MemoryApi& mem, const char* path,
                          const uint8_t* oldBase, uint32_t oldSize,
                          uint8_t** newBlock, uint32_t* added);

// Copies `path` to its backup name, replacing an older backup. Failures
// (nothing to copy, no room) are silent.
void MakeBackupCopy(FileApi& files, const char* path);

// Writes the images at `offsets` (kNoImage entries skipped), each its
// diskSize bytes clamped to the buffer, back to back to `target`. The bytes
// go to a new file in the target's folder that replaces the target only when
// complete and flushed; on any failure the new file is deleted and the
// target is left as it was. The backup copy is made first when asked.
IoResult WriteImages(FileApi& files, MemoryApi& mem, const uint8_t* base, uint32_t size,
                     const uint32_t* offsets, size_t count, const char* target,
                     bool makeBackup);

#endif
