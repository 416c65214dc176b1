// d88 check, hash, identify, dat and dupes over files and folders, FILE@N
// in every command that reads images, the faults each of them reports, and
// the progress line, which only a terminal gets.
#include <gtest/gtest.h>
#include <pty.h>

#include <cerrno>
#include <cstring>

#include "tests/cli/cli_test_support.h"
#include "tests/support/fault_files.h"
#include "tests/support/fault_memory.h"

namespace {

size_t Lines(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class D88Collection : public ::testing::Test {
protected:
    // a.d88 (two disks), sub/b.88d (one, a renamed and protected copy of
    // a's first), and notes.txt, which a folder leaves out.
    void SetUp() override {
        first = MakeDisk(0x00, 8, 2, 4, 1, "SYSTEM");
        Bytes copy = first;
        PutName(copy.data(), 36, "COPY");
        copy[kOffWriteProtect] = kProtectBit;
        PutFile(dir.File("a.d88"), Cat({first, MakeDisk(0x20, 4, 2, 8, 3, "DATA")}));
        mkdir(dir.File("sub").c_str(), 0700);
        PutFile(dir.File("sub/b.88d"), copy);
        PutFile(dir.File("notes.txt"), Bytes(10, 'x'));
    }
    Scratch dir;
    Bytes first;
};

TEST_F(D88Collection, DatThenIdentifyNamesEveryImage) {
    Outcome o = D88({"dat", dir.path(), "-o", dir.File("all.dat")});
    ASSERT_EQ(0, o.status) << o.err;
    EXPECT_EQ(dir.File("all.dat") + ": 3 entries\n", o.out);
    o = D88({"identify", "--dat", dir.File("all.dat"), dir.path()});
    ASSERT_EQ(0, o.status) << o.err;
    EXPECT_EQ(dir.File("a.d88") + "@0  SYSTEM: a.d88@0 [a SYSTEM.D88] (raw, SHA-1)\n" +
                  dir.File("a.d88") + "@1  DATA: a.d88@1 [a DATA.D88] (raw, SHA-1)\n" +
                  dir.File("sub/b.88d") + "@0  COPY: sub/b.88d@0 [b COPY.D88] (raw, SHA-1)\n" +
                  "3 images: 3 known, 0 unknown\n",
              o.out);
    // A disk the DAT does not list.
    PutFile(dir.File("new.d88"), MakeDisk(0x00, 2, 2, 4, 1, "NEW"));
    o = D88({"identify", "--json", "--dat", dir.File("all.dat"), dir.File("new.d88")});
    EXPECT_EQ("[\n  {\"file\": \"" + dir.File("new.d88") +
                  "\", \"index\": 0, \"name\": \"NEW\", \"matches\": []}\n]\n",
              o.out);
}

TEST_F(D88Collection, CheckSaysHowBadWithItsStatus) {
    Outcome o = D88({"check", dir.path()});
    EXPECT_EQ(0, o.status) << o.out;
    EXPECT_EQ("3 images in 2 files: no findings\n", o.out);
    Bytes warned = first;
    warned[0x1B] = 0x50;
    PutFile(dir.File("w.d88"), warned);
    o = D88({"check", dir.File("w.d88"), dir.File("a.d88")});
    EXPECT_EQ(1, o.status);
    EXPECT_EQ(dir.File("w.d88") + "@0: warning media-unknown at offset 27: the media byte 0x50 " +
                  "is none of 0x00 (2D), 0x10 (2DD), 0x20 (2HD), 0x30 (1D) and 0x40 (1DD)\n" +
                  "3 images in 2 files: 0 errors, 1 warning\n",
              o.out);
    Bytes cut = Cat({first, first});
    cut.resize(first.size() + 688);
    PutFile(dir.File("cut.d88"), cut);
    o = D88({"check", "--json", dir.File("cut.d88"), dir.File("w.d88")});
    EXPECT_EQ(2, o.status);
    EXPECT_EQ(1u, Lines(o.out, "\"code\": \"size-past-file\""));
    EXPECT_EQ(1u, Lines(o.out, "\"severity\": \"error\""));
    EXPECT_EQ(1u, Lines(o.out, "\"severity\": \"warning\""));
    // The file checked still lists all it holds.
    EXPECT_EQ(0, D88({"list", dir.File("cut.d88")}).status);
}

TEST_F(D88Collection, FileAtNSelectsOneImage) {
    std::string a = dir.File("a.d88");
    Outcome o = D88({"list", a + "@1"});
    EXPECT_EQ(0, o.status) << o.err;
    EXPECT_EQ(2u, Lines(o.out, "\n"));
    EXPECT_NE(std::string::npos,
              o.out.find("    1        " + std::to_string(first.size()) + "  DATA"));
    mkdir(dir.File("x").c_str(), 0700);
    o = D88({"extract", a + "@1", "-o", dir.File("x")});
    EXPECT_EQ(0, o.status) << o.err;
    EXPECT_EQ(std::vector<std::string>{"a DATA.D88"}, dir.Names("x"));
    EXPECT_EQ(3u, Lines(D88({"hash", a + "@0"}).out, "\n"));
    o = D88({"check", a + "@2"});
    EXPECT_EQ(2, o.status);
    EXPECT_EQ("d88: " + a + ": no image 2: the images are numbered 0 to 1\n", o.err);
    EXPECT_EQ(1, D88({"list", a + "@2"}).status);
    EXPECT_EQ("d88: " + dir.path() + "@0: a folder holds no images of its own\n",
              D88({"check", dir.path() + "@0"}).err);
    symlink("..", dir.File("sub/loop").c_str());
    EXPECT_NE(std::string::npos,
              D88({"check", dir.path()}).err.find("/sub/loop: the folders below it loop back"));
    // A file whose name ends in @N is that file.
    PutFile(dir.File("odd@1"), first);
    EXPECT_EQ(0, D88({"check", dir.File("odd@1")}).status);
}

TEST_F(D88Collection, DupesGroupsTheSameDiskUnderOtherHeaders) {
    Outcome o = D88({"dupes", dir.path()});
    EXPECT_EQ(0, o.status) << o.err;
    EXPECT_EQ(1u, Lines(o.out, "2 identical images (normalised SHA-1 "));
    EXPECT_NE(std::string::npos, o.out.find("  " + dir.File("a.d88") + "@0  SYSTEM\n  " +
                                            dir.File("sub/b.88d") + "@0  COPY\n"));
    EXPECT_NE(std::string::npos, o.out.find("3 images: 1 group of identical images\n"));
    o = D88({"dupes", "--raw", dir.path()});
    EXPECT_EQ("3 images: no two are the same disk\n", o.out);
    // An image reached twice is one image: FILE@0 beside FILE, a file in
    // a folder given too.
    std::string a = dir.File("a.d88");
    EXPECT_EQ(o.out, D88({"dupes", "--raw", a + "@0", a, dir.path()}).out);
    // Images without bytes (the walk ends at a size of 0) are no disks.
    Bytes zero = MakeImage(688, "Z");
    WriteLe32(&zero[kOffDiskSize], 0);
    PutFile(dir.File("z1.d88"), Cat({first, zero}));
    PutFile(dir.File("z2.d88"), zero);
    EXPECT_EQ("3 images: no two are the same disk\n",
              D88({"dupes", "--raw", dir.File("z1.d88"), dir.File("z2.d88")}).out);
}

// Only files of data are opened; what cannot be looked at is reported and
// makes the status say so, and dat then writes nothing.
TEST_F(D88Collection, WhatCannotBeReadIsReportedAndNothingElseIsOpened) {
    std::string pipe = dir.File("pipe.d88");
    ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
    symlink("gone", dir.File("gone.d77").c_str());
    symlink("gone", dir.File("gone.txt").c_str());  // would be passed over anyway
    FaultFiles files;
    FaultMemory memory;
    bool opened = false;
    files.beforeOpen = [&](const std::string& p) { opened = opened || p == pipe; };
    files.failInspectOf = "sub/b.88d";
    files.systemError = EACCES;
    Outcome o = D88({"check", dir.path(), pipe}, files, memory);
    EXPECT_EQ(2, o.status);
    std::string notData =
        ": not opened: it is no file of data (a named pipe, a device or a socket)\n";
    EXPECT_EQ("d88: " + dir.File("gone.d77") +
                  ": a link to nothing (what it named is gone)\nd88: " + pipe + notData +
                  "d88: " + dir.File("sub/b.88d") +
                  ": cannot look at it: " + std::strerror(EACCES) + "\nd88: " + pipe + notData,
              o.err);
    EXPECT_EQ("2 images in 1 file: no findings\n", o.out);
    EXPECT_FALSE(opened);
    o = D88({"dat", dir.path(), "-o", dir.File("x.dat")}, files, memory);
    EXPECT_EQ(1, o.status);
    EXPECT_FALSE(Exists(dir.File("x.dat")));
    EXPECT_NE(std::string::npos, D88({"list", pipe}).err.find(notData));
}

// File names of Shift-JIS bytes (ゲーム), and with a byte that is no CP932
// character, give a DAT of UTF-8 that identify reads back.
TEST_F(D88Collection, DatIsUtf8WhateverTheFileNames) {
    std::string sjis = dir.File("sub/\x83\x51\x81\x5B\x83\x80.d88"),
                odd = dir.File("sub/x\xFF.d88");
    PutFile(sjis, MakeDisk(0x00, 2, 2, 4, 1, "J"));
    PutFile(odd, MakeDisk(0x00, 3, 2, 4, 1, "K"));
    ASSERT_EQ(0, D88({"dat", dir.File("sub"), "-o", dir.File("j.dat")}).status);
    Outcome o = D88({"identify", "--dat", dir.File("j.dat"), sjis, odd});
    EXPECT_EQ(0, o.status) << o.err;
    EXPECT_EQ(sjis +
                  "@0  J: \xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0.d88@0 [\xE3\x82\xB2\xE3\x83\xBC"
                  "\xE3\x83\xA0 J.D88] (raw, SHA-1)\n" +
                  odd +
                  "@0  K: x%FF.d88@0 [x%FF K.D88] (raw, SHA-1)\n2 images: 2 known, 0 unknown\n",
              o.out);
}

TEST_F(D88Collection, ReadFailuresAreReportedAndTheRestIsRead) {
    std::string a = dir.File("a.d88");
    Outcome o = D88({"hash", dir.File("none.d88"), a});
    EXPECT_EQ(1, o.status);
    EXPECT_EQ("d88: " + dir.File("none.d88") + ": no such file or folder\n", o.err);
    EXPECT_EQ(6u, Lines(o.out, "\n"));
    EXPECT_EQ("no file was read, so nothing was checked\n",
              D88({"check", dir.File("none.d88")}).out);
    {
        FaultFiles files;  // the walk reads two headers, the scan the rest
        files.emptyReadAt = 3;
        files.emptyReadsFrom = true;
        FaultMemory memory;
        o = D88({"check", a}, files, memory);
        EXPECT_EQ(2, o.status);
        EXPECT_EQ("d88: " + a +
                      ": the file changed while d88 was reading it (another program wrote to it)\n",
                  o.err);
    }
    {
        FaultFiles files;
        files.failReadAt = 3;
        files.systemError = EIO;
        FaultMemory memory;
        EXPECT_EQ("d88: " + a + ": reading the file failed: " + std::strerror(EIO) + "\n",
                  D88({"hash", a}, files, memory).err);
    }
    FaultFiles files;
    FaultMemory memory;
    memory.RefuseAllAllocations(true);
    o = D88({"dupes", a}, files, memory);
    EXPECT_EQ(1, o.status);
    EXPECT_EQ("d88: " + a + ": not enough memory\n", o.err);
    EXPECT_EQ(0u, files.openHandles());
}

TEST_F(D88Collection, DatWritesAllOrNothing) {
    std::string out = dir.File("all.dat");
    PutFile(out, Bytes(3, 'x'));
    Outcome o = D88({"dat", dir.path(), "-o", out});
    EXPECT_EQ(1, o.status);
    EXPECT_EQ("d88: " + out + ": the file exists; give --force to replace it\n", o.err);
    FaultFiles files;
    FaultMemory memory;
    files.failWriteAfter = 600;
    o = D88({"dat", dir.path(), "-o", out, "--force"}, files, memory);
    EXPECT_EQ(1, o.status);
    EXPECT_NE(std::string::npos, o.err.find(out + ": writing the file failed"));
    files.failWriteAfter = -1;
    files.failFlush = true;
    EXPECT_NE(std::string::npos, D88({"dat", dir.path(), "-o", out, "--force"}, files, memory)
                                     .err.find(out + ": writing the file failed"));
    files.failFlush = false;
    files.failCreate = true;
    EXPECT_EQ(0u, D88({"dat", dir.path(), "-o", out, "--force"}, files, memory)
                      .err.find("d88: " + out + ": cannot create the file"));
    files.failCreate = false;
    EXPECT_EQ("d88: " + dir.path() + ": a folder of that name exists\n",
              D88({"dat", dir.path(), "-o", dir.path()}).err);
    files.failReplace = true;
    o = D88({"dat", dir.path(), "-o", out, "--force"}, files, memory);
    EXPECT_EQ("d88: " + out + ": the new file could not take this name; nothing was written\n",
              o.err);
    o = D88({"dat", dir.path(), dir.File("none.d88"), "-o", out, "--force"});
    EXPECT_EQ(1, o.status);
    // Never over one of its own inputs.
    Bytes a = GetFile(dir.File("a.d88"));
    o = D88({"dat", dir.path(), "-o", dir.File("a.d88"), "--force"});
    EXPECT_EQ(
        "d88: " + dir.File("a.d88") +
            ": it is one of the files read, which are never written over; nothing was written\n",
        o.err);
    EXPECT_EQ(a, GetFile(dir.File("a.d88")));
    EXPECT_EQ(Bytes(3, 'x'), GetFile(out));
    EXPECT_EQ((std::vector<std::string>{"a.d88", "all.dat", "notes.txt", "sub"}), dir.Names());
}

TEST_F(D88Collection, IdentifyNeedsADatItCanRead) {
    PutFile(dir.File("bad.dat"), Bytes({'<', 'a', '>'}));
    Outcome o = D88({"identify", "--dat", dir.File("bad.dat"), dir.path()});
    EXPECT_EQ(1, o.status);
    EXPECT_EQ(
        "d88: " + dir.File("bad.dat") + ": line 1: it is not well-formed XML (no element found)\n",
        o.err);
    EXPECT_EQ(1, D88({"identify", "--dat", dir.File("none.dat"), dir.path()}).status);
    EXPECT_EQ(2, D88({"identify", dir.path()}).status);
    EXPECT_EQ(2, D88({"identify", dir.path(), "--dat"}).status);
    PutFile(dir.File("bare.dat"), Bytes({'g', 'a', 'm', 'e', ' ', '(', ' ', ')'}));
    EXPECT_EQ("d88: " + dir.File("bare.dat") +
                  ": no file of the DAT gives a SHA-1, an MD5 or a CRC32 with a size\n",
              D88({"identify", "--dat", dir.File("bare.dat"), dir.path()}).err);
}

TEST_F(D88Collection, ProgressOnlyOnATerminal) {
    std::vector<std::string> runs[] = {{"hash", dir.path()}, {"hash", "--quiet", dir.path()}};
    for (int quiet = 0; quiet < 2; ++quiet) {
        int master = -1;
        pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
        if (pid == 0) {
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            std::vector<char*> argv(1, const_cast<char*>(D88_PROGRAM));
            for (size_t i = 0; i < runs[quiet].size(); ++i) argv.push_back(&runs[quiet][i][0]);
            argv.push_back(nullptr);
            execv(D88_PROGRAM, argv.data());
            _exit(127);
        }
        ASSERT_GT(pid, 0);
        std::string seen;
        char buffer[256];
        ssize_t n;
        while ((n = read(master, buffer, sizeof buffer)) > 0) seen.append(buffer, n);
        int status = 0;
        waitpid(pid, &status, 0);
        close(master);
        EXPECT_EQ(0, WEXITSTATUS(status));
        EXPECT_EQ(quiet ? 0u : 1u, Lines(seen, "\rd88: 2 of 2 files, ")) << seen;
    }
    EXPECT_EQ("", RunProgram(dir, D88_PROGRAM, {"hash", dir.path()}).err);
}

}  // namespace
