// Value encodings of the settings file: a structure as upper-case hex digits
// followed by a checksum byte (the sum of the bytes modulo 256), and the
// flags word as a signed decimal number.
#ifndef ORVANEL_SHELL_SETTINGS_CODEC_H
#define ORVANEL_SHELL_SETTINGS_CODEC_H

#include <cstddef>
#include <cstdint>
#include <string>

const uint32_t FLAG_VIEW_MASK = 0x00000003u;
const uint32_t FLAG_STATUSBAR = 0x00001000u;
const uint32_t FLAG_DROP_ADDS = 0x40000000u;
const uint32_t FLAG_MAKE_BACKUP = 0x80000000u;
const uint32_t kDefaultFlags = FLAG_STATUSBAR;

// Writes 2 * n + 2 digits and a NUL to out (room for 2 * n + 3 bytes).
void EncodeStruct(const uint8_t* bytes, size_t n, char* out);
// True when text holds exactly 2 * n + 2 hex digits and the checksum matches.
bool DecodeStruct(const char* text, uint8_t* bytes, size_t n);

// The flags word as "%d" writes it (bit 31 set gives a negative number).
void FormatFlags(uint32_t flags, char out[16]);
// Reads an optionally negative decimal number (leading blanks allowed,
// reading stops at the first non-digit) as its 32-bit two's-complement
// pattern; `fallback` when the text holds no digits.
uint32_t ParseFlags(const char* text, uint32_t fallback);

// The folder kept as File/LastDir. The file stays in the system's code
// page: a path that the code page holds is stored as it is; one that it
// does not hold (Greek on a Western system, say) is stored as its UTF-8
// with every byte that is not printable ASCII, and '%', written %XX, behind
// the marker "*utf-8*", which no path begins with ('*' is no character of a
// file name). `fits` says whether the code page holds the path.
std::string EncodeLastDir(const std::string& utf8, bool fits);
// The path back from what was stored; stored text without the marker is
// the path itself.
std::string DecodeLastDir(const std::string& stored);

#endif
