// The collection commands. Each one expands its PATHs into files, has the
// core's ImageScanner read every image once (checks, digests or both) and
// words what it found: one line per finding, image or match, or JSON.
#include "cli/d88_collection.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "cli/d88_json.h"
#include "cli/d88_sources.h"
#include "cli/d88_text.h"
#include "cli/d88_words.h"
#include "collection/dat.h"
#include "collection/image_scan.h"
#include "document/file_writer.h"
#include "document/paths.h"
#include "platform/file_api.h"
#include "platform/memory.h"
#include "store/d88.h"

namespace d88cli {

namespace {

// "1 image", "2 images".
std::string Count(uint64_t n, const char* thing) {
    return Number(n) + " " + thing + (n == 1 ? "" : "s");
}

// UTF-8 (a DAT's names) as shown on the terminal: control characters as
// \xNN.
std::string TextForTerminal(const std::string& utf8) {
    std::string text;
    for (size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x20 || c == 0x7F) {
            char e[8];
            std::snprintf(e, sizeof e, "\\x%02X", c);
            text += e;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

// One image as dupes keeps it.
struct Seen {
    std::string sha1;
    size_t source;
    size_t index;
    std::string name;  // CP932
};

class Collection {
public:
    Collection(Tool& tool, const Options& o)
        : out_(tool.out),
          err_(tool.err),
          files_(tool.files),
          memory_(tool.memory),
          o_(o),
          json_(tool.out) {}

    typedef void (Collection::*OnImage)(const FileWalk& walk, size_t index,
                                        const ImageReport& report);

    // Expands the PATHs and reads every image with `wants`, handing each
    // one's report to `onImage`. False when a PATH named nothing or a file
    // could not be read (reported; the other files are still read).
    bool ScanAll(const ScanWants& wants, OnImage onImage) {
        bool expanded = Expand();
        return Scan(wants, onImage) && expanded;
    }

    bool Expand() { return ExpandPaths(files_, o_.args, &sources_, err_); }

    // Reads the files Expand found.
    bool Scan(const ScanWants& wants, OnImage onImage) {
        bool ok = true;
        Progress progress(err_, !o_.quiet && IsTerminalErr(err_), sources_);
        progress_ = &progress;
        ImageScanner scanner(files_, memory_, wants);
        scanner.SetProgress(&Collection::OnBytes, &progress);
        onImage_ = onImage;
        for (source_ = 0; source_ < sources_.size(); ++source_) {
            const Source& s = sources_[source_];
            FileWalk walk;
            size_t n = 0;
            IoStatus status =
                scanner.ScanFile(s.path.c_str(), s.hasIndex ? s.index : ImageScanner::kEveryImage,
                                 &walk, &n, &Collection::Each, this);
            if (status.result != kIoOk) {
                status.path = s.path;
                Fail(s.path, Describe(files_, status));
                ok = false;
            } else if (s.hasIndex && s.index >= n) {
                Fail(s.path, DescribeNoImage(s.index, n));
                ok = false;
            } else {
                ++filesRead_;
            }
            progress.FileDone(s.size);
        }
        progress.Wipe();
        progress_ = nullptr;
        return ok;
    }

    static void OnBytes(void* context, uint32_t bytes) {
        static_cast<Progress*>(context)->Add(bytes);
    }

    static void Each(void* context, const FileWalk& walk, size_t index, const ImageReport& report) {
        Collection* self = static_cast<Collection*>(context);
        ++self->images_;
        (self->*(self->onImage_))(walk, index, report);
    }

    void Fail(const std::string& path, const std::string& why) {
        if (progress_) progress_->Wipe();
        err_ << "d88: " << path << ": " << why << "\n";
    }

    // The output stream, with the progress line wiped first.
    std::ostream& Out() {
        if (progress_) progress_->Wipe();
        return out_;
    }

    const Source& source() const { return sources_[source_]; }
    std::string Label(size_t index) const { return source().path + "@" + Number(index); }
    static std::string Cp932Name(const ImageReport& report) {
        HeaderFields fields;
        FieldsFromBytes(report.image.header, &fields);
        return fields.name;
    }
    std::string Place(const ImageReport& report, size_t index) const {
        size_t columns = 0;
        return Label(index) + "  " + NameForTerminal(Cp932Name(report), &columns);
    }
    Json JsonPlace(const ImageReport& report, size_t index) const {
        Json place;
        place["file"] = source().path;
        place["index"] = index;
        place["name"] = Cp932ToUtf8(Cp932Name(report), nullptr);
        return place;
    }

    // The last line when no file was read: there is nothing to sum up.
    bool NothingRead(const char* what) {
        if (filesRead_ > 0) return false;
        Out() << "no file was read, so nothing was " << what << "\n";
        return true;
    }

    // check
    int Check() {
        ScanWants wants = {true, 0, 0};
        if (o_.json) json_.Begin();
        bool read = ScanAll(wants, &Collection::CheckOne);
        if (o_.json) {
            json_.End();
        } else if (!NothingRead("checked")) {
            Out() << Count(images_, "image") << " in " << Count(filesRead_, "file") << ": "
                  << (errors_ + warnings_ == 0
                          ? std::string("no findings")
                          : Count(errors_, "error") + ", " + Count(warnings_, "warning"))
                  << "\n";
        }
        if (errors_ || !read) return 2;
        return warnings_ ? 1 : 0;
    }

    // The findings of the image and of the file system inside it, in the
    // order of their offsets.
    void CheckOne(const FileWalk& walk, size_t index, const ImageReport& report) {
        for (const Finding& f : report.findings) {
            const char* severity = f.severity == kError ? "error" : "warning";
            (f.severity == kError ? errors_ : warnings_)++;
            std::string text = Cp932ToUtf8(f.text, nullptr);
            if (o_.json) {
                Json finding;
                finding["file"] = source().path;
                finding["index"] = index;
                finding["offset"] = f.offset;
                finding["severity"] = severity;
                finding["code"] = f.code;
                finding["message"] = text;
                json_.Item(finding);
            } else {
                Out() << Label(index) << ": " << severity << " " << f.code << " at offset "
                      << f.offset << ": " << text << "\n";
            }
        }
        (void)walk;
    }

    // hash
    int Hash() {
        ScanWants wants = {false, kDigestAll, kDigestAll};
        if (o_.json) json_.Begin();
        bool read = ScanAll(wants, &Collection::HashOne);
        if (o_.json) json_.End();
        return read ? kExitOk : kExitFailed;
    }

    static std::string Digests(const DigestSet& d) {
        return "crc32 " + HexOf(d.crc32, 4) + "  md5 " + HexOf(d.md5, 16) + "  sha1 " +
               HexOf(d.sha1, 20);
    }
    static Json JsonDigests(const DigestSet& d) {
        Json digests;
        digests["crc32"] = HexOf(d.crc32, 4);
        digests["md5"] = HexOf(d.md5, 16);
        digests["sha1"] = HexOf(d.sha1, 20);
        return digests;
    }

    void HashOne(const FileWalk& walk, size_t index, const ImageReport& report) {
        uint32_t size = WalkedExtent(report.image, walk.fileSize);
        if (o_.json) {
            Json image = JsonPlace(report, index);
            image["offset"] = report.image.offset;
            image["size"] = size;
            image["raw"] = JsonDigests(report.raw);
            image["normalised"] = JsonDigests(report.normalised);
            json_.Item(image);
            return;
        }
        Out() << Place(report, index) << "  (" << size << " bytes)\n"
              << "  raw         " << Digests(report.raw) << "\n"
              << "  normalised  " << Digests(report.normalised) << "\n";
    }

    // identify
    int Identify() {
        const std::string& datFile = o_.dat.text;
        DatFormat format;
        DatStatus status = ReadDatFile(files_, datFile.c_str(), &dat_, &format);
        if (status.io.result != kIoOk) {
            status.io.path = datFile;
            Fail(datFile, Describe(files_, status.io));
            return kExitFailed;
        }
        if (!status.why.empty()) {
            Fail(datFile,
                 (status.line ? "line " + Number(status.line) + ": " : std::string()) + status.why);
            return kExitFailed;
        }
        DatIndex index(dat_);
        if (!index.Algorithms()) {
            Fail(datFile, "no file of the DAT gives a SHA-1, an MD5 or a CRC32 with a size");
            return kExitFailed;
        }
        index_ = &index;
        ScanWants wants = {false, index.Algorithms(), index.Algorithms()};
        if (o_.json) json_.Begin();
        bool read = ScanAll(wants, &Collection::IdentifyOne);
        if (o_.json) {
            json_.End();
        } else if (!NothingRead("identified")) {
            Out() << Count(images_, "image") << ": " << Number(images_ - unknown_) << " known, "
                  << Number(unknown_) << " unknown\n";
        }
        return read ? kExitOk : kExitFailed;
    }

    void IdentifyOne(const FileWalk& walk, size_t index, const ImageReport& report) {
        uint32_t size = WalkedExtent(report.image, walk.fileSize);
        std::vector<DatMatch> matches = index_->Find(report.raw, report.normalised, size);
        if (matches.empty()) ++unknown_;
        if (o_.json) {
            Json image = JsonPlace(report, index), list = Json::array();
            for (size_t m = 0; m < matches.size(); ++m) {
                const DatGame& game = dat_.games[matches[m].game];
                Json match;
                match["entry"] = game.name;
                match["file"] = game.roms[matches[m].rom].name;
                match["form"] = matches[m].normalised ? "normalised" : "raw";
                match["digest"] = MatchByText(matches[m].by);
                list.push_back(match);
            }
            image["matches"] = list;
            json_.Item(image);
            return;
        }
        std::ostream& out = Out();
        if (matches.empty()) out << Place(report, index) << ": unknown\n";
        for (size_t m = 0; m < matches.size(); ++m) {
            const DatGame& game = dat_.games[matches[m].game];
            out << Place(report, index) << ": " << TextForTerminal(game.name) << " ["
                << TextForTerminal(game.roms[matches[m].rom].name) << "] ("
                << (matches[m].normalised ? "normalised" : "raw") << ", "
                << MatchByText(matches[m].by) << ")\n";
        }
    }

    // dat
    int MakeDat() {
        const std::string& output = o_.output.text;
        if (files_.IsFolder(output.c_str())) {
            Fail(output, "a folder of that name exists");
            return kExitFailed;
        }
        if (!o_.force && files_.Exists(output.c_str())) {
            Fail(output, "the file exists; give --force to replace it");
            return kExitFailed;
        }
        bool read = Expand();
        PathFacts facts;
        for (size_t i = 0; i < sources_.size() && files_.Inspect(output.c_str(), &facts); ++i) {
            if (!SameFile(facts, sources_[i].volume, sources_[i].fileIndex)) continue;
            Fail(output,
                 "it is one of the files read, which are never written over; nothing "
                 "was written");
            return kExitFailed;
        }
        std::string title = output.substr(FolderPartLength(output.c_str(), kSystemPaths));
        int dot = ExtensionDot(title.c_str(), kSystemPaths);
        datText_.clear();
        datText_ +=
            LogiqxHead(PathText(dot >= 0 ? title.substr(0, static_cast<size_t>(dot)) : title),
                       "Disk images listed by d88 dat");
        ScanWants wants = {false, kDigestAll, 0};
        read = Scan(wants, &Collection::DatOne) && read;
        datText_ += LogiqxTail();
        if (!read) {
            err_ << "d88: nothing was written\n";
            return kExitFailed;
        }
        // The text goes to the file through the one writer, from a block.
        uint32_t n = static_cast<uint32_t>(datText_.size());
        uint8_t* block = memory_.Allocate(n);
        if (!block) {
            Fail(output, "not enough memory; nothing was written");
            return kExitFailed;
        }
        std::memcpy(block, datText_.data(), n);
        WriteJob job;
        job.target = output;
        job.pieces.push_back(MemoryPiece(block, n, 0, n));
        job.backup = kNoBackup;
        job.replace = o_.force;
        IoStatus status = WriteOneFile(files_, memory_, std::vector<SourceFile>(), job);
        memory_.Release(block, n);
        if (!status.ok()) {
            Fail(status.path, Describe(files_, status) + "; nothing was written");
            return kExitFailed;
        }
        Out() << output << ": " << Number(entries_) << (entries_ == 1 ? " entry" : " entries")
              << "\n";
        return kExitOk;
    }

    void DatOne(const FileWalk& walk, size_t index, const ImageReport& report) {
        DatGame game;
        // DATs are UTF-8; the names of files need not be.
        std::string relative = PathText(source().relative);
        game.name = relative + "@" + Number(index);
        for (int n = 2; !gameNames_.insert(game.name).second; ++n)
            game.name = relative + "@" + Number(index) + " (" + Number(n) + ")";
        game.description = Cp932ToUtf8(Cp932Name(report), nullptr);
        // The name 'd88 extract' gives the image: the file's name with its
        // extension dot turned into a blank, the disk's name, ".D88".
        HeaderFields fields;
        FieldsFromBytes(report.image.header, &fields);
        char part[kNameMax + 1];
        ExtractNamePart(fields, part);
        std::string title =
            PathText(source().path.substr(FolderPartLength(source().path.c_str(), kSystemPaths)));
        int dot = ExtensionDot(title.c_str(), kPosixPaths);
        if (dot >= 0) title = title.substr(0, static_cast<size_t>(dot)) + " ";
        DatRom rom;
        rom.name = title + Cp932ToUtf8(part, nullptr) + ".D88";
        std::replace(rom.name.begin(), rom.name.end(), '/', '_');
        std::replace(rom.name.begin(), rom.name.end(), '\\', '_');
        rom.hasSize = true;
        rom.size = WalkedExtent(report.image, walk.fileSize);
        rom.crc32 = HexOf(report.raw.crc32, 4);
        rom.md5 = HexOf(report.raw.md5, 16);
        rom.sha1 = HexOf(report.raw.sha1, 20);
        if (game.description.empty()) game.description = rom.name;
        game.roms.push_back(rom);
        datText_ += LogiqxGame(game);
        ++entries_;
    }

    // dupes
    int Dupes() {
        ScanWants wants = {false, o_.raw ? kDigestSha1 : 0u, o_.raw ? 0u : kDigestSha1};
        bool read = ScanAll(wants, &Collection::DupesOne);
        std::vector<size_t> order(seen_.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [this](size_t a, size_t b) { return seen_[a].sha1 < seen_[b].sha1; });
        // Groups of two or more, in the order of their first image.
        std::vector<std::vector<size_t> > groups;
        for (size_t i = 0; i < order.size();) {
            size_t j = i;
            while (j < order.size() && seen_[order[j]].sha1 == seen_[order[i]].sha1) ++j;
            if (j - i > 1)
                groups.push_back(std::vector<size_t>(order.begin() + i, order.begin() + j));
            i = j;
        }
        std::sort(groups.begin(), groups.end());
        const char* form = o_.raw ? "raw" : "normalised";
        if (o_.json) json_.Begin();
        for (size_t g = 0; g < groups.size(); ++g) {
            Json images = Json::array();
            if (!o_.json) {
                Out() << (g ? "\n" : "") << groups[g].size() << " identical images (" << form
                      << " SHA-1 " << seen_[groups[g][0]].sha1 << "):\n";
            }
            for (size_t k = 0; k < groups[g].size(); ++k) {
                const Seen& s = seen_[groups[g][k]];
                const std::string& path = sources_[s.source].path;
                if (o_.json) {
                    Json image;
                    image["file"] = path;
                    image["index"] = s.index;
                    image["name"] = Cp932ToUtf8(s.name, nullptr);
                    images.push_back(image);
                } else {
                    size_t columns = 0;
                    Out() << "  " << path << "@" << s.index << "  "
                          << NameForTerminal(s.name, &columns) << "\n";
                }
            }
            if (o_.json) {
                Json group;
                group["sha1"] = seen_[groups[g][0]].sha1;
                group["form"] = form;
                group["images"] = images;
                json_.Item(group);
            }
        }
        if (o_.json) {
            json_.End();
        } else if (!NothingRead("compared")) {
            Out() << (groups.empty() ? "" : "\n") << Count(images_, "image") << ": "
                  << (groups.empty() ? std::string("no two are the same disk")
                                     : Count(groups.size(), "group") + " of identical images")
                  << "\n";
        }
        return read ? kExitOk : kExitFailed;
    }

    void DupesOne(const FileWalk& walk, size_t index, const ImageReport& report) {
        // Every image without bytes has the digest of nothing: no disk.
        if (WalkedExtent(report.image, walk.fileSize) == 0) return;
        const DigestSet& d = o_.raw ? report.raw : report.normalised;
        Seen s = {HexOf(d.sha1, 20), source_, index, Cp932Name(report)};
        seen_.push_back(s);
    }

private:
    std::ostream& out_;
    std::ostream& err_;
    FileApi& files_;
    MemoryApi& memory_;
    const Options& o_;
    JsonLines json_;
    std::vector<Source> sources_;
    size_t source_ = 0;
    Progress* progress_ = nullptr;
    OnImage onImage_ = nullptr;
    uint64_t filesRead_ = 0, images_ = 0, errors_ = 0, warnings_ = 0, unknown_ = 0, entries_ = 0;
    Dat dat_;
    const DatIndex* index_ = nullptr;
    std::string datText_;  // the DAT that dat writes
    std::set<std::string> gameNames_;
    std::vector<Seen> seen_;
};

}  // namespace

namespace {

// Each collection command needs a PATH.
int Run(Tool& t, const Options& o, const char* command, int (Collection::*run)()) {
    if (o.args.empty())
        return t.Usage(command, "'" + std::string(command) + "' needs at least one PATH");
    Collection collection(t, o);
    return (collection.*run)();
}

}  // namespace

int Check(Tool& t, const Options& o) { return Run(t, o, "check", &Collection::Check); }
int Hash(Tool& t, const Options& o) { return Run(t, o, "hash", &Collection::Hash); }
int Dupes(Tool& t, const Options& o) { return Run(t, o, "dupes", &Collection::Dupes); }

int Identify(Tool& t, const Options& o) {
    if (!o.args.empty() && !o.dat.given)
        return t.Usage("identify", "'identify' needs --dat DATFILE");
    return Run(t, o, "identify", &Collection::Identify);
}

int MakeDat(Tool& t, const Options& o) {
    if (!o.args.empty() && (!o.output.given || o.output.text.empty()))
        return t.Usage("dat", "'dat' needs -o DATFILE");
    return Run(t, o, "dat", &Collection::MakeDat);
}

}  // namespace d88cli
