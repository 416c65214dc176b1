// The listing's texts.
#include "filesystems/files_text.h"

#include <cstdio>

namespace {

std::string Address(const char* label, uint32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%s&H%04X", label, static_cast<unsigned>(value));
    return text;
}

void Join(std::string* to, const char* what) {
    if (!to->empty()) *to += ", ";
    *to += what;
}

}  // namespace

std::string VolumeText(const FsVolume& v) {
    return std::string(FsName(v.probe.kind)) + ", " + TrackGeometryText(v.geometry);
}

std::string FileKindDetail(const DiskFile& f) {
    std::string text = FileKindText(f.kind);
    if (f.hasLoad) text += Address(", load ", f.load) + (f.hasEnd ? Address("-", f.end) : "");
    if (f.hasExec) text += Address(", start ", f.exec);
    return text;
}

std::string FileSizeText(const DiskFile& f) {
    if (f.kind == kFileFolder || f.deleted) return std::string();  // a deleted chain is not followed
    const char* unit =
        f.sizeInBytes ? (f.size == 1 ? " byte" : " bytes") : (f.size == 1 ? " sector" : " sectors");
    return std::to_string(f.size) + unit;
}

std::string FileAttributeText(const DiskFile& f) {
    std::string text;
    if (f.protectedFile) Join(&text, "protected");
    if (f.hidden) Join(&text, "hidden");
    if (f.deleted) Join(&text, "deleted");
    return text;
}

std::string FileLine(const DiskFile& f) {
    std::string line = DisplayName(f) + "  " + FileKindDetail(f);
    const std::string size = FileSizeText(f), attributes = FileAttributeText(f);
    if (!size.empty()) line += "  " + size;
    if (!attributes.empty()) line += "  " + attributes;
    return line;
}
