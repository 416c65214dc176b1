// Hu-BASIC disks laid out from the format's description: sectors counted
// from 0 across the disk, clusters of 16, the 2D table one byte a cluster
// and the 2HD one split into low and high bits; each file's listing (size,
// load and start addresses as the entry records them) and bytes.
#include <gtest/gtest.h>

#include "tests/unit/filesystems/test_disk.h"

namespace {

struct HuDisk {
    // 2D: FAT in sector 14, directory 16-31. 2HD: FAT 28-29, directory 32-47.
    explicit HuDisk(bool hd)
        : spt(hd ? 26 : 16), disk(hd ? 77 : 40, 2, hd ? 26 : 16, 256, 0x00), hd(hd) {
        fat.assign(hd ? 512 : 256, 0);
        Link(0, 1), Link(1, 0x8F);
        if (hd) Link(1, 2), Link(2, 0x8F);
    }
    uint8_t* Logical(unsigned l) { return disk.At(l / spt / 2, l / spt % 2, l % spt + 1); }
    void Link(unsigned n, unsigned v) {
        if (!hd) {
            fat[n] = uint8_t(v);
        } else if (v >= 0x80 && v <= 0x8F) {
            fat[n / 128 * 256 + n % 128] = uint8_t(v);  // the end mark, in the low half
        } else {
            fat[n / 128 * 256 + n % 128] = uint8_t(v & 0x7F);
            fat[n / 128 * 256 + 128 + n % 128] = uint8_t(v >> 7);
        }
    }
    void Add(uint8_t mode, const std::string& name16, const std::vector<unsigned>& clusters,
             const Bytes& data, unsigned load, unsigned exec) {
        uint8_t* e = Logical((hd ? 32 : 16) + entries / 8) + entries % 8 * 32;
        ++entries;
        e[0] = mode;
        std::memcpy(e + 1, name16.data(), 16);
        e[0x11] = 0x20;
        e[0x12] = uint8_t(data.size()), e[0x13] = uint8_t(data.size() >> 8);
        e[0x14] = uint8_t(load), e[0x15] = uint8_t(load >> 8);
        e[0x16] = uint8_t(exec), e[0x17] = uint8_t(exec >> 8);
        e[0x1E] = uint8_t(clusters[0]), e[0x1F] = uint8_t(clusters[0] >> 8);
        for (size_t i = 0; i < clusters.size(); ++i) {
            unsigned k = 0;
            for (; k < 16 && (i * 16 + k) * 256 < data.size(); ++k) {
                size_t at = (i * 16 + k) * 256;
                std::memcpy(Logical(clusters[i] * 16 + k), &data[at],
                            std::min<size_t>(256, data.size() - at));
            }
            Link(clusters[i], i + 1 < clusters.size() ? clusters[i + 1] : 0x80 + k - 1);
        }
    }
    Bytes Image() {
        std::memset(Logical(hd ? 32 : 16) + entries * 32, 0xFF, 32);
        for (unsigned k = 0; k < fat.size() / 256; ++k)
            std::memcpy(Logical((hd ? 28 : 14) + k), &fat[k * 256], 256);
        return disk.Image();
    }
    unsigned spt;
    TestDisk disk;
    bool hd;
    Bytes fat;
    unsigned entries = 0;
};

Bytes Pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(seed + i * 5);
    return b;
}

TEST(HuBasic, ListsAndReads2dAnd2hdDisks) {
    for (bool hd : {false, true}) {
        HuDisk d(hd);
        Bytes code = Pattern(5000, 1), text = Text("10 PRINT\r\n"), big = Pattern(9000, 2);
        d.Add(0x01, "game         bin", {3, 8}, code, 0x3000, 0x3010);
        d.Add(0x44, "NOTE         TXT", {4}, text, 0, 0);  // ASCII, read-only
        // On 2HD the chain climbs past cluster 127, where the high bits count.
        d.Add(0x02, "PROG         BAS", {5, hd ? 200u : 60u, 6}, big, 0, 0);
        d.Add(0x00, "OLD             ", {7}, text, 0, 0);
        OpenedDisk o(d.Image());
        ASSERT_EQ(kHuBasic, o.volume.probe.kind) << o.volume.probe.why;
        EXPECT_EQ(kProbeSure, o.volume.probe.certainty);
        const DiskFile* f = o.File("game.bin");
        ASSERT_TRUE(f);
        EXPECT_EQ(kFileMachine, f->kind);
        EXPECT_EQ(5000u, f->size);
        EXPECT_EQ(0x3000u, f->load);
        EXPECT_EQ(0x3010u, f->exec);
        ASSERT_TRUE(o.File("NOTE.TXT"));
        EXPECT_EQ(kFileAscii, o.File("NOTE.TXT")->kind);
        EXPECT_TRUE(o.File("NOTE.TXT")->protectedFile);
        ASSERT_TRUE(o.File("OLD"));
        EXPECT_TRUE(o.File("OLD")->deleted);
        Bytes got;
        std::string problem;
        ASSERT_EQ(kFsOk, o.Read("game.bin", &got, &problem)) << problem;
        EXPECT_EQ(code, got);
        ASSERT_EQ(kFsOk, o.Read("PROG.BAS", &got, &problem)) << problem;
        EXPECT_EQ(big, got);
        // The deleted entry's cluster is still linked: nobody reaches it.
        EXPECT_EQ(std::vector<std::string>{"fs-lost-clusters"}, o.Codes()) << hd;
    }
}

}  // namespace
