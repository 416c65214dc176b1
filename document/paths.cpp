// Path rules on Shift-JIS byte strings. Every scan runs forward, character
// by character, so that the second byte of a double-byte character is never
// taken for a backslash or a '.'.
#include "document/paths.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The length in bytes of the character at s (1 or 2; a lead byte that ends
// the string counts as a character of its own). In UTF-8 every byte that
// matters here (separators, '.') is a character of its own.
size_t CharWidth(const char* s, PathStyle style = kWindowsPaths) {
    if (style == kPosixPaths) return 1;
    return (IsLeadByte(static_cast<unsigned char>(s[0])) && s[1] != '\0') ? 2 : 1;
}

bool IsSeparator(char c, PathStyle style) {
    return c == '/' || (style == kWindowsPaths && c == '\\');
}

// The number of leading bytes of s, at most limit, that end at a character
// boundary.
size_t FitLength(const char* s, size_t limit, PathStyle style = kWindowsPaths) {
    size_t i = 0;
    while (s[i] != '\0') {
        size_t w = CharWidth(s + i, style);
        if (i + w > limit) break;
        i += w;
    }
    return i;
}

// The longest path a style allows in a buffer of outSize bytes.
size_t PathLimit(size_t outSize, PathStyle style) {
    size_t limit = outSize - 1;
    if (style == kWindowsPaths && limit > kPathMax - 1) limit = kPathMax - 1;
    return limit;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

int LastBackslash(const char* path) {
    if (!path) return -1;
    int last = -1;
    for (size_t i = 0; path[i] != '\0'; i += CharWidth(path + i)) {
        if (path[i] == '\\') last = static_cast<int>(i);
    }
    return last;
}

int ExtensionDot(const char* path, PathStyle style) {
    if (!path) return -1;
    int dot = -1;
    for (size_t i = 0; path[i] != '\0'; i += CharWidth(path + i, style)) {
        // Both separators end a component: Windows accepts '/' as well.
        if (IsSeparator(path[i], style)) dot = -1;
        if (path[i] == '.') dot = static_cast<int>(i);
    }
    return dot;
}

size_t FolderPartLength(const char* path, PathStyle style) {
    if (!path) return 0;
    size_t cut = 0;
    for (size_t i = 0; path[i] != '\0'; i += CharWidth(path + i, style)) {
        if (IsSeparator(path[i], style) || (style == kWindowsPaths && path[i] == ':'))
            cut = i + 1;
    }
    return cut;
}

bool TrimTrailingBackslash(char* path) {
    if (!path || path[0] == '\0') return false;
    size_t lastChar = 0;
    size_t i = 0;
    while (path[i] != '\0') {
        lastChar = i;
        i += CharWidth(path + i);
    }
    if (path[lastChar] != '\\') return false;
    path[lastChar] = '\0';
    return true;
}

bool SameFolder(const char* a, const char* b) {
    if (!a) a = "";
    if (!b) b = "";
    size_t i = 0;
    size_t j = 0;
    for (;;) {
        bool aEnds = a[i] == '\0' || (a[i] == '\\' && a[i + 1] == '\0');
        bool bEnds = b[j] == '\0' || (b[j] == '\\' && b[j + 1] == '\0');
        if (aEnds || bEnds) return aEnds && bEnds;
        size_t wa = CharWidth(a + i);
        size_t wb = CharWidth(b + j);
        if (wa != wb) return false;
        if (wa == 2) {
            if (a[i] != b[j] || a[i + 1] != b[j + 1]) return false;
        } else {
            if (UpperAscii(a[i]) != UpperAscii(b[j])) return false;
        }
        i += wa;
        j += wb;
    }
}

bool ReplaceExtension(const char* path, const char* ext, char* out, size_t outSize,
                      PathStyle style) {
    if (!out || outSize == 0) return false;
    if (!path) path = "";
    if (!ext) ext = "";
    int dot = ExtensionDot(path, style);
    size_t keep = dot >= 0 ? static_cast<size_t>(dot) : std::strlen(path);
    size_t extLen = std::strlen(ext);
    if (keep + extLen + 1 > outSize) {
        out[0] = '\0';
        return false;
    }
    std::memmove(out, path, keep);
    std::memmove(out + keep, ext, extLen + 1);
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
    size_t limit = PathLimit(outSize, style);
    if (prefix >= limit) return false;
    size_t room = limit - prefix;
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

bool BuildExtractTarget(const char* folder, const char* fileTitle, const char* diskName,
                        char* out, size_t outSize, PathStyle style) {
    if (!out || outSize == 0) return false;
    if (!folder) folder = "";
    if (!fileTitle) fileTitle = "";
    if (!diskName) diskName = "";

    // The whole name is assembled first, however long, and cut for the
    // message only at the end.
    std::string name = folder;
    char separator = style == kWindowsPaths ? '\\' : '/';
    bool endsInSeparator =
        style == kWindowsPaths
            ? !name.empty() && LastBackslash(name.c_str()) == static_cast<int>(name.size()) - 1
            : !name.empty() && name[name.size() - 1] == '/';
    if (!endsInSeparator) name += separator;
    name += fileTitle;
    // The extension dot of the document's name becomes a blank and what
    // follows it goes; the search does not run into the folder part.
    int dot = ExtensionDot(name.c_str(), style);
    if (dot >= 0) name.erase(static_cast<size_t>(dot)).append(" ");
    name += diskName;
    name += ".D88";

    size_t limit = PathLimit(outSize, style);
    size_t n = FitLength(name.c_str(), limit, style);
    std::memcpy(out, name.data(), n);
    out[n] = '\0';
    return name.size() <= limit;
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

void CommandLinePath(const char* tail, char out[kPathMax]) {
    if (!tail) tail = "";
    size_t n = FitLength(tail, kPathMax - 1);
    std::memcpy(out, tail, n);
    out[n] = '\0';
    if (n >= 2 && out[0] == '"' && out[n - 1] == '"' &&
        std::memchr(out + 1, '"', n - 2) == nullptr) {
        std::memmove(out, out + 1, n - 2);
        out[n - 2] = '\0';
    }
}
