// What every operation on files reports: what failed, the file or files it
// concerns, and the system's own code. The window words it with its own
// fixed messages; d88 says more (the paths, the system's words).
#ifndef ORVANEL_DOCUMENT_IO_STATUS_H
#define ORVANEL_DOCUMENT_IO_STATUS_H

#include <cstdint>
#include <string>

#include "platform/file_api.h"

// A container file, and so the buffer that holds one, stays below 4 GiB:
// offsets and sizes are 32 bits.
const uint64_t kFourGiB = 0x100000000ull;

enum IoResult {
    kIoOk = 0,
    kIoOpenFailed,     // the file cannot be opened
    kIoCreateFailed,   // no new file can be made beside the target, or the target cannot be written
    kIoSizeFailed,     // the size of an opened file cannot be taken
    kIoNoMemory,       // a refused allocation
    kIoReadFailed,     // a read failed, or the file ended before its size
    kIoWriteFailed,    // a write, flush or close of the new file failed
    kIoNameTooLong,    // the path, or the new file's name beside it, does not fit
    kIoEmptyFile,      // a file of 0 bytes to open
    kIoTooLarge,       // 4 GiB or more
    kIoReplaceFailed,  // the new file could not take the target's name
    kIoExists,         // the target exists and was not to be replaced
    kIoSourceChanged,  // a source changed between the walk and the write
    kIoBackupFailed,   // the backup copy (path, at `other`) could not be made
    kIoBackupNotNamed,  // done, but the old contents kept at `other` could not take the backup name
    kIoRefused          // the container's check refused the result (see its plan)
};

struct IoStatus {
    IoResult result;
    SystemError error;
    std::string path;   // the file the failure concerns
    std::string other;  // a second one: the backup name, the copy kept
    bool ok() const { return result == kIoOk; }
};

inline IoStatus IoSuccess() {
    IoStatus s = {kIoOk, {0, kNoSystemCode}, std::string(), std::string()};
    return s;
}
inline IoStatus IoFailure(IoResult result, const SystemError& error, const std::string& path,
                          const std::string& other = std::string()) {
    IoStatus s = {result, error, path, other};
    return s;
}
// A failure with the last error of `files`.
inline IoStatus IoFailure(IoResult result, FileApi& files, const std::string& path,
                          const std::string& other = std::string()) {
    return IoFailure(result, files.LastError(), path, other);
}
// A failure the system did not report.
inline IoStatus IoFailure(IoResult result, const std::string& path,
                          const std::string& other = std::string()) {
    SystemError none = {0, kNoSystemCode};
    return IoFailure(result, none, path, other);
}

// Told how far a run of reads or writes is: the bytes it will move, once
// they are known, and then the bytes moved so far.
class ByteProgress {
public:
    virtual ~ByteProgress() {}
    virtual void Planned(uint64_t total) { (void)total; }
    virtual void Moved(uint64_t bytes) = 0;
};

#endif
