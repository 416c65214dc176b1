// Path rules on Shift-JIS byte strings. Every scan runs forward, character
// by character, so that the second byte of a double-byte character is never
// taken for a backslash or a '.'.
#include "document/paths.h"

#include <cstring>

namespace {

// The length in bytes of the character at s (1 or 2; a lead byte that ends
// the string counts as a character of its own).
size_t CharWidth(const char* s) {
    return (IsLeadByte(static_cast<unsigned char>(s[0])) && s[1] != '\0') ? 2 : 1;
}

// The number of leading bytes of s, at most limit, that end at a character
// boundary.
size_t FitLength(const char* s, size_t limit) {
    size_t i = 0;
    while (s[i] != '\0') {
        size_t w = CharWidth(s + i);
        if (i + w > limit) break;
        i += w;
    }
    return i;
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

int ExtensionDot(const char* path) {
    if (!path) return -1;
    int dot = -1;
    for (size_t i = 0; path[i] != '\0'; i += CharWidth(path + i)) {
        // Both separators end a component: Windows accepts '/' as well.
        if (path[i] == '\\' || path[i] == '/') dot = -1;
        if (path[i] == '.') dot = static_cast<int>(i);
    }
    return dot;
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

bool ReplaceExtension(const char* path, const char* ext, char* out, size_t outSize) {
    if (!out || outSize == 0) return false;
    if (!path) path = "";
    if (!ext) ext = "";
    int dot = ExtensionDot(path);
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

bool BackupName(const char* path, char* out, size_t outSize) {
    return ReplaceExtension(path, ".bak", out, outSize);
}

bool BuildExtractTarget(const char* folder, const char* fileTitle, const char* diskName,
                        char* out, size_t outSize) {
    if (!out || outSize == 0) return false;
    if (!folder) folder = "";
    if (!fileTitle) fileTitle = "";
    if (!diskName) diskName = "";

    // Room for the longest pieces the callers hold, so that even a name far
    // too long is assembled whole before it is cut for the message.
    const size_t kRoom = 4 * kPathMax;
    char name[kRoom];
    size_t len = 0;
    bool fits = true;
    struct Appender {
        char* dst;
        size_t room;
        size_t* len;
        bool* fits;
        void Add(const char* s) {
            size_t n = std::strlen(s);
            if (*len + n >= room) {
                n = FitLength(s, room - 1 - *len);
                *fits = false;
            }
            std::memcpy(dst + *len, s, n);
            *len += n;
            dst[*len] = '\0';
        }
    } add = {name, kRoom, &len, &fits};

    name[0] = '\0';
    add.Add(folder);
    int slash = LastBackslash(name);
    if (len == 0 || slash != static_cast<int>(len) - 1) add.Add("\\");
    add.Add(fileTitle);
    // The extension dot of the document's name becomes a blank and what
    // follows it goes; the search does not run into the folder part.
    int dot = ExtensionDot(name);
    if (dot >= 0) {
        name[dot] = ' ';
        len = static_cast<size_t>(dot) + 1;
        name[len] = '\0';
    }
    add.Add(diskName);
    add.Add(".D88");

    size_t limit = kPathMax - 1;
    if (outSize - 1 < limit) limit = outSize - 1;
    if (len > limit) fits = false;
    size_t n = FitLength(name, limit);
    std::memcpy(out, name, n);
    out[n] = '\0';
    return fits;
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
