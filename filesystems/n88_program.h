// A tokenised N88-BASIC program as its listing. Each line is stored as a
// 2-byte little-endian link (the address of the next line; 0 ends the
// program), a 2-byte line number, its tokens and a 0x00. Numbers follow
// the Microsoft BASIC-80 scheme: 0x11-0x1A the digits 0-9, 0x0F a one-byte
// integer, 0x1C a two-byte one, 0x1D and 0x1F single and double floats
// (Microsoft's binary format), 0x0B octal, 0x0C hex, 0x0E a line number
// and 0x0D a line's address. Strings, REM and DATA are kept as they are.
//
// Only codes whose keyword is known for certain are listed by name: the
// statements 0x81-0xA5 and the functions 0xFF 0x81-0x9F shared with N-BASIC,
// and the operators 0xF0-0xFE; any other code is shown as {XX} (or
// {FF XX}), never guessed. The BASIC version is a choice; V1, V2 and (86)
// share every code listed here.
#ifndef ORVANEL_FILESYSTEMS_N88_PROGRAM_H
#define ORVANEL_FILESYSTEMS_N88_PROGRAM_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum BasicVersion { kBasicV1, kBasicV2, kBasic86 };
// "V1", "V2", "86" (or "(86)"); false for anything else.
bool ParseBasicVersion(const std::string& text, BasicVersion* out);

struct BasicListing {
    std::string text;  // CP932, each line ended with CR LF
    size_t lines;
    bool complete;        // false: the bytes stop inside a line
    std::string problem;  // why, when not complete
};
BasicListing ListN88Program(const std::vector<uint8_t>& program, BasicVersion version);

// CP932 text as UTF-8, character by character: a byte or pair that has no
// UTF-8 form (the PC-8801's graphic characters) becomes {XX}.
std::string ListingToUtf8(const std::string& cp932);

#endif
