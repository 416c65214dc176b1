// Container files walked where they lie, and the write of a chosen order of
// their images, streamed by the core after checking that the result reads
// back as the same images.
#include "cli/d88_container.h"

#include <errno.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "document/container_io.h"
#include "document/document_io.h"
#include "document/file_api.h"
#include "document/paths.h"
#include "store/image_buffer.h"

namespace d88cli {

namespace {

const uint64_t kFourGiB = 0x100000000ull;

std::string Number(uint64_t n) {
    char text[24];
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(n));
    return text;
}

// The bytes a write would produce, as its pieces, read without making
// them: enough to walk the result before it exists. A byte inside a
// piece's header bytes is the edited one; any other is read from its file.
class PlannedFile {
public:
    PlannedFile(FileApi& files, const std::vector<const char*>& sources)
        : files_(files), sources_(sources) {}
    ~PlannedFile() { CloseFiles(); }
    // Files are opened without sharing on Windows, so one at a time (a file
    // joined twice is two sources), and closed before the write opens them.
    void CloseFiles() {
        if (open_) files_.Close(open_);
        open_ = nullptr;
    }
    // `known` first bytes of the piece are in piece.header, edited or not.
    void Add(const Piece& piece, uint32_t known) {
        starts_.push_back(total_);
        pieces_.push_back(piece);
        known_.push_back(known);
        total_ += piece.length;
    }
    uint64_t total() const { return total_; }
    const std::vector<Piece>& pieces() const { return pieces_; }
    // The byte at position p, 0 past the end or where a file cannot be read.
    uint8_t At(uint64_t p) {
        if (p >= total_) return 0;
        size_t k = static_cast<size_t>(
            std::upper_bound(starts_.begin(), starts_.end(), p) - starts_.begin() - 1);
        const Piece& piece = pieces_[k];
        uint64_t rel = p - starts_[k];
        if (rel < known_[k]) return piece.header[rel];
        if (piece.source == kZeroSource) return 0;
        if (!open_ || openSource_ != piece.source) {
            CloseFiles();
            open_ = files_.OpenRead(sources_[piece.source]);
            openSource_ = piece.source;
        }
        uint8_t byte = 0;
        uint32_t got = 0;
        if (!open_ || !files_.ReadAt(open_, piece.offset + rel, &byte, 1, &got)) return 0;
        return byte;
    }
    uint32_t Le32(uint64_t p) {
        return static_cast<uint32_t>(At(p)) | (static_cast<uint32_t>(At(p + 1)) << 8) |
               (static_cast<uint32_t>(At(p + 2)) << 16) | (static_cast<uint32_t>(At(p + 3)) << 24);
    }

private:
    PlannedFile(const PlannedFile&);
    PlannedFile& operator=(const PlannedFile&);
    FileApi& files_;
    const std::vector<const char*>& sources_;
    FileApi::Handle open_ = nullptr;
    size_t openSource_ = 0;
    std::vector<uint64_t> starts_;
    std::vector<Piece> pieces_;
    std::vector<uint32_t> known_;
    uint64_t total_ = 0;
};

struct ReadBack {
    PlannedFile* file;
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

Piece PieceOf(const Image& image, uint32_t headerLength) {
    Piece piece;
    piece.source = image.source;
    piece.offset = image.offset;
    piece.length = image.extent;
    piece.headerLength = headerLength;
    std::memcpy(piece.header, image.header, sizeof piece.header);
    return piece;
}

std::string WriteFailure(const IoStatus& status, const std::string& target) {
    switch (status.result) {
    case kIoOpenFailed: return "cannot create the file: " + DescribeCreateFailure(target);
    case kIoNoMemory: return "not enough memory for the copy";
    case kIoReadFailed: return "reading a source file failed (did it change meanwhile?)";
    default: break;
    }
    std::string why = "writing the file failed";
    if (status.systemError) why += std::string(": ") + std::strerror(status.systemError);
    return why;
}

}  // namespace

Container::Container(FileApi& files, MemoryApi& memory)
    : files_(files), memory_(memory), total_(0) {}

bool Container::AppendFile(const std::string& path, std::string* error) {
    FileWalk walk;
    IoStatus status = WalkContainerFile(files_, path.c_str(), &walk);
    switch (status.result) {
    case kIoOk: break;
    case kIoOpenFailed:
        *error = "cannot open: " + DescribeOpenFailure(path, status.systemError);
        return false;
    case kIoSizeFailed: *error = "cannot take the file's size"; return false;
    case kIoReadFailed: *error = "reading the file failed"; return false;
    case kIoTooLarge: *error = "the file is 4 GiB or larger; a container holds less"; return false;
    case kIoNoMemory: *error = "not enough memory to read the file"; return false;
    default: *error = "cannot read the file"; return false;
    }
    if (total_ + walk.fileSize >= kFourGiB) {
        *error = "together with the files before it, this is 4 GiB or more";
        return false;
    }
    WalkReport report;
    report.complete = walk.complete;
    report.firstImage = images_.size();
    report.imageCount = walk.images.size();
    report.fileSize = walk.fileSize;
    report.unlisted = walk.complete ? 0 : walk.fileSize - walk.images.back().offset;
    report.path = path;
    for (size_t i = 0; i < walk.images.size(); ++i) {
        const WalkedImage& found = walk.images[i];
        Image image;
        image.source = reports_.size();
        image.offset = found.offset;
        image.extent = WalkedExtent(found, walk.fileSize);
        FieldsFromBytes(found.header, &image.fields);
        std::memcpy(image.header, found.header, sizeof image.header);
        std::memcpy(image.found, found.header, sizeof image.found);
        images_.push_back(image);
    }
    total_ += walk.fileSize;
    reports_.push_back(report);
    return true;
}

bool Container::AppendBlankDisks(uint32_t n, std::string* error) {
    if (n == 0) return true;
    if (n > (0xFFFFFFFFu - total_) / kHeaderSize) {
        *error = "that many blank disks would make a container of 4 GiB or more";
        return false;
    }
    uint8_t blank[kHeaderSize];
    MakeBlankHeader(blank);
    WalkReport report = {true, images_.size(), n, n * kHeaderSize, 0, std::string()};
    Image image;
    image.source = reports_.size();
    image.extent = kHeaderSize;
    FieldsFromBytes(blank, &image.fields);
    std::memcpy(image.header, blank, sizeof image.header);
    std::memset(image.found, 0, sizeof image.found);  // none: the header is always written
    for (uint32_t i = 0; i < n; ++i) {
        image.offset = i * kHeaderSize;
        images_.push_back(image);
    }
    total_ += n * kHeaderSize;
    reports_.push_back(report);
    return true;
}

uint32_t Container::HeaderLengthOf(size_t index) const {
    uint32_t extent = images_[index].extent;
    return extent < kHeaderAccess ? extent : kHeaderAccess;
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
    std::vector<const char*> sources;
    for (size_t i = 0; i < reports_.size(); ++i) sources.push_back(reports_[i].path.c_str());
    PlannedFile planned(files_, sources);
    std::vector<uint32_t> expectOffsets;
    std::vector<uint32_t> expectSizes;
    uint64_t expectAt = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        const Image& image = images_[order[k]];
        if (image.extent == 0) {
            *error = Label(order[k]) + " has a disk size of 0 and would be left out";
            return false;
        }
        // Only edited header bytes are written from the copy; the others
        // come from the file with the rest of the image.
        bool blank = reports_[image.source].path.empty();
        bool edited = blank || std::memcmp(image.header, image.found, HeaderLengthOf(order[k])) != 0;
        Piece piece = PieceOf(image, edited ? HeaderLengthOf(order[k]) : 0);
        if (blank) piece.source = kZeroSource;
        planned.Add(piece, HeaderLengthOf(order[k]));
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

    planned.CloseFiles();
    char temp[2 * kPathMax];
    IoStatus status = WritePiecesBeside(files_, memory_, sources.empty() ? nullptr : &sources[0],
                                        planned.pieces().empty() ? nullptr : &planned.pieces()[0],
                                        planned.pieces().size(), target.c_str(), temp);
    char stage[2 * kPathMax];
    bool staged = status.result == kIoOk && backup &&
                  StageBackupCopy(files_, memory_, target.c_str(), stage, kSystemPaths);
    if (status.result == kIoOk && !files_.Replace(temp, target.c_str())) {
        status.result = kIoWriteFailed;
        status.systemError = files_.LastError();
        files_.Delete(temp);
    }
    if (status.result != kIoOk) {
        if (staged) files_.Delete(stage);
        *error = WriteFailure(status, target) + "; nothing was changed";
        return false;
    }
    if (staged) CommitBackupCopy(files_, stage, target.c_str(), kSystemPaths);
    return true;
}

bool Container::WriteEach(const std::vector<size_t>& order, const std::vector<std::string>& targets,
                          bool backup, size_t* written, size_t* failed, std::string* error,
                          std::vector<size_t>* noBackup) {
    *written = 0;
    std::vector<const char*> sources;
    for (size_t i = 0; i < reports_.size(); ++i) sources.push_back(reports_[i].path.c_str());
    std::vector<std::string> temps;
    for (size_t k = 0; k < order.size(); ++k) {
        const Image& image = images_[order[k]];
        Piece piece = PieceOf(image, 0);  // extracted as the file holds it
        char temp[2 * kPathMax];
        IoStatus status = WritePiecesBeside(files_, memory_, &sources[0], &piece,
                                            image.extent ? 1 : 0, targets[k].c_str(), temp, false);
        if (status.result != kIoOk) {
            for (size_t j = 0; j < temps.size(); ++j) files_.Delete(temps[j].c_str());
            *failed = k;
            *error = WriteFailure(status, targets[k]) + "; nothing was written";
            return false;
        }
        temps.push_back(temp);
    }
    // All flushed before any takes its name: flushed one after another once
    // all are written, the files' writes reach the disk together.
    for (size_t k = 0; k < temps.size(); ++k) {
        if (!files_.FlushNamed(temps[k].c_str())) {
            IoStatus status = {kIoWriteFailed, files_.LastError()};
            for (size_t j = 0; j < temps.size(); ++j) files_.Delete(temps[j].c_str());
            *failed = k;
            *error = WriteFailure(status, targets[k]) + "; nothing was written";
            return false;
        }
    }
    for (size_t k = 0; k < order.size(); ++k) {
        char stage[2 * kPathMax];
        bool staged = backup && StageBackupCopy(files_, memory_, targets[k].c_str(), stage,
                                                kSystemPaths);
        if (!files_.Rename(temps[k].c_str(), targets[k].c_str())) {
            if (staged) files_.Delete(stage);
            if (k > 0) files_.SyncFolder(targets[0].c_str());
            for (size_t j = k; j < temps.size(); ++j) files_.Delete(temps[j].c_str());
            *failed = k;
            *error = "the new file could not take this name";
            return false;
        }
        if (staged && !CommitBackupCopy(files_, stage, targets[k].c_str(), kSystemPaths))
            noBackup->push_back(k);
        ++*written;
    }
    // The new names reach the disk together: every target is in one folder.
    if (!targets.empty()) files_.SyncFolder(targets[0].c_str());
    return true;
}

std::string DescribeOpenFailure(const std::string& path, int systemError) {
#ifdef _WIN32
    // The system's code is a Windows one here: look at the path instead.
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return "no such file";
        return std::strerror(errno);
    }
    if (S_ISDIR(st.st_mode)) return "it is a folder, not a file";
    return "the file could not be opened";
#else
    (void)path;
    if (systemError == ENOENT) return "no such file";
    if (systemError == EISDIR) return "it is a folder, not a file";
    if (systemError == 0) return "the file could not be opened";
    return std::strerror(systemError);
#endif
}

std::string DescribeCreateFailure(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return "a folder of that name exists";
        return "the file exists and cannot be written";
    }
    std::string folder = path.substr(0, FolderPartLength(path.c_str(), kSystemPaths));
    if (folder.empty()) folder = ".";
    if (stat(folder.c_str(), &st) != 0) {
        if (errno == ENOENT) return "its folder does not exist";
        if (errno == ENOTDIR) return "a part of its folder is not a folder";
        return std::strerror(errno);
    }
    if (!S_ISDIR(st.st_mode)) return "a part of its folder is not a folder";
    return "its folder cannot be written";
}

std::string FileTitleOf(const std::string& path) {
    return path.substr(FolderPartLength(path.c_str(), kSystemPaths));
}

bool ExtractTarget(const std::string& folder, const std::string& containerPath,
                   const std::string& diskNameForFile, std::string* out, std::string* why) {
    std::string title = FileTitleOf(containerPath);
    std::vector<char> name(folder.size() + title.size() + diskNameForFile.size() + 16);
    if (!BuildExtractTarget(folder.c_str(), title.c_str(), diskNameForFile.c_str(), &name[0],
                            name.size(), kSystemPaths)) {
        *out = &name[0];
        *why = "the file name would be longer than 259 bytes";
        return false;
    }
    *out = &name[0];
    *why = std::string();
    return true;
}

}  // namespace d88cli
