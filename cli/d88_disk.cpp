// d88 files and d88 get: each image read where it lies in its file through
// the sector view, its file system opened by the core, and the result
// worded: a listing (or JSON), or the files written through the one writer.
#include "cli/d88_disk.h"

#include "cli/d88_json.h"
#include "cli/d88_sources.h"
#include "cli/d88_text.h"
#include "cli/d88_words.h"
#include "document/container_io.h"
#include "filesystems/disk_extract.h"
#include "filesystems/files_text.h"
#include "filesystems/n88_program.h"
#include "platform/file_api.h"
#include "platform/text_codec.h"

namespace d88cli {

namespace {

// A container file walked and held open for reading its images.
class OpenFile {
public:
    explicit OpenFile(FileApi& files) : files_(files) {}
    ~OpenFile() {
        if (handle_) files_.Close(handle_);
    }
    IoStatus Open(const std::string& path) {
        IoStatus status = WalkContainerFile(files_, path.c_str(), &walk);
        if (!status.ok()) return status;
        handle_ = files_.OpenRead(path.c_str());
        if (!handle_) return IoFailure(kIoOpenFailed, files_, path);
        FileStamp now;
        if (!files_.Stamp(handle_, &now)) return IoFailure(kIoSizeFailed, files_, path);
        if (!SameStamp(now, walk.stamp)) return IoFailure(kIoSourceChanged, path);
        return IoSuccess();
    }
    FileApi::Handle handle() const { return handle_; }
    FileWalk walk;

private:
    FileApi& files_;
    FileApi::Handle handle_ = nullptr;
};

// One image's files.
struct Disk {
    Disk(FileApi& files, FileApi::Handle h, uint64_t offset, uint32_t extent)
        : image(files, h, offset, extent), view(image) {}
    // False with *failure when the image's bytes could not be read.
    bool Open(const std::string& path, IoStatus* failure) {
        if (view.Open() && OpenDiskFiles(view, &volume) == kFsOk) return true;
        *failure = ReadFailure(path);
        return false;
    }
    IoStatus ReadFailure(const std::string& path) const {
        return image.error().kind == kNoSystemCode ? IoFailure(kIoSourceChanged, path)
                                                   : IoFailure(kIoReadFailed, image.error(), path);
    }
    FileImage image;
    SectorView view;
    FsVolume volume;
};

std::string Utf8(const std::string& cp932) { return Cp932ToUtf8(cp932, nullptr); }

// "N88-BASIC, 40 x 2 x 16 x 256", with the probe's doubt where it has one.
std::string Heading(const FsVolume& v) {
    if (v.probe.certainty == kProbeLikely)
        return std::string(FsName(v.probe.kind)) + " (likely: " + v.probe.why + "), " +
               TrackGeometryText(v.geometry);
    return VolumeText(v);
}

Json FileJson(const DiskFile& f) {
    Json j;
    j["name"] = Utf8(DisplayName(f));
    j["stored_name"] = HexBytes(f.name);
    j["kind"] = FileKindText(f.kind);
    if (f.kind != kFileFolder) {
        j["size"] = f.size;
        j["size_unit"] = f.sizeInBytes ? "bytes" : "sectors";
    }
    if (f.hasLoad) j["load"] = f.load;
    if (f.hasEnd) j["end"] = f.end;
    if (f.hasExec) j["start"] = f.exec;
    j["attribute_byte"] = f.attribute;
    j["protected"] = f.protectedFile;
    j["hidden"] = f.hidden;
    j["deleted"] = f.deleted;
    return j;
}

Json VolumeJson(const std::string& path, size_t index, const FsVolume& v, bool deleted) {
    Json j, g, list = Json::array();
    j["file"] = path;
    j["index"] = index;
    j["file_system"] = FsName(v.probe.kind);
    j["certainty"] = CertaintyText(v.probe.certainty);
    j["why"] = v.probe.why;
    g["cylinders"] = v.geometry.cylinders;
    g["heads"] = v.geometry.heads;
    g["sectors"] = v.geometry.sectorsPerTrack;
    g["sector_size"] = v.geometry.sectorSize;
    g["fm_track0"] = v.geometry.fmTrack0;
    j["geometry"] = g;
    if (!v.label.empty()) j["label"] = Utf8(v.label);
    for (size_t i = 0; i < v.files.size(); ++i)
        if (deleted || !v.files[i].deleted) list.push_back(FileJson(v.files[i]));
    j["files"] = list;
    return j;
}

std::string Plural(size_t n, const char* thing) {
    return Number(n) + " " + thing + (n == 1 ? "" : "s");
}

}  // namespace

int Files(Tool& t, const Options& o) {
    if (o.args.empty()) return t.Usage("files", "'files' needs at least one PATH");
    std::vector<Source> sources;
    bool ok = ExpandPaths(t.files, o.args, &sources, t.err);
    JsonLines json(t.out);
    if (o.json) json.Begin();
    size_t images = 0, known = 0, listed = 0, filesRead = 0;
    for (const Source& s : sources) {
        OpenFile file(t.files);
        IoStatus status = file.Open(s.path);
        if (!status.ok()) {
            status.path = s.path;
            t.Fail(status);
            ok = false;
            continue;
        }
        const size_t count = file.walk.images.size();
        if (s.hasIndex && s.index >= count) {
            t.Fail(s.path, DescribeNoImage(s.index, count));
            ok = false;
            continue;
        }
        ++filesRead;
        for (size_t i = 0; i < count; ++i) {
            if (s.hasIndex && i != s.index) continue;
            const WalkedImage& w = file.walk.images[i];
            Disk disk(t.files, file.handle(), w.offset, WalkedExtent(w, file.walk.fileSize));
            if (!disk.Open(s.path, &status)) {
                t.Fail(status, " (image " + Number(i) + ")");
                ok = false;
                break;
            }
            const FsVolume& v = disk.volume;
            ++images;
            if (v.probe.kind != kNoFileSystem) ++known;
            if (o.json) {
                json.Item(VolumeJson(s.path, i, v, o.deleted));
                continue;
            }
            t.out << s.path << "@" << i << ": " << Heading(v) << "\n";
            if (v.probe.kind == kNoFileSystem) t.out << "  " << v.probe.why << "\n";
            if (!v.label.empty()) t.out << "  volume label " << Utf8(v.label) << "\n";
            for (size_t k = 0; k < v.files.size(); ++k) {
                if (v.files[k].deleted && !o.deleted) continue;
                t.out << "  " << Utf8(FileLine(v.files[k])) << "\n";
                ++listed;
            }
        }
    }
    if (o.json) {
        json.End();
    } else if (filesRead) {
        t.out << Plural(images, "image") << " in " << Plural(filesRead, "file") << ": "
              << Number(known) << " with a file system, " << Plural(listed, "file") << " listed\n";
    } else {
        t.out << "no file was read, so nothing was listed\n";
    }
    return ok ? kExitOk : kExitFailed;
}

int Get(Tool& t, const Options& o) {
    if (o.args.empty()) return t.Usage("get", "'get' needs FILE@N and the NAMEs of its files");
    if (o.all != (o.args.size() == 1))
        return t.Usage("get", o.all ? "'get --all' takes no NAME" : "'get' needs NAMEs, or --all");
    BasicVersion version = kBasicV2;
    if (o.basic.given && !ParseBasicVersion(o.basic.text, &version))
        return t.Usage("get", "--basic takes V1, V2 or 86, not '" + o.basic.text + "'");
    if ((o.cp932 || o.basic.given) && !o.text)
        return t.Usage("get", "--cp932 and --basic go with --text");
    const std::string folder = o.output.given ? o.output.text : std::string(".");
    if (!t.files.IsFolder(folder.c_str())) return t.Fail(folder, "no such folder");
    ImageRef ref = ParseImageRef(t.files, o.args[0]);
    OpenFile file(t.files);
    IoStatus status = file.Open(ref.path);
    if (!status.ok()) {
        status.path = ref.path;
        return t.Fail(status);
    }
    const size_t count = file.walk.images.size();
    if (!ref.hasIndex && count != 1)
        return t.Usage("get",
                       ref.path + " holds " + Plural(count, "image") + ": name one as FILE@N");
    const size_t index = ref.hasIndex ? ref.index : 0;
    if (index >= count) return t.Fail(ref.path, DescribeNoImage(index, count));
    const std::string label = ref.path + "@" + Number(index);
    const WalkedImage& w = file.walk.images[index];
    Disk disk(t.files, file.handle(), w.offset, WalkedExtent(w, file.walk.fileSize));
    if (!disk.Open(ref.path, &status)) return t.Fail(status);
    const FsVolume& v = disk.volume;
    if (v.probe.kind == kNoFileSystem)
        return t.Fail(label, "no recognised file system (" + v.probe.why + ")");

    // The names as 'files' shows them, in UTF-8: the core knows them in CP932.
    std::vector<std::string> names, unknown;
    for (size_t k = 1; k < o.args.size(); ++k) {
        std::string cp932;
        names.push_back(Utf8ToCp932(o.args[k], &cp932) ? cp932 : "\x01" + o.args[k]);
    }
    std::vector<ExtractTarget> plan;
    PlanExtract(v, names, o.all, &plan, &unknown);
    int result = kExitOk;
    for (const std::string& name : unknown) {
        t.Fail(label, "no file " + (name[0] == '\x01' ? name.substr(1) : Utf8(name)) +
                          " ('d88 files " + label + "' lists them)");
        result = kExitFailed;
    }
    for (const ExtractTarget& target : plan) {
        const DiskFile& f = v.files[target.file];
        const std::string shown = Utf8(DisplayName(f));
        std::vector<uint8_t> bytes;
        std::string problem;
        FsStatus read = ReadDiskFile(disk.view, v, target.file, &bytes, &problem);
        if (read == kFsIoFailed) return t.Fail(disk.ReadFailure(ref.path));
        if (read == kFsBroken) {
            t.Fail(label, shown + ": " + problem + "; it was not written");
            result = kExitFailed;
            continue;
        }
        if (o.text && v.probe.kind == kN88Basic && f.kind == kFileBasic) {
            BasicListing listing = ListN88Program(bytes, version);
            if (!listing.complete) t.Warn(label, shown + ": " + listing.problem);
            const std::string text = o.cp932 ? listing.text : ListingToUtf8(listing.text);
            bytes.assign(text.begin(), text.end());
        }
        status = WriteExtracted(t.files, t.memory, folder, target, bytes, o.force);
        if (!status.ok()) {
            t.Fail(status);
            result = kExitFailed;
            continue;
        }
        t.out << shown << " -> " << ExtractPath(folder, target) << " ("
              << Plural(bytes.size(), "byte")
              << (target.changed ? "; " + target.why : std::string()) << ")\n";
    }
    return result;
}

}  // namespace d88cli
