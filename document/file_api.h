// The small file interface the document operations need. The Win32 version
// opens files without sharing; the POSIX version serves native tests and the
// command-line tool; tests wrap either one to make faults real.
#ifndef ORVANEL_DOCUMENT_FILE_API_H
#define ORVANEL_DOCUMENT_FILE_API_H

#include <cstdint>

class FileApi {
public:
    typedef void* Handle;  // null means failure

    virtual ~FileApi() {}
    // An existing file for reading, not shared.
    virtual Handle OpenRead(const char* path) = 0;
    virtual bool Size(Handle h, uint64_t* size) = 0;
    // Reads up to n bytes; *got is what was delivered (0 at the end).
    virtual bool Read(Handle h, uint8_t* dst, uint32_t n, uint32_t* got) = 0;
    // Reads up to n bytes from position `pos`, leaving the position of
    // Read undefined; *got is what was delivered (0 at or past the end).
    virtual bool ReadAt(Handle h, uint64_t pos, uint8_t* dst, uint32_t n, uint32_t* got) = 0;
    // A new, empty, unshared file next to `target` (same folder), with a name
    // of its own (NewFileNameBeside, made with CREATE_NEW or O_EXCL); the
    // name goes to tempPath (520 bytes). Null when it cannot be made, or when
    // the target exists and cannot be written.
    virtual Handle CreateTempBeside(const char* target, char* tempPath) = 0;
    // Writes up to n bytes; *put is what was written.
    virtual bool Write(Handle h, const uint8_t* src, uint32_t n, uint32_t* put) = 0;
    // The system's own copy of up to n bytes from position `pos` of `from`
    // to the end of what was written to `to`; *copied is what was copied.
    // False, with nothing copied, where the system has no such copy or
    // refuses it: the caller then reads and writes the bytes itself.
    virtual bool CopyRange(Handle from, uint64_t pos, Handle to, uint32_t n,
                           uint32_t* copied) = 0;
    virtual bool Flush(Handle h) = 0;
    // Flushes the bytes of a closed file (one written without Flush).
    virtual bool FlushNamed(const char* path) = 0;
    virtual bool Close(Handle h) = 0;
    virtual bool Delete(const char* path) = 0;
    // Copies a file over `to`, replacing it.
    virtual bool Copy(const char* from, const char* to) = 0;
    // Puts `from` in the place of `to`, replacing it, written through.
    virtual bool Replace(const char* from, const char* to) = 0;
    // The same for a `from` already flushed, without writing the folder's
    // entry through: one SyncFolder after a run of them does that for all.
    virtual bool Rename(const char* from, const char* to) = 0;
    virtual bool SyncFolder(const char* pathInFolder) = 0;
    // True when something of that exact name exists (file or folder);
    // wildcards are not expanded.
    virtual bool Exists(const char* path) = 0;
    // The system's error code of the last call that failed (errno,
    // GetLastError), 0 when it gave none.
    virtual int LastError() = 0;
};

// The system's files: Win32 on Windows, POSIX elsewhere.
FileApi& SystemFiles();

#endif
