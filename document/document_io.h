// Reading and writing container files: the byte work behind open, add, save
// and extract, with no window involved.
#ifndef ORVANEL_DOCUMENT_DOCUMENT_IO_H
#define ORVANEL_DOCUMENT_DOCUMENT_IO_H

#include <cstddef>
#include <cstdint>

#include "document/file_writer.h"
#include "document/io_status.h"

class BufferStretches;
class FileApi;
class MemoryApi;

// Which version of a file the document holds: the file's stamp when it was
// read or written, where the system gave one.
struct FileVersion {
    bool known;
    FileStamp stamp;
};

// Reads a whole file into a new block (open). `opened` is set once the file
// was opened, so the caller knows whether to record its folder. A file of
// 0 bytes gets kIoEmptyFile, one of 4 GiB or more kIoTooLarge, a refused
// block kIoNoMemory. A read that delivers less than it was asked for ends
// it with kIoReadFailed: the bytes after it would land at the wrong place.
// The progress is told the file's size and the bytes read so far; the
// version read goes to *version (an empty file's too).
IoStatus ReadWholeFile(FileApi& files, MemoryApi& mem, const char* path, uint8_t** block,
                       uint32_t* size, bool* opened, ByteProgress* progress = nullptr,
                       FileVersion* version = nullptr);

// The version of the file at `path` now; not known when it cannot be
// opened or stamped.
FileVersion VersionOf(FileApi& files, const char* path);
// Whether another program has written, replaced or touched the file at
// `path` since the document's version `was` of it: false when that version
// is not known, or the file is gone (there is nothing of it to lose then).
bool ChangedSince(FileApi& files, const char* path, const FileVersion& was);

// Grows the buffer by a file's bytes (add): a new block of oldSize + n bytes
// holding the old bytes and then the file. A read that delivers nothing
// before the announced size ends it with kIoReadFailed. An empty file added
// to an empty buffer gets kIoEmptyFile (there is no block of 0 bytes), a
// total of 4 GiB or more kIoTooLarge. On failure nothing is left allocated.
IoStatus ReadFileAppended(FileApi& files, MemoryApi& mem, const char* path, const uint8_t* oldBase,
                          uint32_t oldSize, uint8_t** newBlock, uint32_t* added,
                          ByteProgress* progress = nullptr);

// Writes the images at `offsets` (kNoImage entries skipped), each its
// diskSize bytes clamped to the buffer, back to back to `target`. The bytes
// go to a new file in the target's folder that replaces the target only when
// complete and flushed; on any failure the new file is deleted and the
// target is left as it was. The backup copy is made first when asked, and
// a copy that cannot be made is passed over.
IoStatus WriteImages(FileApi& files, MemoryApi& mem, const uint8_t* base, uint32_t size,
                     const uint32_t* offsets, size_t count, const char* target, bool makeBackup,
                     ByteProgress* progress = nullptr);
// What WriteImages writes, as the one writer's job: a caller that places
// the file its own way (not over an existing target, from a folder of its
// own) changes the job and writes it with WriteOneFile.
WriteJob ImagesJob(MemoryApi& mem, const uint8_t* base, uint32_t size, const uint32_t* offsets,
                   size_t count, const char* target, bool makeBackup);

// The window's save and extract as the one writer's job: the images at
// `offsets` (kNoImage entries skipped), each its diskSize bytes held to the
// end of the stretch it came with. An image cut short there (it holds fewer
// bytes than its diskSize says) with another image written after it would
// take that one in when the file is read again: the job is refused then
// (false), and *cutShort is that image's index in `offsets`.
bool HeldImagesJob(MemoryApi& mem, const uint8_t* base, uint32_t size,
                   const BufferStretches& stretches, const uint32_t* offsets, size_t count,
                   const char* target, BackupOrder backup, WriteJob* job, size_t* cutShort);

#endif
