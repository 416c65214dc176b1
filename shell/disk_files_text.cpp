// The files window's texts.
#include "shell/disk_files_text.h"

#include <cstdio>

#include "platform/text_codec.h"
#include "shell/texts.h"

namespace {

bool Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool SingleCharacter(unsigned char b) {
    return (b >= 0x20 && b < 0x7F) || (b >= 0xA1 && b <= 0xDF);
}

void AppendShown(const std::string& stored, NameCharset charset, std::string* out) {
    for (size_t i = 0; i < stored.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(stored[i]);
        if (charset == kNameCp932 && Lead(b) && i + 1 < stored.size()) {
            std::string pair = stored.substr(i, 2), utf8;
            if (Cp932ToUtf8(pair, &utf8)) {
                *out += pair;
                ++i;
                continue;
            }
        }
        if (SingleCharacter(b)) {
            *out += static_cast<char>(b);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned>(b));
            *out += hex;
        }
    }
}

std::string Formatted(const char* format, unsigned long value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void Join(std::string* to, const char* what) {
    if (!to->empty()) *to += ",";
    *to += what;
}

std::string KindText(const DiskFile& f) {
    static const char* const kinds[] = {TXT_KIND_ASCII, TXT_KIND_BASIC, TXT_KIND_MACHINE,
                                        TXT_KIND_DATA, TXT_KIND_FOLDER};
    std::string text = kinds[f.kind];
    if (f.hasLoad) text += Formatted(TXT_KIND_LOAD, f.load);
    if (f.hasLoad && f.hasEnd) text += Formatted(TXT_KIND_END, f.end);
    if (f.hasExec) text += Formatted(TXT_KIND_EXEC, f.exec);
    return text;
}

std::string GeometryText(const TrackGeometry& g) {
    if (g.tracks == 0 || g.sectorsPerTrack == 0) return TXT_FILES_NO_TRACKS;
    char text[160];
    int n = std::snprintf(
        text, sizeof text, TXT_FILES_GEOMETRY, static_cast<unsigned long>(g.cylinders),
        static_cast<unsigned long>(g.heads), static_cast<unsigned long>(g.sectorsPerTrack),
        static_cast<unsigned long>(g.sectorSize));
    if (g.fmTrack0 && n > 0 && n < static_cast<int>(sizeof text))
        std::snprintf(text + n, sizeof text - n, TXT_FILES_GEOMETRY_FM,
                      static_cast<unsigned long>(g.sectorsPerTrack),
                      static_cast<unsigned long>(g.track0Size));
    return text;
}

std::string WithText(const char* format, const std::string& text) {
    std::string out = format;
    out.replace(out.find("%s"), 2, text);
    return out;
}

}  // namespace

std::string ShownFileName(const DiskFile& f) {
    std::string shown;
    size_t from = 0;
    while (from < f.folder.size()) {
        size_t slash = f.folder.find('/', from);
        if (slash == std::string::npos) slash = f.folder.size();
        AppendShown(f.folder.substr(from, slash - from), f.charset, &shown);
        shown += '\\';
        from = slash + 1;
    }
    AppendShown(f.name, f.charset, &shown);
    return shown;
}

FileRow FileRowOf(const DiskFile& f) {
    FileRow row;
    row.name = ShownFileName(f);
    row.kind = KindText(f);
    if (f.kind != kFileFolder && !f.deleted)
        row.size = Formatted(f.sizeInBytes ? TXT_FILE_BYTES : TXT_FILE_SECTORS, f.size);
    if (f.protectedFile) Join(&row.attributes, TXT_ATTR_PROTECTED);
    if (f.hidden) Join(&row.attributes, TXT_ATTR_HIDDEN);
    if (f.deleted) Join(&row.attributes, TXT_ATTR_DELETED);
    return row;
}

std::string FilesHeading(const FsVolume& v) {
    std::string system = v.probe.kind == kNoFileSystem ? TXT_FILES_NO_SYSTEM : FsName(v.probe.kind);
    return WithText(WithText(TXT_FILES_SYSTEM, system).c_str(), GeometryText(v.geometry));
}

std::string FilesDetail(const FsVolume& v) {
    if (v.probe.kind == kNoFileSystem) return WithText(TXT_FILES_REASONS, v.probe.why);
    if (v.probe.certainty == kProbeLikely) return WithText(TXT_FILES_LIKELY, v.probe.why);
    if (!v.label.empty()) {
        std::string label;
        AppendShown(v.label, kNameCp932, &label);
        return WithText(TXT_FILES_LABEL, label);
    }
    return std::string();
}

bool ListsFile(const DiskFile& f, bool deleted) { return deleted || !f.deleted; }

bool CanExtractFile(const DiskFile& f) { return !f.deleted && f.kind != kFileFolder; }

bool HasListing(const FsVolume& v, const DiskFile& f) {
    return v.probe.kind == kN88Basic && f.kind == kFileBasic;
}

std::string FilesListingText(const FsVolume& v, bool deleted) {
    std::string text;
    for (size_t i = 0; i < v.files.size(); ++i) {
        if (!ListsFile(v.files[i], deleted)) continue;
        const FileRow row = FileRowOf(v.files[i]);
        text += row.name + "\t" + row.kind + "\t" + row.size + "\r\n";
    }
    return text;
}
