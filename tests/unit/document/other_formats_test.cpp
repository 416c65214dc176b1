// What the window takes a file as, the D88 image it makes of a disk, and
// the names of exported files.
#include "document/other_formats.h"

#include <gtest/gtest.h>

#include "store/sector_view.h"
#include "tests/support/fault_memory.h"

namespace {

TEST(OtherFormats, AFileIsTakenAsItsBytesSayAndAskedAboutUnlessItsNameAgrees) {
    const struct {
        const char* name;
        ImageFormat content, taken;
        bool recognised;
    } rows[] = {
        {"GAME.D88", kFormatHfe, kFormatD88, true},   // .d88 and .88d: as they are
        {"game.88d", kFormatUnknown, kFormatD88, true},
        {"GAME.HFE", kFormatHfe, kFormatHfe, true},   // name and bytes agree
        {"disk.hdm", kFormatRaw, kFormatRaw, true},
        {"GAME.D77", kFormatD88, kFormatD88, true},
        {"GAME.DSK", kFormatRaw, kFormatRaw, false},  // bytes alone
        {"GAME.IMG", kFormatD88, kFormatD88, false},  // bytes against the name
        {"GAME.HDM", kFormatUnknown, kFormatRaw, false},  // read as named, to say why not
        {"GAME.D77", kFormatUnknown, kFormatD88, false},
        {"notes.txt", kFormatUnknown, kFormatD88, false},  // whatever it holds
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        ImportPlan plan = PlanImport(rows[i].name, rows[i].content);
        EXPECT_EQ(rows[i].taken, plan.format) << rows[i].name;
        EXPECT_EQ(rows[i].recognised, plan.recognised) << rows[i].name;
    }
}

TEST(OtherFormats, TheDiskFollowsTheOldBytesAsOneD88Image) {
    Disk disk;
    Sector s = {0, 0, 1, 1, 0, 0, 0, std::vector<uint8_t>(256, 0xE5)};
    ASSERT_TRUE(AddSector(&disk, &disk.At(0), s));
    FaultMemory mem;
    const uint8_t old[3] = {1, 2, 3};
    uint8_t* block = nullptr;
    uint32_t added = 0;
    ASSERT_TRUE(AppendD88Image(mem, old, 3, disk, &block, &added));
    EXPECT_EQ(D88Size(disk), added);
    std::vector<uint8_t> d88(added);
    WriteD88(disk, d88.data());
    EXPECT_EQ(std::vector<uint8_t>(old, old + 3), std::vector<uint8_t>(block, block + 3));
    EXPECT_EQ(d88, std::vector<uint8_t>(block + 3, block + 3 + added));
    mem.Release(block, 3 + added);

    mem.RefuseAllAllocations(true);
    EXPECT_FALSE(AppendD88Image(mem, old, 3, disk, &block, &added));
    EXPECT_EQ(nullptr, block);
    EXPECT_EQ(0u, mem.liveBlocks());
}

TEST(OtherFormats, AnExportedFileIsNamedForTheFormatItHolds) {
    const struct {
        const char* given;
        ImageFormat written;
        const char* target;
    } rows[] = {
        {"GAME A.HFE", kFormatHfe, "GAME A.HFE"},
        {"GAME A.imd", kFormatImd, "GAME A.imd"},  // the name's format before the filter's
        {"GAME A", kFormatHfe, "GAME A.HFE"},
        {"GAME.D88", kFormatHfe, "GAME.HFE"},      // no other bytes under a D88 name
        {"GAME.BIN", kFormatHfe, "GAME.BIN"},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        std::string target;
        EXPECT_EQ(rows[i].written, ExportTarget(rows[i].given, kFormatHfe, ".HFE", &target))
            << rows[i].given;
        EXPECT_EQ(rows[i].target, target);
    }
    EXPECT_EQ("GAME A.IMD", NameForFilter("GAME A.HFE", ".IMD"));
    EXPECT_EQ("GAME A.BIN", NameForFilter("GAME A.BIN", ".IMD"));
}

}  // namespace
