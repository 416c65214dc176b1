// The listing's texts of each kind of file.
#include "filesystems/files_text.h"

#include <gtest/gtest.h>

namespace {

TEST(FilesText, EachKindOfFileInOneLine) {
    DiskFile f = DiskFile();
    f.name = "GAME.BIN";
    f.charset = kNameJisX0201;
    f.kind = kFileMachine;
    f.hasLoad = f.hasEnd = f.hasExec = true;
    f.load = 0x9000, f.end = 0x90FF, f.exec = 0x9010;
    f.sizeInBytes = true, f.size = 260;
    f.protectedFile = true;
    EXPECT_EQ("GAME.BIN  machine code, load &H9000-&H90FF, start &H9010  260 bytes  protected",
              FileLine(f));
    DiskFile d = DiskFile();
    d.name = "SUB";
    d.folder = "A/";
    d.kind = kFileFolder;
    d.hidden = d.deleted = true;
    EXPECT_EQ("A/SUB  folder  hidden, deleted", FileLine(d));
    d.kind = kFileBasic, d.size = 1, d.deleted = false;
    EXPECT_EQ("1 sector", FileSizeText(d));
    FsVolume v = FsVolume();
    v.probe.kind = kNoFileSystem;
    v.geometry.cylinders = 40, v.geometry.heads = 2, v.geometry.sectorsPerTrack = 16,
    v.geometry.sectorSize = 256;
    EXPECT_EQ("no recognised file system, 40 x 2 x 16 x 256", VolumeText(v));
}

}  // namespace
