// The document's files on Windows: unshared handles, a new file beside the
// target for every write, and a replace at the end that keeps what the user
// set on the target.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "document/file_api.h"
#include "document/paths.h"

namespace {

HANDLE ToHandle(FileApi::Handle h) { return static_cast<HANDLE>(h); }

// Keeps the last error of the call that failed across the clean-up after it.
class KeepError {
public:
    KeepError() : error_(GetLastError()) {}
    ~KeepError() { SetLastError(error_); }

private:
    DWORD error_;
};

typedef BOOL(WINAPI* ReplaceFileFn)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID);

// ReplaceFileA where the system has it (Windows 2000 and later).
ReplaceFileFn SystemReplaceFile() {
    static ReplaceFileFn fn = reinterpret_cast<ReplaceFileFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "ReplaceFileA")));
    return fn;
}

const DWORD kIgnoreMergeErrors = 0x00000002;  // REPLACEFILE_IGNORE_MERGE_ERRORS

typedef BOOL(WINAPI* SetFileInfoFn)(HANDLE, int, LPVOID, DWORD);

// SetFileInformationByHandle where the system has it (Windows Vista and
// later), with FILE_RENAME_INFO's layout.
SetFileInfoFn SystemSetFileInfo() {
    static SetFileInfoFn fn = reinterpret_cast<SetFileInfoFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle")));
    return fn;
}
const int kFileRenameInfo = 3;
struct RenameInfo {
    DWORD replaceIfExists;
    HANDLE rootDirectory;
    DWORD nameBytes;
    WCHAR name[1];
};

// Gives the closed file `from` the name `to` where nothing has that name,
// by the rename of the file itself, which looks `to` up once: MoveFileEx
// opens `to` first to learn whether it exists and then renames, and under
// Wine each of the two reads the whole folder. 1 done, 0 refused (the
// system's error is the last one), -1 where the system has no such rename
// or declines it (MoveFileEx then).
int RenameToNewName(const char* from, const char* to) {
    SetFileInfoFn setInfo = SystemSetFileInfo();
    int n = MultiByteToWideChar(CP_ACP, 0, to, -1, nullptr, 0);
    if (!setInfo || n <= 0) return -1;
    std::vector<char> bytes(sizeof(RenameInfo) + static_cast<size_t>(n) * sizeof(WCHAR));
    RenameInfo* info = reinterpret_cast<RenameInfo*>(&bytes[0]);
    info->nameBytes = static_cast<DWORD>(n - 1) * sizeof(WCHAR);
    MultiByteToWideChar(CP_ACP, 0, to, -1, info->name, n);
    HANDLE h = CreateFileA(from, DELETE | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return -1;
    BOOL renamed = setInfo(h, kFileRenameInfo, info, static_cast<DWORD>(bytes.size()));
    DWORD error = GetLastError();
    CloseHandle(h);
    if (renamed) return 1;
    if (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
        error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED)
        return -1;
    SetLastError(error);
    return 0;
}

// Puts `from` in the place of `to`. An existing `to` is replaced by the
// system's ReplaceFile, which keeps its attributes, security, streams and
// creation time; where that is missing or fails, by a rename over it.
bool PlaceName(const char* from, const char* to, bool replace) {
    if (!replace) {
        int renamed = RenameToNewName(from, to);
        if (renamed >= 0) return renamed == 1;
        return MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    ReplaceFileFn replaceFile = SystemReplaceFile();
    if (replaceFile && GetFileAttributesA(to) != INVALID_FILE_ATTRIBUTES) {
        if (replaceFile(to, from, nullptr, kIgnoreMergeErrors, nullptr, nullptr)) return true;
        // ReplaceFile may fail after it took the old file away; `from` is
        // still there under its own name then, and the rename below puts it
        // in place.
    }
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

class Win32Files : public FileApi {
public:
    Handle OpenRead(const char* path) override {
        HANDLE h = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        return h == INVALID_HANDLE_VALUE ? nullptr : h;
    }
    bool Size(Handle h, uint64_t* size) override {
        DWORD high = 0;
        DWORD low = GetFileSize(ToHandle(h), &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
        *size = (static_cast<uint64_t>(high) << 32) | low;
        return true;
    }
    bool Stamp(Handle h, FileStamp* stamp) override {
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(ToHandle(h), &info)) return false;
        stamp->size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        stamp->volume = info.dwVolumeSerialNumber;
        stamp->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        stamp->modified = static_cast<int64_t>(
            (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
            info.ftLastWriteTime.dwLowDateTime);
        stamp->changed = 0;
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
        DWORD low =
            SetFilePointer(ToHandle(h), static_cast<LONG>(pos & 0xFFFFFFFFu), &high, FILE_BEGIN);
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return false;
        return Read(h, dst, n, got);
    }
    Handle CreateTempBeside(const char* target, std::string* tempPath) override {
        tempPath->clear();
        // A target that exists but cannot be written (read-only, in use) is
        // refused here, before anything is written.
        DWORD attributes = GetFileAttributesA(target);
        FILETIME created = {0, 0};
        bool exists = attributes != INVALID_FILE_ATTRIBUTES;
        if (exists) {
            if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
                SetLastError(ERROR_ACCESS_DENIED);
                return nullptr;
            }
            HANDLE probe = CreateFileA(target, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
            if (probe == INVALID_HANDLE_VALUE) return nullptr;
            GetFileTime(probe, &created, nullptr, nullptr);
            CloseHandle(probe);
        }
        // The new file takes the target's place: it starts with the
        // attributes and creation time the user has there.
        DWORD keep =
            exists ? attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)
                   : 0;
        // The name is made here rather than by GetTempFileName, which refuses
        // folders of more than 246 bytes: any target that fits in 259 bytes
        // gets a new file beside it. CREATE_NEW makes the name ours alone.
        uint32_t seed =
            GetTickCount() ^ (GetCurrentProcessId() * 2654435761u) ^ (++calls_ * 40503u);
        char name[kPathMax];
        for (uint32_t attempt = 0; attempt < 1000; ++attempt) {
            if (!NewFileNameBeside(target, seed, attempt, name, sizeof name, kWindowsPaths)) {
                SetLastError(ERROR_FILENAME_EXCED_RANGE);
                break;
            }
            // The name is kept before the file exists: a file is never made
            // whose name could be lost.
            tempPath->assign(name);
            HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   keep ? keep : FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                if (exists) SetFileTime(h, &created, nullptr, nullptr);
                return h;
            }
            DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
        }
        KeepError lastError;
        tempPath->clear();
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
        KeepError keep;
        CloseHandle(h);
        return ok != FALSE;
    }
    bool Close(Handle h) override { return CloseHandle(ToHandle(h)) != FALSE; }
    bool Delete(const char* path) override { return DeleteFileA(path) != FALSE; }
    bool Copy(const char* from, const char* to) override {
        return CopyFileA(from, to, FALSE) != FALSE;
    }
    bool Replace(const char* from, const char* to, bool replace) override {
        return PlaceName(from, to, replace);
    }
    // Each rename is written through here.
    bool Rename(const char* from, const char* to, bool replace) override {
        return PlaceName(from, to, replace);
    }
    bool SyncFolder(const char*) override { return true; }
    bool Exists(const char* path) override {
        return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    }
    bool IsFolder(const char* path) override {
        DWORD attributes = GetFileAttributesA(path);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool ListFolder(const char* folder, std::vector<std::string>* names) override {
        names->clear();
        std::string pattern = folder;
        // "C:\", "C:" and "" take the '*' as they are.
        if (FolderPartLength(folder, kWindowsPaths) < pattern.size()) pattern += '\\';
        pattern += '*';
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA(pattern.c_str(), &found);
        // A drive's root has no "." entry: an empty one finds nothing.
        if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
        do {
            if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0)
                continue;
            names->push_back(found.cFileName);
            if (found.cAlternateFileName[0]) names->push_back(found.cAlternateFileName);
        } while (FindNextFileA(find, &found));
        bool complete = GetLastError() == ERROR_NO_MORE_FILES;
        KeepError keep;
        FindClose(find);
        return complete;
    }
    bool MakeFolderBeside(const char* target, std::string* folderPath) override {
        folderPath->clear();
        uint32_t seed =
            GetTickCount() ^ (GetCurrentProcessId() * 2654435761u) ^ (++calls_ * 40503u);
        char name[kPathMax];
        for (uint32_t attempt = 0; attempt < 1000; ++attempt) {
            if (!NewFileNameBeside(target, seed, attempt, name, sizeof name, kWindowsPaths)) {
                SetLastError(ERROR_FILENAME_EXCED_RANGE);
                return false;
            }
            if (CreateDirectoryA(name, nullptr)) {
                folderPath->assign(name);
                return true;
            }
            DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
        }
        return false;
    }
    bool RemoveFolder(const char* path) override { return RemoveDirectoryA(path) != FALSE; }
    // Windows' file systems take names in any letter case for one.
    bool FoldsCase(const char*) override { return true; }
    std::string FoldCase(const std::string& name) override {
        if (name.empty()) return name;
        int n =
            MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
        if (n <= 0) return name;
        std::vector<wchar_t> wide(static_cast<size_t>(n));
        MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), &wide[0], n);
        CharUpperBuffW(&wide[0], static_cast<DWORD>(n));
        int m = WideCharToMultiByte(CP_UTF8, 0, &wide[0], n, nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<size_t>(m > 0 ? m : 0), '\0');
        if (m > 0) WideCharToMultiByte(CP_UTF8, 0, &wide[0], n, &out[0], m, nullptr, nullptr);
        return out;
    }
    SystemError LastError() override {
        DWORD code = GetLastError();
        SystemError e = {static_cast<int>(code), code ? kWindowsCode : kNoSystemCode};
        return e;
    }

private:
    uint32_t calls_ = 0;
};

}  // namespace

FileApi& SystemFiles() {
    static Win32Files files;
    return files;
}

std::string SystemErrorText(const SystemError& error) {
    if (error.kind == kErrnoCode) return std::strerror(error.code);
    char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(error.code), 0, text, sizeof text, nullptr);
    while (n > 0 &&
           (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ' || text[n - 1] == '.'))
        --n;
    if (n == 0) return "error " + std::to_string(error.code);
    return std::string(text, n);
}
