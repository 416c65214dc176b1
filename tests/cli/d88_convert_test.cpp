// d88 convert: the report before anything is written, lossy conversions
// refused without --lossy, a container to a file per image, the options,
// and failures that leave nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/cli/cli_test_support.h"
#include "tests/support/fault_files.h"
#include "tests/support/fault_memory.h"

namespace {

class D88Convert : public ::testing::Test {
protected:
    Scratch dir;
    std::string game = dir.File("GAME.D88");
    Bytes a = MakeDisk(kMedia2HD, 154, 2, 8, 3, "");
    Bytes b = MakeDisk(kMedia2HD, 154, 2, 8, 3, "DISK B");
    void SetUp() override { PutFile(game, Cat({a, b})); }
};

TEST_F(D88Convert, TheReportComesFirstAndALossyConversionIsRefused) {
    Outcome o = D88({"convert", game + "@1", dir.File("b.hdm")});
    EXPECT_EQ(1, o.status);
    EXPECT_EQ(game + "@1 to " + dir.File("b.hdm") +
                  " (raw):\n  lost: the disk's name\n  written with: the geometry 77/2/8/1024\n",
              o.out);
    EXPECT_EQ("d88: " + game +
                  ": the conversion loses what is listed above; give --lossy to "
                  "convert all the same; nothing was written\n",
              o.err);
    EXPECT_EQ(std::vector<std::string>(1, "GAME.D88"), dir.Names());
    o = D88({"convert", "--lossy", game + "@1", dir.File("b.hdm")});
    EXPECT_EQ(0, o.status) << o.err;
    EXPECT_NE(std::string::npos, o.out.find("lost: the disk's name"));
    EXPECT_EQ(1261568u, GetFile(dir.File("b.hdm")).size());
    o = D88({"convert", "--dry-run", game + "@0", dir.File("a.imd")});
    EXPECT_EQ(0, o.status);
    EXPECT_NE(std::string::npos, o.out.find("nothing lost"));
    EXPECT_FALSE(Exists(dir.File("a.imd")));
}

TEST_F(D88Convert, ToHfeAndBackTheProgramGivesTheSameImage) {
    Outcome o = RunProgram(dir, D88_PROGRAM, {"convert", game + "@0", dir.File("a.hfe")});
    ASSERT_EQ(0, o.status) << o.err;
    EXPECT_NE(std::string::npos, o.out.find("500 kbit/s, 360 rpm"));
    o = RunProgram(dir, D88_PROGRAM, {"convert", dir.File("a.hfe"), dir.File("back.d88")});
    ASSERT_EQ(0, o.status) << o.err;
    EXPECT_TRUE(GetFile(dir.File("back.d88")) == a);
    EXPECT_EQ(Cat({a, b}), GetFile(game));
}

TEST_F(D88Convert, AContainerGoesToAFolderAFilePerImage) {
    Outcome o = D88({"convert", "--lossy", game, dir.File("all.imd")});
    EXPECT_EQ(1, o.status);
    EXPECT_NE(std::string::npos, o.err.find("it holds 2 images: give a folder as OUT"));
    ASSERT_EQ(0, mkdir(dir.File("out").c_str(), 0755));
    o = D88({"convert", "--lossy", "--to", "imd", game, dir.File("out")});
    ASSERT_EQ(0, o.status) << o.err;
    EXPECT_EQ((std::vector<std::string>{"GAME .IMD", "GAME DISK B.IMD"}), dir.Names("out"));
    o = D88({"convert", "--lossy", "--to", "imd", game, dir.File("out")});
    EXPECT_EQ(1, o.status);
    EXPECT_NE(std::string::npos, o.err.find("the file exists; give --force to replace it"));
    o = D88({"convert", game, game});
    EXPECT_NE(std::string::npos, o.err.find("it is IN itself"));
}

TEST_F(D88Convert, WrongOptionsAreUsageErrors) {
    EXPECT_EQ(2, D88({"convert", "--to", "dmk", game, dir.File("x")}).status);
    EXPECT_EQ(2, D88({"convert", "--geometry", "80/2/8", game, dir.File("x.hdm")}).status);
    EXPECT_EQ(2, D88({"convert", "--rpm", "9", game, dir.File("x.hfe")}).status);
    EXPECT_EQ(2, D88({"convert", game, dir.File("x.txt")}).status);
    Outcome o = D88({"convert", game + "@5", dir.File("x.hfe")});
    EXPECT_EQ("d88: " + game + ": no image 5: the images are numbered 0 to 1\n", o.err);
}

TEST_F(D88Convert, FailuresLeaveNothingAndSaySo) {
    FaultFiles files;
    FaultMemory memory;
    memory.RefuseAllAllocations(true);
    Outcome o = D88({"convert", game + "@0", dir.File("a.hfe")}, files, memory);
    EXPECT_EQ(1, o.status);
    EXPECT_NE(std::string::npos, o.err.find("not enough memory; nothing was written")) << o.err;
    memory.RefuseAllAllocations(false);
    files.failWriteAfter = 1000;
    o = D88({"convert", game + "@0", dir.File("a.fdi")}, files, memory);
    EXPECT_EQ(1, o.status);
    EXPECT_NE(std::string::npos, o.err.find("writing the file failed")) << o.err;
    EXPECT_EQ(std::vector<std::string>(1, "GAME.D88"), dir.Names());
    // An HFE of one cylinder whose track list points past its end.
    Bytes hfe(600, 0xFF);
    std::memcpy(&hfe[0], "HXCPICFE", 8);
    hfe[8] = 0, hfe[9] = 1, hfe[10] = 1, hfe[18] = 1, hfe[19] = 0;
    PutFile(dir.File("cut.hfe"), hfe);
    o = D88({"convert", dir.File("cut.hfe"), dir.File("cut.d88")});
    EXPECT_EQ("d88: " + dir.File("cut.hfe") +
                  ": truncated: cylinder 0 needs the bytes up to 33,619,199, the file has 600; "
                  "nothing was written\n",
              o.err);
}

}  // namespace
