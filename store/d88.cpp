// D88 header access on raw bytes. Every access covers the first 36 bytes of
// a header, clamped to the buffer, and holds the memory lock on exactly that
// range while it reads or writes.
#include "store/d88.h"

#include <cstdio>
#include <cstring>

#include "platform/memory.h"

namespace {

// Shift-JIS (code page 932) lead bytes; 0xA1-0xDF are single-byte katakana.
bool IsLead(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The bytes of the header at `off` that a header access touches.
uint32_t AccessLength(uint32_t size, uint32_t off) {
    uint32_t left = size - off;
    return left < kHeaderAccess ? left : kHeaderAccess;
}

// Locks the access range of the header at `off`. False when there is no
// buffer, no header there, or the lock is refused; *len is the range.
bool LockHeader(MemoryApi& mem, const uint8_t* base, uint32_t size, uint32_t off, uint32_t* len) {
    if (!base || off >= size) return false;
    *len = AccessLength(size, off);
    return mem.Lock(base + off, *len);
}

// Copies `n` bytes to header offset `at`, leaving out the bytes that lie past
// `len` (the end of the buffer). True when every byte was written.
bool PutBytes(uint8_t* header, uint32_t len, uint32_t at, const uint8_t* src, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) {
        if (at + i >= len) return false;
        header[at + i] = src[i];
    }
    return true;
}

}  // namespace

uint32_t ReadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void WriteLe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

void FieldsFromBytes(const uint8_t* bytes, HeaderFields* out) {
    NameForDisplay(bytes, out->name);
    out->writeProtect = bytes[kOffWriteProtect];
    out->mediaType = bytes[kOffMediaType];
    out->diskSize = ReadLe32(bytes + kOffDiskSize);
    out->sortKey = ReadLe32(bytes + kOffSortKey);
}

bool ReadHeader(MemoryApi& mem, const uint8_t* base, uint32_t size, uint32_t off,
                HeaderFields* out) {
    uint32_t len = 0;
    if (!out || !LockHeader(mem, base, size, off, &len)) return false;
    uint8_t bytes[kHeaderAccess];
    std::memset(bytes, 0, sizeof bytes);
    std::memcpy(bytes, base + off, len);
    mem.Unlock(base + off, len);
    FieldsFromBytes(bytes, out);
    return true;
}

uint32_t ExtentOf(uint32_t diskSize, uint32_t bytesFromHeader) {
    return diskSize < bytesFromHeader ? diskSize : bytesFromHeader;
}

uint32_t DiskSizeAt(MemoryApi& mem, const uint8_t* base, uint32_t size, uint32_t off) {
    if (!base || off >= size) return 0;
    uint32_t len = AccessLength(size, off);
    // The lock only keeps the bytes resident: a refused one changes nothing.
    bool locked = mem.Lock(base + off, len);
    uint8_t bytes[4] = {0, 0, 0, 0};
    for (uint32_t i = 0; i < 4 && kOffDiskSize + i < len; ++i)
        bytes[i] = base[off + kOffDiskSize + i];
    if (locked) mem.Unlock(base + off, len);
    return ReadLe32(bytes);
}

uint32_t ImageExtent(MemoryApi& mem, const uint8_t* base, uint32_t size, uint32_t off) {
    if (!base || off >= size) return 0;
    return ExtentOf(DiskSizeAt(mem, base, size, off), size - off);
}

bool OwnsSortKey(uint32_t extent) { return extent >= kOffSortKey + 4; }

bool OwnsNameField(uint32_t extent) { return extent >= kNameField; }

bool OwnsWriteProtect(uint32_t extent) { return extent > kOffWriteProtect; }

bool PutName(uint8_t* header, uint32_t len, const char* name) {
    char clamped[kNameMax + 1];
    ClampName(name ? name : "", clamped);
    // The text and one NUL; whatever follows the NUL stays.
    return PutBytes(header, len, 0, reinterpret_cast<const uint8_t*>(clamped),
                    static_cast<uint32_t>(std::strlen(clamped)) + 1);
}

bool PutWriteProtect(uint8_t* header, uint32_t len, uint8_t value) {
    return PutBytes(header, len, kOffWriteProtect, &value, 1);
}

bool PutSortKey(uint8_t* header, uint32_t len, uint32_t key) {
    uint8_t bytes[4];
    WriteLe32(bytes, key);
    return PutBytes(header, len, kOffSortKey, bytes, 4);
}

bool WriteHeaderName(MemoryApi& mem, uint8_t* base, uint32_t size, uint32_t off, const char* name) {
    uint32_t len = 0;
    if (!LockHeader(mem, base, size, off, &len)) return false;
    bool whole = PutName(base + off, len, name);
    mem.Unlock(base + off, len);
    return whole;
}

bool FlipWriteProtect(MemoryApi& mem, uint8_t* base, uint32_t size, uint32_t off, uint8_t* now) {
    uint32_t len = 0;
    if (!LockHeader(mem, base, size, off, &len)) return false;
    bool inside = kOffWriteProtect < len;
    if (inside) {
        base[off + kOffWriteProtect] ^= kProtectBit;
        if (now) *now = base[off + kOffWriteProtect];
    }
    mem.Unlock(base + off, len);
    return inside;
}

bool SetWriteProtect(MemoryApi& mem, uint8_t* base, uint32_t size, uint32_t off, uint8_t value) {
    uint32_t len = 0;
    if (!LockHeader(mem, base, size, off, &len)) return false;
    bool whole = PutWriteProtect(base + off, len, value);
    mem.Unlock(base + off, len);
    return whole;
}

bool WriteSortKey(MemoryApi& mem, uint8_t* base, uint32_t size, uint32_t off, uint32_t key) {
    uint32_t len = 0;
    if (!LockHeader(mem, base, size, off, &len)) return false;
    bool whole = PutSortKey(base + off, len, key);
    mem.Unlock(base + off, len);
    return whole;
}

void MakeBlankHeader(uint8_t* header) {
    static const char kBlankName[] = "BlankDisk";
    std::memset(header, 0, kHeaderSize);
    std::memcpy(header, kBlankName, sizeof kBlankName);
    WriteLe32(header + kOffDiskSize, kHeaderSize);
}

void NameForDisplay(const uint8_t* field, char out[kNameField + 1]) {
    uint32_t n = 0;
    while (n < kNameField && field[n] != 0) ++n;
    // Whole characters only: a lead byte whose second byte is not in the
    // text is left out.
    uint32_t i = 0;
    while (i < n) {
        if (IsLead(field[i])) {
            if (i + 1 >= n) break;
            i += 2;
        } else {
            i += 1;
        }
    }
    std::memcpy(out, field, i);
    out[i] = '\0';
}

void ClampName(const char* name, char out[kNameMax + 1]) {
    const uint8_t* s = reinterpret_cast<const uint8_t*>(name ? name : "");
    uint32_t i = 0;
    while (s[i] != 0) {
        uint32_t w = 1;
        if (IsLead(s[i])) {
            if (s[i + 1] == 0) break;  // a lead byte without its second byte
            w = 2;
        }
        if (i + w > kNameMax) break;
        i += w;
    }
    std::memcpy(out, s, i);
    out[i] = '\0';
}

void ExtractNamePart(const HeaderFields& fields, char out[kNameMax + 1]) {
    ClampName(fields.name, out);
}

const char* MediaByteName(uint32_t value) {
    switch (value) {
        case 0x00:
            return "2D";
        case 0x10:
            return "2DD";
        case 0x20:
            return "2HD";
        case 0x30:
            return "1D";
        case 0x40:
            return "1DD";
        default:
            return nullptr;
    }
}

const char* MediaText(uint8_t mediaType) {
    if (mediaType == kMedia2DD) return "2DD";
    if (mediaType == kMedia2HD) return "2HD";
    return "2D";
}

const char* ProtectText(uint8_t writeProtect) { return writeProtect ? "Yes" : "No"; }

void FormatSizeColumn(uint32_t diskSize, char out[24]) {
    if (diskSize < 1024) {
        std::snprintf(out, 24, "%dBytes", static_cast<int>(diskSize));
    } else {
        std::snprintf(out, 24, "%dKB", static_cast<int>(diskSize >> 10));
    }
}

namespace {

// The extension of the path's last component, a '.' and three bytes, in
// lower case; false when it has none of that length.
bool ShortExtension(const char* path, char ext[4]) {
    if (!path) return false;
    const uint8_t* s = reinterpret_cast<const uint8_t*>(path);
    int dot = -1;
    int i = 0;
    // Paths are UTF-8: every separator and '.' is a character of its own.
    while (s[i] != 0) {
        if (s[i] == '\\' || s[i] == '/') dot = -1;
        if (s[i] == '.') dot = i;
        ++i;
    }
    if (dot < 0 || i - dot != 4) return false;
    for (int k = 0; k < 4; ++k) {
        char c = static_cast<char>(s[dot + k]);
        ext[k] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return true;
}

}  // namespace

bool HasContainerExtension(const char* path) {
    char ext[4];
    return ShortExtension(path, ext) &&
           (std::memcmp(ext, ".d88", 4) == 0 || std::memcmp(ext, ".88d", 4) == 0);
}

bool HasD88FamilyExtension(const char* path) {
    static const char kFamily[][5] = {".d88", ".88d", ".d77", ".d68", ".d98", ".98d", ".1dd"};
    char ext[4];
    if (!ShortExtension(path, ext)) return false;
    for (size_t k = 0; k < sizeof kFamily / sizeof kFamily[0]; ++k) {
        if (std::memcmp(ext, kFamily[k], 4) == 0) return true;
    }
    return false;
}
