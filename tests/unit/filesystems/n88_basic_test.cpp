// N88-BASIC disks laid out from the format's description: the system track
// (directory R 1 to spt - 4, three FATs in the last three sectors), one
// byte per cluster, and each file's listing and bytes; the FAT copies that
// differ; chains that break; 2DD and 2HD disks whose system track is found
// by looking.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/unit/filesystems/test_disk.h"

namespace {

Bytes Pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(seed + i * 7);
    return b;
}

TEST(N88Basic, ListsEachKindOfFileAndReadsItsBytes) {
    N88Disk d;
    Bytes text = Text("10 PRINT \"HI\"\r\n");
    Bytes ascii = text;
    ascii.push_back(0x1A);
    ascii.resize(700, 0x55);  // after the end mark: what the sectors held before
    Bytes basic = Pattern(3 * 256, 1);
    Bytes code = {0x00, 0x90, 0xFF, 0x90};
    Bytes body = Pattern(256, 9);
    code.insert(code.end(), body.begin(), body.end());
    Bytes big = Pattern(20 * 256, 3);
    d.Add("HELLO ASC", 0x00, {0}, ascii);
    d.Add("PROG  BAS", 0x90, {1}, basic);
    d.Add("CODE  BIN", 0x01, {2}, code);
    d.Add("BIG      ", 0x80, {3, 10, 11}, big);
    d.Add("\xB6\xC5*   TXT", 0x00, {4}, text);
    d.Add(std::string("\0LD   OLD", 9), 0x00, {5}, text);
    d.fat[5] = 0xFF;  // deleting frees its clusters
    OpenedDisk o(d.Image());
    ASSERT_EQ(kFsOk, o.status);
    EXPECT_EQ(kN88Basic, o.volume.probe.kind);
    EXPECT_EQ(kProbeSure, o.volume.probe.certainty) << o.volume.probe.why;
    EXPECT_EQ("40 x 2 x 16 x 256", TrackGeometryText(o.volume.geometry));
    const DiskFile* f = o.File("HELLO.ASC");
    ASSERT_TRUE(f);
    EXPECT_EQ(kFileAscii, f->kind);
    EXPECT_TRUE(f->sizeInBytes);
    EXPECT_EQ(text.size(), f->size);  // ends at its 0x1A
    f = o.File("PROG.BAS");
    ASSERT_TRUE(f);
    EXPECT_EQ(kFileBasic, f->kind);
    EXPECT_TRUE(f->protectedFile);
    EXPECT_FALSE(f->sizeInBytes);
    EXPECT_EQ(3u, f->size);  // sectors
    f = o.File("CODE.BIN");
    ASSERT_TRUE(f);
    EXPECT_EQ(kFileMachine, f->kind);
    EXPECT_EQ(0x9000u, f->load);
    EXPECT_EQ(0x90FFu, f->end);
    EXPECT_EQ(code.size(), f->size);
    EXPECT_EQ(20u, o.File("BIG")->size);
    EXPECT_TRUE(o.File("\xB6\xC5%2A.TXT"));  // half-width katakana kept, '*' escaped
    f = o.File("?LD.OLD");
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->deleted);

    Bytes got;
    std::string problem;
    ASSERT_EQ(kFsOk, o.Read("HELLO.ASC", &got, &problem)) << problem;
    EXPECT_EQ(text, got);
    ASSERT_EQ(kFsOk, o.Read("PROG.BAS", &got, &problem));
    EXPECT_EQ(basic, got);
    ASSERT_EQ(kFsOk, o.Read("CODE.BIN", &got, &problem));
    EXPECT_EQ(code, got);
    ASSERT_EQ(kFsOk, o.Read("BIG", &got, &problem));
    EXPECT_EQ(big, got);
    EXPECT_EQ(kFsBroken, o.Read("?LD.OLD", &got, &problem));
    EXPECT_TRUE(o.Codes().empty());
}

TEST(N88Basic, FatCopiesThatDifferAreReportedWithTheCopyRead) {
    N88Disk d;
    d.Add("A        ", 0x80, {0}, Pattern(256, 1));
    Bytes image = d.Image();
    N88Disk bad = d;
    bad.fat[7] = 0xB0;  // no meaning: copy 1 is passed over
    bad.disk.Put(18, 1, 14, 0, bad.fat);
    OpenedDisk o(bad.disk.Image());
    EXPECT_EQ(kProbeLikely, o.volume.probe.certainty);
    std::vector<FsFinding> found;
    CheckDiskFiles(o.volume, &found);
    ASSERT_EQ(1u, found.size());
    EXPECT_STREQ("fs-fat-copies", found[0].code);
    EXPECT_NE(std::string::npos, found[0].text.find("R 14 differs from the one in C 18 H 1 R 15"))
        << found[0].text;
    EXPECT_TRUE(o.File("A"));
}

TEST(N88Basic, BrokenChainsStopTheFileAndAreFindings) {
    struct Case {
        const char* what;
        unsigned cluster;
        uint8_t value;
        const char* code;
        const char* message;
    } cases[] = {
        {"a loop", 2, 1, "fs-chain-loop", "cluster 2 (C 0 H 1 R 1) leads back to cluster 1"},
        {"a free cluster", 2, 0x09, "fs-chain-free", "cluster 2 (C 0 H 1 R 1) leads to cluster 9"},
        {"a reserved one", 2, 74, "fs-chain-reserved", "leads to cluster 74"},
        {"another file", 2, 20, "fs-chain-cross", "the chain runs into B at cluster 20"},
    };
    for (const Case& c : cases) {
        N88Disk d;
        d.Add("A        ", 0x80, {1, 2, 3}, Pattern(20 * 256, 1));
        d.Add("B        ", 0x80, {20}, Pattern(256, 2));
        d.fat[c.cluster] = c.value;
        OpenedDisk o(d.Image());
        Bytes got;
        std::string problem;
        EXPECT_EQ(kFsBroken, o.Read("A", &got, &problem)) << c.what;
        EXPECT_NE(std::string::npos, problem.find(c.message)) << c.what << ": " << problem;
        EXPECT_EQ(16u * 256, got.size()) << c.what;  // what came before
        std::vector<std::string> codes = o.Codes();
        EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), c.code)) << c.what;
        EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), "fs-lost-clusters")) << c.what;
    }
    // An entry whose first cluster is free.
    N88Disk d;
    d.Add("A        ", 0x80, {1}, Pattern(256, 1));
    d.fat[1] = 0xFF;
    EXPECT_EQ(std::vector<std::string>{"fs-entry-free"}, OpenedDisk(d.Image()).Codes());
}

TEST(N88Basic, TheSystemTrackOf2ddAnd2hdDisksIsFoundByLooking) {
    struct Shape {
        unsigned cylinders, spt, system;
        const char* geometry;
    } shapes[] = {{80, 16, 81, "80 x 2 x 16 x 256"},
                  {77, 26, 70, "77 x 2 x 26 x 256, track 0 FM 26 x 128"},
                  {77, 26, 3, "77 x 2 x 26 x 256, track 0 FM 26 x 128"}};
    for (const Shape& s : shapes) {
        N88Disk d(s.cylinders, s.spt, s.system);
        Bytes data = Pattern(s.spt * 256 + 5 * 256, 4);
        d.Add("GAME  BAS", 0x80, {10, 12}, data);
        OpenedDisk o(d.Image());
        ASSERT_EQ(kN88Basic, o.volume.probe.kind) << s.geometry << ": " << o.volume.probe.why;
        EXPECT_EQ(s.geometry, TrackGeometryText(o.volume.geometry));
        Bytes got;
        std::string problem;
        ASSERT_EQ(kFsOk, o.Read("GAME.BAS", &got, &problem)) << problem;
        EXPECT_EQ(data, got);
    }
}

}  // namespace
