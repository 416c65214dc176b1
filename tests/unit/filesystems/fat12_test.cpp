// FAT12 disks written by an independent writer (dosfstools' mkfs.fat,
// mtools' mmd and mcopy) in each floppy layout, their 0x55AA removed: the
// listing must be mtools' own (mdir), every file's bytes what mcopy put
// there. Then a disk of 256-byte sectors laid out here, with a Shift-JIS
// name, a name that starts with 0xE5, FAT copies that differ, and a folder
// that holds itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "tests/unit/filesystems/test_disk.h"
#include "tests/unit/scratch_dir.h"

namespace {

std::string Shell(const std::string& command) {
    std::string out;
    FILE* p = popen(("MTOOLS_SKIP_CHECK=1 " + command + " 2>&1").c_str(), "r");
    if (!p) return out;
    char buf[512];
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    return pclose(p) == 0 ? out : "FAILED: " + command + "\n" + out;
}

bool HaveMtools() {
    return Shell("command -v mkfs.fat mcopy mdir mmd").find("FAILED") == 0 ? false : true;
}

Bytes Pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(seed * 31 + i * 13 + i / 251);
    return b;
}

TEST(Fat12, AgreesWithMtoolsOnEveryFloppyLayout) {
    if (!HaveMtools()) GTEST_SKIP() << "dosfstools and mtools are not installed";
    struct Layout {
        const char* what;
        const char* mkfs;
        unsigned kib, heads, spt, size;  // mkfs.fat counts KiB
    } layouts[] = {
        {"PC-98 2HD", "-S 1024 -s 1 -f 2 -r 192 -M 0xFE", 1232, 2, 8, 1024},
        {"1.44 MB", "-S 512 -s 1 -f 2 -r 224 -M 0xF0", 1440, 2, 18, 512},
        {"MSX-DOS 720 KB", "-S 512 -s 2 -f 2 -r 112 -M 0xF9", 720, 2, 9, 512},
        {"PC-98 2DD 640 KB", "-S 512 -s 2 -f 2 -r 112 -M 0xFB", 640, 2, 8, 512},
    };
    const std::vector<std::pair<std::string, Bytes> > files = {
        {"A.TXT", Text("hello\r\n")},
        {"BIG.BIN", Pattern(150000, 1)},
        {"EMPTY.TXT", Bytes()},
        {"SUB/B.DAT", Pattern(3000, 2)},
        {"SUB/DEEP/C.DAT", Pattern(5, 3)},
        {"GONE.TXT", Pattern(100, 4)},
    };
    for (const Layout& l : layouts) {
        ScratchDir dir;
        const std::string raw = dir.File("disk.raw"), in = " -i " + raw;
        ASSERT_EQ("", Shell("mkfs.fat -F 12 -C " + std::string(l.mkfs) + " " + raw + " " +
                            std::to_string(l.kib) + " >/dev/null"))
            << l.what;
        ASSERT_EQ("", Shell("mmd" + in + " ::/SUB ::/SUB/DEEP"));
        for (size_t k = 0; k < files.size(); ++k) {
            PutFile(dir.File("f" + std::to_string(k)), files[k].second);
            ASSERT_EQ("", Shell("mcopy" + in + " " + dir.File("f" + std::to_string(k)) + " ::/" +
                                files[k].first));
        }
        ASSERT_EQ("", Shell("mdel" + in + " ::/GONE.TXT"));
        Bytes image;
        ASSERT_TRUE(GetFile(raw, &image));
        image[510] = image[511] = 0;  // MSX-DOS disks have no 0x55AA
        OpenedDisk o(TestDisk::FromRaw(image, l.heads, l.spt, l.size).Image());
        ASSERT_EQ(kFat12, o.volume.probe.kind) << l.what << ": " << o.volume.probe.why;

        std::set<std::string> mtools, ours;
        std::string listing = Shell("mdir -b -/" + in + " ::/");
        for (size_t at = 0, end; (end = listing.find('\n', at)) != std::string::npos; at = end + 1)
            mtools.insert(listing.substr(at + 3, end - at - 3));  // after "::/"
        for (const DiskFile& f : o.volume.files)
            if (!f.deleted) ours.insert(DisplayName(f) + (f.kind == kFileFolder ? "/" : ""));
        EXPECT_EQ(mtools, ours) << l.what;
        for (size_t k = 0; k + 1 < files.size(); ++k) {
            Bytes got;
            std::string problem;
            ASSERT_EQ(kFsOk, o.Read(files[k].first, &got, &problem)) << l.what << ": " << problem;
            EXPECT_TRUE(got == files[k].second) << l.what << ": " << files[k].first;
        }
        ASSERT_TRUE(o.File("?ONE.TXT"));
        EXPECT_TRUE(o.File("?ONE.TXT")->deleted);
        EXPECT_TRUE(o.Codes().empty()) << l.what;
    }
}

// 40 x 2 x 16 x 256: one reserved sector, two FATs of four sectors, 64 root
// entries (8 sectors from logical sector 9), clusters of 2 sectors from
// logical sector 17.
struct SmallFat {
    TestDisk disk{40, 2, 16, 256, 0x00};
    Bytes fat = Bytes(256, 0);
    SmallFat() {
        Bytes boot(256, 0);
        const uint8_t bpb[] = {0x00, 0x01, 2, 1, 0, 2, 64, 0, 0x00, 0x05, 0xFE, 4, 0};
        std::memcpy(&boot[0x0B], bpb, sizeof bpb);  // 1280 sectors, media 0xFE
        disk.Put(0, 0, 1, 0, boot);
        fat[0] = 0xFE, fat[1] = fat[2] = 0xFF;
    }
    void Link(unsigned n, unsigned v) {
        const size_t at = n + n / 2;
        if (n & 1)
            fat[at] = uint8_t((fat[at] & 0x0F) | (v << 4)), fat[at + 1] = uint8_t(v >> 4);
        else
            fat[at] = uint8_t(v), fat[at + 1] = uint8_t((fat[at + 1] & 0xF0) | (v >> 8));
    }
    uint8_t* Logical(unsigned l) { return disk.At(l / 32, l / 16 % 2, l % 16 + 1); }
    uint8_t* Cluster(unsigned n) { return Logical(17 + (n - 2) * 2); }
    void Entry(uint8_t* at, const std::string& name11, uint8_t attr, unsigned first,
               unsigned size) {
        std::memcpy(at, name11.data(), 11);
        at[11] = attr;
        at[26] = uint8_t(first), at[27] = uint8_t(first >> 8);
        for (int k = 0; k < 4; ++k) at[28 + k] = uint8_t(size >> (8 * k));
    }
    Bytes Image(bool sameCopies = true) {
        disk.Put(0, 0, 2, 0, fat);
        if (sameCopies) disk.Put(0, 0, 6, 0, fat);
        return disk.Image();
    }
};

TEST(Fat12, SectorsOf256BytesShiftJisNamesAndBrokenFolders) {
    SmallFat d;
    uint8_t* root = d.Logical(9);
    d.Entry(root, "\x83\x65\x83\x58\x83\x67  TXT", 0x20, 2, 600);  // テスト.TXT
    d.Entry(root + 32, "\x05\x40      DAT", 0x20, 4, 10);          // 0xE5 0x40 as its first pair
    d.Entry(root + 64, "LOOP       ", 0x10, 5, 0);
    d.Link(2, 3), d.Link(3, 0xFFF), d.Link(4, 0xFFF), d.Link(5, 0xFFF);
    Bytes text = Pattern(600, 5);  // a cluster of 512 bytes and 88 of the next
    for (unsigned k = 0; k < 3; ++k)
        std::memcpy(d.Logical(17 + k), &text[256 * k], k < 2 ? 256 : 88);
    // The folder holds itself (a second entry for its own cluster).
    d.Entry(d.Cluster(5), "SELF       ", 0x10, 5, 0);
    OpenedDisk o(d.Image());
    ASSERT_EQ(kFat12, o.volume.probe.kind) << o.volume.probe.why;
    Bytes got;
    std::string problem;
    ASSERT_EQ(kFsOk, o.Read("\x83\x65\x83\x58\x83\x67.TXT", &got, &problem)) << problem;
    EXPECT_EQ(text, got);
    EXPECT_TRUE(o.File("\xE5\x40.DAT"));
    EXPECT_TRUE(o.File("LOOP/SELF"));
    EXPECT_FALSE(o.File("LOOP/SELF/SELF"));
    EXPECT_EQ(std::vector<std::string>{"fs-chain-cross"}, o.Codes());

    // Copy 2 of the FAT differs: read copy 1, say so.
    d.Link(4, 0x000);
    OpenedDisk differ(d.Image(false));
    std::vector<std::string> codes = differ.Codes();
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), "fs-fat-copies"));
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), "fs-entry-free"));
}

}  // namespace
