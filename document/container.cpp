// Container files walked where they lie, and the write of a chosen order of
// their images after checking that the result reads back as the same images.
#include "document/container.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "document/container_io.h"
#include "document/paths.h"
#include "platform/file_api.h"
#include "store/image_buffer.h"

namespace {

// The bytes a write would produce, as its pieces, read without making
// them: enough to walk the result before it exists. A byte inside a
// piece's header bytes is the edited one; any other is read from its file.
class PlannedFile {
public:
    PlannedFile(FileApi& files, const std::vector<SourceFile>& sources)
        : files_(files), sources_(sources) {}
    ~PlannedFile() { CloseFiles(); }
    // Files are opened without sharing on Windows, so one at a time (a file
    // joined twice is two sources), and closed before the write opens them.
    void CloseFiles() {
        if (open_) files_.Close(open_);
        open_ = nullptr;
    }
    // The piece's first `known` bytes are `header` (as they will be
    // written, edited or not).
    void Add(const Piece& piece, const uint8_t* header, uint32_t known) {
        starts_.push_back(total_);
        pieces_.push_back(piece);
        Known k;
        std::memcpy(k.bytes, header, known);
        k.length = known;
        known_.push_back(k);
        total_ += piece.length;
    }
    uint64_t total() const { return total_; }
    const std::vector<Piece>& pieces() const { return pieces_; }
    // The byte at position p, 0 past the end or where a file cannot be read.
    uint8_t At(uint64_t p) {
        if (p >= total_) return 0;
        size_t k = static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), p) -
                                       starts_.begin() - 1);
        const Piece& piece = pieces_[k];
        uint64_t rel = p - starts_[k];
        if (rel < known_[k].length) return known_[k].bytes[rel];
        if (piece.from == kFromZeros) return 0;
        if (!open_ || openSource_ != piece.source) {
            CloseFiles();
            open_ = files_.OpenRead(sources_[piece.source].path.c_str());
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
    const std::vector<SourceFile>& sources_;
    FileApi::Handle open_ = nullptr;
    size_t openSource_ = 0;
    std::vector<uint64_t> starts_;
    std::vector<Piece> pieces_;
    struct Known {
        uint8_t bytes[kHeaderAccess];
        uint32_t length;
    };
    std::vector<Known> known_;
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

// The target of an extracted disk whose name, from n = 2 on, is numbered.
bool NumberedTarget(const std::string& folder, const std::string& title, const std::string& name,
                    unsigned n, std::string* target) {
    std::string part = n < 2 ? name : name + " (" + std::to_string(n) + ")";
    std::vector<char> out(folder.size() + title.size() + part.size() + 16);
    bool fits = BuildExtractTarget(folder.c_str(), title.c_str(), part.c_str(), &out[0], out.size(),
                                   kSystemPaths);
    *target = &out[0];
    return fits;
}

// Why an extract may not write `target`, if it may not.
bool Refused(FileApi& files, const Container& c, const std::string& target, bool replace,
             bool backup, TargetClash::Kind* kind) {
    std::vector<char> backupName(target.size() + 8);
    BackupName(target.c_str(), &backupName[0], backupName.size(), kSystemPaths);
    if (files.IsFolder(target.c_str())) {
        *kind = TargetClash::kFolder;  // not even when asked to replace it
    } else if (c.Reads(target) || (backup && c.Reads(&backupName[0]))) {
        *kind = TargetClash::kReadFrom;
    } else if (!replace && files.Exists(target.c_str())) {
        *kind = TargetClash::kExists;
    } else {
        return false;
    }
    return true;
}

PlanRefusal NoRefusal() {
    PlanRefusal r = {PlanRefusal::kNone, 0, 0, PlanRefusal::kNoCause, 0};
    return r;
}

}  // namespace

Container::Container(FileApi& files, MemoryApi& memory)
    : files_(files), memory_(memory), total_(0) {}

IoStatus Container::AppendFile(const std::string& path) {
    FileWalk walk;
    IoStatus status = WalkContainerFile(files_, path.c_str(), &walk);
    if (!status.ok()) return status;
    if (total_ + walk.fileSize >= kFourGiB) return IoFailure(kIoTooLarge, path);
    WalkReport report;
    report.complete = walk.complete;
    report.firstImage = images_.size();
    report.imageCount = walk.images.size();
    report.fileSize = walk.fileSize;
    report.unlisted = walk.complete ? 0 : walk.fileSize - walk.images.back().offset;
    report.path = path;
    SourceFile source;
    source.path = path;
    source.stamped = true;
    source.stamp = walk.stamp;
    for (size_t i = 0; i < walk.images.size(); ++i) {
        const WalkedImage& found = walk.images[i];
        ContainerImage image;
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
    sources_.push_back(source);
    return IoSuccess();
}

IoStatus Container::AppendBlankDisks(uint32_t n) {
    if (n == 0) return IoSuccess();
    if (n > (0xFFFFFFFFu - total_) / kHeaderSize) return IoFailure(kIoTooLarge, std::string());
    uint8_t blank[kHeaderSize];
    MakeBlankHeader(blank);
    WalkReport report = {true, images_.size(), n, n * kHeaderSize, 0, std::string()};
    ContainerImage image;
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
    SourceFile none;
    none.stamped = false;
    sources_.push_back(none);
    return IoSuccess();
}

uint32_t Container::HeaderLengthOf(size_t index) const {
    uint32_t extent = images_[index].extent;
    return extent < kHeaderAccess ? extent : kHeaderAccess;
}

void Container::ClearSortKeys() {
    for (size_t i = 0; i < images_.size(); ++i) {
        if (OwnsSortKey(images_[i].extent)) PutSortKey(HeaderOf(i), HeaderLengthOf(i), 0);
    }
}

Piece Container::PieceOf(size_t index, bool patchHeader) const {
    const ContainerImage& image = images_[index];
    uint32_t length = HeaderLengthOf(index);
    if (reports_[image.source].path.empty()) {
        Piece blank = ZeroPiece(image.extent);
        blank.headerLength = length;
        std::memcpy(blank.header, image.header, sizeof blank.header);
        return blank;
    }
    Piece piece = FilePiece(image.source, image.offset, image.extent);
    piece.checkLength = length;
    std::memcpy(piece.found, image.found, sizeof piece.found);
    // Only edited header bytes are written from the copy; the others come
    // from the file with the rest of the image.
    if (patchHeader && std::memcmp(image.header, image.found, length) != 0) {
        piece.headerLength = length;
        std::memcpy(piece.header, image.header, sizeof piece.header);
    }
    return piece;
}

IoStatus Container::Write(const std::vector<size_t>& order, const std::string& target, bool backup,
                          bool replace, PlanRefusal* refusal) {
    *refusal = NoRefusal();
    PlannedFile planned(files_, sources_);
    std::vector<uint32_t> expectOffsets;
    std::vector<uint32_t> expectSizes;
    uint64_t expectAt = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        const ContainerImage& image = images_[order[k]];
        if (image.extent == 0) {
            refusal->kind = PlanRefusal::kZeroSize;
            refusal->image = order[k];
            return IoFailure(kIoRefused, target);
        }
        Piece piece = PieceOf(order[k], true);
        planned.Add(piece, image.header, HeaderLengthOf(order[k]));
        expectOffsets.push_back(static_cast<uint32_t>(expectAt));
        expectSizes.push_back(image.fields.diskSize);
        expectAt += image.extent;
    }
    if (planned.total() >= kFourGiB) {
        refusal->kind = PlanRefusal::kTooLarge;
        return IoFailure(kIoRefused, target);
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
        refusal->kind = PlanRefusal::kWouldNotReadBack;
        refusal->image = bad < order.size() ? order[bad] : images_.size();
        refusal->offset = bad < order.size() ? expectOffsets[bad] : 0;
        for (size_t k = 0; k < order.size() && refusal->cause == PlanRefusal::kNoCause; ++k) {
            const ContainerImage& image = images_[order[k]];
            refusal->causeImage = order[k];
            if (image.fields.diskSize < kHeaderAccess)
                refusal->cause = PlanRefusal::kShortHeader;
            else if (image.extent < image.fields.diskSize && k + 1 < order.size())
                refusal->cause = PlanRefusal::kTakesInNext;
        }
        return IoFailure(kIoRefused, target);
    }
    planned.CloseFiles();

    WriteJob job;
    job.target = target;
    job.pieces = planned.pieces();
    job.backup = backup ? kBackupStaged : kNoBackup;
    job.replace = replace;
    return WriteOneFile(files_, memory_, sources_, job);
}

bool Container::Reads(const std::string& path) const {
    PathFacts facts;
    if (!files_.Inspect(path.c_str(), &facts)) return false;
    for (size_t i = 0; i < sources_.size(); ++i) {
        if (sources_[i].stamped &&
            SameFile(facts, sources_[i].stamp.volume, sources_[i].stamp.index))
            return true;
    }
    return false;
}

ExtractPlan Container::PlanExtract(const std::vector<size_t>& order,
                                   const std::vector<std::string>& names, const std::string& folder,
                                   const std::string& title, bool replace, bool backup,
                                   bool unique) {
    ExtractPlan plan;
    std::map<std::string, size_t> taken;  // the names so far as the folder compares them
    int folds = -1;
    for (size_t k = 0; k < order.size(); ++k) {
        if (images_[order[k]].extent == 0) {
            plan.sizeZero.push_back(k);
            continue;
        }
        TargetClash clash = {k, TargetClash::kSameName, 0, std::string()};
        std::string key;
        bool fits = true, met = false;
        for (unsigned n = 1;; ++n) {
            fits = NumberedTarget(folder, title, names[k], n, &clash.target);
            if (!fits) break;
            if (folds < 0) folds = files_.FoldsCase(clash.target.c_str()) ? 1 : 0;
            key = folds ? files_.FoldCase(clash.target) : clash.target;
            std::map<std::string, size_t>::const_iterator it = taken.find(key);
            met = it != taken.end();
            if (met) clash.sameAs = it->second;
            if (!met || !unique) break;
        }
        if (!fits) {
            clash.kind = TargetClash::kTooLong;
        } else if (!met) {
            taken[key] = k;
            if (!Refused(files_, *this, clash.target, replace, backup, &clash.kind)) {
                ExtractFile file = {order[k], clash.target, backup};
                plan.files.push_back(file);
                continue;
            }
        }
        plan.clashes.push_back(clash);
    }
    if (!plan.clashes.empty()) plan.files.clear();
    return plan;
}

IoStatus Container::WriteEach(const std::vector<ExtractFile>& files, bool replace, size_t* placed) {
    std::vector<WriteJob> jobs(files.size());
    for (size_t k = 0; k < files.size(); ++k) {
        jobs[k].target = files[k].target;
        // Extracted as the file holds it.
        if (images_[files[k].image].extent > 0)
            jobs[k].pieces.push_back(PieceOf(files[k].image, false));
        jobs[k].backup = files[k].backup ? kBackupStaged : kNoBackup;
        jobs[k].replace = replace;
    }
    return WriteFiles(files_, memory_, sources_, jobs, placed);
}
