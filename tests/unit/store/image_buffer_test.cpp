// The walk over images and the growth of the image buffer.
#include "store/image_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "store/d88.h"
#include "tests/support/fault_memory.h"
#include "tests/unit/test_images.h"

namespace {

// The step the list uses: the image's size, read from its header.
struct Walk {
    MemoryApi* mem;
    const uint8_t* base;
    uint32_t size;
    std::vector<uint32_t> seen;
};

uint32_t HeaderStep(void* ctx, uint32_t off) {
    Walk* w = static_cast<Walk*>(ctx);
    w->seen.push_back(off);
    HeaderFields f;
    return ReadHeader(*w->mem, w->base, w->size, off, &f) ? f.diskSize : 0;
}

// A step that answers fixed values, for positions near the 32-bit end.
struct Answers {
    std::vector<uint32_t> values;
    std::vector<uint32_t> seen;
};

uint32_t FixedStep(void* ctx, uint32_t off) {
    Answers* a = static_cast<Answers*>(ctx);
    size_t i = a->seen.size();
    a->seen.push_back(off);
    return i < a->values.size() ? a->values[i] : 0;
}

TEST(WalkImages, FollowsTheSizesOfAThousandAnd688) {
    std::vector<uint8_t> file = MakeImage(1000, "A", 1);
    Append(&file, MakeImage(688, "B", 2));
    ASSERT_EQ(1688u, file.size());
    FaultMemory mem;
    Walk w = {&mem, file.data(), 1688, {}};
    EXPECT_TRUE(WalkImages(0, 1688, HeaderStep, &w));
    EXPECT_EQ((std::vector<uint32_t>{0, 1000}), w.seen);
}

TEST(WalkImages, AZeroSizeIsListedAndStopsTheWalk) {
    std::vector<uint8_t> file = MakeImage(688, "A", 1);
    Append(&file, MakeImage(688, "B", 2));
    Append(&file, MakeImage(688, "C", 3));
    WriteLe32(&file[688 + kOffDiskSize], 0);
    FaultMemory mem;
    Walk w = {&mem, file.data(), static_cast<uint32_t>(file.size()), {}};
    EXPECT_FALSE(WalkImages(0, w.size, HeaderStep, &w));
    EXPECT_EQ((std::vector<uint32_t>{0, 688}), w.seen);
}

TEST(WalkImages, ASizeBeyondTheEndListsThatImageAndEnds) {
    std::vector<uint8_t> file = MakeImage(688, "A", 1);
    WriteLe32(&file[kOffDiskSize], 100000);
    FaultMemory mem;
    Walk w = {&mem, file.data(), 688, {}};
    EXPECT_TRUE(WalkImages(0, 688, HeaderStep, &w));
    EXPECT_EQ(1u, w.seen.size());
}

TEST(WalkImages, NeverWrapsPastTheLastOffset) {
    Answers a;
    a.values = {0x10, 0xFFFFFFF0u};  // the second would carry past 0xFFFFFFFF
    EXPECT_TRUE(WalkImages(0xFFFFFF00u, 0xFFFFFFFFu, FixedStep, &a));
    EXPECT_EQ((std::vector<uint32_t>{0xFFFFFF00u, 0xFFFFFF10u}), a.seen);

    Answers exact;
    exact.values = {0xFF};  // lands exactly on 0xFFFFFFFF, which is the end
    EXPECT_TRUE(WalkImages(0xFFFFFF00u, 0xFFFFFFFFu, FixedStep, &exact));
    EXPECT_EQ(1u, exact.seen.size());
}

TEST(WalkImages, AnEmptyStretchIsComplete) {
    Answers a;
    EXPECT_TRUE(WalkImages(700, 700, FixedStep, &a));
    EXPECT_TRUE(a.seen.empty());
}

class GrowTest : public ::testing::TestWithParam<uint32_t> {};

TEST_P(GrowTest, KeepsEveryOldByteAtItsOffset) {
    FaultMemory mem(256);
    uint32_t oldSize = GetParam();
    uint8_t* old = mem.Allocate(oldSize);
    for (uint32_t i = 0; i < oldSize; ++i) old[i] = static_cast<uint8_t>(i * 7 + 3);
    mem.ClearLockLog();

    uint8_t* grown = GrowBlock(mem, old, oldSize, 688);
    ASSERT_NE(nullptr, grown);
    EXPECT_EQ(0, std::memcmp(old, grown, oldSize));
    for (uint32_t i = 0; i < 688; ++i) ASSERT_EQ(0, grown[oldSize + i]);

    // One lock per chunk in each block, none reaching past a block's end.
    uint32_t chunks = (oldSize + 255) / 256;
    EXPECT_EQ(2 * chunks, mem.locks().size());
    EXPECT_TRUE(mem.errors().empty()) << mem.errors()[0];
    EXPECT_EQ(0u, mem.heldLocks());

    ReleaseBlock(mem, old, oldSize);
    ReleaseBlock(mem, grown, oldSize + 688);
    EXPECT_EQ(0u, mem.liveBlocks());
}

INSTANTIATE_TEST_SUITE_P(OldSizes, GrowTest, ::testing::Values(1u, 255u, 256u, 257u, 1000u, 1688u));

TEST(Grow, AnEmptyBufferCopiesNothing) {
    FaultMemory mem;
    uint8_t* grown = GrowBlock(mem, nullptr, 0, 688);
    ASSERT_NE(nullptr, grown);
    EXPECT_TRUE(mem.locks().empty());
    ReleaseBlock(mem, grown, 688);
    EXPECT_EQ(0u, mem.liveBlocks());
}

TEST(Grow, RefusesSizesPast32BitsAndRefusedMemory) {
    FaultMemory mem;
    uint8_t* old = mem.Allocate(16);
    old[0] = 9;
    EXPECT_EQ(nullptr, GrowBlock(mem, old, 16, 0xFFFFFFF0u));
    EXPECT_EQ(1, mem.allocations());  // nothing was even asked for
    mem.RefuseAllocation(2);
    EXPECT_EQ(nullptr, GrowBlock(mem, old, 16, 688));
    EXPECT_EQ(nullptr, GrowBlock(mem, nullptr, 0, 0));  // 0 bytes are refused
    EXPECT_EQ(1u, mem.liveBlocks());
    EXPECT_EQ(9, old[0]);
    ReleaseBlock(mem, old, 16);
    ReleaseBlock(mem, nullptr, 0);
    EXPECT_EQ(0u, mem.liveBlocks());
    EXPECT_TRUE(mem.errors().empty());
}

TEST(Grow, LockFailuresDoNotStopTheCopy) {
    FaultMemory mem(64);
    uint8_t* old = mem.Allocate(200);
    std::memset(old, 0x5A, 200);
    mem.RefuseLocks(true);
    uint8_t* grown = GrowBlock(mem, old, 200, 10);
    ASSERT_NE(nullptr, grown);
    EXPECT_EQ(0, std::memcmp(old, grown, 200));
    EXPECT_EQ(0u, mem.heldLocks());
    EXPECT_TRUE(mem.errors().empty());
}

TEST(WalkHeaderReader, LocksEachPageOnceAndTheNextWhereAHeaderRunsIntoIt) {
    std::vector<uint8_t> file = MakeImage(1024, "A");
    Append(&file, MakeImage(1024, "B"));
    Append(&file, MakeImage(2042, "C"));  // D's header starts 6 bytes before the page ends
    Append(&file, MakeImage(700, "D"));
    uint32_t size = static_cast<uint32_t>(file.size());
    FaultMemory mem(4096);
    uint8_t* block = mem.Allocate(size);
    std::memcpy(block, file.data(), size);
    std::string names;
    HeaderFields f;
    {
        WalkHeaderReader headers(mem, block, size);
        for (uint32_t off : {0u, 1024u, 2048u, 4090u}) {
            ASSERT_TRUE(headers.Read(off, &f));
            names += f.name;
        }
        EXPECT_FALSE(headers.Read(size, &f));
    }
    EXPECT_EQ("ABCD", names);
    ASSERT_EQ(2u, mem.locks().size());
    EXPECT_EQ(4096u, mem.locks()[0].n);
    EXPECT_EQ(size, mem.locks()[1].n) << "two pages, cut at the block's end";
    EXPECT_EQ(0u, mem.heldLocks());
    mem.RefuseLocks(true);
    WalkHeaderReader refused(mem, block, size);
    EXPECT_FALSE(refused.Read(0, &f));
    mem.Release(block, size);
    EXPECT_TRUE(mem.errors().empty());
}

}  // namespace
