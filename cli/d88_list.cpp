// d88 list: the images of each file as the walk finds them, each one worded
// as it is found and nothing of it kept, so that memory stays the same
// whatever their number. The table is as wide as its widest name, so a
// file is walked twice for it: for the widths, then for the lines.
#include <algorithm>
#include <cstring>

#include "cli/d88_container.h"
#include "cli/d88_json.h"
#include "cli/d88_text.h"
#include "cli/d88_words.h"
#include "document/container_io.h"
#include "platform/file_api.h"
#include "store/d88.h"

namespace d88cli {

namespace {

std::string Pad(const std::string& text, size_t columns, size_t width) {
    return columns >= width ? text : text + std::string(width - columns, ' ');
}

std::string PadLeft(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// One walk over a file of the list.
struct Listing {
    enum Pass { kMeasure, kLines, kJson };
    Tool* t;
    const std::string* path;
    const ImageRef* ref;
    Pass pass;
    size_t nameWidth;
    JsonLines* json;
    uint32_t lastOffset;
    Json element;

    bool Shown(size_t index) const { return !ref->hasIndex || index == ref->index; }

    static bool Each(void* context, const FileWalk& walk, size_t index, const WalkedImage& image) {
        static_cast<Listing*>(context)->One(walk, index, image);
        return true;
    }

    void One(const FileWalk& walk, size_t index, const WalkedImage& image) {
        HeaderFields h;
        FieldsFromBytes(image.header, &h);
        uint32_t extent = WalkedExtent(image, walk.fileSize);
        std::string name(h.name);
        size_t columns = 0;
        lastOffset = image.offset;
        if (pass != kLines && extent > 0 && extent < h.diskSize)
            t->Warn(*path, DescribeShort("image " + Number(index), h.diskSize, extent));
        if (!Shown(index)) return;
        if (pass == kJson) {
            // One element, its keys made once, for every image.
            Json& j = element;
            j["file"] = *path;
            j["index"] = index;
            j["offset"] = image.offset;
            j["name"] = Cp932ToUtf8(name, nullptr);
            j["name_cp932"] = HexBytes(name);
            j["protect"] = h.writeProtect != 0;
            j["protect_byte"] = h.writeProtect;
            j["media"] = MediaText(h.mediaType);
            j["media_byte"] = h.mediaType;
            j["size"] = h.diskSize;
            j["bytes_in_file"] = extent;
            json->Item(j);
            return;
        }
        std::string shown = NameForTerminal(name, &columns);
        if (pass == kMeasure) {
            nameWidth = std::max(nameWidth, columns);
            return;
        }
        const char* protect = ProtectText(h.writeProtect);
        const char* media = MediaText(h.mediaType);
        t->out << PadLeft(Number(index), 5) << "  " << PadLeft(Number(image.offset), 10) << "  "
               << Pad(shown, columns, nameWidth) << "  " << Pad(protect, std::strlen(protect), 7)
               << "  " << Pad(media, std::strlen(media), 5) << "  "
               << PadLeft(Number(h.diskSize), 10) << "\n";
    }

    // One walk; false (reported) when the file cannot be read, or changed
    // since the walk that gave `before`.
    bool Walk(FileWalk* walk, size_t* count, const FileWalk* before) {
        IoStatus status = StreamContainerFile(t->files, path->c_str(), walk, Each, this, count);
        if (!status.ok()) {
            status.path = *path;
            t->Fail(status);
            return false;
        }
        if (before && !SameStamp(before->stamp, walk->stamp)) {
            t->Fail(*path, Describe(t->files, IoFailure(kIoSourceChanged, *path)));
            return false;
        }
        return true;
    }
};

}  // namespace

int List(Tool& t, const Options& o) {
    if (o.args.empty()) return t.Usage("list", "'list' needs at least one FILE");
    int status = kExitOk;
    bool first = true;
    JsonLines json(t.out);
    if (o.json) json.Begin();
    for (size_t f = 0; f < o.args.size(); ++f) {
        ImageRef ref = ParseImageRef(t.files, o.args[f]);
        Listing listing = {&t, &ref.path, &ref, o.json ? Listing::kJson : Listing::kMeasure,
                           4,  &json,     0,    Json()};
        FileWalk walk;
        size_t count = 0;
        if (!listing.Walk(&walk, &count, nullptr)) {
            status = kExitFailed;
            continue;
        }
        if (!walk.complete)
            t.Warn(ref.path, DescribeEarlyEnd(count - 1, listing.lastOffset,
                                              walk.fileSize - listing.lastOffset, true));
        if (ref.hasIndex && ref.index >= count) {
            t.Fail(ref.path, "no image " + Number(ref.index) +
                                 (count ? ": the images are numbered 0 to " + Number(count - 1)
                                        : ": the file holds no images"));
            status = kExitFailed;
            continue;
        }
        if (o.json) continue;
        if (o.args.size() > 1) t.out << (first ? "" : "\n") << ref.path << ":\n";
        first = false;
        t.out << "INDEX      OFFSET  " << Pad("NAME", 4, listing.nameWidth)
              << "  PROTECT  MEDIA        SIZE\n";
        listing.pass = Listing::kLines;
        FileWalk again;
        if (!listing.Walk(&again, &count, &walk)) status = kExitFailed;
    }
    if (o.json) json.End();
    return status;
}

}  // namespace d88cli
