// The document's files on Windows: unshared handles, a new file beside the
// target for every write, and a write-through replace at the end.
#include <windows.h>

#include <cstring>

#include "document/file_api.h"
#include "document/paths.h"

namespace {

HANDLE ToHandle(FileApi::Handle h) { return static_cast<HANDLE>(h); }

class Win32Files : public FileApi {
public:
    Handle OpenRead(const char* path) override {
        HANDLE h = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        return h == INVALID_HANDLE_VALUE ? nullptr : h;
    }
    bool Size(Handle h, uint64_t* size) override {
        DWORD high = 0;
        DWORD low = GetFileSize(ToHandle(h), &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
        *size = (static_cast<uint64_t>(high) << 32) | low;
        return true;
    }
    bool Read(Handle h, uint8_t* dst, uint32_t n, uint32_t* got) override {
        DWORD done = 0;
        BOOL ok = ReadFile(ToHandle(h), dst, n, &done, nullptr);
        *got = done;
        return ok != FALSE;
    }
    bool ReadAt(Handle h, uint64_t pos, uint8_t* dst, uint32_t n, uint32_t* got) override {
        *got = 0;
        LONG high = static_cast<LONG>(pos >> 32);
        DWORD low = SetFilePointer(ToHandle(h), static_cast<LONG>(pos & 0xFFFFFFFFu), &high,
                                   FILE_BEGIN);
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return false;
        return Read(h, dst, n, got);
    }
    Handle CreateTempBeside(const char* target, char* tempPath) override {
        // A target that exists but cannot be written (read-only, in use) is
        // refused here, before anything is written.
        DWORD attributes = GetFileAttributesA(target);
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
            HANDLE probe = CreateFileA(target, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
            if (probe == INVALID_HANDLE_VALUE) return nullptr;
            CloseHandle(probe);
        }
        // The name is made here rather than by GetTempFileName, which refuses
        // folders of more than 246 bytes: any target that fits in 259 bytes
        // gets a new file beside it. CREATE_NEW makes the name ours alone.
        uint32_t seed = GetTickCount() ^ (GetCurrentProcessId() * 2654435761u) ^ (++calls_ * 40503u);
        for (uint32_t attempt = 0; attempt < 1000; ++attempt) {
            if (!NewFileNameBeside(target, seed, attempt, tempPath, kPathMax, kWindowsPaths)) {
                SetLastError(ERROR_FILENAME_EXCED_RANGE);
                break;
            }
            HANDLE h = CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) return h;
            DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
        }
        DWORD error = GetLastError();
        tempPath[0] = '\0';
        SetLastError(error);
        return nullptr;
    }
    bool Write(Handle h, const uint8_t* src, uint32_t n, uint32_t* put) override {
        DWORD done = 0;
        BOOL ok = WriteFile(ToHandle(h), src, n, &done, nullptr);
        *put = done;
        return ok != FALSE;
    }
    bool CopyRange(Handle, uint64_t, Handle, uint32_t, uint32_t* copied) override {
        *copied = 0;  // no kernel copy between handles here: the caller copies
        return false;
    }
    bool Flush(Handle h) override { return FlushFileBuffers(ToHandle(h)) != FALSE; }
    bool FlushNamed(const char* path) override {
        HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        BOOL ok = FlushFileBuffers(h);
        DWORD error = GetLastError();
        CloseHandle(h);
        SetLastError(error);
        return ok != FALSE;
    }
    bool Close(Handle h) override { return CloseHandle(ToHandle(h)) != FALSE; }
    bool Delete(const char* path) override { return DeleteFileA(path) != FALSE; }
    bool Copy(const char* from, const char* to) override {
        return CopyFileA(from, to, FALSE) != FALSE;
    }
    bool Replace(const char* from, const char* to) override {
        return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    bool Rename(const char* from, const char* to) override { return Replace(from, to); }
    bool SyncFolder(const char*) override { return true; }  // each Rename is written through
    bool Exists(const char* path) override {
        return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    }
    int LastError() override { return static_cast<int>(GetLastError()); }

private:
    uint32_t calls_ = 0;
};

}  // namespace

FileApi& SystemFiles() {
    static Win32Files files;
    return files;
}
