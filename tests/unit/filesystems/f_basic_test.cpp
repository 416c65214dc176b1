// F-BASIC 2D disks laid out from the format's description: the disk ID at
// C 0 H 0 R 3, the FAT at C 1 H 0 R 1 from byte 5, the directory after it,
// clusters of 8 sectors from cylinder 2; machine code with its load and
// start addresses from its body, ASCII ended by 0x1A, and a FAT value that
// leads past the cluster area.
#include <gtest/gtest.h>

#include "tests/unit/filesystems/test_disk.h"

namespace {

struct FDisk {
    FDisk() {
        disk.Put(0, 0, 3, 0, Text("SYS"));
        fat.assign(256, 0xFF);
        fat[0] = 0;
    }
    void Add(const std::string& name8, uint8_t type, uint8_t ascii, unsigned first, unsigned second,
             const Bytes& data) {
        Bytes e(32, 0);
        std::memcpy(&e[0], name8.data(), 8);
        e[0x0B] = type, e[0x0C] = ascii, e[0x0E] = uint8_t(first);
        std::memset(&e[0x10], 0xFF, 16);
        disk.Put(1, 0, 4 + entries / 8, entries % 8 * 32, e);
        ++entries;
        unsigned clusters[] = {first, second};
        Bytes padded = data;
        padded.resize((data.size() + 255) / 256 * 256);
        for (unsigned i = 0; i < 2 && i * 2048 < padded.size(); ++i) {
            unsigned x = clusters[i], k = 0;
            for (; k < 8 && (i * 8 + k) * 256 < padded.size(); ++k)
                std::memcpy(disk.At(2 + x / 4, x / 2 % 2, 1 + 8 * (x % 2) + k),
                            &padded[(i * 8 + k) * 256], 256);
            fat[5 + x] = uint8_t((i + 1) * 2048 < padded.size() ? clusters[i + 1] : 0xC0 + k - 1);
        }
    }
    Bytes Image() {
        disk.Put(1, 0, 1, 0, fat);
        return disk.Image();
    }
    TestDisk disk{40, 2, 16, 256, 0xFF};
    Bytes fat;
    unsigned entries = 0;
};

TEST(FBasic, ListsAndReadsMachineCodeAsciiAndBasic) {
    FDisk d;
    Bytes code = {0x00, 0x01, 0x00, 0x18, 0x00};  // 256 bytes at 0x1800
    for (int i = 0; i < 256; ++i) code.push_back(uint8_t(i));
    const uint8_t tail[] = {0xFF, 0x00, 0x00, 0x18, 0x10, 0x1A};
    code.insert(code.end(), tail, tail + 6);
    Bytes text = Text("10 LOADM\"DEMO\",,R\r\n"), ascii = text;
    ascii.push_back(0x1A);
    Bytes basic(3000, 0x42);
    d.Add("DEMO    ", 2, 0x00, 0, 0, code);
    d.Add("RUNME   ", 0, 0xFF, 1, 0, ascii);
    d.Add("PROG    ", 0, 0x00, 2, 9, basic);
    OpenedDisk o(d.Image());
    ASSERT_EQ(kFBasic, o.volume.probe.kind) << o.volume.probe.why;
    EXPECT_EQ(kProbeSure, o.volume.probe.certainty);
    const DiskFile* f = o.File("DEMO");
    ASSERT_TRUE(f);
    EXPECT_EQ(kFileMachine, f->kind);
    EXPECT_EQ(0x1800u, f->load);
    EXPECT_EQ(0x1810u, f->exec);
    EXPECT_EQ(code.size(), f->size);
    EXPECT_EQ(text.size(), o.File("RUNME")->size);
    EXPECT_EQ(kFileBasic, o.File("PROG")->kind);
    EXPECT_EQ(12u, o.File("PROG")->size);  // sectors: 8, then 4 of cluster 9
    Bytes got;
    std::string problem;
    ASSERT_EQ(kFsOk, o.Read("DEMO", &got, &problem));
    EXPECT_EQ(code, got);
    ASSERT_EQ(kFsOk, o.Read("RUNME", &got, &problem));
    EXPECT_EQ(text, got);
    EXPECT_TRUE(o.Codes().empty());

    d.fat[5 + 2] = 0x98;  // cluster 152: past the 152 of the disk
    OpenedDisk past(d.Image());
    EXPECT_EQ(kProbeLikely, past.volume.probe.certainty);
    EXPECT_EQ(kFsBroken, past.Read("PROG", &got, &problem));
    EXPECT_NE(std::string::npos, problem.find("cluster 2 (C 2 H 1 R 1) leads to cluster 152"))
        << problem;
    EXPECT_EQ((std::vector<std::string>{"fs-chain-past", "fs-lost-clusters"}), past.Codes());
}

}  // namespace
