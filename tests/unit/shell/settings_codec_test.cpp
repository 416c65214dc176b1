// The value encodings of the settings file.
#include "shell/settings_codec.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "store/d88.h"

namespace {

// A window placement record: 11 little-endian 32-bit fields.
void Placement(uint8_t out[44]) {
    const int32_t fields[11] = {44, 0, 1, -1, -1, -1, -1, 100, 80, 740, 560};
    for (int i = 0; i < 11; ++i) WriteLe32(out + 4 * i, static_cast<uint32_t>(fields[i]));
}

TEST(StructEncoding, PlacementIs90UpperCaseDigitsWithItsChecksum) {
    uint8_t rec[44];
    Placement(rec);
    char text[91];
    EncodeStruct(rec, 44, text);
    EXPECT_EQ(90u, std::strlen(text));
    EXPECT_EQ(std::string("2C00000000000000010000"), std::string(text, 22));
    unsigned sum = 0;
    for (int i = 0; i < 44; ++i) sum += rec[i];
    char tail[3];
    std::snprintf(tail, sizeof tail, "%02X", sum % 256);
    EXPECT_EQ(std::string(tail), std::string(text + 88));
    for (int i = 0; i < 90; ++i) EXPECT_TRUE(std::isdigit(text[i]) || std::isupper(text[i]));

    uint8_t back[44];
    ASSERT_TRUE(DecodeStruct(text, back, 44));
    EXPECT_EQ(0, std::memcmp(rec, back, 44));
    uint8_t two[2];
    ASSERT_TRUE(DecodeStruct("abcd78", two, 2));  // lower case is read too
    EXPECT_EQ(0xCD, two[1]);
}

TEST(StructEncoding, BadLengthDigitsOrChecksumChangeNothing) {
    uint8_t rec[44];
    Placement(rec);
    char text[92];
    EncodeStruct(rec, 44, text);
    uint8_t back[44];
    std::memset(back, 0x99, sizeof back);

    std::string wrongSum(text);
    wrongSum[89] = wrongSum[89] == '0' ? '1' : '0';
    EXPECT_FALSE(DecodeStruct(wrongSum.c_str(), back, 44));
    EXPECT_FALSE(DecodeStruct(std::string(text, 88).c_str(), back, 44));
    EXPECT_FALSE(DecodeStruct((std::string(text) + "00").c_str(), back, 44));
    std::string notHex(text);
    notHex[10] = 'G';
    EXPECT_FALSE(DecodeStruct(notHex.c_str(), back, 44));
    EXPECT_FALSE(DecodeStruct("", back, 44));
    EXPECT_FALSE(DecodeStruct(nullptr, back, 44));
    for (int i = 0; i < 44; ++i) EXPECT_EQ(0x99, back[i]);
}

TEST(FlagsText, WrittenAsSignedDecimal) {
    char out[16];
    FormatFlags(0x80001000u, out);
    EXPECT_STREQ("-2147479552", out);
    FormatFlags(0x40001001u, out);
    EXPECT_STREQ("1073745921", out);
    FormatFlags(kDefaultFlags, out);
    EXPECT_STREQ("4096", out);
    FormatFlags(0x80000000u, out);
    EXPECT_STREQ("-2147483648", out);
    FormatFlags(0xFFFFFFFFu, out);
    EXPECT_STREQ("-1", out);
}

TEST(FlagsText, ReadBackAsTheSameWord) {
    EXPECT_EQ(0x80001000u, ParseFlags("-2147479552", 4096));
    EXPECT_EQ(0x40001001u, ParseFlags("1073745921", 4096));
    EXPECT_EQ(4096u + 256u, ParseFlags("4352", 4096));  // bits without meaning stay
    EXPECT_EQ(0x80000000u, ParseFlags("-2147483648", 4096));
    EXPECT_EQ(12u, ParseFlags("  \t+12abc", 4096));
    EXPECT_EQ(4096u, ParseFlags("", 4096));
    EXPECT_EQ(4096u, ParseFlags("  -", 4096));
    EXPECT_EQ(4096u, ParseFlags("x12", 4096));
    EXPECT_EQ(4096u, ParseFlags(nullptr, 4096));

    char out[16];
    const uint32_t words[] = {0u, 1u, 4096u + 256u, 0x7FFFFFFFu, 0x80000000u, 0xC0001003u};
    for (size_t i = 0; i < sizeof words / sizeof words[0]; ++i) {
        FormatFlags(words[i], out);
        EXPECT_EQ(words[i], ParseFlags(out, 1234));
    }
}

}  // namespace

TEST(LastDir, StoredInTheCodePageWhereItFitsAndBehindTheMarkerWhereNot) {
    EXPECT_EQ("C:\\DISKS", EncodeLastDir("C:\\DISKS", true));
    const std::string greek = "C:\\\xCE\x95\xCE\xBB 100%";  // C:\Ελ 100%
    std::string stored = EncodeLastDir(greek, false);
    EXPECT_EQ("*utf-8*C:\\%CE%95%CE%BB 100%25", stored);
    EXPECT_EQ(greek, DecodeLastDir(stored));
    // Without the marker the text is the path; a broken escape stays as it is.
    EXPECT_EQ("C:\\100%", DecodeLastDir("C:\\100%"));
    EXPECT_EQ("%Z1%4", DecodeLastDir("*utf-8*%Z1%4"));
}
