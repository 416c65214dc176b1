// The source of a conversion found and walked, each image reported, and
// the files written by the one writer with the bytes of one image in memory
// at a time.
#include "formats/convert_files.h"

#include <new>

#include "document/container_io.h"
#include "document/file_writer.h"
#include "document/paths.h"
#include "platform/file_api.h"
#include "store/sector_view.h"

namespace {

ConvertFailure NoFailure() {
    ConvertFailure f = {IoSuccess(), FormatOk(), kFormatUnknown, 0, false, 0};
    return f;
}

bool IoFailed(ConvertFailure* failure, const IoStatus& status) {
    *failure = NoFailure();
    failure->io = status;
    return false;
}

bool FormatFailed(ConvertFailure* failure, const FormatError& error, size_t image,
                  ImageFormat looksLike = kFormatUnknown) {
    *failure = NoFailure();
    failure->format = error;
    failure->image = image;
    failure->looksLike = looksLike;
    return false;
}

// The source file, open for reading, closed when it goes.
class OpenSource {
public:
    OpenSource(FileApi& files, const std::string& path) : files_(files) {
        handle_ = files.OpenRead(path.c_str());
    }
    ~OpenSource() {
        if (handle_) files_.Close(handle_);
    }
    FileApi::Handle handle() const { return handle_; }

private:
    OpenSource(const OpenSource&);
    OpenSource& operator=(const OpenSource&);
    FileApi& files_;
    FileApi::Handle handle_;
};

bool Copying(const ConvertSource& source, ImageFormat to) {
    return source.format == kFormatD88 && to == kFormatD88;
}

// Converts the images one at a time as the writer asks for them.
class ImageMaker : public JobPieces {
public:
    ImageMaker(FileApi& files, MemoryApi& mem, const ConvertSource& source, ImageFormat to,
               const ConvertOptions& options, ConvertFailure* failure)
        : files_(files),
          source_(source),
          to_(to),
          options_(options),
          failure_(failure),
          bytes_(mem) {}

    IoStatus Make(size_t job, std::vector<Piece>* pieces) override {
        bytes_.Release();
        OpenSource in(files_, source_.path);
        if (!in.handle()) return IoFailure(kIoOpenFailed, files_, source_.path);
        FileStamp now;
        if (!files_.Stamp(in.handle(), &now)) return IoFailure(kIoReadFailed, files_, source_.path);
        if (!SameStamp(now, source_.stamp)) return IoFailure(kIoSourceChanged, source_.path);
        const SourceImage& image = source_.images[job];
        FileImage from(files_, in.handle(), image.offset, image.extent);
        ConvertReport report;
        FormatError e = ConvertImage(from, source_.format, to_, options_, true, &report, &bytes_);
        if (!e.ok()) {
            FormatFailed(failure_, e, job);
            if (e.problem == kFormatNoMemory) return IoFailure(kIoNoMemory, source_.path);
            if (e.problem == kFormatReadFailed)
                return IoFailure(kIoReadFailed, from.error(), source_.path);
            return IoFailure(kIoSourceChanged, source_.path);
        }
        pieces->assign(1, MemoryPiece(bytes_.data(), bytes_.size(), 0, bytes_.size()));
        return IoSuccess();
    }

private:
    FileApi& files_;
    const ConvertSource& source_;
    ImageFormat to_;
    const ConvertOptions& options_;
    ConvertFailure* failure_;
    ConvertedBytes bytes_;
};

}  // namespace

bool OpenConvertSource(FileApi& files, const std::string& path, ImageFormat stated, bool hasIndex,
                       uint32_t index, ConvertSource* source, ConvertFailure* failure) {
    *failure = NoFailure();
    source->path = path;
    source->images.clear();
    uint64_t size = 0;
    ImageFormat content = kFormatUnknown;
    {
        // Closed before the walk opens the file again: the system's files
        // are opened without sharing on Windows.
        OpenSource in(files, path);
        if (!in.handle()) return IoFailed(failure, IoFailure(kIoOpenFailed, files, path));
        if (!files.Size(in.handle(), &size) || !files.Stamp(in.handle(), &source->stamp))
            return IoFailed(failure, IoFailure(kIoSizeFailed, files, path));
        if (size >= kFourGiB) return IoFailed(failure, IoFailure(kIoTooLarge, path));
        source->size = static_cast<uint32_t>(size);
        FileImage whole(files, in.handle(), 0, source->size);
        content = FormatOfContent(whole);
        if (whole.error().kind != kNoSystemCode)
            return IoFailed(failure, IoFailure(kIoReadFailed, whole.error(), path));
    }
    ImageFormat named = FormatOfName(path.c_str());
    source->format = stated ? stated : named ? named : content;
    if (!source->format)
        return FormatFailed(failure,
                            FormatFailure(kFormatNotThis, kFormatUnknown,
                                          "neither its name nor its bytes say its format"),
                            0);
    if (size == 0)
        return FormatFailed(failure, FormatFailure(kFormatNotThis, source->format, "it is empty"),
                            0);
    // Any bytes are a raw image: one named so whose bytes are of another
    // format is refused, and so is any other whose bytes contradict its name.
    if (!stated && content && content != source->format &&
        (source->format != kFormatRaw || content != kFormatRaw))
        return FormatFailed(failure, FormatFailure(kFormatNotThis, source->format), 0, content);
    if (source->format != kFormatD88) {
        if (hasIndex && index != 0) {
            FormatFailed(failure, FormatOk(), index);
            failure->noImage = true;
            failure->images = 1;
            return false;
        }
        SourceImage one = {0, 0, source->size, HeaderFields()};
        source->images.push_back(one);
        return true;
    }
    FileWalk walk;
    IoStatus status = WalkContainerFile(files, path.c_str(), &walk);
    if (!status.ok()) return IoFailed(failure, status);
    if (!SameStamp(walk.stamp, source->stamp))
        return IoFailed(failure, IoFailure(kIoSourceChanged, path));
    source->sizeZero.clear();
    for (size_t i = 0; i < walk.images.size(); ++i) {
        if (hasIndex && i != index) continue;
        if (WalkedDiskSize(walk.images[i]) == 0) {
            source->sizeZero.push_back(i);
            continue;
        }
        SourceImage image;
        image.index = i;
        image.offset = walk.images[i].offset;
        image.extent = WalkedExtent(walk.images[i], walk.fileSize);
        FieldsFromBytes(walk.images[i].header, &image.fields);
        source->images.push_back(image);
    }
    if (hasIndex && source->images.empty() && source->sizeZero.empty()) {
        FormatFailed(failure, FormatOk(), index);
        failure->noImage = true;
        failure->images = walk.images.size();
        return false;
    }
    return true;
}

bool ReportConvertSource(FileApi& files, const ConvertSource& source, ImageFormat to,
                         const ConvertOptions& options, std::vector<ConvertReport>* reports,
                         ConvertFailure* failure) {
    *failure = NoFailure();
    reports->clear();
    OpenSource in(files, source.path);
    if (!in.handle()) return IoFailed(failure, IoFailure(kIoOpenFailed, files, source.path));
    for (size_t k = 0; k < source.images.size(); ++k) {
        const SourceImage& image = source.images[k];
        ConvertReport report;
        if (Copying(source, to)) {
            report.format = kFormatD88;
            report.size = image.extent;
            report.geometriesOfSize = 0;
            reports->push_back(report);
            continue;
        }
        FileImage from(files, in.handle(), image.offset, image.extent);
        FormatError e = ConvertImage(from, source.format, to, options, false, &report, nullptr);
        if (e.problem == kFormatReadFailed)
            return IoFailed(failure, IoFailure(kIoReadFailed, from.error(), source.path));
        if (!e.ok()) return FormatFailed(failure, e, k);
        reports->push_back(report);
    }
    return true;
}

bool IsSourceFile(FileApi& files, const ConvertSource& source, const std::string& target) {
    PathFacts self, there;
    return target == source.path || (files.Inspect(source.path.c_str(), &self) && self.index &&
                                     files.Inspect(target.c_str(), &there) &&
                                     there.volume == self.volume && there.index == self.index);
}

bool ConvertTargetName(const std::string& folder, const std::string& fileTitle,
                       const std::string& diskName, const char* extension, std::string* out) {
    std::vector<char> name(folder.size() + fileTitle.size() + diskName.size() + 32);
    if (!BuildExtractTarget(folder.c_str(), fileTitle.c_str(), diskName.c_str(), &name[0],
                            name.size(), kSystemPaths))
        return false;
    std::vector<char> with(name.size() + 8);
    if (!ReplaceExtension(&name[0], extension, &with[0], with.size(), kSystemPaths)) return false;
    *out = &with[0];
    return true;
}

bool WriteConversion(FileApi& files, MemoryApi& mem, const ConvertSource& source, ImageFormat to,
                     const ConvertOptions& options, const std::vector<std::string>& targets,
                     bool replace, size_t* placed, ConvertFailure* failure) {
    *failure = NoFailure();
    *placed = 0;
    for (size_t k = 0; k < targets.size(); ++k) {
        if (IsSourceFile(files, source, targets[k]))
            return IoFailed(failure, IoFailure(kIoExists, targets[k], source.path));
    }
    std::vector<SourceFile> sources(1);
    sources[0].path = source.path;
    sources[0].stamped = true;
    sources[0].stamp = source.stamp;
    std::vector<WriteJob> jobs;
    WriteJob job;
    job.backup = kNoBackup;
    job.replace = replace;
    try {
        if (Copying(source, to)) {
            job.target = targets.empty() ? std::string() : targets[0];
            for (size_t k = 0; k < source.images.size(); ++k)
                job.pieces.push_back(
                    FilePiece(0, source.images[k].offset, source.images[k].extent));
            jobs.push_back(job);
            IoStatus status = WriteFiles(files, mem, sources, jobs, placed);
            return status.ok() || IoFailed(failure, status);
        }
        for (size_t k = 0; k < targets.size() && k < source.images.size(); ++k) {
            job.target = targets[k];
            jobs.push_back(job);
        }
        ImageMaker maker(files, mem, source, to, options, failure);
        IoStatus status = WriteFiles(files, mem, sources, jobs, placed, nullptr, &maker);
        if (status.ok()) return true;
        failure->io = status;
        return false;
    } catch (const std::bad_alloc&) {
        return IoFailed(failure, IoFailure(kIoNoMemory, source.path));
    }
}
