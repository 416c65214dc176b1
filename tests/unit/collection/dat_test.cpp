// DATs in both formats, written by the test, read into the same entries;
// matched and not matched by each digest; what the writer writes reads
// back; and the ways a DAT file fails to read.
#include "collection/dat.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/file_api.h"
#include "tests/support/fault_files.h"
#include "tests/unit/scratch_dir.h"

namespace {

const char kSha1[] = "0123456789abcdef0123456789abcdef01234567";
const char kMd5[] = "00112233445566778899aabbccddeeff";

const char kXml[] =
    "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE datafile PUBLIC \"-//Logiqx//DTD ROM Management Datafile//EN\" "
    "\"http://www.logiqx.com/Dats/datafile.dtd\">\n"
    "<datafile>\n"
    "  <header><name>NEC PC-8801 &amp; more</name><description>Disks</description></header>\n"
    "  <game name=\"By SHA-1\"><description>One</description>\n"
    "    <rom name=\"one.d88\" size=\"1000\" crc=\"DEADBEEF\" "
    "sha1=\"0123456789ABCDEF0123456789abcdef01234567\"/>\n"
    "  </game>\n"
    "  <machine name=\"By MD5\"><rom name=\"two(J).d88\" "
    "md5=\"00112233445566778899aabbccddeeff\"/></machine>\n"
    "  <game name=\"By CRC\"><rom name=\"three.d88\" size=\"688\" crc=\"cafef00d\"/>\n"
    "    <rom name=\"no size\" crc=\"2345678\"/></game>\n"
    "</datafile>\n";

const char kText[] =
    "clrmamepro (\n\tname \"NEC PC-8801 & more\"\n\tdescription \"Disks\"\n)\n\n"
    "game (\n\tname \"By SHA-1\"\n\tdescription \"One\"\n"
    "\trom ( name one.d88 size 1000 crc DEADBEEF sha1 0123456789ABCDEF0123456789abcdef01234567 "
    ")\n)\n"
    "machine ( name \"By MD5\" rom ( name two(J).d88 md5 00112233445566778899aabbccddeeff ) )\n"
    "emulator ( name x ( nested ) )\n"
    "game ( name \"By CRC\" rom ( name three.d88 size 688 crc cafef00d) rom ( name \"no size\" "
    "crc 2345678 ))\n";

DigestSet Digests(const char* sha1, const char* md5, uint32_t crc) {
    DigestSet d = {kDigestAll,
                   {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)},
                   {0},
                   {0}};
    for (size_t i = 0; i < 20; ++i)
        d.sha1[i] = static_cast<uint8_t>(std::stoi(std::string(sha1 + 2 * i, 2), nullptr, 16));
    for (size_t i = 0; i < 16; ++i)
        d.md5[i] = static_cast<uint8_t>(std::stoi(std::string(md5 + 2 * i, 2), nullptr, 16));
    return d;
}

class DatFiles : public ::testing::Test {
protected:
    Dat Read(const std::string& text, DatFormat expected) {
        PutFile(dir.File("x.dat"), Bytes(text.begin(), text.end()));
        Dat dat;
        DatFormat format;
        DatStatus status = ReadDatFile(SystemFiles(), dir.File("x.dat").c_str(), &dat, &format);
        EXPECT_EQ(kIoOk, status.io.result);
        EXPECT_EQ("", status.why);
        EXPECT_EQ(expected, format);
        return dat;
    }
    ScratchDir dir;
};

TEST_F(DatFiles, BothFormatsReadAsTheSameEntriesAndMatch) {
    for (int f = 0; f < 2; ++f) {
        Dat dat = f ? Read(kText, kDatClrMamePro) : Read(kXml, kDatLogiqx);
        SCOPED_TRACE(f ? "ClrMamePro" : "Logiqx");
        EXPECT_EQ("NEC PC-8801 & more", dat.name);
        ASSERT_EQ(3u, dat.games.size());
        EXPECT_EQ("One", dat.games[0].description);
        ASSERT_EQ(1u, dat.games[0].roms.size());
        EXPECT_EQ(kSha1, dat.games[0].roms[0].sha1);  // lower case
        EXPECT_EQ("deadbeef", dat.games[0].roms[0].crc32);
        EXPECT_EQ("By MD5", dat.games[1].name);
        EXPECT_EQ("two(J).d88", dat.games[1].roms[0].name);
        ASSERT_EQ(2u, dat.games[2].roms.size());
        EXPECT_EQ("cafef00d", dat.games[2].roms[0].crc32) << "a block closed right after it";
        EXPECT_EQ("02345678", dat.games[2].roms[1].crc32) << "a CRC without its leading zero";

        DatIndex index(dat);
        EXPECT_EQ(kDigestAll, index.Algorithms());
        DigestSet none = Digests("ff23456789abcdef0123456789abcdef01234567",
                                 "ff112233445566778899aabbccddeeff", 1);
        DigestSet sha = Digests(kSha1, "ff112233445566778899aabbccddeeff", 0xDEADBEEF);
        std::vector<DatMatch> m = index.Find(sha, none, 1000);
        ASSERT_EQ(1u, m.size());
        EXPECT_EQ(0u, m[0].game);
        EXPECT_EQ(kBySha1, m[0].by);
        EXPECT_FALSE(m[0].normalised);
        EXPECT_TRUE(index.Find(sha, none, 999).empty()) << "a size that differs";
        DigestSet crcOnly = Digests("ff23456789abcdef0123456789abcdef01234567", kMd5, 0xDEADBEEF);
        EXPECT_TRUE(index.Find(crcOnly, none, 1000).size() == 1 &&
                    index.Find(crcOnly, none, 1000)[0].game == 1)
            << "the entry with a SHA-1 is not matched by its CRC";
        // Every entry that matches, by whichever digest: SHA-1 first.
        m = index.Find(none, Digests(kSha1, kMd5, 0xCAFEF00D), 1000);
        ASSERT_EQ(2u, m.size());
        EXPECT_TRUE(m[0].normalised && m[1].normalised);
        EXPECT_EQ(0u, m[0].game);
        EXPECT_EQ(kBySha1, m[0].by) << "SHA-1 before MD5 and CRC32";
        EXPECT_EQ(1u, m[1].game);
        EXPECT_EQ(kByMd5, m[1].by);
        m = index.Find(Digests("ff23456789abcdef0123456789abcdef01234567",
                               "ff112233445566778899aabbccddeeff", 0xCAFEF00D),
                       none, 688);
        ASSERT_EQ(1u, m.size());
        EXPECT_EQ(kByCrc32, m[0].by);
        EXPECT_TRUE(index
                        .Find(Digests("ff23456789abcdef0123456789abcdef01234567",
                                      "ff112233445566778899aabbccddeeff", 0x02345678),
                              none, 688)
                        .empty())
            << "a CRC32 without a size matches nothing";
        EXPECT_TRUE(index.Find(none, none, 1000).empty());
    }
}

TEST_F(DatFiles, WrittenXmlReadsBack) {
    DatGame game;
    game.name = "sub/GAME.D88@0 <\"&'>";
    game.description = "\xE8\xA1\xA8 \x01";  // 表 and a control character
    DatRom rom;
    rom.name = "GAME DISK.D88";
    rom.hasSize = true;
    rom.size = 348848;
    rom.crc32 = "deadbeef";
    rom.sha1 = kSha1;
    game.roms.push_back(rom);
    Dat dat = Read(LogiqxHead("x", "y") + LogiqxGame(game) + LogiqxTail(), kDatLogiqx);
    ASSERT_EQ(1u, dat.games.size());
    EXPECT_EQ(game.name, dat.games[0].name);
    EXPECT_EQ("\xE8\xA1\xA8 \xEF\xBF\xBD", dat.games[0].description);
    EXPECT_EQ(348848u, dat.games[0].roms[0].size);
    EXPECT_EQ(kSha1, dat.games[0].roms[0].sha1);
    EXPECT_EQ("", dat.games[0].roms[0].md5);
}

// Entries nested 100,000 deep read in a moment in both formats (every
// closing element of an entry once searched all those open around it).
TEST_F(DatFiles, DeepNestingReadsInTimeLinearInIt) {
    const int kDepth = 100000;
    std::string xml = "<datafile>", text = "game ( name a rom ( name b crc 12345678 )";
    for (int i = 0; i < kDepth; ++i) xml += "<game name=\"a\">", text += " x (";
    for (int i = 0; i < kDepth; ++i) xml += "</game>", text += " )";
    xml += "<machine name=\"after\"/></datafile>";
    text += " )\ngame ( name after )\n";
    for (int f = 0; f < 2; ++f) {
        std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
        Dat dat = Read(f ? text : xml, f ? kDatClrMamePro : kDatLogiqx);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << f;
        ASSERT_EQ(2u, dat.games.size()) << "the nested ones belong to the outer entry";
        EXPECT_EQ("after", dat.games[1].name);
    }
}

// Shift_JIS as Windows reads it: 0x5C is a second byte (of 表 and ソ) and
// the backslash, 0xBF a half-width katakana.
const char kShiftJis[] = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<datafile>";

TEST_F(DatFiles, ShiftJisReads) {
    Dat dat = Read(std::string(kShiftJis) +
                       "<game name=\"\x95\x5C\xBF\\\"><description>\x83\x5C</description>"
                       "</game></datafile>",
                   kDatLogiqx);
    ASSERT_EQ(1u, dat.games.size());
    EXPECT_EQ("\xE8\xA1\xA8\xEF\xBD\xBF\\", dat.games[0].name);
    EXPECT_EQ("\xE3\x82\xBD", dat.games[0].description);
}

TEST_F(DatFiles, FailuresSayWhy) {
    const std::string undecodable = kShiftJis + std::string("<game name=\"\xFD\"/></datafile>");
    const char* broken[] = {"<datafile><game name=\"a\"></datafile>\n",
                            undecodable.c_str(),
                            "<?xml version=\"1.0\" encoding=\"x-none\"?>\n<datafile/>",
                            "<html><body/></html>",
                            "game ( name \"a\"\n rom ( name b )\n",
                            "game ( name \"a )",
                            "( x )",
                            "hello world"};
    for (const char* text : broken) {
        PutFile(dir.File("x.dat"), Bytes(text, text + std::strlen(text)));
        Dat dat;
        DatFormat format;
        DatStatus status = ReadDatFile(SystemFiles(), dir.File("x.dat").c_str(), &dat, &format);
        EXPECT_EQ(kIoOk, status.io.result) << text;
        EXPECT_NE("", status.why) << text;
    }
    FaultFiles files;
    Dat dat;
    DatFormat format;
    EXPECT_EQ(kIoOpenFailed,
              ReadDatFile(files, dir.File("none.dat").c_str(), &dat, &format).io.result);
    PutFile(dir.File("x.dat"), Bytes(kXml, kXml + sizeof kXml - 1));
    files.failReadAt = 1;
    files.systemError = EIO;
    DatStatus status = ReadDatFile(files, dir.File("x.dat").c_str(), &dat, &format);
    EXPECT_EQ(kIoReadFailed, status.io.result);
    EXPECT_EQ(EIO, status.io.error.code);
    files.failReadAt = 0;
    files.emptyReadAt = files.reads + 1;  // the file ends before its size
    EXPECT_EQ(kIoReadFailed,
              ReadDatFile(files, dir.File("x.dat").c_str(), &dat, &format).io.result);
    files.failSize = true;
    EXPECT_EQ(kIoSizeFailed,
              ReadDatFile(files, dir.File("x.dat").c_str(), &dat, &format).io.result);
    EXPECT_EQ(0u, files.openHandles());
}

}  // namespace
