// The findings of an image held in memory: its own and its file system's,
// in the order of their offsets, counted from its header.
#include "collection/image_findings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/unit/filesystems/test_disk.h"
#include "tests/unit/test_images.h"

namespace {

TEST(ImageFindings, AHeldImageGivesItsOwnAndItsFileSystemsFindingsInOrder) {
    N88Disk d;
    d.Add("LOOP  BAS", 0x80, {3}, Bytes(256, 1));
    d.fat[3] = 3;  // the chain comes back to itself
    Bytes disk = d.Image();
    WriteLe32(&disk[0x20 + 4 * 163], static_cast<uint32_t>(disk.size()) + 100);  // past the end
    Bytes buffer = MakeImage(1000, "FIRST");
    Append(&buffer, disk);
    FaultMemory memory;  // the locks of every read lie inside the block
    uint8_t* block = memory.Allocate(static_cast<uint32_t>(buffer.size()));
    std::copy(buffer.begin(), buffer.end(), block);
    std::vector<Finding> found;
    CheckHeldImage(memory, block, 1000, static_cast<uint32_t>(disk.size()),
                   static_cast<uint32_t>(disk.size()), &found);
    ASSERT_EQ(2u, found.size());
    EXPECT_STREQ("track-past-end", found[0].code);
    EXPECT_EQ(0x20u + 4 * 163, found[0].offset);
    EXPECT_STREQ("fs-chain-loop", found[1].code);
    EXPECT_GT(found[1].offset, found[0].offset);
    EXPECT_LT(found[1].offset, disk.size());
    EXPECT_TRUE(memory.errors().empty());
    memory.Release(block, static_cast<uint32_t>(buffer.size()));
}

}  // namespace
