// What OpenDiskFiles and ReadDiskFile do with failures made real: a read
// the system refuses, an image cut short, a file another program shortened
// while it was read, and bytes that hold no file system at all.
#include "filesystems/disk_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/fault_files.h"
#include "tests/unit/filesystems/test_disk.h"
#include "tests/unit/scratch_dir.h"

namespace {

Bytes TwoFiles() {
    N88Disk d;
    Bytes data(3 * 2048, 0x5A);
    d.Add("FIRST BAS", 0x80, {0}, Bytes(256, 1));
    d.Add("LAST  BAS", 0x80, {100, 101, 140}, data);  // cylinders 25 and 35
    return d.Image();
}

TEST(DiskFiles, AFailingReadIsSaidAsSuchNotAsAFileSystemProblem) {
    ScratchDir dir;
    const Bytes image = TwoFiles();
    PutFile(dir.File("disk.d88"), image);
    for (int failAt = 1; failAt <= 6; ++failAt) {
        FaultFiles files;
        FileApi::Handle h = files.OpenRead(dir.File("disk.d88").c_str());
        ASSERT_TRUE(h);
        FileImage source(files, h, 0, static_cast<uint32_t>(image.size()));
        SectorView view(source);
        ASSERT_TRUE(view.Open());
        files.failReadAt = files.reads + failAt;
        FsVolume v;
        FsStatus opened = OpenDiskFiles(view, &v);
        if (opened == kFsOk) {
            // The fault came after the directory: reading a file meets it,
            // or the file was already read whole.
            EXPECT_EQ(kN88Basic, v.probe.kind);
            files.failReadAt = files.reads + 1;
            Bytes got;
            std::string problem;
            EXPECT_EQ(kFsIoFailed, ReadDiskFile(view, v, 1, &got, &problem)) << failAt;
        } else {
            EXPECT_EQ(kFsIoFailed, opened) << failAt;
        }
        files.Close(h);
    }
}

TEST(DiskFiles, AShortenedImageAndAShortenedFile) {
    Bytes image = TwoFiles();
    image.resize(688 + 4352 * 39);  // cylinder 19 head 1 on is gone
    OpenedDisk cut(image);
    ASSERT_EQ(kN88Basic, cut.volume.probe.kind);
    Bytes got;
    std::string problem;
    EXPECT_EQ(kFsOk, cut.Read("FIRST.BAS", &got, &problem));
    EXPECT_EQ(kFsBroken, cut.Read("LAST.BAS", &got, &problem));
    EXPECT_NE(std::string::npos, problem.find("sector C 25 H 0 R 1 is missing (cluster 100"))
        << problem;

    // Another program shortens the file between the walk and the read.
    ScratchDir dir;
    const Bytes whole = TwoFiles();
    PutFile(dir.File("disk.d88"), whole);
    FaultFiles files;
    FileApi::Handle h = files.OpenRead(dir.File("disk.d88").c_str());
    FileImage source(files, h, 0, static_cast<uint32_t>(whole.size()));
    SectorView view(source);
    ASSERT_TRUE(view.Open());
    FsVolume v;
    ASSERT_EQ(kFsOk, OpenDiskFiles(view, &v));
    ASSERT_EQ(0, truncate(dir.File("disk.d88").c_str(), 688 + 4352 * 20));
    EXPECT_EQ(kFsIoFailed, ReadDiskFile(view, v, 1, &got, &problem));
    files.Close(h);
}

TEST(DiskFiles, BytesOfNoFileSystemSayWhyEachReaderPassed) {
    TestDisk disk(40, 2, 16, 256);
    for (unsigned c = 0; c < 40; ++c)
        for (unsigned r = 1; r <= 16; ++r) {
            uint8_t *a = disk.At(c, 0, r), *b = disk.At(c, 1, r);
            for (unsigned i = 0; i < 256; ++i) a[i] = b[i] = uint8_t(c * r + i * 29);
        }
    OpenedDisk o(disk.Image());
    EXPECT_EQ(kFsOk, o.status);
    EXPECT_EQ(kNoFileSystem, o.volume.probe.kind);
    for (const char* name : {"FAT12: ", "N88-BASIC: ", "Hu-BASIC: ", "F-BASIC: "})
        EXPECT_NE(std::string::npos, o.volume.probe.why.find(name)) << o.volume.probe.why;
    EXPECT_TRUE(o.volume.files.empty());
    Bytes blank(688, 0);
    blank[0x1C] = 688 & 0xFF, blank[0x1D] = 688 >> 8;  // a header only, as a blank disk is
    OpenedDisk header(blank);
    EXPECT_EQ("the image holds no tracks", header.volume.probe.why);
}

}  // namespace
