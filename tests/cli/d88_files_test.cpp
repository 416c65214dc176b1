// d88 extract, join and new: files made from images.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

#include "document/document_io.h"
#include "platform/file_api.h"
#include "platform/memory.h"
#include "store/image_buffer.h"
#include "tests/cli/cli_test_support.h"
#include "tests/support/fault_files.h"
#include "tests/support/fault_memory.h"

namespace {

class D88Files : public ::testing::Test {
protected:
    Scratch dir;
    std::string game = dir.File("GAME.D88");
    Bytes a = MakeImage(1000, "DISK A", 0x11);
    Bytes b = MakeImage(688, "DISK B", 0x22, 0x10, 0x10);
    Bytes c = MakeImage(3000, "DISK C", 0x33, 0, 0x20);
    void SetUp() override {
        PutFile(game, Cat({a, b, c}));
        ASSERT_EQ(mkdir(dir.File("out").c_str(), 0755), 0);
    }
};

TEST_F(D88Files, ExtractWritesEveryImageUnderTheWindowsName) {
    Outcome o = D88({"extract", game, "-o", dir.File("out")});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(dir.Names("out"),
              (std::vector<std::string>{"GAME DISK A.D88", "GAME DISK B.D88", "GAME DISK C.D88"}));
    EXPECT_EQ(GetFile(dir.File("out/GAME DISK A.D88")), a);
    EXPECT_EQ(GetFile(dir.File("out/GAME DISK B.D88")), b);
    EXPECT_EQ(GetFile(dir.File("out/GAME DISK C.D88")), c);
    EXPECT_EQ(o.out, dir.File("out") + "/GAME DISK A.D88\n" + dir.File("out") +
                         "/GAME DISK B.D88\n" + dir.File("out") + "/GAME DISK C.D88\n");
}

TEST_F(D88Files, ExtractChosenImagesInAscendingOrder) {
    Outcome o = D88({"extract", game, "2", "--output=" + dir.File("out") + "/", "0", "2"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(dir.Names("out"), (std::vector<std::string>{"GAME DISK A.D88", "GAME DISK C.D88"}));
    EXPECT_EQ(o.out.find(dir.File("out") + "/GAME DISK A.D88\n"), 0u);
    EXPECT_EQ(D88({"extract", game, "-o", dir.File("out"), "3"}).status, 1);
}

TEST_F(D88Files, ExtractNamesFromOddContainerNames) {
    std::string plain = dir.File("GAME");
    std::string dotted = dir.File("MY.GAME.88d");
    Bytes empty = MakeImage(688, "");
    PutFile(plain, a);
    PutFile(dotted, Cat({b, empty}));
    ASSERT_EQ(D88({"extract", plain, "-o", dir.File("out")}).status, 0);
    ASSERT_EQ(D88({"extract", dotted, "-o" + dir.File("out")}).status, 0);
    EXPECT_EQ(dir.Names("out"),
              (std::vector<std::string>{"GAMEDISK A.D88", "MY.GAME .D88", "MY.GAME DISK B.D88"}));
    EXPECT_EQ(GetFile(dir.File("out/MY.GAME .D88")), empty);
}

TEST_F(D88Files, ExtractRefusesBeforeWritingAnythingWhenATargetExists) {
    PutFile(dir.File("out/GAME DISK C.D88"), Bytes(5, 'o'));
    Outcome o = D88({"extract", game, "-o", dir.File("out")});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("d88: " + dir.File("out") +
                         "/GAME DISK C.D88: the file exists; give --force to replace it"),
              std::string::npos)
        << o.err;
    EXPECT_NE(o.err.find("nothing was written"), std::string::npos);
    EXPECT_EQ(dir.Names("out"), std::vector<std::string>{"GAME DISK C.D88"});
    EXPECT_EQ(GetFile(dir.File("out/GAME DISK C.D88")), Bytes(5, 'o'));

    o = D88({"extract", "--force", "--backup", game, "-o", dir.File("out")});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(GetFile(dir.File("out/GAME DISK C.D88")), c);
    EXPECT_EQ(GetFile(dir.File("out/GAME DISK C.bak")), Bytes(5, 'o'));
    EXPECT_EQ(dir.Names("out").size(), 4u);
}

TEST_F(D88Files, ExtractOfTwoDisksOfOneName) {
    std::string twins = dir.File("TWINS.D88");
    Bytes one = MakeImage(688, "SAME", 1), two = MakeImage(700, "SAME", 2), old(9, 'o');
    PutFile(twins, Cat({one, two}));
    PutFile(dir.File("out/TWINS SAME.D88"), old);
    // Refused before anything is written, --force or not, naming both.
    for (const char* force : {"--backup", "--force"}) {
        Outcome o = D88({"extract", twins, "-o", dir.File("out"), "--backup", force});
        EXPECT_EQ(o.status, 1);
        EXPECT_NE(o.err.find("image 0 and image 1 would both be written to this name"),
                  std::string::npos)
            << o.err;
        EXPECT_EQ(dir.Names("out"), std::vector<std::string>{"TWINS SAME.D88"});
    }
    // --unique numbers the later one; what was there before goes to .bak.
    Outcome o = D88({"extract", twins, "-o", dir.File("out"), "--force", "--backup", "--unique"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(GetFile(dir.File("out/TWINS SAME.D88")), one);
    EXPECT_EQ(GetFile(dir.File("out/TWINS SAME (2).D88")), two);
    EXPECT_EQ(GetFile(dir.File("out/TWINS SAME.bak")), old);
    EXPECT_EQ(dir.Names("out").size(), 3u);

    // In a folder that takes names in either case for one, names that
    // differ only in letter case (Greek ones too) meet as well.
    PutFile(twins, Cat({MakeImage(688, "Disk1"), MakeImage(688, "DISK1"),
                        MakeImage(688, "\x83\x9F"), MakeImage(688, "\x83\xBF")}));
    FaultFiles folding;
    folding.foldsCase = 1;
    FaultMemory memory;
    o = D88({"extract", twins, "-o", dir.File("out")}, folding, memory);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("image 0 and image 1 would both be written"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("image 2 and image 3 would both be written"), std::string::npos) << o.err;
    folding.foldsCase = 0;
    EXPECT_EQ(D88({"extract", twins, "-o", dir.File("out")}, folding, memory).status, 0);

    // Never over the container itself, whatever name reaches it.
    unlink(dir.File("out/TWINS Disk1.D88").c_str());
    ASSERT_EQ(link(twins.c_str(), dir.File("out/TWINS Disk1.D88").c_str()), 0);
    o = D88({"extract", twins, "-o", dir.File("out"), "--force", "0"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("over the file the images are read from"), std::string::npos) << o.err;
    EXPECT_EQ(GetFile(twins).size(), 4 * 688u);
}

TEST_F(D88Files, ExtractRefusesNamesThatAreNoFileNames) {
    std::string slash = dir.File("SLASH.D88");
    PutFile(slash, Cat({a, MakeImage(688, "A/B")}));
    Outcome o = D88({"extract", slash, "-o", dir.File("out")});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("image 1: its name holds '/'"), std::string::npos) << o.err;
    EXPECT_TRUE(dir.Names("out").empty());
    std::string odd = dir.File("ODD.D88");
    PutFile(odd, MakeImage(688, "X\x80Y"));
    o = D88({"extract", odd, "-o", dir.File("out")});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("no UTF-8 form"), std::string::npos);
    EXPECT_TRUE(dir.Names("out").empty());
}

TEST_F(D88Files, ExtractNeedsAFolder) {
    Outcome o = D88({"extract", game, "-o", dir.File("none")});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(dir.File("none") + ": no such folder"), std::string::npos);
    // A file where the folder should be: writing under it is impossible.
    o = D88({"extract", game, "-o", game});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(game + ": not a folder"), std::string::npos);
}

TEST_F(D88Files, ExtractDoubleByteNamesAndTheirBackups) {
    std::string jp = dir.File("JP.D88");
    // 表ソ, and a name ending in あ, whose UTF-8 the CP932 rule misreads.
    Bytes hyou = MakeImage(688, CP_HYOU CP_SO, 1), a2 = MakeImage(800, "X" CP_A, 2);
    PutFile(jp, Cat({hyou, a2}));
    ASSERT_EQ(D88({"extract", jp, "-o", dir.File("out")}).status, 0);
    EXPECT_EQ(GetFile(dir.File("out/JP " U8_HYOU U8_SO ".D88")), hyou);
    EXPECT_EQ(GetFile(dir.File("out/JP X" U8_A ".D88")), a2);
    ASSERT_EQ(D88({"extract", jp, "-o", dir.File("out"), "--force", "--backup"}).status, 0);
    EXPECT_EQ(dir.Names("out"),
              (std::vector<std::string>{"JP X" U8_A ".D88", "JP X" U8_A ".bak",
                                        "JP " U8_HYOU U8_SO ".D88", "JP " U8_HYOU U8_SO ".bak"}));
}

TEST_F(D88Files, ExtractedImagesAreD88FilesToFloptool) {
    std::string floptool = FindOnPath("floptool");
    if (floptool.empty()) GTEST_SKIP() << "floptool is not installed";
    ASSERT_EQ(D88({"extract", game, "-o", dir.File("out"), "0", "2"}).status, 0);
    for (const char* name : {"out/GAME DISK A.D88", "out/GAME DISK C.D88"}) {
        Outcome o = RunProgram(dir, floptool, {"identify", dir.File(name)});
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_NE(o.out.find(" - d88 "), std::string::npos) << o.out;
    }
    ASSERT_EQ(D88({"new", dir.File("blank.d88")}).status, 0);
    Outcome o = RunProgram(dir, floptool, {"identify", dir.File("blank.d88")});
    EXPECT_NE(o.out.find(" - d88 "), std::string::npos) << o.out;
}

TEST_F(D88Files, AFailedExtractWritesNothing) {
    FaultFiles files;
    files.failWriteAfter = 1500;  // the second image fails
    FaultMemory memory;
    Outcome o = D88({"extract", game, "-o", dir.File("out")}, files, memory);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("GAME DISK B.D88: writing the file failed; nothing was written"),
              std::string::npos)
        << o.err;
    EXPECT_TRUE(dir.Names("out").empty());
    EXPECT_EQ(memory.liveBlocks(), 0u);
}

TEST_F(D88Files, ExtractWarnsOfTheBytesAfterAZeroSizeDisk) {
    std::string z = dir.File("Z.D88");
    Bytes zero = MakeImage(688, "NIL");
    WriteLe32(&zero[kOffDiskSize], 0);
    PutFile(z, Cat({a, zero, b}));
    Outcome o = D88({"extract", z, "-o", dir.File("out")});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("warning: image 1 at offset 1000 has a disk size of 0; the list ends "
                         "there, and the last 1376 bytes of the file belong to no image\n"),
              std::string::npos)
        << o.err;
    EXPECT_EQ(dir.Names("out"), std::vector<std::string>{"Z DISK A.D88"});
    EXPECT_EQ(GetFile(dir.File("out/Z DISK A.D88")), a);
}

// What the window saves after adding `paths` to a new document: its add
// (ReadFileAppended, then the walk listing each image) and its save
// (WriteImages of the listed offsets in list order).
Bytes WindowJoin(const std::vector<std::string>& paths, const std::string& target) {
    MemoryApi& mem = SystemMemory();
    FileApi& files = SystemFiles();
    uint8_t* buffer = nullptr;
    uint32_t size = 0;
    struct Walk {
        MemoryApi* mem;
        const uint8_t* base;
        uint32_t size;
        std::vector<uint32_t>* offsets;
        static uint32_t Step(void* ctx, uint32_t off) {
            Walk* w = static_cast<Walk*>(ctx);
            HeaderFields f;
            if (!ReadHeader(*w->mem, w->base, w->size, off, &f)) return 0;
            w->offsets->push_back(off);
            return f.diskSize;
        }
    };
    std::vector<uint32_t> offsets;
    for (size_t i = 0; i < paths.size(); ++i) {
        uint8_t* block = nullptr;
        uint32_t added = 0;
        if (!ReadFileAppended(files, mem, paths[i].c_str(), buffer, size, &block, &added).ok())
            continue;
        Walk walk = {&mem, block, size + added, &offsets};
        WalkImages(size, size + added, Walk::Step, &walk);
        ReleaseBlock(mem, buffer, size);
        buffer = block;
        size += added;
    }
    WriteImages(files, mem, buffer, size, offsets.empty() ? nullptr : &offsets[0], offsets.size(),
                target.c_str(), false);
    ReleaseBlock(mem, buffer, size);
    return GetFile(target);
}

TEST_F(D88Files, JoinWritesWhatTheWindowSaves) {
    std::string two = dir.File("TWO.88D"), empty = dir.File("EMPTY.D88"),
                tail = dir.File("TAIL.D88");
    PutFile(two, Cat({MakeImage(2000, "T1", 0x44), MakeImage(900, "T2", 0x55, 1, 0x10)}));
    PutFile(empty, Bytes());
    // The last file's last image runs past its end: it stays last.
    Bytes cut = MakeImage(5000, "CUT", 0x66);
    cut.resize(1200);
    PutFile(tail, Cat({MakeImage(688, "T0"), cut}));
    std::vector<std::string> inputs = {empty, game, two, empty, game, tail};
    std::string out = dir.File("ALL.D88");
    std::vector<std::string> args = {"join", out};
    args.insert(args.end(), inputs.begin(), inputs.end());
    Outcome o = D88(args);
    ASSERT_EQ(o.status, 0) << o.err;
    Bytes joined = GetFile(out);
    EXPECT_EQ(joined, WindowJoin(inputs, dir.File("WINDOW.D88")));
    EXPECT_EQ(joined.size(), 2 * 4688u + 2900u + 688u + 1200u);
    Outcome l = D88({"list", out});
    EXPECT_NE(l.out.find("    9       12964  CUT"), std::string::npos) << l.out;
}

TEST_F(D88Files, JoinRefusesWhatTheWindowWouldSpoil) {
    std::string cut = dir.File("CUT.D88");
    Bytes part = MakeImage(5000, "CUT");
    part.resize(1000);
    PutFile(cut, part);
    std::string out = dir.File("OUT.D88");
    // The cut image would take in the images of the next file.
    Outcome o = D88({"join", out, cut, game});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("image 0 of " + cut + " claims 5000 bytes but only 1000 are in the file"),
              std::string::npos)
        << o.err;
    EXPECT_FALSE(Exists(out));
    EXPECT_EQ(D88({"join", out, game, cut}).status, 0);
}

TEST_F(D88Files, JoinAndNewNeverReplaceWithoutForce) {
    std::string out = dir.File("OUT.D88");
    PutFile(out, Bytes(7, 'k'));
    Outcome o = D88({"join", out, game});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(out + ": the file exists; give --force to replace it"), std::string::npos);
    EXPECT_EQ(D88({"new", out}).status, 1);
    EXPECT_EQ(GetFile(out), Bytes(7, 'k'));
    ASSERT_EQ(D88({"join", "--force", "--backup", out, game, game}).status, 0);
    EXPECT_EQ(GetFile(out), Cat({a, b, c, a, b, c}));
    EXPECT_EQ(GetFile(dir.File("OUT.bak")), Bytes(7, 'k'));
    // OUT is never one of its own inputs, by whatever name, nor its backup.
    ASSERT_EQ(link(game.c_str(), dir.File("HARD.D88").c_str()), 0);
    PutFile(dir.File("OUT.bak"), a);
    for (auto join : {std::vector<std::string>{"join", "--force", game, game, out},
                      {"join", "--force", dir.File("HARD.D88"), out, game},
                      {"join", "--force", "--backup", dir.File("OUT.D88"), dir.File("OUT.bak")}}) {
        Outcome o = D88(join);
        EXPECT_EQ(o.status, 1);
        EXPECT_NE(o.err.find("it is one of the FILEs joined"), std::string::npos) << o.err;
    }
    EXPECT_EQ(GetFile(game), Cat({a, b, c}));
    EXPECT_EQ(GetFile(dir.File("OUT.bak")), a);
    EXPECT_EQ(D88({"join", dir.File("out"), game}).status, 1);  // a folder
}

TEST_F(D88Files, JoinAndNewIntoAFolderThatCannotBeWritten) {
    // Under a file, no folder can be written, not even by root.
    std::string out = game + "/x.d88";
    Outcome o = D88({"join", out, game});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("d88: " + out + ": cannot create the file: " + std::strerror(ENOTDIR) +
                         "; nothing was changed"),
              std::string::npos)
        << o.err;
    o = D88({"new", out, "2"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(out + ": cannot create the file"), std::string::npos);
    o = D88({"new", dir.File("missing/x.d88")});
    EXPECT_NE(o.err.find(std::string(": cannot create the file: ") + std::strerror(ENOENT)),
              std::string::npos)
        << o.err;
    o = RunProgram(dir, D88_PROGRAM, {"new", out});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(out), std::string::npos);
    EXPECT_EQ(GetFile(game), Cat({a, b, c}));
}

TEST_F(D88Files, JoinInputsThatCannotBeRead) {
    std::string out = dir.File("OUT.D88");
    Outcome o = D88({"join", out, game, dir.File("nope.d88")});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(dir.File("nope.d88") + ": cannot open: " + std::strerror(ENOENT)),
              std::string::npos);
    o = D88({"join", out, dir.File("out")});
    EXPECT_NE(o.err.find(dir.File("out") + ": cannot open: it is a folder"), std::string::npos);
    EXPECT_FALSE(Exists(out));
}

TEST_F(D88Files, NewMakesBlankDisks) {
    std::string one = dir.File("ONE.D88");
    ASSERT_EQ(D88({"new", one}).status, 0);
    Bytes blank(688, 0);
    std::memcpy(&blank[0], "BlankDisk", 10);
    blank[0x1C] = 0xB0;
    blank[0x1D] = 0x02;
    EXPECT_EQ(GetFile(one), blank);
    std::string three = dir.File("THREE.D88");
    ASSERT_EQ(D88({"new", three, "3"}).status, 0);
    EXPECT_EQ(GetFile(three), Cat({blank, blank, blank}));
    EXPECT_NE(
        D88({"list", three}).out.find("    2        1376  BlankDisk  No       2D            688\n"),
        std::string::npos);
    std::string none = dir.File("NONE.D88");
    ASSERT_EQ(D88({"new", none, "0"}).status, 0);
    EXPECT_EQ(GetFile(none).size(), 0u);
    EXPECT_EQ(D88({"new", none, "6242686"}).status, 2);
    ASSERT_EQ(D88({"new", "--force", "--backup", three, "1"}).status, 0);
    EXPECT_EQ(GetFile(three), blank);
    EXPECT_EQ(GetFile(dir.File("THREE.bak")).size(), 3 * 688u);
}

// ---- the same bytes as before streaming

// Containers with odd headers, each run through every command. The text of
// each run (status, output with the scratch folder as DIR, and every file
// left behind with its size and checksum) must equal the recorded one in
// odd_headers.expected, first recorded with the tool as it was when it read
// whole files. With D88_REFERENCE=PROGRAM and D88_RECORD=FILE the runs go
// through that program and their text goes to FILE instead.
struct OddContainer {
    const char* name;
    Bytes bytes;
};

std::vector<OddContainer> OddContainers() {
    Bytes zero =
        Cat({MakeImage(688, "FIRST"), MakeImage(688, "ZERO", 0x5A), MakeImage(688, "LOST")});
    WriteLe32(&zero[688 + kOffDiskSize], 0);
    Bytes past = Cat({MakeImage(1000, "A"), MakeImage(5000, "PAST", 0x77)});
    past.resize(1800);
    Bytes name17 = Cat({MakeImage(1000, "ABCDEFGHIJKLMNOPQ", 0x17, 0x01),
                        MakeImage(688, "KEYS", 0x4B, 0, 0x20), MakeImage(700, CP_HYOU CP_SO)});
    for (int i = 0; i < 4; ++i) name17[1000 + kOffSortKey + i] = static_cast<uint8_t>(i + 1);
    Bytes ones = Cat({MakeImage(688, "A"), MakeImage(700, "ONES", 0xFF)});
    WriteLe32(&ones[688 + kOffDiskSize], 0xFFFFFFFFu);
    Bytes tiny = Cat({MakeImage(688, "A"), MakeImage(24, "T"), MakeImage(700, "C")});
    Bytes cut = Cat({MakeImage(688, "A"), MakeImage(688, "CUT")});
    cut.resize(688 + 20);
    // Images of more than one chunk of the copy, sort keys set.
    Bytes big = Cat({MakeImage(1024 * 1024 + 17, "BIG", 0xB1), MakeImage(688, "SMALL"),
                     MakeImage(5000, "FIVE", 0x4D)});
    for (int i = 0; i < 4; ++i) big[kOffSortKey + i] = 0xEE;
    return {{"zero", zero}, {"past", past}, {"name17", name17}, {"ones", ones},
            {"tiny", tiny}, {"cut", cut},   {"big", big}};
}

std::string Checksum(const Bytes& bytes) {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < bytes.size(); ++i) h = (h ^ bytes[i]) * 1099511628211ull;
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string RenderOddRuns(
    const std::function<Outcome(const Scratch&, std::vector<std::string>)>& run) {
    const char* commands[][8] = {
        {"list", "GAME.D88"},
        {"list", "--json", "GAME.D88"},
        {"extract", "GAME.D88", "-o", "out"},
        {"extract", "GAME.D88", "-o", "out", "0"},
        {"extract", "GAME.D88", "-o", "out", "--force", "--backup", "1"},
        {"join", "OUT.D88", "GAME.D88", "B.D88"},
        {"join", "OUT.D88", "B.D88", "GAME.D88"},
        {"rename", "GAME.D88", "0", "NEWNAME"},
        {"protect", "GAME.D88", "1", "on"},
        {"move", "GAME.D88", "1", "--to", "0"},
        {"move", "--backup", "GAME.D88", "0", "--to", "2"},
        {"delete", "GAME.D88", "0"},
        {"new", "OUT.D88", "3"},
    };
    std::string text;
    std::vector<OddContainer> containers = OddContainers();
    for (size_t c = 0; c < containers.size(); ++c) {
        for (size_t k = 0; k < sizeof commands / sizeof commands[0]; ++k) {
            Scratch dir;
            PutFile(dir.File("GAME.D88"), containers[c].bytes);
            PutFile(dir.File("B.D88"), MakeImage(688, "BEE", 0xBE));
            mkdir(dir.File("out").c_str(), 0755);
            PutFile(dir.File("out/GAME KEYS.D88"), Bytes(3, 'o'));
            std::vector<std::string> args;
            std::string line = "# " + std::string(containers[c].name) + ":";
            for (int i = 0; i < 8 && commands[k][i]; ++i) {
                std::string a = commands[k][i];
                line += " " + a;
                if (a.find(".D88") != std::string::npos || a == "out") a = dir.File(a);
                args.push_back(a);
            }
            Outcome o = run(dir, args);
            text += line + "\nstatus " + std::to_string(o.status) + "\nout:\n" +
                    Replaced(o.out, dir.path(), "DIR") + "err:\n" +
                    Replaced(o.err, dir.path(), "DIR");
            for (const char* sub : {"", "out"}) {
                for (const std::string& name : dir.Names(sub)) {
                    std::string path =
                        *sub ? dir.File(std::string(sub) + "/" + name) : dir.File(name);
                    struct stat st;
                    if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
                    Bytes bytes = GetFile(path);
                    text += "file " + (*sub ? std::string(sub) + "/" : std::string()) + name + " " +
                            std::to_string(bytes.size()) + " " + Checksum(bytes) + "\n";
                }
            }
        }
    }
    return text;
}

TEST(D88SameBytes, OddHeadersGiveWhatTheyGaveBefore) {
    const char* reference = std::getenv("D88_REFERENCE");
    const char* record = std::getenv("D88_RECORD");
    if (reference && record) {
        std::string program = reference;
        std::ofstream(record, std::ios::binary)
            << RenderOddRuns([&](const Scratch& dir, std::vector<std::string> args) {
                   return RunProgram(dir, program, args);
               });
        GTEST_SKIP() << "recorded the runs of " << reference << " in " << record;
    }
    Bytes expected = GetFile(D88_ODD_EXPECTED);
    ASSERT_FALSE(expected.empty()) << D88_ODD_EXPECTED;
    std::string want(expected.begin(), expected.end());
    // Through the system's own copy, and through reads and writes of 1 MiB
    // chunks (the fault wrapper declines the system's copy).
    std::string viaKernel =
        RenderOddRuns([](const Scratch&, std::vector<std::string> args) { return D88(args); });
    FaultFiles files;
    FaultMemory memory;
    std::string viaChunks = RenderOddRuns(
        [&](const Scratch&, std::vector<std::string> args) { return D88(args, files, memory); });
    EXPECT_EQ(memory.liveBlocks(), 0u);
    EXPECT_EQ(files.openHandles(), 0u);
    for (const std::string* got : {&viaKernel, &viaChunks}) {
        size_t at = 0;
        while (at < want.size() && at < got->size() && want[at] == (*got)[at]) ++at;
        size_t from = want.rfind("\n#", at);
        from = from == std::string::npos ? 0 : from + 1;
        EXPECT_EQ(want.size(), got->size());
        EXPECT_TRUE(*got == want) << "first difference in the run starting:\n"
                                  << want.substr(from, at - from + 200) << "\n--- got:\n"
                                  << got->substr(from, at - from + 200);
    }
}

}  // namespace
