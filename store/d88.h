// The D88 disk image header as this program reads and writes it, and the
// text shown for its fields. Everything works on raw bytes; a header that
// runs past the end of its buffer is read with the missing bytes as 0 and
// written only where it lies inside the buffer.
#ifndef ORVANEL_STORE_D88_H
#define ORVANEL_STORE_D88_H

#include <cstddef>
#include <cstdint>

class MemoryApi;

const uint32_t kHeaderSize = 688;      // whole header, track table included
const uint32_t kHeaderAccess = 36;     // bytes touched by every header access
const uint32_t kNameField = 17;        // name bytes including its NUL
const uint32_t kNameMax = 16;          // longest name text stored
const uint32_t kOffSortKey = 22;       // four reserved bytes used while sorting
const uint32_t kOffWriteProtect = 26;
const uint32_t kOffMediaType = 27;
const uint32_t kOffDiskSize = 28;
const uint8_t kProtectBit = 0x10;
const uint8_t kMedia2DD = 0x10;
const uint8_t kMedia2HD = 0x20;
const uint32_t kNoImage = 0xFFFFFFFFu;  // "no image" as an item's offset

// The fields of one header, copied out under the header lock.
struct HeaderFields {
    char name[kNameField + 1];  // display text: NUL-ended, never a split character
    uint8_t writeProtect;
    uint8_t mediaType;
    uint32_t diskSize;
    uint32_t sortKey;
};

// Little-endian helpers.
uint32_t ReadLe32(const uint8_t* p);
void WriteLe32(uint8_t* p, uint32_t v);

// The fields of a header's first 36 bytes (bytes past the end given as 0).
void FieldsFromBytes(const uint8_t* bytes, HeaderFields* out);

// Copies the header fields at offset `off` of a buffer of `size` bytes.
// Locks the touched bytes (at most 36) for the copy. False when there is no
// buffer, `off` is not below `size`, or the lock is refused.
bool ReadHeader(MemoryApi& mem, const uint8_t* base, uint32_t size, uint32_t off,
                HeaderFields* out);

// The number of bytes of the image at `off` that really lie in the buffer:
// the smaller of its diskSize and what follows `off`; 0 when there is no
// header there. The size is read whether or not the lock is given: the
// bulk transfers that use it never depend on the locks.
uint32_t ImageExtent(MemoryApi& mem, const uint8_t* base, uint32_t size, uint32_t off);
// The diskSize of the header at `off` as ImageExtent reads it (0 when
// there is no header there).
uint32_t DiskSizeAt(MemoryApi& mem, const uint8_t* base, uint32_t size, uint32_t off);
// The smaller of a diskSize and the bytes that follow the image's header.
uint32_t ExtentOf(uint32_t diskSize, uint32_t bytesFromHeader);

// Whether an image of `extent` bytes holds the four sort key bytes itself;
// a shorter one would have them in the bytes of the image after it, which
// a reorder leaves alone.
bool OwnsSortKey(uint32_t extent);
// The same for the whole name field and for the write-protect byte, which
// the rename and the write protection of such an image would write into
// the image after it.
bool OwnsNameField(uint32_t extent);
bool OwnsWriteProtect(uint32_t extent);

// Writes a name (cut to at most 16 bytes at a character boundary) and its
// NUL at the start of the header; the bytes after the NUL are kept.
bool WriteHeaderName(MemoryApi& mem, uint8_t* base, uint32_t size, uint32_t off,
                     const char* name);
// Flips bit 0x10 of writeProtect; the new value goes to *now when given.
bool FlipWriteProtect(MemoryApi& mem, uint8_t* base, uint32_t size, uint32_t off,
                      uint8_t* now);
bool SetWriteProtect(MemoryApi& mem, uint8_t* base, uint32_t size, uint32_t off,
                     uint8_t value);
bool WriteSortKey(MemoryApi& mem, uint8_t* base, uint32_t size, uint32_t off,
                  uint32_t key);

// The same edits on a copy of a header's first `len` bytes (at most 36),
// without locks: bytes at or past `len` are left out, and the result says
// whether every byte was written.
bool PutName(uint8_t* header, uint32_t len, const char* name);
bool PutWriteProtect(uint8_t* header, uint32_t len, uint8_t value);
bool PutSortKey(uint8_t* header, uint32_t len, uint32_t key);

// Fills a zeroed 688-byte header as a blank disk: "BlankDisk", size 688.
void MakeBlankHeader(uint8_t* header);

// Display text of a name field of 17 bytes: up to its NUL, at most 17
// bytes, never ending in the first byte of a double-byte character.
void NameForDisplay(const uint8_t* field, char out[kNameField + 1]);
// Copies at most 16 bytes of `name` to `out`, cut at a character boundary.
void ClampName(const char* name, char out[kNameMax + 1]);
// The disk's part of the name of its extracted file: the name's text up to
// its NUL, at most 16 bytes (a name field without a NUL gives 16, not 17).
void ExtractNamePart(const HeaderFields& fields, char out[kNameMax + 1]);

const char* MediaText(uint8_t mediaType);      // "2D", "2DD", "2HD"
// The name of a media byte D88 files use: "2D", "2DD", "2HD", "1D" (0x30),
// "1DD" (0x40); null for any other value.
const char* MediaByteName(uint32_t value);
const char* ProtectText(uint8_t writeProtect);  // "Yes", "No"
// Column text of a size: "%dBytes" below 1024, else "%dKB" (whole KiB).
void FormatSizeColumn(uint32_t diskSize, char out[24]);

// True when the text from the path's last '.' (in its last component) to
// its end is ".d88" or ".88d", case-insensitively.
bool HasContainerExtension(const char* path);
// The extensions D88 files go by, in any letter case: .d88 and .88d, and
// .d77 (FM-7), .d68 (X68000), .d98 and .98d (PC-98) and .1dd. d88 takes
// these from folders; the window recognises the first two alone.
bool HasD88FamilyExtension(const char* path);

#endif
