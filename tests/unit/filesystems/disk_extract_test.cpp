// The files taken out of a disk: which paths they get (safe names, folders
// kept, no two on one path), and the writes through the one writer with
// their failures made real: an existing file, a refused block, a full and
// a read-only target.
#include "filesystems/disk_extract.h"

#include <gtest/gtest.h>

#include "platform/file_api.h"
#include "tests/unit/filesystems/test_disk.h"
#include "tests/unit/scratch_dir.h"

namespace {

FsVolume Volume() {
    N88Disk d;
    d.Add("abc      ", 0x80, {0}, Bytes(256, 1));
    d.Add("ABC      ", 0x80, {1}, Bytes(256, 2));
    d.Add("A*B   BAS", 0x80, {2}, Bytes(256, 3));
    d.Add("con   BAS", 0x80, {3}, Bytes(256, 4));
    return OpenedDisk(d.Image()).volume;
}

TEST(DiskExtract, PlansSafePathsThatNeverMeet) {
    FsVolume v = Volume();
    std::vector<ExtractTarget> plan;
    std::vector<std::string> unknown;
    PlanExtract(v, {}, true, &plan, &unknown);
    ASSERT_EQ(4u, plan.size());
    EXPECT_EQ(std::vector<std::string>{"abc"}, plan[0].parts);
    EXPECT_FALSE(plan[0].changed);
    EXPECT_EQ(std::vector<std::string>{"ABC (2)"}, plan[1].parts);  // Windows folds case
    EXPECT_EQ("another file takes its name", plan[1].why);
    EXPECT_EQ(std::vector<std::string>{"A%2AB.BAS"}, plan[2].parts);
    EXPECT_TRUE(plan[2].changed);
    EXPECT_EQ(std::vector<std::string>{"con_.BAS"}, plan[3].parts);
    PlanExtract(v, {"A%2AB.BAS", "NONE"}, false, &plan, &unknown);
    ASSERT_EQ(1u, plan.size());
    EXPECT_EQ(2u, plan[0].file);
    EXPECT_EQ(std::vector<std::string>{"NONE"}, unknown);
    ExtractTarget deep = {0, {"SUB", "\xB6\xC5", "X.BIN"}, false, ""};
    EXPECT_EQ("out/SUB/\xEF\xBD\xB6\xEF\xBE\x85/X.BIN", ExtractPath("out", deep));
}

TEST(DiskExtract, WritesThroughTheOneWriterAndKeepsWhatIsThere) {
    ScratchDir dir;
    FaultMemory memory;
    FileApi& files = SystemFiles();
    ExtractTarget t = {0, {"SUB", "DEEP", "X.BIN"}, false, ""};
    Bytes data(5000, 0x42), got;
    ASSERT_TRUE(WriteExtracted(files, memory, dir.path(), t, data, false).ok());
    ASSERT_TRUE(GetFile(dir.File("SUB/DEEP/X.BIN"), &got));
    EXPECT_EQ(data, got);
    EXPECT_EQ(kIoExists, WriteExtracted(files, memory, dir.path(), t, Bytes(3, 1), false).result);
    ASSERT_TRUE(GetFile(dir.File("SUB/DEEP/X.BIN"), &got));
    EXPECT_EQ(data, got);
    EXPECT_TRUE(WriteExtracted(files, memory, dir.path(), t, Bytes(), true).ok());  // an empty file
    ASSERT_TRUE(GetFile(dir.File("SUB/DEEP/X.BIN"), &got));
    EXPECT_TRUE(got.empty());
    memory.RefuseAllAllocations(true);
    EXPECT_EQ(kIoNoMemory, WriteExtracted(files, memory, dir.path(), t, data, true).result);
    memory.RefuseAllAllocations(false);
    // A file where a folder is to be made.
    PutFile(dir.File("FILE"), Bytes(1, 0));
    ExtractTarget under = {0, {"FILE", "X"}, false, ""};
    EXPECT_EQ(kIoCreateFailed,
              WriteExtracted(files, memory, dir.path(), under, data, false).result);
    EXPECT_EQ(0u, memory.liveBlocks());
}

TEST(DiskExtract, AFullAndAReadOnlyTarget) {
    ScratchDir dir;
    SmallDisk disk(dir.File("disk"), "64k");
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    FaultMemory memory;
    ExtractTarget t = {0, {"BIG.BIN"}, false, ""};
    EXPECT_EQ(
        kIoWriteFailed,
        WriteExtracted(SystemFiles(), memory, dir.File("disk"), t, Bytes(200000, 7), false).result);
    EXPECT_TRUE(disk.Names().empty());  // nothing half-written is left
    ASSERT_TRUE(disk.Remount("ro"));
    ExtractTarget deep = {0, {"SUB", "X"}, false, ""};
    EXPECT_EQ(
        kIoCreateFailed,
        WriteExtracted(SystemFiles(), memory, dir.File("disk"), deep, Bytes(10, 7), false).result);
    EXPECT_EQ(
        kIoCreateFailed,
        WriteExtracted(SystemFiles(), memory, dir.File("disk"), t, Bytes(10, 7), false).result);
}

}  // namespace
