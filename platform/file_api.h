// The small file interface the document operations need. The Win32 version
// opens files without sharing; the POSIX version serves native tests and the
// command-line tool; tests wrap either one to make faults real.
#ifndef ORVANEL_PLATFORM_FILE_API_H
#define ORVANEL_PLATFORM_FILE_API_H

#include <cstdint>
#include <string>
#include <vector>

// The system's own code of a failure and whose code it is: errno values
// and Windows error codes overlap, so the two are never mixed up.
enum SystemErrorKind { kNoSystemCode, kErrnoCode, kWindowsCode };
struct SystemError {
    int code;
    SystemErrorKind kind;
};

// The system's words for a code (strerror, FormatMessage).
std::string SystemErrorText(const SystemError& error);

// What tells one version of a file from another: its size, which file it is
// on which volume, and when it last changed. Two stamps of one file are
// equal only while nobody wrote to it, replaced it or touched its times.
struct FileStamp {
    uint64_t size;
    uint64_t volume;
    uint64_t index;
    int64_t modified;  // in the system's own units
    int64_t changed;   // 0 where the system keeps no such time
};
inline bool SameStamp(const FileStamp& a, const FileStamp& b) {
    return a.size == b.size && a.volume == b.volume && a.index == b.index &&
           a.modified == b.modified && a.changed == b.changed;
}

// What a name is, asked without reading it: a folder or not, a file of
// data or not (a named pipe, a device or a socket is neither), its length,
// and which file or folder it is (volume and index, both 0 where the
// system does not tell).
struct PathFacts {
    bool folder;
    bool regular;
    uint64_t size;
    uint64_t volume;
    uint64_t index;
};
// Whether a name looked at is the file of a stamp or of other facts: the
// same index on the same volume (never where the system gave no index).
inline bool SameFile(const PathFacts& facts, uint64_t volume, uint64_t index) {
    return facts.index != 0 && facts.index == index && facts.volume == volume;
}

class FileApi {
public:
    typedef void* Handle;  // null means failure

    virtual ~FileApi() {}
    // An existing file of data for reading, not shared; never a named pipe
    // or a device (opening one could wait for a writer).
    virtual Handle OpenRead(const char* path) = 0;
    virtual bool Size(Handle h, uint64_t* size) = 0;
    virtual bool Stamp(Handle h, FileStamp* stamp) = 0;
    // Reads up to n bytes; *got is what was delivered (0 at the end).
    virtual bool Read(Handle h, uint8_t* dst, uint32_t n, uint32_t* got) = 0;
    // Reads up to n bytes from position `pos`, leaving the position of
    // Read undefined; *got is what was delivered (0 at or past the end).
    virtual bool ReadAt(Handle h, uint64_t pos, uint8_t* dst, uint32_t n, uint32_t* got) = 0;
    // A new, empty, unshared file next to `target` (same folder), with a name
    // of its own (NewFileNameBeside, made with CREATE_NEW or O_EXCL); the
    // name goes to tempPath. Where the target exists, the new
    // file takes what the user set on it that the system lets a new file
    // take (mode, owner, extended attributes; attributes and creation time).
    // Null when it cannot be made, or when the target exists and cannot be
    // written.
    virtual Handle CreateTempBeside(const char* target, std::string* tempPath) = 0;
    // Writes up to n bytes; *put is what was written.
    virtual bool Write(Handle h, const uint8_t* src, uint32_t n, uint32_t* put) = 0;
    // The system's own copy of up to n bytes from position `pos` of `from`
    // to the end of what was written to `to`; *copied is what was copied.
    // A copy that stops part way reports what it copied; the next call then
    // fails. False, with nothing copied by this call, where the system has
    // no such copy or refuses it: the caller then reads and writes the
    // bytes itself from where the copy stopped.
    virtual bool CopyRange(Handle from, uint64_t pos, Handle to, uint32_t n, uint32_t* copied) = 0;
    virtual bool Flush(Handle h) = 0;
    // Flushes the bytes of a closed file (one written without Flush).
    virtual bool FlushNamed(const char* path) = 0;
    virtual bool Close(Handle h) = 0;
    virtual bool Delete(const char* path) = 0;
    // Copies a file over `to`, replacing it.
    virtual bool Copy(const char* from, const char* to) = 0;
    // Puts the flushed file `from` in the place of `to`, written through.
    // `to` keeps what the user set on it (ReplaceFile on Windows). With
    // `replace` false the call fails, changing nothing, when something of
    // the name `to` exists, also one made a moment before: the test and the
    // rename are one step of the system's.
    virtual bool Replace(const char* from, const char* to, bool replace = true) = 0;
    // The same without writing the folder's entry through: one SyncFolder
    // after a run of them does that for all.
    virtual bool Rename(const char* from, const char* to, bool replace = true) = 0;
    virtual bool SyncFolder(const char* pathInFolder) = 0;
    // True when something of that exact name exists (file or folder);
    // wildcards are not expanded.
    virtual bool Exists(const char* path) = 0;
    virtual bool IsFolder(const char* path) = 0;
    // Links followed; false when nothing of that name can be reached.
    virtual bool Inspect(const char* path, PathFacts* facts) = 0;
    // The names in a folder, files and folders alike ("." and ".." left
    // out), with `shortNames` each with its short (8.3) form too where the
    // system keeps one: one read of the folder. False when it cannot be read.
    virtual bool ListFolder(const char* folder, std::vector<std::string>* names,
                            bool shortNames) = 0;
    // A new, empty folder of its own name beside `target` (a name of
    // NewFileNameBeside, made only where nothing has it yet); its path goes
    // to folderPath. RemoveFolder removes an empty folder.
    virtual bool MakeFolderBeside(const char* target, std::string* folderPath) = 0;
    virtual bool RemoveFolder(const char* path) = 0;
    // Whether the folder of `pathInFolder` takes names that differ only in
    // letter case for one name (asked of the folder's file system), and the
    // form of a name under which such a folder compares it.
    virtual bool FoldsCase(const char* pathInFolder) = 0;
    virtual std::string FoldCase(const std::string& name) = 0;
    // The system's error of the last call that failed ({0, kNoSystemCode}
    // when it gave none).
    virtual SystemError LastError() = 0;
};

// The system's files: Win32 on Windows, POSIX elsewhere.
FileApi& SystemFiles();

#endif
