// The document's files on POSIX systems. Paths are POSIX paths: UTF-8
// bytes whose folders are separated by '/' alone. Replacing a file is a
// rename after its bytes reached the disk.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "document/file_api.h"
#include "document/paths.h"

namespace {

const size_t kTempRoom = 520;

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
int CreateUniqueBeside(const char* target, char* tempPath) {
    static uint32_t calls = 0;
    uint32_t seed = static_cast<uint32_t>(getpid()) * 2654435761u ^
                    static_cast<uint32_t>(time(nullptr)) ^ (++calls * 40503u);
    for (uint32_t attempt = 0; attempt < 1000; ++attempt) {
        if (!NewFileNameBeside(target, seed, attempt, tempPath, kTempRoom, kPosixPaths)) {
            errno = ENAMETOOLONG;
            break;
        }
        int fd = open(tempPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    int error = errno;
    tempPath[0] = '\0';
    errno = error;
    return -1;
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
        int fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0) return nullptr;
        struct stat st;
        if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            close(fd);
            errno = EISDIR;
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
    Handle CreateTempBeside(const char* target, char* tempPath) override {
        tempPath[0] = '\0';
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
            unlink(tempPath);
            tempPath[0] = '\0';
            errno = error;
            return nullptr;
        }
        // The new file takes the place of the old one, so it keeps its mode.
        if (exists) fchmod(fd, st.st_mode & 07777);
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
        char temp[kTempRoom];
        int out = CreateUniqueBeside(to, temp);
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
        if (ok && rename(temp, to) != 0) ok = false;
        if (!ok) {
            unlink(temp);
            return false;
        }
        SyncFolderOf(to);
        return true;
    }
    bool Replace(const char* from, const char* to) override {
        int fd = open(from, O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        bool synced = fsync(fd) == 0;
        close(fd);
        if (!synced || rename(from, to) != 0) return false;
        SyncFolderOf(to);
        return true;
    }
    bool Rename(const char* from, const char* to) override { return rename(from, to) == 0; }
    bool SyncFolder(const char* pathInFolder) override {
        SyncFolderOf(pathInFolder);
        return true;
    }
    bool Exists(const char* path) override {
        struct stat st;
        return lstat(path, &st) == 0;
    }
    int LastError() override { return errno; }
};

}  // namespace

FileApi& SystemFiles() {
    static PosixFiles files;
    return files;
}
