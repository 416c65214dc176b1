// Stored names as names a file can take on Windows and POSIX.
#include "filesystems/safe_name.h"

#include <gtest/gtest.h>

namespace {

TEST(SafeName, KeepsWhatEverySystemHoldsAndEscapesTheRest) {
    struct Case {
        std::string stored;
        NameCharset charset;
        const char* safe;
    } cases[] = {
        {"hello.bas", kNameJisX0201, "hello.bas"},
        {"\xB6\xC5.TXT", kNameJisX0201, "\xB6\xC5.TXT"},  // half-width katakana
        {"A\xE0\x81.X", kNameJisX0201, "A%E0%81.X"},      // graphic characters, not kanji
        {"\x83\x65\x83\x58.TXT", kNameCp932, "\x83\x65\x83\x58.TXT"},
        {"\x95\x5C.TXT", kNameCp932, "\x95\x5C.TXT"},  // a trail byte 0x5C is no '\'
        {"\x85\x40.TXT", kNameCp932, "%85%40.TXT"},    // a pair with no character
        {"a\\b:c*d?e\"f<g>h|i/j", kNameJisX0201, "a%5Cb%3Ac%2Ad%3Fe%22f%3Cg%3Eh%7Ci%2Fj"},
        {"TAB\tX", kNameJisX0201, "TAB%09X"},
        {"NAME. ", kNameJisX0201, "NAME%2E%20"},
        {"con.bas", kNameJisX0201, "con_.bas"},
        {"LPT1", kNameJisX0201, "LPT1_"},
        {"COM10", kNameJisX0201, "COM10"},
        {"", kNameJisX0201, "_"},
    };
    for (const Case& c : cases) {
        SafeName s = MakeSafeName(c.stored, c.charset);
        EXPECT_EQ(c.safe, s.text) << c.stored;
        EXPECT_EQ(c.stored != c.safe, s.changed) << c.stored;
        EXPECT_EQ(s.changed, !s.why.empty()) << c.stored;
    }
}

}  // namespace
