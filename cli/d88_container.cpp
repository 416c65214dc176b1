// Reading container files into one block with the core's add, the walk over
// their images, and writing a chosen order of images with the core's safe
// write after checking that the result reads back as the same images.
#include "cli/d88_container.h"

#include <errno.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "document/document_io.h"
#include "document/file_api.h"
#include "document/paths.h"
#include "store/image_buffer.h"
#include "store/memory.h"

#ifdef _WIN32
#include <process.h>
#define D88_GETPID _getpid
#else
#include <unistd.h>
#define D88_GETPID getpid
#endif

namespace d88cli {

namespace {

const uint64_t kFourGiB = 0x100000000ull;

struct WalkContext {
    MemoryApi* memory;
    const uint8_t* base;
    uint32_t size;
    size_t source;
    std::vector<Image>* images;
    uint32_t last;  // offset of the last image handed to the step
};

uint32_t ListOne(void* ctx, uint32_t offset) {
    WalkContext* walk = static_cast<WalkContext*>(ctx);
    walk->last = offset;
    Image image;
    if (!ReadHeader(*walk->memory, walk->base, walk->size, offset, &image.fields)) return 0;
    uint32_t left = walk->size - offset;
    image.offset = offset;
    image.extent = image.fields.diskSize < left ? image.fields.diskSize : left;
    image.source = walk->source;
    walk->images->push_back(image);
    return image.fields.diskSize;
}

std::string Number(uint64_t n) {
    char text[24];
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(n));
    return text;
}

// The bytes a write would produce, as pieces of the block, read without
// making them: enough to walk the result before it exists.
class PlannedFile {
public:
    void Add(const uint8_t* at, uint32_t n) {
        starts_.push_back(total_);
        pieces_.push_back(at);
        total_ += n;
    }
    uint64_t total() const { return total_; }
    // The byte at position p, 0 past the end.
    uint8_t At(uint64_t p) const {
        if (p >= total_) return 0;
        size_t k = static_cast<size_t>(
            std::upper_bound(starts_.begin(), starts_.end(), p) - starts_.begin() - 1);
        return pieces_[k][p - starts_[k]];
    }
    uint32_t Le32(uint64_t p) const {
        return static_cast<uint32_t>(At(p)) | (static_cast<uint32_t>(At(p + 1)) << 8) |
               (static_cast<uint32_t>(At(p + 2)) << 16) | (static_cast<uint32_t>(At(p + 3)) << 24);
    }

private:
    std::vector<uint64_t> starts_;
    std::vector<const uint8_t*> pieces_;
    uint64_t total_ = 0;
};

struct ReadBack {
    const PlannedFile* file;
    std::vector<uint32_t> offsets;
    std::vector<uint32_t> sizes;
};

uint32_t ReadBackOne(void* ctx, uint32_t offset) {
    ReadBack* back = static_cast<ReadBack*>(ctx);
    uint32_t size = back->file->Le32(offset + static_cast<uint64_t>(kOffDiskSize));
    back->offsets.push_back(offset);
    back->sizes.push_back(size);
    return size;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

size_t FolderPrefixLength(const std::string& path) {
#ifdef _WIN32
    int slash = LastBackslash(path.c_str());
    size_t cut = slash >= 0 ? static_cast<size_t>(slash) + 1 : 0;
    for (size_t i = 0; i < path.size();) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(c) && i + 1 < path.size()) {
            i += 2;
            continue;
        }
        if (c == '/' || c == ':') cut = std::max(cut, i + 1);
        ++i;
    }
    return cut;
#else
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
#endif
}

}  // namespace

Container::Container(FileApi& files, MemoryApi& memory)
    : files_(files), memory_(memory), block_(nullptr), size_(0) {}

Container::~Container() { ReleaseBlock(memory_, block_, size_); }

bool Container::AppendFile(const std::string& path, std::string* error) {
    uint8_t* block = nullptr;
    uint32_t added = 0;
    IoResult result =
        ReadFileAppended(files_, memory_, path.c_str(), block_, size_, &block, &added);
    WalkReport report;
    report.complete = true;
    report.firstImage = images_.size();
    report.imageCount = 0;
    report.fileSize = 0;
    report.unlisted = 0;
    report.path = path;
    if (result == kIoNoMemory) {
        // The core refuses a block of 0 bytes: an empty file lands here
        // when nothing came before it. It is a container of no images.
        uint64_t length = 1;
        FileApi::Handle h = files_.OpenRead(path.c_str());
        bool known = h && files_.Size(h, &length);
        if (h) files_.Close(h);
        if (known && length == 0) {
            reports_.push_back(report);
            return true;
        }
        if (known && length >= kFourGiB) {
            *error = "the file is 4 GiB or larger; a container holds less";
        } else if (known && length > 0xFFFFFFFFull - size_) {
            *error = "together with the files before it, this is 4 GiB or more";
        } else {
            *error = "not enough memory to read the file";
        }
        return false;
    }
    switch (result) {
    case kIoOk: break;
    case kIoOpenFailed: *error = "cannot open: " + DescribeOpenFailure(path); return false;
    case kIoSizeFailed: *error = "cannot take the file's size"; return false;
    case kIoReadFailed: *error = "reading the file failed"; return false;
    default: *error = "cannot read the file"; return false;
    }

    uint32_t start = size_;
    uint32_t end = size_ + added;
    std::vector<Image> found;
    WalkContext walk = {&memory_, block, end, reports_.size(), &found, start};
    report.complete = WalkImages(start, end, ListOne, &walk);
    report.imageCount = found.size();
    report.fileSize = added;
    if (!report.complete) report.unlisted = end - walk.last;

    ReleaseBlock(memory_, block_, size_);
    block_ = block;
    size_ = end;
    images_.insert(images_.end(), found.begin(), found.end());
    reports_.push_back(report);
    return true;
}

bool Container::AppendBlankDisks(uint32_t n, std::string* error) {
    if (n == 0) return true;
    if (n > (0xFFFFFFFFu - size_) / kHeaderSize) {
        *error = "that many blank disks would make a container of 4 GiB or more";
        return false;
    }
    uint32_t added = n * kHeaderSize;
    uint8_t* block = GrowBlock(memory_, block_, size_, added);
    if (!block) {
        *error = "not enough memory for the blank disks";
        return false;
    }
    WalkReport report = {true, images_.size(), n, added, 0, std::string()};
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t offset = size_ + i * kHeaderSize;
        MakeBlankHeader(block + offset);
        Image image;
        ReadHeader(memory_, block, size_ + added, offset, &image.fields);
        image.offset = offset;
        image.extent = kHeaderSize;
        image.source = reports_.size();
        images_.push_back(image);
    }
    ReleaseBlock(memory_, block_, size_);
    block_ = block;
    size_ += added;
    reports_.push_back(report);
    return true;
}

bool Container::Fields(size_t index, HeaderFields* out) const {
    if (index >= images_.size()) return false;
    return ReadHeader(memory_, block_, size_, images_[index].offset, out);
}

std::string Container::Label(size_t index) const {
    if (index >= images_.size()) return "image " + Number(index);
    const WalkReport& report = reports_[images_[index].source];
    std::string label = "image " + Number(index - report.firstImage);
    size_t files = 0;
    for (size_t i = 0; i < reports_.size(); ++i) files += reports_[i].path.empty() ? 0 : 1;
    if (files > 1 && !report.path.empty()) label += " of " + report.path;
    return label;
}

bool Container::Write(const std::vector<size_t>& order, const std::string& target, bool backup,
                      std::string* error) {
    std::vector<uint32_t> offsets;
    PlannedFile planned;
    std::vector<uint32_t> expectOffsets;
    std::vector<uint32_t> expectSizes;
    uint64_t expectAt = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        const Image& image = images_[order[k]];
        // What the core's write takes now, after any edit of the block.
        uint32_t extent = ImageExtent(memory_, block_, size_, image.offset);
        if (extent == 0) {
            *error = Label(order[k]) + " has a disk size of 0 and would be left out";
            return false;
        }
        offsets.push_back(image.offset);
        planned.Add(block_ + image.offset, extent);
        expectOffsets.push_back(static_cast<uint32_t>(expectAt));
        expectSizes.push_back(image.fields.diskSize);
        expectAt += image.extent;
    }
    if (planned.total() >= kFourGiB) {
        *error = "the result would be 4 GiB or larger";
        return false;
    }

    // The result must list as the images it is made of.
    ReadBack back;
    back.file = &planned;
    bool complete = WalkImages(0, static_cast<uint32_t>(planned.total()), ReadBackOne, &back);
    if (!complete || back.offsets != expectOffsets || back.sizes != expectSizes) {
        size_t bad = 0;
        while (bad < back.offsets.size() && bad < expectOffsets.size() &&
               back.offsets[bad] == expectOffsets[bad] && back.sizes[bad] == expectSizes[bad])
            ++bad;
        std::string cause;
        for (size_t k = 0; k < order.size() && cause.empty(); ++k) {
            const Image& image = images_[order[k]];
            if (image.fields.diskSize < kHeaderAccess) {
                cause = Label(order[k]) + " is only " + Number(image.fields.diskSize) +
                        " bytes long, so its header fields lie in the bytes after it";
            } else if (image.extent < image.fields.diskSize && k + 1 < order.size()) {
                cause = Label(order[k]) + " claims " + Number(image.fields.diskSize) +
                        " bytes but only " + Number(image.extent) +
                        " are in the file, so it would take in the images after it";
            }
        }
        *error = "the result would not read back as the same disk images";
        if (bad < order.size())
            *error += " (" + Label(order[bad]) + " would read differently at offset " +
                      Number(expectOffsets[bad]) + ")";
        if (!cause.empty()) *error += ": " + cause;
        *error += "; nothing was written";
        return false;
    }

    std::string stagedBackup = backup ? StageBackup(files_, target) : std::string();
    IoResult result = WriteImages(files_, memory_, block_, size_,
                                  offsets.empty() ? nullptr : &offsets[0], offsets.size(),
                                  target.c_str(), false);
    if (result != kIoOk) {
        if (!stagedBackup.empty()) files_.Delete(stagedBackup.c_str());
        *error = result == kIoOpenFailed ? "cannot create the file: " + DescribeCreateFailure(target)
                                         : std::string("writing the file failed");
        *error += "; nothing was changed";
        return false;
    }
    if (!stagedBackup.empty()) CommitBackup(files_, stagedBackup, target);
    return true;
}

std::string DescribeOpenFailure(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return "no such file";
        return std::strerror(errno);
    }
    if (S_ISDIR(st.st_mode)) return "it is a folder, not a file";
    FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) return std::strerror(errno);
    std::fclose(probe);
    return "the file could not be opened";
}

std::string DescribeCreateFailure(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return "a folder of that name exists";
        return "the file exists and cannot be written";
    }
    std::string folder = path.substr(0, FolderPrefixLength(path));
    if (folder.empty()) folder = ".";
    if (stat(folder.c_str(), &st) != 0) {
        if (errno == ENOENT) return "its folder does not exist";
        if (errno == ENOTDIR) return "a part of its folder is not a folder";
        return std::strerror(errno);
    }
    if (!S_ISDIR(st.st_mode)) return "a part of its folder is not a folder";
    return "its folder cannot be written";
}

std::string BackupPathOf(const std::string& path) {
#ifdef _WIN32
    std::vector<char> out(path.size() + 8);
    if (!BackupName(path.c_str(), &out[0], out.size())) return path + ".bak";
    return &out[0];
#else
    // The last '.' of the last component; a '.' byte never lies inside a
    // UTF-8 character.
    size_t start = FolderPrefixLength(path);
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < start) return path + ".bak";
    return path.substr(0, dot) + ".bak";
#endif
}

std::string StageBackup(FileApi& files, const std::string& target) {
    if (!files.Exists(target.c_str())) return std::string();
    std::string name = BackupPathOf(target);
    // A file that already has the backup name would be copied onto itself.
    if (SameNameIgnoringCase(name, target)) return std::string();
    std::string stage = UniqueSibling(files, name);
    if (stage.empty() || !files.Copy(target.c_str(), stage.c_str())) return std::string();
    return stage;
}

bool CommitBackup(FileApi& files, const std::string& stage, const std::string& target) {
    std::string name = BackupPathOf(target);
    if (files.Replace(stage.c_str(), name.c_str())) return true;
    files.Delete(stage.c_str());
    return false;
}

std::string UniqueSibling(FileApi& files, const std::string& path) {
    static unsigned counter = 0;
    std::string folder = path.substr(0, FolderPrefixLength(path));
    unsigned long stamp = static_cast<unsigned long>(time(nullptr)) & 0xFFFFFFul;
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, ".d88-%lx-%lx-%u.part",
                      static_cast<unsigned long>(D88_GETPID()), stamp, counter++);
        std::string candidate = folder + name;
        if (!files.Exists(candidate.c_str())) return candidate;
    }
    return std::string();
}

std::string FileTitleOf(const std::string& path) { return path.substr(FolderPrefixLength(path)); }

bool ExtractTarget(const std::string& folder, const std::string& containerPath,
                   const std::string& diskNameForFile, std::string* out, std::string* why) {
    std::string title = FileTitleOf(containerPath);
#ifdef _WIN32
    char name[kPathMax];
    if (!BuildExtractTarget(folder.c_str(), title.c_str(), diskNameForFile.c_str(), name,
                            sizeof name)) {
        *out = name;
        *why = "the file name would be longer than 259 bytes";
        return false;
    }
    *out = name;
    return true;
#else
    std::string name = folder;
    if (name.empty() || name[name.size() - 1] != '/') name += '/';
    size_t dot = title.rfind('.');
    if (dot != std::string::npos) title = title.substr(0, dot) + " ";
    name += title;
    name += diskNameForFile;
    name += ".D88";
    *out = name;
    *why = std::string();
    return true;
#endif
}

}  // namespace d88cli
