// Header fields as the list, the status bar and the edits see them.
#include "store/d88.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/fault_memory.h"
#include "tests/unit/test_images.h"

namespace {

class HeaderTest : public ::testing::Test {
protected:
    // A live block of `n` bytes, filled with `fill`.
    uint8_t* Block(uint32_t n, uint8_t fill = 0) {
        uint8_t* b = mem.Allocate(n);
        std::memset(b, fill, n);
        return b;
    }
    void TearDown() override { EXPECT_TRUE(mem.errors().empty()) << mem.errors()[0]; }
    FaultMemory mem;
};

TEST_F(HeaderTest, ReadsTheFieldsUnderALockOf36Bytes) {
    std::vector<uint8_t> img = MakeImage(1000, "GAME", 0xE5);
    img[kOffWriteProtect] = 0x10;
    img[kOffMediaType] = kMedia2HD;
    WriteLe32(&img[kOffSortKey], 7);
    uint8_t* b = Block(2000);
    std::memcpy(b + 500, img.data(), img.size());

    HeaderFields f;
    ASSERT_TRUE(ReadHeader(mem, b, 2000, 500, &f));
    EXPECT_STREQ("GAME", f.name);
    EXPECT_EQ(0x10, f.writeProtect);
    EXPECT_EQ(kMedia2HD, f.mediaType);
    EXPECT_EQ(1000u, f.diskSize);
    EXPECT_EQ(7u, f.sortKey);
    ASSERT_EQ(1u, mem.locks().size());
    EXPECT_EQ(500, mem.OffsetInBlock(mem.locks()[0].p));
    EXPECT_EQ(36u, mem.locks()[0].n);
    EXPECT_EQ(0u, mem.heldLocks());
}

TEST_F(HeaderTest, AHeaderNearTheEndReadsMissingBytesAsZero) {
    // 30 bytes left: the size field has its two low bytes only.
    uint8_t* b = Block(130, 0xAA);
    b[100 + 28] = 0x34;
    b[100 + 29] = 0x12;
    HeaderFields f;
    ASSERT_TRUE(ReadHeader(mem, b, 130, 100, &f));
    EXPECT_EQ(0x1234u, f.diskSize);
    EXPECT_EQ(30u, mem.locks()[0].n);
    EXPECT_EQ(30u, ImageExtent(mem, b, 130, 100));

    ASSERT_TRUE(ReadHeader(mem, b, 130, 129, &f));  // one byte left
    EXPECT_EQ(0u, f.diskSize);
    EXPECT_EQ(1u, mem.locks().back().n);
}

TEST_F(HeaderTest, NoHeaderOrARefusedLockReadsNothing) {
    uint8_t* b = Block(64);
    HeaderFields f;
    EXPECT_FALSE(ReadHeader(mem, b, 64, 64, &f));
    EXPECT_FALSE(ReadHeader(mem, nullptr, 0, 0, &f));
    mem.RefuseLocks(true);
    EXPECT_FALSE(ReadHeader(mem, b, 64, 0, &f));
    // The size of a bulk transfer does not depend on the lock.
    EXPECT_EQ(0u, ImageExtent(mem, b, 64, 0));
    WriteLe32(b + kOffDiskSize, 40);
    EXPECT_EQ(40u, ImageExtent(mem, b, 64, 0));
    WriteLe32(b + kOffDiskSize, 100);
    EXPECT_EQ(64u, ImageExtent(mem, b, 64, 0));
    uint8_t now = 0;
    EXPECT_FALSE(FlipWriteProtect(mem, b, 64, 0, &now));
    EXPECT_EQ(0, b[kOffWriteProtect]);
}

TEST(NameDisplay, SeventeenBytesWithoutANulAreShownWhole) {
    uint8_t field[kNameField];
    std::memset(field, 'N', sizeof field);
    char out[kNameField + 1];
    NameForDisplay(field, out);
    EXPECT_EQ(std::string(17, 'N'), out);
}

TEST(NameDisplay, ALeadByteWithoutItsSecondByteIsLeftOut) {
    // 16 'A' then the lead byte of a two-byte character cut by the field end.
    uint8_t field[kNameField];
    std::memset(field, 'A', 16);
    field[16] = 0x95;
    char out[kNameField + 1];
    NameForDisplay(field, out);
    EXPECT_EQ(std::string(16, 'A'), out);

    // A half-width katakana byte is a character of its own.
    field[16] = 0xC3;
    NameForDisplay(field, out);
    EXPECT_EQ(17u, std::strlen(out));

    // A lead byte right before the NUL.
    const uint8_t broken[kNameField] = {'D', 'I', 'S', 'K', 0x82, 0};
    NameForDisplay(broken, out);
    EXPECT_STREQ("DISK", out);
}

TEST(NameClamp, CutsAtSixteenBytesOnACharacterBoundary) {
    char out[kNameMax + 1];
    ClampName("ABCDEFGHIJKLMNOPQRST", out);
    EXPECT_STREQ("ABCDEFGHIJKLMNOP", out);
    // 15 bytes and a two-byte character: the character does not fit.
    ClampName("ABCDEFGHIJKLMNO表", out);
    EXPECT_STREQ("ABCDEFGHIJKLMNO", out);
    ClampName("ABCDEFGHIJKLMN表", out);
    EXPECT_EQ(16u, std::strlen(out));
}

TEST(NameForExtract, TheTextUpToTheNulAtMostSixteenBytes) {
    const struct {
        const char* field;  // 17 bytes
        const char* part;
    } cases[] = {
        {"ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOP"},  // no NUL: 16, not 17
        {"DISK A\0XXXXXXXXXX", "DISK A"},
        {"ABCDEFGHIJKLMNO\x95\x5C", "ABCDEFGHIJKLMNO"},  // 表 would be bytes 16 and 17
        {"ABCDEFGHIJKLMN\x95\x5CQ", "ABCDEFGHIJKLMN\x95\x5C"},
        {"\0BCDEFGHIJKLMNOPQ", ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        HeaderFields f;
        NameForDisplay(reinterpret_cast<const uint8_t*>(cases[i].field), f.name);
        char part[kNameMax + 1];
        ExtractNamePart(f, part);
        EXPECT_STREQ(cases[i].part, part) << i;
    }
}

TEST(SortKey, OwnedByImagesOfTwentySixBytesOrMore) {
    EXPECT_FALSE(OwnsSortKey(0));
    EXPECT_FALSE(OwnsSortKey(25));
    EXPECT_TRUE(OwnsSortKey(26));
    EXPECT_TRUE(OwnsSortKey(0xFFFFFFFFu));
    uint8_t h[kHeaderAccess];
    std::memset(h, 'X', sizeof h);
    EXPECT_FALSE(PutSortKey(h, 24, 0));  // only the bytes inside are written
    EXPECT_EQ(0, std::memcmp(h + 21, "X\0\0XX", 5));
    EXPECT_TRUE(PutName(h, 36, "AB"));
    EXPECT_TRUE(PutWriteProtect(h, 36, kProtectBit));
    HeaderFields f;
    FieldsFromBytes(h, &f);
    EXPECT_STREQ("AB", f.name);
    EXPECT_EQ(kProtectBit, f.writeProtect);
}

TEST_F(HeaderTest, ANameIsWrittenWithOneNulAndTheRestKept) {
    uint8_t* b = Block(688, 'X');
    ASSERT_TRUE(WriteHeaderName(mem, b, 688, 0, "AB"));
    EXPECT_EQ(0, std::memcmp(b, "AB\0XXX", 6));
    ASSERT_TRUE(WriteHeaderName(mem, b, 688, 0, "ABCDEFGHIJKLMNOPQRSTUV"));
    EXPECT_EQ(0, std::memcmp(b, "ABCDEFGHIJKLMNOP\0X", 18));
    ASSERT_TRUE(WriteSortKey(mem, b, 688, 0, 0x04030201));
    EXPECT_EQ(0, std::memcmp(b + 21, "X\x01\x02\x03\x04X", 6));
}

TEST_F(HeaderTest, WritesNearTheEndTouchOnlyBytesInsideTheBuffer) {
    // The header claims 10 bytes of a 20-byte block; the rest is a guard.
    uint8_t* b = Block(20, 'G');
    EXPECT_FALSE(WriteHeaderName(mem, b, 10, 4, "LONGNAME"));
    EXPECT_EQ(0, std::memcmp(b + 4, "LONGNA", 6));
    EXPECT_EQ(0, std::memcmp(b + 10, "GGGGGGGGGG", 10));
    EXPECT_FALSE(WriteSortKey(mem, b, 10, 0, 0));
    EXPECT_FALSE(SetWriteProtect(mem, b, 10, 0, 0x10));
    EXPECT_EQ(0, std::memcmp(b + 10, "GGGGGGGGGG", 10));
    for (size_t i = 0; i < mem.locks().size(); ++i) {
        EXPECT_LE(mem.OffsetInBlock(mem.locks()[i].p) + mem.locks()[i].n, 10);
    }
}

TEST_F(HeaderTest, FlippingKeepsOtherProtectBits) {
    uint8_t* b = Block(688);
    b[kOffWriteProtect] = 0x01;
    uint8_t now = 0;
    ASSERT_TRUE(FlipWriteProtect(mem, b, 688, 0, &now));
    EXPECT_EQ(0x11, now);
    EXPECT_STREQ("Yes", ProtectText(now));
    ASSERT_TRUE(FlipWriteProtect(mem, b, 688, 0, &now));
    EXPECT_EQ(0x01, now);
    EXPECT_STREQ("Yes", ProtectText(now));  // any nonzero value protects
    ASSERT_TRUE(SetWriteProtect(mem, b, 688, 0, 0x00));
    EXPECT_STREQ("No", ProtectText(b[kOffWriteProtect]));
}

TEST(HeaderTexts, MediaTypes) {
    EXPECT_STREQ("2DD", MediaText(0x10));
    EXPECT_STREQ("2HD", MediaText(0x20));
    EXPECT_STREQ("2D", MediaText(0x00));
    EXPECT_STREQ("2D", MediaText(0x30));
    EXPECT_STREQ("2D", MediaText(0x40));
    EXPECT_STREQ("2D", MediaText(0xFF));
}

TEST(HeaderTexts, SizeColumn) {
    char out[24];
    const struct {
        uint32_t size;
        const char* text;
    } cases[] = {{1023, "1023Bytes"},       {1024, "1KB"},     {1500, "1KB"},
                 {737280, "720KB"},         {688, "688Bytes"}, {0, "0Bytes"},
                 {0xFFFFFFFFu, "4194303KB"}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        FormatSizeColumn(cases[i].size, out);
        EXPECT_STREQ(cases[i].text, out);
    }
}

TEST(BlankHeader, IsTheNameTheSizeAndZeros) {
    uint8_t h[kHeaderSize];
    std::memset(h, 0xEE, sizeof h);
    MakeBlankHeader(h);
    uint8_t expected[kHeaderSize] = {'B', 'l', 'a', 'n', 'k', 'D', 'i', 's', 'k', 0};
    expected[0x1C] = 0xB0;
    expected[0x1D] = 0x02;
    EXPECT_EQ(0, std::memcmp(expected, h, kHeaderSize));
}

TEST(ContainerExtension, OnlyTheLastExtensionCounts) {
    EXPECT_TRUE(HasContainerExtension("C:\\DISKS\\GAME.D88"));
    EXPECT_TRUE(HasContainerExtension("game.d88"));
    EXPECT_TRUE(HasContainerExtension("GAME.88D"));
    EXPECT_TRUE(HasContainerExtension("game.88d"));
    EXPECT_TRUE(HasContainerExtension("C:\\\xE8\xA1\xA8\\\xE3\x82\xBD.d88"));  // UTF-8 表 ソ
    EXPECT_FALSE(HasContainerExtension("game.d88.bak"));
    EXPECT_FALSE(HasContainerExtension("C:\\OLD.D88\\GAME"));
    EXPECT_FALSE(HasContainerExtension("GAME"));
    // d88's folders take the other names of D88 files too; the window does not.
    for (const char* name : {"a.D77", "b/c.d68", "d.D98", "e.98D", "f.1dd", "g.d88", "h.88D"})
        EXPECT_TRUE(HasD88FamilyExtension(name)) << name;
    for (const char* name : {"a.d77.bak", "b.d7", "c.d777", "d77", "x.D77/y"})
        EXPECT_FALSE(HasD88FamilyExtension(name)) << name;
    EXPECT_FALSE(HasContainerExtension("a.d77"));
}

}  // namespace
