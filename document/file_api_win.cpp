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
        char folder[MAX_PATH * 2];
        lstrcpynA(folder, target, sizeof folder);
        int slash = LastBackslash(folder);
        if (slash < 0) {
            lstrcpyA(folder, ".");
        } else if (slash == 2 && folder[1] == ':') {
            folder[3] = '\0';  // keep the root of a drive: "C:\"
        } else {
            folder[slash] = '\0';
        }
        if (folder[0] == '\0') lstrcpyA(folder, "\\");
        // GetTempFileName creates the file, so the name is ours alone.
        if (!GetTempFileNameA(folder, "orv", 0, tempPath)) return nullptr;
        HANDLE h = CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            DeleteFileA(tempPath);
            return nullptr;
        }
        return h;
    }
    bool Write(Handle h, const uint8_t* src, uint32_t n, uint32_t* put) override {
        DWORD done = 0;
        BOOL ok = WriteFile(ToHandle(h), src, n, &done, nullptr);
        *put = done;
        return ok != FALSE;
    }
    bool Flush(Handle h) override { return FlushFileBuffers(ToHandle(h)) != FALSE; }
    bool Close(Handle h) override { return CloseHandle(ToHandle(h)) != FALSE; }
    bool Delete(const char* path) override { return DeleteFileA(path) != FALSE; }
    bool Copy(const char* from, const char* to) override {
        return CopyFileA(from, to, FALSE) != FALSE;
    }
    bool Replace(const char* from, const char* to) override {
        return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    bool Exists(const char* path) override {
        return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    }
};

}  // namespace

FileApi& SystemFiles() {
    static Win32Files files;
    return files;
}
