// d88 files and get over a container of an N88-BASIC disk and a disk of no
// file system, and check with the findings of the file system beside the
// image's own.
#include <gtest/gtest.h>

#include "tests/cli/cli_test_support.h"
#include "tests/unit/filesystems/test_disk.h"

namespace {

const Bytes kHello = {0x16, 0x00, 0x0A, 0x00, 0x91, 0x20, 0x22, 'h',
                      'e',  'l',  'l',  'o',  0x22, 0x00, 0x00, 0x00};

// Image 0: N88-BASIC with a program, a name no file name holds, a chain
// that loops and a deleted entry; image 1: no file system.
std::string Container(const Scratch& s) {
    N88Disk d;
    d.Add("PROG  BAS", 0x80, {0}, kHello);
    d.Add("A*B      ", 0x00, {1}, Text("TEXT\x1A"));
    d.Add("LOOP     ", 0x80, {2, 3}, Bytes(4096, 1));
    d.Add(std::string("\0LD      ", 9), 0x00, {4}, Text("x"));
    d.fat[3] = 2, d.fat[4] = 0xFF;
    Bytes file = d.Image();
    Append(&file, MakeDisk(0x00, 4, 2, 16, 1));
    PutFile(s.File("GAME.D88"), file);
    return s.File("GAME.D88");
}

TEST(D88Disk, FilesListsEachImage) {
    Scratch s;
    const std::string game = Container(s);
    Outcome o = D88({"files", game});
    EXPECT_EQ(0, o.status) << o.err;
    EXPECT_NE(std::string::npos, o.out.find(game + "@0: N88-BASIC, 40 x 2 x 16 x 256\n"
                                                   "  PROG.BAS  BASIC  1 sector\n"
                                                   "  A%2AB  ASCII  4 bytes\n"
                                                   "  LOOP  BASIC  16 sectors\n"))
        << o.out;
    EXPECT_NE(std::string::npos,
              o.out.find(game + "@1: no recognised file system, 2 x 2 x 16 x 256"));
    EXPECT_EQ(std::string::npos, o.out.find("?LD"));
    EXPECT_NE(std::string::npos,
              o.out.find("2 images in 1 file: 1 with a file system, 3 files listed"));
    EXPECT_NE(
        std::string::npos,
        D88({"files", "--deleted", game + "@0"}).out.find("  ?LD  ASCII  deleted\n"));
    o = D88({"files", "--json", game + "@0"});
    EXPECT_NE(std::string::npos,
              o.out.find("\"file_system\": \"N88-BASIC\", \"certainty\": \"sure\""))
        << o.out;
    EXPECT_NE(std::string::npos,
              o.out.find("{\"name\": \"A%2AB\", \"stored_name\": \"412a42\", \"kind\": \"ASCII\", "
                         "\"size\": 4, \"size_unit\": \"bytes\""));
}

TEST(D88Disk, GetWritesEveryFileItCanAndNamesWhereAChainBreaks) {
    Scratch s;
    const std::string game = Container(s), out = s.File("out");
    mkdir(out.c_str(), 0755);
    Outcome o = D88({"get", game + "@0", "--all", "-o", out});
    EXPECT_EQ(1, o.status);
    EXPECT_NE(std::string::npos,
              o.err.find("LOOP: the chain loops: cluster 3 (C 0 H 1 R 9) leads back to cluster 2"))
        << o.err;
    EXPECT_NE(
        std::string::npos,
        o.out.find("A%2AB -> " + out +
                   "/A%2AB (4 bytes; characters a file name cannot hold were written as %XX)"))
        << o.out;
    EXPECT_EQ((std::vector<std::string>{"A%2AB", "PROG.BAS"}), s.Names("out"));
    Bytes prog = GetFile(out + "/PROG.BAS");  // its sector: N88-BASIC records no size
    ASSERT_EQ(256u, prog.size());
    EXPECT_TRUE(std::equal(kHello.begin(), kHello.end(), prog.begin()));
    o = D88({"get", game + "@0", "PROG.BAS", "-o", out});
    EXPECT_EQ(1, o.status);
    EXPECT_NE(std::string::npos, o.err.find("the file exists; give --force to replace it"));
    o = D88({"get", game + "@0", "PROG.BAS", "-o", out, "--force", "--text"});
    EXPECT_EQ(0, o.status) << o.err;
    EXPECT_EQ(Text("10 PRINT \"hello\"\r\n"), GetFile(out + "/PROG.BAS"));
    o = D88({"get", game + "@0", "NONE", "-o", out});
    EXPECT_EQ(1, o.status);
    EXPECT_NE(std::string::npos,
              o.err.find("no file NONE ('d88 files " + game + "@0' lists them)"));
    EXPECT_EQ(1, D88({"get", game + "@1", "--all", "-o", out}).status);  // no file system
    for (auto args : std::vector<std::vector<std::string> >{
             {"get", game, "--all"},  // two images: which one?
             {"get", game + "@0"},
             {"get", game + "@0", "X", "--all"},
             {"get", game + "@0", "--all", "--cp932"},
             {"get", game + "@0", "--all", "--text", "--basic", "V9"}})
        EXPECT_EQ(2, D88(args).status) << args.back();
}

TEST(D88Disk, CheckGivesTheFileSystemsFindingsAtTheirOffsets) {
    Scratch s;
    const std::string game = Container(s);
    Outcome o = D88({"check", game});
    EXPECT_EQ(2, o.status);
    // The FAT byte of cluster 3 (on C 18 H 1 R 14), counted from the start of the file.
    const size_t fat = 688 + 37 * 16 * 272 + 13 * 272 + 16;
    EXPECT_NE(std::string::npos, o.out.find(game + "@0: error fs-chain-loop at offset " +
                                            std::to_string(fat + 3) + ": LOOP: the chain loops"))
        << o.out;
}

}  // namespace
