// The document's files on Windows: unshared handles, a new file beside the
// target for every write, and a replace at the end that keeps what the user
// set on the target. Paths are UTF-8 in the program; the W functions take
// them, so that a name in any language opens on a system of any language.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "document/paths.h"
#include "platform/file_api.h"
#include "platform/text_wide_win.h"

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

typedef BOOL(WINAPI* ReplaceFileFn)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID);

// ReplaceFileW where the system has it (Windows 2000 and later).
ReplaceFileFn SystemReplaceFile() {
    static ReplaceFileFn fn = reinterpret_cast<ReplaceFileFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "ReplaceFileW")));
    return fn;
}

std::wstring W(const char* path) { return WideFromUtf8(path); }

DWORD Attributes(const char* path) { return GetFileAttributesW(W(path).c_str()); }

HANDLE Open(const char* path, DWORD access, DWORD creation, DWORD attributes) {
    return CreateFileW(W(path).c_str(), access, 0, nullptr, creation, attributes, nullptr);
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
// Wine each of the two reads the whole folder. 1 done, 0 refused because
// `to` exists (the system's error is the last one), -1 where the system has
// no such rename or it failed otherwise (MoveFileEx then, which says why).
int RenameToNewName(const std::wstring& from, const std::wstring& to) {
    SetFileInfoFn setInfo = SystemSetFileInfo();
    if (!setInfo) return -1;
    std::vector<char> bytes(sizeof(RenameInfo) + (to.size() + 1) * sizeof(WCHAR));
    RenameInfo* info = reinterpret_cast<RenameInfo*>(&bytes[0]);
    info->nameBytes = static_cast<DWORD>(to.size() * sizeof(WCHAR));
    std::copy(to.c_str(), to.c_str() + to.size() + 1, info->name);
    HANDLE h = CreateFileW(from.c_str(), DELETE | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return -1;
    BOOL renamed = setInfo(h, kFileRenameInfo, info, static_cast<DWORD>(bytes.size()));
    DWORD error = GetLastError();
    CloseHandle(h);
    if (renamed) return 1;
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return -1;
    SetLastError(error);
    return 0;
}

// Puts `from` in the place of `to`. An existing `to` is replaced by the
// system's ReplaceFile, which keeps its attributes, security, streams and
// creation time; where that is missing or fails, by a rename over it.
bool PlaceName(const char* from, const char* to, bool replace) {
    std::wstring source = W(from), target = W(to);
    if (!replace) {
        int renamed = RenameToNewName(source, target);
        if (renamed >= 0) return renamed == 1;
        return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    ReplaceFileFn replaceFile = SystemReplaceFile();
    if (replaceFile && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // The file is replaced under its own name: given by its short (8.3)
        // name, Wine's ReplaceFile would make a second file of that name.
        wchar_t longName[kPathMax];
        DWORD n = GetLongPathNameW(target.c_str(), longName, kPathMax);
        if (n > 0 && n < kPathMax) target = longName;
        if (replaceFile(target.c_str(), source.c_str(), nullptr, kIgnoreMergeErrors, nullptr,
                        nullptr))
            return true;
        // ReplaceFile may fail after it took the old file away; `from` is
        // still there under its own name then, and the rename below puts it
        // in place.
    }
    return MoveFileExW(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

class Win32Files : public FileApi {
public:
    Handle OpenRead(const char* path) override {
        HANDLE h = Open(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
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
        DWORD attributes = Attributes(target);
        FILETIME created = {0, 0};
        bool exists = attributes != INVALID_FILE_ATTRIBUTES;
        if (exists) {
            if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
                SetLastError(ERROR_ACCESS_DENIED);
                return nullptr;
            }
            HANDLE probe = Open(target, GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
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
        // folders of more than 246 characters: any target that fits in 259
        // gets a new file beside it. CREATE_NEW makes the name ours alone.
        uint32_t seed = NameSeed();
        char name[kPathBytes];
        for (uint32_t attempt = 0; attempt < 1000; ++attempt) {
            if (!NewFileNameBeside(target, seed, attempt, name, sizeof name, kWindowsPaths)) {
                SetLastError(ERROR_FILENAME_EXCED_RANGE);
                break;
            }
            // The name is kept before the file exists: a file is never made
            // whose name could be lost.
            tempPath->assign(name);
            HANDLE h = Open(name, GENERIC_WRITE, CREATE_NEW, keep ? keep : FILE_ATTRIBUTE_NORMAL);
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
        HANDLE h = Open(path, GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
        if (h == INVALID_HANDLE_VALUE) return false;
        BOOL ok = FlushFileBuffers(h);
        KeepError keep;
        CloseHandle(h);
        return ok != FALSE;
    }
    bool Close(Handle h) override { return CloseHandle(ToHandle(h)) != FALSE; }
    bool Delete(const char* path) override { return DeleteFileW(W(path).c_str()) != FALSE; }
    bool Copy(const char* from, const char* to) override {
        return CopyFileW(W(from).c_str(), W(to).c_str(), FALSE) != FALSE;
    }
    bool Replace(const char* from, const char* to, bool replace) override {
        return PlaceName(from, to, replace);
    }
    // Each rename is written through here.
    bool Rename(const char* from, const char* to, bool replace) override {
        return PlaceName(from, to, replace);
    }
    bool SyncFolder(const char*) override { return true; }
    bool Exists(const char* path) override { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }
    bool IsFolder(const char* path) override {
        DWORD attributes = Attributes(path);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool Inspect(const char* path, PathFacts* facts) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &data)) return false;
        facts->folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        facts->regular = !facts->folder;
        facts->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        facts->volume = 0;
        facts->index = 0;
        // Which one it is, through a handle that asks for no access (a
        // folder's needs backup semantics), so that it meets no sharing.
        HANDLE h =
            CreateFileW(W(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return true;
        BY_HANDLE_FILE_INFORMATION info;
        if (!facts->folder && GetFileType(h) != FILE_TYPE_DISK) facts->regular = false;
        if (GetFileInformationByHandle(h, &info)) {
            facts->volume = info.dwVolumeSerialNumber;
            facts->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        }
        CloseHandle(h);
        return true;
    }
    bool ListFolder(const char* folder, std::vector<std::string>* names, bool shortNames) override {
        names->clear();
        std::string pattern = folder;
        // "C:\", "C:" and "" take the '*' as they are.
        if (FolderPartLength(folder, kWindowsPaths) < pattern.size()) pattern += '\\';
        pattern += '*';
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW(W(pattern.c_str()).c_str(), &found);
        // A drive's root has no "." entry: an empty one finds nothing.
        if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
        do {
            if (lstrcmpW(found.cFileName, L".") == 0 || lstrcmpW(found.cFileName, L"..") == 0)
                continue;
            names->push_back(Utf8FromWide(found.cFileName));
            if (shortNames && found.cAlternateFileName[0])
                names->push_back(Utf8FromWide(found.cAlternateFileName));
        } while (FindNextFileW(find, &found));
        bool complete = GetLastError() == ERROR_NO_MORE_FILES;
        KeepError keep;
        FindClose(find);
        return complete;
    }
    bool MakeFolderBeside(const char* target, std::string* folderPath) override {
        folderPath->clear();
        uint32_t seed = NameSeed();
        char name[kPathBytes];
        for (uint32_t attempt = 0; attempt < 1000; ++attempt) {
            if (!NewFileNameBeside(target, seed, attempt, name, sizeof name, kWindowsPaths)) {
                SetLastError(ERROR_FILENAME_EXCED_RANGE);
                return false;
            }
            if (CreateDirectoryW(W(name).c_str(), nullptr)) {
                folderPath->assign(name);
                return true;
            }
            DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
        }
        return false;
    }
    bool RemoveFolder(const char* path) override {
        return RemoveDirectoryW(W(path).c_str()) != FALSE;
    }
    // Windows' file systems take names in any letter case for one.
    bool FoldsCase(const char*) override { return true; }
    std::string FoldCase(const std::string& name) override {
        std::wstring wide = W(name.c_str());
        if (wide.empty()) return name;
        CharUpperBuffW(&wide[0], static_cast<DWORD>(wide.size()));
        return Utf8FromWide(wide.c_str());
    }
    SystemError LastError() override {
        DWORD code = GetLastError();
        SystemError e = {static_cast<int>(code), code ? kWindowsCode : kNoSystemCode};
        return e;
    }

private:
    // Where the names of new files and folders beside a target start: a
    // different run of names for each call, process and moment.
    uint32_t NameSeed() {
        return GetTickCount() ^ (GetCurrentProcessId() * 2654435761u) ^ (++calls_ * 40503u);
    }

    uint32_t calls_ = 0;
};

}  // namespace

FileApi& SystemFiles() {
    static Win32Files files;
    return files;
}

std::string SystemErrorText(const SystemError& error) {
    if (error.kind == kErrnoCode) return std::strerror(error.code);
    wchar_t text[512];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(error.code), 0, text, 512, nullptr);
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' ' ||
                     text[n - 1] == L'.'))
        --n;
    if (n == 0) return "error " + std::to_string(error.code);
    text[n] = L'\0';
    return Utf8FromWide(text);
}
