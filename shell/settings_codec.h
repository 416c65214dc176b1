// Value encodings of the settings file: a structure as upper-case hex digits
// followed by a checksum byte (the sum of the bytes modulo 256), and the
// flags word as a signed decimal number.
#ifndef ORVANEL_SHELL_SETTINGS_CODEC_H
#define ORVANEL_SHELL_SETTINGS_CODEC_H

#include <cstddef>
#include <cstdint>

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

#endif
