// d88 list, help and the command line; bad inputs of every kind.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "orvanel_version.h"
#include "tests/cli/cli_test_support.h"

namespace {

TEST(D88Help, GeneralHelpNamesEveryCommand) {
    Outcome o = D88({"--help"});
    EXPECT_EQ(o.status, 0);
    for (const char* c : {"list", "extract", "join", "rename", "protect", "move", "delete", "new", "check",
                          "hash", "identify", "dat", "dupes"})
        EXPECT_NE(o.out.find(std::string("  ") + c + " "), std::string::npos) << c;
    EXPECT_NE(o.out.find("--backup"), std::string::npos);
    EXPECT_NE(o.out.find("Exit status"), std::string::npos);
    EXPECT_EQ(D88({"help"}).out, o.out);
    EXPECT_EQ(D88({"-h"}).out, o.out);
    EXPECT_EQ("d88 " ORVANEL_VERSION_TEXT "\n", D88({"--version"}).out);
}

TEST(D88Help, EachCommandHasItsOwnHelp) {
    for (const char* c : {"list", "extract", "join", "rename", "protect", "move", "delete", "new", "check",
                          "hash", "identify", "dat", "dupes"}) {
        Outcome o = D88({c, "--help"});
        EXPECT_EQ(o.status, 0) << c;
        EXPECT_EQ(o.out.find(std::string("Usage: d88 ") + c), 0u) << c;
        EXPECT_EQ(D88({"help", c}).out, o.out) << c;
    }
    // The commands that rewrite a file say where they part from the window.
    for (const char* c : {"join", "rename", "protect", "move", "delete"})
        EXPECT_NE(D88({c, "--help"}).out.find("differs from the window on purpose"),
                  std::string::npos)
            << c;
}

TEST(D88Help, WrongCommandLinesAreUsageErrors) {
    EXPECT_EQ(D88({}).status, 2);
    Outcome o = D88({"frobnicate"});
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("no command 'frobnicate'"), std::string::npos);
    o = D88({"list", "--force", "x.d88"});
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("unknown option --force"), std::string::npos);
    EXPECT_EQ(D88({"list"}).status, 2);
    EXPECT_EQ(D88({"rename", "a.d88", "0"}).status, 2);
    EXPECT_EQ(D88({"protect", "a.d88", "0", "maybe"}).status, 2);
    EXPECT_EQ(D88({"move", "a.d88", "0"}).status, 2);
    EXPECT_EQ(D88({"extract", "a.d88", "-o"}).status, 2);
    EXPECT_EQ(D88({"new", "a.d88", "x"}).status, 2);
    EXPECT_EQ(D88({"help", "nothing"}).status, 2);
}

class D88List : public ::testing::Test {
protected:
    Scratch dir;
};

TEST_F(D88List, ShowsEveryImageWithItsFields) {
    std::string f = dir.File("GAME.D88");
    PutFile(f, Cat({MakeImage(1000, "SYSTEM"), MakeImage(688, "DATA", 0, 0x01, 0x10),
                    MakeImage(2048, "HD", 0, 0x00, 0x20), MakeImage(700, "ODD", 0, 0, 0x30)}));
    Outcome o = D88({"list", f});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out,
              "INDEX      OFFSET  NAME    PROTECT  MEDIA        SIZE\n"
              "    0           0  SYSTEM  No       2D           1000\n"
              "    1        1000  DATA    Yes      2DD           688\n"
              "    2        1688  HD      No       2HD          2048\n"
              "    3        3736  ODD     No       2D            700\n");
}

TEST_F(D88List, JsonHoldsTheSameFields) {
    std::string f = dir.File("a.d88");
    PutFile(f, Cat({MakeImage(688, "A\"B\\C"), MakeImage(1024, CP_HYOU CP_SO, 0, 0x10, 0x20)}));
    Outcome o = D88({"list", "--json", f});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out,
              "[\n"
              "  {\"file\": \"" + f + "\", \"index\": 0, \"offset\": 0, \"name\": \"A\\\"B\\\\C\", "
              "\"name_cp932\": \"4122425c43\", \"protect\": false, \"protect_byte\": 0, "
              "\"media\": \"2D\", \"media_byte\": 0, \"size\": 688, \"bytes_in_file\": 688},\n"
              "  {\"file\": \"" + f + "\", \"index\": 1, \"offset\": 688, \"name\": \"" U8_HYOU U8_SO
              "\", \"name_cp932\": \"955c835c\", \"protect\": true, \"protect_byte\": 16, "
              "\"media\": \"2HD\", \"media_byte\": 32, \"size\": 1024, \"bytes_in_file\": 1024}\n"
              "]\n");
}

TEST_F(D88List, JsonEscapesControlBytesAndReplacesBytesThatAreNoCharacters) {
    std::string f = dir.File("odd.d88");
    // 0x09 (tab), 0x80 and 0xFD are bytes no CP932 text has as characters.
    PutFile(f, MakeImage(688, std::string("a\tb\x80" "c\xFD", 6)));
    Outcome o = D88({"list", "--json", f});
    ASSERT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("\"name\": \"a\\tb\xEF\xBF\xBD" "c\xEF\xBF\xBD\""), std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find("\"name_cp932\": \"610962806" "3fd\""), std::string::npos);
    Outcome text = D88({"list", f});
    EXPECT_NE(text.out.find("a\\x09b\\x80c\\xFD"), std::string::npos) << text.out;
}

TEST_F(D88List, SeveralFilesEachUnderItsPath) {
    std::string a = dir.File("a.d88"), b = dir.File("b.d88");
    PutFile(a, MakeImage(688, "ONE"));
    PutFile(b, Cat({MakeImage(688, "TWO"), MakeImage(688, "THREE")}));
    Outcome o = D88({"list", a, b});
    ASSERT_EQ(o.status, 0);
    EXPECT_EQ(o.out.find(a + ":\n"), 0u);
    EXPECT_NE(o.out.find("\n\n" + b + ":\n"), std::string::npos);
    Outcome j = D88({"list", "--json", a, b});
    EXPECT_NE(j.out.find("\"file\": \"" + b + "\", \"index\": 1, \"offset\": 688, \"name\": \"THREE\""),
              std::string::npos);
}

TEST_F(D88List, AFileThatCannotBeReadIsReportedAndTheOthersListed) {
    std::string good = dir.File("good.d88");
    PutFile(good, MakeImage(688, "OK"));
    Outcome o = D88({"list", dir.File("missing.d88"), good});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("d88: " + dir.File("missing.d88") + ": cannot open: " + std::strerror(ENOENT)),
              std::string::npos);
    EXPECT_NE(o.out.find("OK"), std::string::npos);
}

TEST_F(D88List, AFolderIsNoContainer) {
    Outcome o = D88({"list", dir.path()});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(dir.path() + ": cannot open: it is a folder"), std::string::npos) << o.err;
    EXPECT_EQ(D88({"rename", dir.path(), "0", "X"}).status, 1);
    EXPECT_EQ(D88({"extract", dir.path()}).status, 1);
}

TEST_F(D88List, AnEmptyFileIsAContainerWithoutImages) {
    std::string f = dir.File("empty.d88");
    PutFile(f, Bytes());
    Outcome o = D88({"list", f});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "INDEX      OFFSET  NAME  PROTECT  MEDIA        SIZE\n");
    EXPECT_EQ(D88({"list", "--json", f}).out, "[]\n");
    Outcome r = D88({"rename", f, "0", "X"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no image 0: the file holds no images"), std::string::npos);
    EXPECT_EQ(GetFile(f).size(), 0u);
}

TEST_F(D88List, RandomBytesAreListedAsTheirSizesSay) {
    std::string f = dir.File("random.bin");
    Bytes bytes(5000);
    uint32_t seed = 12345;
    for (size_t i = 0; i < bytes.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>(seed >> 16);
    }
    PutFile(f, bytes);
    Outcome o = D88({"list", f});
    EXPECT_EQ(o.status, 0);
    uint32_t size = ReadLe32(&bytes[kOffDiskSize]);
    char line[80];
    std::snprintf(line, sizeof line, "    0           0  ");
    EXPECT_EQ(o.out.find("INDEX"), 0u);
    EXPECT_NE(o.out.find(line), std::string::npos);
    EXPECT_NE(o.out.find(std::to_string(size) + "\n"), std::string::npos);
    EXPECT_EQ(D88({"list", "--json", f}).status, 0);
    // Rewriting it must not lose or hide bytes: either it reads back the
    // same or it is refused and the file stays.
    Outcome r = D88({"protect", f, "0", "on"});
    if (r.status != 0) {
        EXPECT_EQ(GetFile(f), bytes);
    }
}

// The number of images `d88 list --json` shows, and whether it warned of
// bytes that belong to no image.
size_t CountImages(const std::string& f, bool* lost) {
    Outcome o = D88({"list", "--json", f});
    *lost = o.err.find("belong to no image") != std::string::npos;
    size_t n = 0;
    for (size_t p = o.out.find("\"index\""); p != std::string::npos; p = o.out.find("\"index\"", p + 1))
        ++n;
    return n;
}

// Random bytes whose size fields chain through them at random, tiny and
// zero sizes included: every command either does what it says and the
// result reads back with the images it should hold, or is refused and
// leaves the file as it was.
TEST_F(D88List, RandomChainsEitherWorkOrChangeNothing) {
    uint32_t seed = 99;
    auto next = [&seed](uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % below;
    };
    int worked = 0, refused = 0;
    for (int round = 0; round < 60; ++round) {
        Bytes bytes(600 + next(4000));
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(next(256));
        uint32_t p = 0;
        while (p + kOffDiskSize + 4 <= bytes.size()) {
            uint32_t roll = next(100);
            uint32_t size = roll < 3 ? 0 : roll < 30 ? 1 + next(40) : 36 + next(1500);
            WriteLe32(&bytes[p + kOffDiskSize], size);
            if (size == 0) break;
            p += size;
        }
        std::string f = dir.File("chain.d88");
        PutFile(f, bytes);
        bool lost = false;
        size_t n = CountImages(f, &lost);
        ASSERT_GT(n, 0u);
        std::string last = std::to_string(n - 1);
        std::vector<std::vector<std::string>> commands = {
            {"rename", f, last, "R"},          {"protect", f, "0", "on"},
            {"move", f, "0", "--to", std::to_string(n)}, {"move", f, last, "--to", "0"},
            {"delete", f, "0"},                {"delete", f, last}};
        for (size_t k = 0; k < commands.size(); ++k) {
            PutFile(f, bytes);
            Outcome o = D88(commands[k]);
            if (o.status != 0) {
                ++refused;
                EXPECT_EQ(GetFile(f), bytes) << commands[k][0] << " " << o.err;
                continue;
            }
            ++worked;
            EXPECT_FALSE(lost);
            bool lostAfter = false;
            size_t after = CountImages(f, &lostAfter);
            EXPECT_FALSE(lostAfter) << commands[k][0];
            EXPECT_EQ(after, commands[k][0] == "delete" ? n - 1 : n) << commands[k][0];
        }
        Outcome x = D88({"extract", f, "-o", dir.path(), "--force"});
        EXPECT_TRUE(x.status == 0 || x.err.find("nothing was written") != std::string::npos ||
                    (lost && x.err.find("belong to no image") != std::string::npos))
            << x.err;
    }
    EXPECT_GT(worked, 0);
    EXPECT_GT(refused, 0);
}

// diskSize 0: listed, and the list ends; rewriting would lose the rest.
TEST_F(D88List, DiskSizeZeroEndsTheList) {
    std::string f = dir.File("zero.d88");
    Bytes bytes = Cat({MakeImage(688, "FIRST"), MakeImage(688, "ZERO"), MakeImage(688, "LOST")});
    WriteLe32(&bytes[688 + kOffDiskSize], 0);
    PutFile(f, bytes);
    Outcome o = D88({"list", f});
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("    1         688  ZERO   No       2D              0\n"), std::string::npos)
        << o.out;
    EXPECT_EQ(o.out.find("LOST"), std::string::npos);
    EXPECT_NE(o.err.find("warning: image 1 at offset 688 has a disk size of 0; the list ends there, "
                         "and the last 1376 bytes of the file belong to no image"),
              std::string::npos)
        << o.err;
    for (std::vector<std::string> cmd :
         {std::vector<std::string>{"rename", f, "0", "X"}, {"protect", f, "0", "on"},
          {"move", f, "0", "--to", "2"}, {"delete", f, "0"}}) {
        Outcome r = D88(cmd);
        EXPECT_EQ(r.status, 1) << cmd[0];
        EXPECT_NE(r.err.find("belong to no image; rewriting the file would lose them"),
                  std::string::npos)
            << r.err;
    }
    Outcome j = D88({"join", dir.File("out.d88"), f});
    EXPECT_EQ(j.status, 1);
    EXPECT_FALSE(Exists(dir.File("out.d88")));
    EXPECT_EQ(GetFile(f), bytes);
}

TEST_F(D88List, DiskSizeOne) {
    std::string f = dir.File("one.d88");
    Bytes bytes = MakeImage(688, "TINY");
    WriteLe32(&bytes[kOffDiskSize], 1);
    PutFile(f, bytes);
    Outcome o = D88({"list", f});
    EXPECT_EQ(o.status, 0);
    // The second header starts at byte 1; its size field is zero there.
    EXPECT_NE(o.out.find("    0           0  TINY  No       2D              1\n"), std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find("    1           1  INY   No       2D              0\n"), std::string::npos)
        << o.out;
    EXPECT_NE(o.err.find("the last 687 bytes of the file belong to no image"), std::string::npos);
    EXPECT_EQ(D88({"protect", f, "0", "on"}).status, 1);
    EXPECT_EQ(GetFile(f), bytes);
}

TEST_F(D88List, DiskSize687LeavesAOneByteHeader) {
    std::string f = dir.File("short.d88");
    Bytes bytes = MakeImage(688, "S687");
    WriteLe32(&bytes[kOffDiskSize], 687);
    PutFile(f, bytes);
    Outcome o = D88({"list", f});
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("    0           0  S687  No       2D            687\n"), std::string::npos);
    EXPECT_NE(o.out.find("    1         687        No       2D              0\n"), std::string::npos)
        << o.out;
    EXPECT_NE(o.err.find("the last 1 bytes"), std::string::npos) << o.err;
    EXPECT_EQ(D88({"rename", f, "0", "X"}).status, 1);
    EXPECT_EQ(GetFile(f), bytes);
}

TEST_F(D88List, DiskSize688IsAWholeBlankSizedImage) {
    std::string f = dir.File("ok.d88");
    PutFile(f, MakeImage(688, "OK"));
    Outcome o = D88({"list", f});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_NE(o.out.find("    0           0  OK    No       2D            688\n"), std::string::npos);
}

TEST_F(D88List, DiskSizeAllOnesRunsPastTheEnd) {
    std::string f = dir.File("huge.d88");
    Bytes bytes = MakeImage(688, "HUGE");
    WriteLe32(&bytes[kOffDiskSize], 0xFFFFFFFFu);
    PutFile(f, bytes);
    Outcome o = D88({"list", f});
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("HUGE  No       2D     4294967295\n"), std::string::npos) << o.out;
    EXPECT_NE(o.err.find("warning: image 0 claims 4294967295 bytes, but only 688 of them are in "
                         "the file"),
              std::string::npos)
        << o.err;
    EXPECT_NE(D88({"list", "--json", f}).out.find("\"size\": 4294967295, \"bytes_in_file\": 688"),
              std::string::npos);
    // Alone, it reads back as itself: a rename is fine.
    EXPECT_EQ(D88({"rename", f, "0", "BIG"}).status, 0);
    Bytes after = GetFile(f);
    ASSERT_EQ(after.size(), 688u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&after[0])), "BIG");
}

TEST_F(D88List, AHeaderCutShort) {
    // 20 bytes: the size field lies past the end and reads as 0.
    std::string f = dir.File("cut.d88");
    Bytes bytes = MakeImage(688, "CUT");
    bytes.resize(20);
    PutFile(f, bytes);
    Outcome o = D88({"list", f});
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("    0           0  CUT   No       2D              0\n"), std::string::npos)
        << o.out;
    EXPECT_NE(o.err.find("the last 20 bytes"), std::string::npos);
    EXPECT_EQ(D88({"rename", f, "0", "X"}).status, 1);
    EXPECT_EQ(GetFile(f), bytes);

    // 100 bytes of a 688-byte image after a whole one.
    std::string g = dir.File("cut2.d88");
    Bytes two = Cat({MakeImage(688, "WHOLE"), MakeImage(688, "PART")});
    two.resize(788);
    PutFile(g, two);
    o = D88({"list", g});
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("    1         688  PART   No       2D            688\n"), std::string::npos)
        << o.out;
    EXPECT_NE(o.err.find("image 1 claims 688 bytes, but only 100 of them are in the file"),
              std::string::npos);
    // Moving the cut image before the whole one would swallow it: refused.
    Outcome m = D88({"move", g, "1", "--to", "0"});
    EXPECT_EQ(m.status, 1);
    EXPECT_NE(m.err.find("would not read back as the same disk images"), std::string::npos) << m.err;
    EXPECT_NE(m.err.find("image 1 claims 688 bytes but only 100 are in the file"), std::string::npos)
        << m.err;
    EXPECT_EQ(GetFile(g), two);
}

TEST_F(D88List, ThroughTheProgram) {
    std::string f = dir.File("p.d88");
    PutFile(f, MakeImage(688, "PROG"));
    Outcome o = RunProgram(dir, D88_PROGRAM, {"list", f});
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("PROG"), std::string::npos);
    o = RunProgram(dir, D88_PROGRAM, {"list", dir.File("nothing.d88")});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("d88: " + dir.File("nothing.d88") + ": cannot open: " + std::strerror(ENOENT)),
              std::string::npos);
    o = RunProgram(dir, D88_PROGRAM, {"--help"});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out.find("Usage: d88 COMMAND"), 0u);
    EXPECT_EQ(RunProgram(dir, D88_PROGRAM, {}).status, 2);
}

}  // namespace
