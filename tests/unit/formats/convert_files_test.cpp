// Conversions of files: a container to a file per image named as extract
// names them, and every failure made real (reads and writes that fail, a
// refused allocation, a full or read-only target, a source that changes,
// a target that exists or is the source), with nothing left behind and the
// source as it was.
#include "formats/convert_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "formats/disk.h"
#include "tests/support/fault_files.h"
#include "tests/support/fault_memory.h"
#include "tests/unit/scratch_dir.h"
#include "tests/unit/test_images.h"

namespace {

class ConvertFiles : public ::testing::Test {
protected:
    void SetUp() override {
        container = MakeDisk(kMedia2HD, 154, 2, 8, 3, "DISK A");
        Append(&container, MakeDisk(kMedia2HD, 154, 2, 8, 3, "DISK B"));
        path = dir.File("GAME.D88");
        PutFile(path, container);
    }
    // Opens, reports and writes GAME.D88 (or image `index`) to `to`, one
    // target per image named as extract names them.
    bool Convert(ImageFormat to, MemoryApi& mem, bool replace = false, int index = -1) {
        if (!OpenConvertSource(files, path, kFormatUnknown, index >= 0,
                               static_cast<uint32_t>(index), &source, &failure))
            return false;
        std::vector<ConvertReport> reports;
        if (!ReportConvertSource(files, source, to, DefaultConvertOptions(), &reports, &failure))
            return false;
        targets.clear();
        for (size_t k = 0; k < source.images.size(); ++k) {
            std::string name;
            EXPECT_TRUE(ConvertTargetName(dir.path(), "GAME.D88", source.images[k].fields.name,
                                          ExtensionOf(to, reports[k].geometry), &name));
            targets.push_back(name);
        }
        if (before) before();
        size_t placed = 0;
        return WriteConversion(files, mem, source, to, DefaultConvertOptions(), targets, replace,
                               &placed, &failure);
    }
    // Only the source is left, as it was.
    void NothingLeft() {
        EXPECT_EQ(std::vector<std::string>(1, "GAME.D88"), dir.Names());
        Bytes now;
        ASSERT_TRUE(GetFile(path, &now));
        EXPECT_TRUE(now == container);
        EXPECT_EQ(0u, files.openHandles());
    }
    ScratchDir dir;
    FaultFiles files;
    FaultMemory mem;
    Bytes container;
    std::string path;
    ConvertSource source;
    ConvertFailure failure;
    std::vector<std::string> targets;
    std::function<void()> before;
};

TEST_F(ConvertFiles, AContainerBecomesAFilePerImageNamedAsExtractNamesThem) {
    ASSERT_TRUE(Convert(kFormatHfe, mem)) << failure.io.result;
    EXPECT_EQ(dir.File("GAME DISK A.HFE"), targets[0]);
    Bytes hfe;
    ASSERT_TRUE(GetFile(dir.File("GAME DISK B.HFE"), &hfe));
    EXPECT_EQ(0, std::memcmp(hfe.data(), "HXCPICFE", 8));
    EXPECT_EQ(0u, mem.liveBlocks());
    // Image 1 alone, to D88: its bytes as they are.
    ASSERT_TRUE(Convert(kFormatD88, mem, false, 1));
    Bytes d88;
    ASSERT_TRUE(GetFile(dir.File("GAME DISK B.D88"), &d88));
    EXPECT_TRUE(d88 == Bytes(container.begin() + container.size() / 2, container.end()));
    EXPECT_FALSE(Convert(kFormatD88, mem, false, 2));
    EXPECT_TRUE(failure.noImage);
}

TEST_F(ConvertFiles, FailuresLeaveNothingBehind) {
    files.failWriteAfter = 4000000;  // within the second file
    EXPECT_FALSE(Convert(kFormatHfe, mem));
    EXPECT_EQ(kIoWriteFailed, failure.io.result);
    NothingLeft();
    files.failWriteAfter = -1;
    mem.RefuseAllAllocations(true);
    EXPECT_FALSE(Convert(kFormatHfe, mem));
    EXPECT_EQ(kIoNoMemory, failure.io.result);
    NothingLeft();
    mem.RefuseAllAllocations(false);
    // While the second image is read (the first takes 80 reads of 16 KiB).
    before = [this]() { files.failReadAt = files.reads + 100; };
    EXPECT_FALSE(Convert(kFormatImd, mem));
    EXPECT_EQ(kIoReadFailed, failure.io.result);
    NothingLeft();
    before = [this]() {  // another program saves over the source
        PutFile(path + ".new", Bytes(5));
        std::rename((path + ".new").c_str(), path.c_str());
    };
    EXPECT_FALSE(Convert(kFormatImd, mem));
    EXPECT_EQ(kIoSourceChanged, failure.io.result);
}

TEST_F(ConvertFiles, NoTargetThatExistsOrIsTheSourceIsReplaced) {
    PutFile(dir.File("GAME DISK B.HFE"), Bytes(3, 'x'));
    EXPECT_FALSE(Convert(kFormatHfe, mem));
    EXPECT_EQ(kIoExists, failure.io.result);
    Bytes old;
    ASSERT_TRUE(GetFile(dir.File("GAME DISK B.HFE"), &old));
    EXPECT_EQ(3u, old.size());
    EXPECT_TRUE(Convert(kFormatHfe, mem, true));
    size_t placed = 0;
    std::vector<std::string> self(1, path);
    EXPECT_FALSE(WriteConversion(files, mem, source, kFormatD88, DefaultConvertOptions(), self,
                                 true, &placed, &failure));
    EXPECT_EQ(path, failure.io.other);
}

TEST_F(ConvertFiles, AFullOrReadOnlyTargetIsSaidSo) {
    SmallDisk disk(dir.File("disk"), "1m");
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    size_t placed = 0;
    ASSERT_TRUE(OpenConvertSource(files, path, kFormatUnknown, true, 0, &source, &failure));
    std::vector<std::string> into(1, dir.File("disk/A.HFE"));  // 3 MiB in 1 MiB
    EXPECT_FALSE(WriteConversion(files, mem, source, kFormatHfe, DefaultConvertOptions(), into,
                                 false, &placed, &failure));
    EXPECT_EQ(kIoWriteFailed, failure.io.result);
    EXPECT_TRUE(disk.Names().empty());
    ASSERT_TRUE(disk.Remount("ro"));
    EXPECT_FALSE(WriteConversion(files, mem, source, kFormatImd, DefaultConvertOptions(), into,
                                 false, &placed, &failure));
    EXPECT_EQ(kIoCreateFailed, failure.io.result);
}

}  // namespace
