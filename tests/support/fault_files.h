// A FileApi that passes every call to another one (the system's by default)
// and makes file faults real on request: a failed open, size, read, write,
// flush, create or replace, short and empty reads, writes that stop half
// way, writes that claim success without writing anything, a system copy
// that stops part way, and a source that changes while it is worked on.
#ifndef ORVANEL_TESTS_SUPPORT_FAULT_FILES_H
#define ORVANEL_TESTS_SUPPORT_FAULT_FILES_H

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_api.h"

class FaultFiles : public FileApi {
public:
    FaultFiles();
    explicit FaultFiles(FileApi& inner);

    Handle OpenRead(const char* path) override;  // runs beforeOpen first
    bool Size(Handle h, uint64_t* size) override;
    bool Stamp(Handle h, FileStamp* stamp) override;
    bool Read(Handle h, uint8_t* dst, uint32_t n, uint32_t* got) override;
    // Counted and faulted as reads.
    bool ReadAt(Handle h, uint64_t pos, uint8_t* dst, uint32_t n, uint32_t* got) override;
    Handle CreateTempBeside(const char* target, std::string* tempPath) override;
    bool Write(Handle h, const uint8_t* src, uint32_t n, uint32_t* put) override;
    // Declined unless `kernelCopy` is set, so that the copy goes through
    // Read and Write, where the faults are; fails once `kernelCopyFailAfter`
    // bytes were copied.
    bool CopyRange(Handle from, uint64_t pos, Handle to, uint32_t n, uint32_t* copied) override;
    bool Flush(Handle h) override;               // runs duringFlush first
    bool FlushNamed(const char* path) override;  // fails with failFlush; runs duringFlush first
    bool Close(Handle h) override;
    bool Delete(const char* path) override;
    bool Copy(const char* from, const char* to) override;
    bool Replace(const char* from, const char* to, bool replace) override;
    bool Rename(const char* from, const char* to, bool replace) override;  // fails with failReplace
    bool SyncFolder(const char* pathInFolder) override;
    bool Exists(const char* path) override;
    bool IsFolder(const char* path) override;
    bool Inspect(const char* path, PathFacts* facts) override;
    bool ListFolder(const char* folder, std::vector<std::string>* names, bool shortNames) override;
    bool MakeFolderBeside(const char* target, std::string* folderPath) override;
    bool RemoveFolder(const char* path) override;
    bool FoldsCase(const char* pathInFolder) override;  // `foldsCase` when set
    std::string FoldCase(const std::string& name) override;
    // `systemError` after a fault made here, else the inner one's.
    SystemError LastError() override;

    // Faults; reads and writes are counted from 1.
    bool failOpen = false;
    bool failSize = false;
    bool overrideSize = false;  // Size reports `reportedSize` instead
    uint64_t reportedSize = 0;
    int failReadAt = 0;
    int shortReadAt = 0;  // that read delivers at most shortReadBytes
    uint32_t shortReadBytes = 0;
    int emptyReadAt = 0;          // that read succeeds with 0 bytes, reading nothing
    bool emptyReadsFrom = false;  // ... and so do all reads after it
    bool failCreate = false;
    int failCreateAt = 0;         // that new file (counted from 1) cannot be made
    int64_t failWriteAfter = -1;  // writes stop after this many bytes in all
    int zeroWriteAt = 0;          // that write reports success with 0 bytes
    bool failFlush = false;
    bool failClose = false;
    bool failReplace = false;
    int failRenameAt = 0;  // that Replace or Rename (counted from 1) fails
    bool replaceLosesTarget = false;  // Replace deletes its target, then fails
    bool failCopy = false;
    bool kernelCopy = false;
    int64_t kernelCopyFailAfter = -1;
    int foldsCase = -1;         // 0 or 1: what FoldsCase says instead of the folder
    bool frozenStamps = false;  // Stamp reports each file's first stamp ever after
    bool failListFolder = false;
    std::string failInspectOf;  // Inspect fails for a path that ends so
    bool failMakeFolder = false;
    std::function<void(const std::string&)> beforeOpen;    // called with the path
    std::function<void(const std::string&)> beforeCreate;  // with the path a new file is made for
    std::function<void()> duringFlush;                     // another program at work meanwhile
    // Counts, per folder, the calls that ask the system about a name that
    // does not exist (each name made new counts too), and the folders read
    // whole. Each name is first looked up here, which costs a look-up more.
    bool countLookups = false;
    std::map<std::string, int> missingLookups;
    int folderReads = 0;
    int systemError = 0;  // the code a fault made here reports (an errno)

    // What happened.
    int reads = 0;
    int writes = 0;
    int creates = 0;
    int renames = 0;
    uint64_t kernelCopied = 0;
    uint64_t bytesWritten = 0;
    std::vector<std::string> tempsCreated;
    std::vector<std::string> copies;  // "from>to" of every copy asked for
    size_t openHandles() const { return open_.size(); }

private:
    bool Faulted();  // notes that the last failure was made here
    void Look(const char* path, bool madeNew = false);
    bool ReadFault(uint32_t* n, uint32_t* got, bool* result);
    FileApi& inner_;
    bool faulted_ = false;
    std::set<Handle> open_;
    std::map<Handle, std::string> paths_;
    std::map<std::string, FileStamp> firstStamps_;
};

#endif
