// Path rules on UTF-8 byte strings. Scans run forward, a character at a
// time where a cut must not split one.
#include "document/paths.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The length in bytes of the UTF-8 character at s (1 for a byte that is no
// UTF-8), and the UTF-16 units it takes.
size_t CharWidth(const char* s, size_t* units = nullptr) {
    unsigned char c = static_cast<unsigned char>(s[0]);
    size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 1;
    if (c >= 0xF5) n = 1;
    for (size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[k]) & 0xC0) != 0x80) {
            n = 1;
            break;
        }
    }
    if (units) *units = n == 4 ? 2 : 1;
    return n;
}

bool IsSeparator(char c, PathStyle style) {
    return c == '/' || (style == kWindowsPaths && c == '\\');
}

// The number of leading bytes of s, at most `bytes`, that end at a
// character boundary; on Windows also at most 259 UTF-16 units.
size_t FitLength(const char* s, size_t bytes, PathStyle style) {
    size_t units = 0;
    size_t i = 0;
    while (s[i] != '\0') {
        size_t u = 0;
        size_t w = CharWidth(s + i, &u);
        if (i + w > bytes) break;
        if (style == kWindowsPaths && units + u > kPathMax - 1) break;
        i += w;
        units += u;
    }
    return i;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

size_t Utf16Length(const char* utf8) {
    size_t units = 0;
    for (size_t i = 0; utf8[i] != '\0';) {
        size_t u = 0;
        i += CharWidth(utf8 + i, &u);
        units += u;
    }
    return units;
}

int LastBackslash(const char* path) {
    if (!path) return -1;
    const char* last = std::strrchr(path, '\\');
    return last ? static_cast<int>(last - path) : -1;
}

int ExtensionDot(const char* path, PathStyle style) {
    if (!path) return -1;
    int dot = -1;
    for (size_t i = 0; path[i] != '\0'; ++i) {
        // Both separators end a component: Windows accepts '/' as well.
        if (IsSeparator(path[i], style)) dot = -1;
        if (path[i] == '.') dot = static_cast<int>(i);
    }
    return dot;
}

size_t FolderPartLength(const char* path, PathStyle style) {
    if (!path) return 0;
    size_t cut = 0;
    for (size_t i = 0; path[i] != '\0'; ++i) {
        if (IsSeparator(path[i], style) || (style == kWindowsPaths && path[i] == ':')) cut = i + 1;
    }
    return cut;
}

bool TrimTrailingBackslash(char* path) {
    if (!path || path[0] == '\0') return false;
    size_t last = std::strlen(path) - 1;
    if (path[last] != '\\') return false;
    path[last] = '\0';
    return true;
}

bool ReplaceExtension(const char* path, const char* ext, char* out, size_t outSize,
                      PathStyle style) {
    if (!out || outSize == 0) return false;
    if (!path) path = "";
    if (!ext) ext = "";
    int dot = ExtensionDot(path, style);
    size_t keep = dot >= 0 ? static_cast<size_t>(dot) : std::strlen(path);
    std::string name(path, keep);
    name += ext;
    if (name.size() + 1 > outSize) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out, name.c_str(), name.size() + 1);
    return true;
}

bool BackupName(const char* path, char* out, size_t outSize, PathStyle style) {
    return ReplaceExtension(path, ".bak", out, outSize, style);
}

bool NewFileNameBeside(const char* target, uint32_t seed, uint32_t attempt, char* out,
                       size_t outSize, PathStyle style) {
    if (!out || outSize == 0) return false;
    out[0] = '\0';
    if (!target) return false;
    size_t prefix = FolderPartLength(target, style);
    // The name is ASCII: what room is left is counted in bytes and, on
    // Windows, in characters.
    size_t used =
        style == kWindowsPaths ? Utf16Length(std::string(target, prefix).c_str()) : prefix;
    size_t limit = style == kWindowsPaths ? kPathMax - 1 : outSize - 1;
    if (prefix >= outSize - 1 || used >= limit) return false;
    size_t room = limit - used;
    if (room > outSize - 1 - prefix) room = outSize - 1 - prefix;
    // Each attempt of a series gives another tag; the seed keeps series of
    // different callers apart.
    uint32_t tag = seed + attempt * 0x9E3779B9u;
    char name[24];
    if (room >= 16) {
        std::snprintf(name, sizeof name, "~orv%08lx.tmp", static_cast<unsigned long>(tag));
    } else {
        // Fewer digits where the folder leaves less room, but the prefix
        // stays: a file left behind still says whose it is.
        if (room < 5) return false;
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08lx", static_cast<unsigned long>(tag));
        size_t digits = room - 4 < 8 ? room - 4 : 8;
        std::memcpy(name, "~orv", 4);
        std::memcpy(name + 4, hex + 8 - digits, digits);
        name[4 + digits] = '\0';
    }
    std::memcpy(out, target, prefix);
    std::strcpy(out + prefix, name);
    return true;
}

bool BuildExtractTarget(const char* folder, const char* fileTitle, const char* diskName, char* out,
                        size_t outSize, PathStyle style) {
    if (!out || outSize == 0) return false;
    if (!folder) folder = "";
    if (!fileTitle) fileTitle = "";
    if (!diskName) diskName = "";

    // The whole name is assembled first, however long, and cut for the
    // message only at the end.
    std::string name = folder;
    char separator = style == kWindowsPaths ? '\\' : '/';
    if (name.empty() || name[name.size() - 1] != separator) name += separator;
    name += fileTitle;
    // The extension dot of the document's name becomes a blank and what
    // follows it goes; the search does not run into the folder part.
    int dot = ExtensionDot(name.c_str(), style);
    if (dot >= 0) name.erase(static_cast<size_t>(dot)).append(" ");
    name += diskName;
    name += ".D88";

    size_t n = FitLength(name.c_str(), outSize - 1, style);
    std::memcpy(out, name.data(), n);
    out[n] = '\0';
    return n == name.size();
}

const char* SkipProgramName(const char* commandLine) {
    if (!commandLine) return "";
    const char* p = commandLine;
    while (IsBlank(*p)) ++p;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p != '\0' && !IsBlank(*p)) ++p;
    }
    while (IsBlank(*p)) ++p;
    return p;
}

void CommandLinePath(const char* tail, char out[kPathBytes]) {
    if (!tail) tail = "";
    size_t n = FitLength(tail, kPathBytes - 1, kWindowsPaths);
    std::memcpy(out, tail, n);
    out[n] = '\0';
    if (n >= 2 && out[0] == '"' && out[n - 1] == '"' &&
        std::memchr(out + 1, '"', n - 2) == nullptr) {
        std::memmove(out, out + 1, n - 2);
        out[n - 2] = '\0';
    }
}
