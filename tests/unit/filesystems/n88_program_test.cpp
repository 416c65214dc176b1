// Tokenised N88-BASIC programs as listings: the two whose stored bytes are
// published, each kind of constant, strings and REM kept as they are,
// codes no table names shown as such, and bytes that stop inside a line.
#include "filesystems/n88_program.h"

#include <gtest/gtest.h>

namespace {

std::string List(const std::vector<uint8_t>& bytes, bool* complete = nullptr) {
    BasicListing l = ListN88Program(bytes, kBasicV2);
    if (complete) *complete = l.complete;
    return l.text;
}

// One line 10 of these tokens, linked as if loaded at 0x8000, and the end.
std::vector<uint8_t> Line(const std::vector<uint8_t>& tokens) {
    std::vector<uint8_t> p = {0, 0, 10, 0};
    p.insert(p.end(), tokens.begin(), tokens.end());
    p.push_back(0);
    p[0] = uint8_t(0x8000 + p.size()), p[1] = uint8_t((0x8000 + p.size()) >> 8);
    p.push_back(0), p.push_back(0);
    return p;
}

TEST(N88Program, ThePublishedPrograms) {
    // hello.bas of the xdisk3 data disk, as stored.
    std::vector<uint8_t> hello = {0x16, 0x00, 0x0A, 0x00, 0x91, 0x20, 0x22, 0x68,
                                  0x65, 0x6C, 0x6C, 0x6F, 0x20, 0x77, 0x6F, 0x72,
                                  0x6C, 0x64, 0x21, 0x22, 0x00, 0x00, 0x00};
    bool complete = false;
    EXPECT_EQ("10 PRINT \"hello world!\"\r\n", List(hello, &complete));
    EXPECT_TRUE(complete);
    // 100 FOR I=0 ..., the line's published start.
    std::vector<uint8_t> loop = {0x18, 0x00, 0x64, 0x00, 0x82, 0x20, 0x49, 0xF1, 0x11, 0, 0, 0};
    EXPECT_EQ("100 FOR I=0\r\n", List(loop));
    BasicVersion v;
    EXPECT_TRUE(ParseBasicVersion("86", &v));
    EXPECT_EQ(kBasic86, v);
    EXPECT_FALSE(ParseBasicVersion("V3", &v));
}

TEST(N88Program, ConstantsStringsAndUnknownCodes) {
    struct Case {
        std::vector<uint8_t> tokens;
        const char* text;
    } cases[] = {
        {{0x0F, 20, 0xF3, 0x1C, 0x39, 0x30}, "10 20+12345"},
        {{0x0C, 0xFF, 0x00, 0xF5, 0x0B, 0x08, 0x00}, "10 &HFF*&O10"},
        {{0x89, 0x20, 0x0E, 0x64, 0x00}, "10 GOTO 100"},
        {{0x1D, 0, 0, 0, 0x80, 0xF6, 0x1D, 0x00, 0x40, 0x1C, 0x90}, "10 .5/40000!"},
        {{0x1D, 0, 0, 0x80, 0x80, 0xF4, 0x1F, 0, 0, 0, 0, 0, 0, 0, 0x80}, "10 -.5-.5#"},
        {{0x91, '"', 0x91, 0xB6, '"', 0x3A, 0x8F, ' ', 0x91, 0xFF},
         "10 PRINT\"\x91\xB6\":REM \x91\xFF"},
        {{0x84, ' ', '1', ',', 0x91, 0x3A, 0x91}, "10 DATA 1,\x91:PRINT"},
        {{0x8B, 'A', 0x3A, 0xA1, 0x81}, "10 IFAELSEEND"},
        {{0xDE, 0xFF, 0xA5, 0xFF, 0x86, 0x01}, "10 {DE}{FF A5}ABS{01}"},
        {{0x89, 0x0D, 0x00, 0x80}, "10 GOTO10"},  // a line's address, as RUN leaves it
    };
    for (const Case& c : cases) EXPECT_EQ(std::string(c.text) + "\r\n", List(Line(c.tokens)));
}

TEST(N88Program, BytesThatStopInsideALine) {
    std::vector<uint8_t> p = Line({0x91, '"', 'A'});
    p.resize(p.size() - 4);  // the line's 0x00 and the end mark are gone
    BasicListing l = ListN88Program(p, kBasicV1);
    EXPECT_FALSE(l.complete);
    EXPECT_EQ("line 10 runs past the end of the file", l.problem);
    EXPECT_EQ(0u, l.lines);
    EXPECT_EQ("the program has no end mark",
              ListN88Program({0x05, 0x80, 10, 0, 0}, kBasicV1).problem);
    EXPECT_EQ("10 \xEF\xBD\xB6{E0}\r\n", ListingToUtf8("10 \xB6\xE0\r\n"));
}

}  // namespace
