// The document's files on POSIX systems. Paths are POSIX paths: UTF-8
// bytes whose folders are separated by '/' alone. Replacing a file is a
// rename after its bytes reached the disk.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>
#include <wctype.h>
#ifdef __linux__
#include <sys/xattr.h>
#endif

#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "document/paths.h"
#include "platform/file_api.h"

namespace {

const size_t kTempRoom = 4096;

struct PosixHandle {
    int fd;
};

int Fd(FileApi::Handle h) { return static_cast<PosixHandle*>(h)->fd; }

FileApi::Handle Wrap(int fd) {
    PosixHandle* h = new (std::nothrow) PosixHandle;
    if (!h) {
        close(fd);
        return nullptr;
    }
    h->fd = fd;
    return h;
}

// Creates a new file of its own name in the folder of `target`, readable and
// writable as the umask allows. The name goes to tempPath.
int CreateUniqueBeside(const char* target, std::string* tempPath) {
    static uint32_t calls = 0;
    uint32_t seed = static_cast<uint32_t>(getpid()) * 2654435761u ^
                    static_cast<uint32_t>(time(nullptr)) ^ (++calls * 40503u);
    std::vector<char> name(kTempRoom);
    for (uint32_t attempt = 0; attempt < 1000; ++attempt) {
        if (!NewFileNameBeside(target, seed, attempt, &name[0], name.size(), kPosixPaths)) {
            errno = ENAMETOOLONG;
            break;
        }
        // The name is kept before the file exists: a file is never made
        // whose name could be lost.
        tempPath->assign(&name[0]);
        int fd = open(&name[0], O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    int error = errno;
    tempPath->clear();
    errno = error;
    return -1;
}

// What the user set on `from` that a new file can take: its mode, its owner
// and group where the system lets us, and its extended attributes (ACLs
// among them). Times are the new file's own.
void TakeSettingsOf(int from, const struct stat& st, int to) {
    fchmod(to, st.st_mode & 07777);
    if (fchown(to, st.st_uid, st.st_gid) == 0) fchmod(to, st.st_mode & 07777);
#ifdef __linux__
    ssize_t n = flistxattr(from, nullptr, 0);
    if (n <= 0) return;
    std::vector<char> names(static_cast<size_t>(n));
    n = flistxattr(from, &names[0], names.size());
    for (ssize_t i = 0; i < n; i += static_cast<ssize_t>(std::strlen(&names[i])) + 1) {
        const char* name = &names[i];
        ssize_t size = fgetxattr(from, name, nullptr, 0);
        if (size < 0) continue;
        std::vector<char> value(static_cast<size_t>(size) + 1);
        size = fgetxattr(from, name, &value[0], value.size());
        if (size >= 0) fsetxattr(to, name, &value[0], static_cast<size_t>(size), 0);
    }
#else
    (void)from;
#endif
}

// Gives `from` the name `to` only when nothing has that name yet, in one
// step: renameat2 where the file system has it, else a second link.
bool RenameNoReplace(const char* from, const char* to) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    if (link(from, to) != 0) return false;
    unlink(from);
    return true;
}

bool PlaceName(const char* from, const char* to, bool replace) {
    return replace ? rename(from, to) == 0 : RenameNoReplace(from, to);
}

// Whether names that differ in letter case name one file in `folder`: a
// new file is made there and looked for under its name in capitals.
bool FolderFoldsCase(const char* pathInFolder) {
    std::string temp;
    int fd = CreateUniqueBeside(pathInFolder, &temp);
    if (fd < 0) return false;
    close(fd);
    std::string upper = temp;
    size_t name = FolderPartLength(temp.c_str(), kPosixPaths);
    for (size_t i = name; i < upper.size(); ++i) {
        if (upper[i] >= 'a' && upper[i] <= 'z') upper[i] = static_cast<char>(upper[i] - 'a' + 'A');
    }
    struct stat a, b;
    bool folds = stat(temp.c_str(), &a) == 0 && stat(upper.c_str(), &b) == 0 &&
                 a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    unlink(temp.c_str());
    return folds;
}

// A name in lower case, character by character, as the system's UTF-8
// locale folds them; bytes that are no UTF-8 are kept as they are.
std::string LowerCase(const std::string& name) {
    static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    std::string out;
    locale_t old = utf8 ? uselocale(utf8) : static_cast<locale_t>(0);
    mbstate_t in, back;
    std::memset(&in, 0, sizeof in);
    size_t i = 0;
    while (i < name.size()) {
        wchar_t wc = 0;
        size_t n = utf8 ? mbrtowc(&wc, name.data() + i, name.size() - i, &in) : 0;
        char bytes[MB_LEN_MAX];
        std::memset(&back, 0, sizeof back);
        size_t m = static_cast<size_t>(-1);
        if (n > 0 && n <= name.size() - i)
            m = wcrtomb(bytes, static_cast<wchar_t>(towlower(static_cast<wint_t>(wc))), &back);
        if (m == static_cast<size_t>(-1)) {
            char c = name[i];
            out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
            std::memset(&in, 0, sizeof in);
            n = 1;
        } else {
            out.append(bytes, m);
        }
        i += n;
    }
    if (utf8) uselocale(old);
    return out;
}

bool WriteAll(int fd, const uint8_t* src, size_t n) {
    while (n > 0) {
        ssize_t done = write(fd, src, n);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        src += done;
        n -= static_cast<size_t>(done);
    }
    return true;
}

// Makes a finished rename last: the folder's entry is written through too.
void SyncFolderOf(const char* path) {
    char folder[kTempRoom];
    size_t prefix = FolderPartLength(path, kPosixPaths);
    if (prefix == 0 || prefix >= sizeof folder) {
        std::strcpy(folder, ".");
    } else {
        std::memcpy(folder, path, prefix);
        folder[prefix] = '\0';
    }
    int fd = open(folder, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

class PosixFiles : public FileApi {
public:
    Handle OpenRead(const char* path) override {
        // A named pipe or a device is never opened (a pipe would wait for a
        // writer); one put in the file's place meanwhile opens at once,
        // without waiting, and is refused.
        struct stat st;
        if (stat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
            errno = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
            return nullptr;
        }
        int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return nullptr;
        int error = 0;
        if (fstat(fd, &st) != 0)
            error = errno;
        else if (!S_ISREG(st.st_mode))
            error = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
        else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
            error = errno;
        if (error) {
            close(fd);
            errno = error;
            return nullptr;
        }
        return Wrap(fd);
    }
    bool Size(Handle h, uint64_t* size) override {
        struct stat st;
        if (fstat(Fd(h), &st) != 0 || st.st_size < 0) return false;
        *size = static_cast<uint64_t>(st.st_size);
        return true;
    }
    bool Stamp(Handle h, FileStamp* stamp) override {
        struct stat st;
        if (fstat(Fd(h), &st) != 0) return false;
        stamp->size = static_cast<uint64_t>(st.st_size);
        stamp->volume = static_cast<uint64_t>(st.st_dev);
        stamp->index = static_cast<uint64_t>(st.st_ino);
        stamp->modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        stamp->changed = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
        return true;
    }
    bool Read(Handle h, uint8_t* dst, uint32_t n, uint32_t* got) override {
        *got = 0;
        for (;;) {
            ssize_t done = read(Fd(h), dst, n);
            if (done < 0 && errno == EINTR) continue;
            if (done < 0) return false;
            *got = static_cast<uint32_t>(done);
            return true;
        }
    }
    bool ReadAt(Handle h, uint64_t pos, uint8_t* dst, uint32_t n, uint32_t* got) override {
        *got = 0;
        for (;;) {
            ssize_t done = pread(Fd(h), dst, n, static_cast<off_t>(pos));
            if (done < 0 && errno == EINTR) continue;
            if (done < 0) return false;
            *got = static_cast<uint32_t>(done);
            return true;
        }
    }
    Handle CreateTempBeside(const char* target, std::string* tempPath) override {
        tempPath->clear();
        struct stat st;
        bool exists = stat(target, &st) == 0;
        if (exists && S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            return nullptr;
        }
        if (exists && access(target, W_OK) != 0) return nullptr;
        int fd = CreateUniqueBeside(target, tempPath);
        if (fd < 0) return nullptr;
        // Cutting the new file to 0 bytes marks it, on ext4, as a file that
        // replaces another: its writeback starts when it is closed, so that
        // flushing many files after they were all written costs little more
        // than writing them (the extract of many images does that).
        if (ftruncate(fd, 0) != 0) {
            int error = errno;
            close(fd);
            unlink(tempPath->c_str());
            tempPath->clear();
            errno = error;
            return nullptr;
        }
        // The new file takes the place of the old one, so it keeps what the
        // user set on it.
        if (exists) {
            int old = open(target, O_RDONLY | O_CLOEXEC);
            if (old >= 0) {
                TakeSettingsOf(old, st, fd);
                close(old);
            } else {
                fchmod(fd, st.st_mode & 07777);
            }
        }
        return Wrap(fd);
    }
    bool Write(Handle h, const uint8_t* src, uint32_t n, uint32_t* put) override {
        *put = 0;
        for (;;) {
            ssize_t done = write(Fd(h), src, n);
            if (done < 0 && errno == EINTR) continue;
            if (done < 0) return false;
            *put = static_cast<uint32_t>(done);
            return true;
        }
    }
    bool CopyRange(Handle from, uint64_t pos, Handle to, uint32_t n, uint32_t* copied) override {
        *copied = 0;
#ifdef __linux__
        loff_t at = static_cast<loff_t>(pos);
        for (;;) {
            ssize_t done = copy_file_range(Fd(from), &at, Fd(to), nullptr, n, 0);
            if (done < 0 && errno == EINTR) continue;
            if (done <= 0) return false;
            *copied = static_cast<uint32_t>(done);
            return true;
        }
#else
        (void)from;
        (void)pos;
        (void)to;
        (void)n;
        return false;
#endif
    }
    bool Flush(Handle h) override { return fsync(Fd(h)) == 0; }
    bool FlushNamed(const char* path) override {
        int fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        bool ok = fsync(fd) == 0;
        int error = errno;
        close(fd);
        errno = error;
        return ok;
    }
    bool Close(Handle h) override {
        PosixHandle* ph = static_cast<PosixHandle*>(h);
        int rc = close(ph->fd);
        delete ph;
        return rc == 0;
    }
    bool Delete(const char* path) override { return unlink(path) == 0; }
    bool Copy(const char* from, const char* to) override {
        // Through a new file beside the target, so that a copy that fails
        // half way leaves the old target as it was.
        int in = open(from, O_RDONLY | O_CLOEXEC);
        if (in < 0) return false;
        struct stat st;
        if (fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
            close(in);
            return false;
        }
        std::string temp;
        int out = CreateUniqueBeside(to, &temp);
        if (out < 0) {
            close(in);
            return false;
        }
        fchmod(out, st.st_mode & 07777);
        bool ok = true;
        uint8_t chunk[16384];
        for (;;) {
            ssize_t got = read(in, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) ok = false;
            if (got <= 0) break;
            if (!WriteAll(out, chunk, static_cast<size_t>(got))) {
                ok = false;
                break;
            }
        }
        close(in);
        if (ok && fsync(out) != 0) ok = false;
        if (close(out) != 0) ok = false;
        if (ok && rename(temp.c_str(), to) != 0) ok = false;
        if (!ok) {
            unlink(temp.c_str());
            return false;
        }
        SyncFolderOf(to);
        return true;
    }
    bool Replace(const char* from, const char* to, bool replace) override {
        int fd = open(from, O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        bool synced = fsync(fd) == 0;
        close(fd);
        if (!synced || !PlaceName(from, to, replace)) return false;
        SyncFolderOf(to);
        return true;
    }
    bool Rename(const char* from, const char* to, bool replace) override {
        return PlaceName(from, to, replace);
    }
    bool SyncFolder(const char* pathInFolder) override {
        SyncFolderOf(pathInFolder);
        return true;
    }
    bool Exists(const char* path) override {
        struct stat st;
        return lstat(path, &st) == 0;
    }
    bool IsFolder(const char* path) override {
        struct stat st;
        return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
    }
    bool Inspect(const char* path, PathFacts* facts) override {
        struct stat st;
        if (stat(path, &st) != 0) return false;
        facts->folder = S_ISDIR(st.st_mode);
        facts->regular = S_ISREG(st.st_mode);
        facts->size = static_cast<uint64_t>(st.st_size);
        facts->volume = static_cast<uint64_t>(st.st_dev);
        facts->index = static_cast<uint64_t>(st.st_ino);
        return true;
    }
    bool ListFolder(const char* folder, std::vector<std::string>* names, bool) override {
        names->clear();
        DIR* dir = opendir(folder[0] ? folder : ".");
        if (!dir) return false;
        errno = 0;
        while (dirent* entry = readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names->push_back(entry->d_name);
        }
        int error = errno;
        closedir(dir);
        errno = error;
        return error == 0;
    }
    bool MakeFolderBeside(const char* target, std::string* folderPath) override {
        folderPath->clear();
        static uint32_t calls = 0;
        uint32_t seed = static_cast<uint32_t>(getpid()) * 2654435761u ^
                        static_cast<uint32_t>(time(nullptr)) ^ (++calls * 2246822519u);
        std::vector<char> name(kTempRoom);
        for (uint32_t attempt = 0; attempt < 1000; ++attempt) {
            if (!NewFileNameBeside(target, seed, attempt, &name[0], name.size(), kPosixPaths)) {
                errno = ENAMETOOLONG;
                return false;
            }
            if (mkdir(&name[0], 0700) == 0) {
                folderPath->assign(&name[0]);
                return true;
            }
            if (errno != EEXIST) return false;
        }
        return false;
    }
    bool RemoveFolder(const char* path) override { return rmdir(path) == 0; }
    bool FoldsCase(const char* pathInFolder) override { return FolderFoldsCase(pathInFolder); }
    std::string FoldCase(const std::string& name) override { return LowerCase(name); }
    SystemError LastError() override {
        SystemError e = {errno, errno ? kErrnoCode : kNoSystemCode};
        return e;
    }
};

}  // namespace

FileApi& SystemFiles() {
    static PosixFiles files;
    return files;
}

std::string SystemErrorText(const SystemError& error) {
    if (error.kind == kErrnoCode) return std::strerror(error.code);
    char text[32];
    std::snprintf(text, sizeof text, "error %d", error.code);
    return text;
}
