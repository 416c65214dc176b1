// The sector view over crafted images: sectors found by C/H/R with their
// data, a duplicate reported, tracks cut short, the 160-entry table, the
// swapped count, and an image read where it lies in a file (only the
// sectors asked for, a failing read said as such).
#include "store/sector_view.h"

#include <gtest/gtest.h>

#include "tests/support/fault_files.h"
#include "tests/support/fault_memory.h"
#include "tests/unit/scratch_dir.h"
#include "tests/unit/test_images.h"

namespace {

const uint32_t kSector = 16 + 256;  // of MakeDisk(..., n = 1)
uint32_t At(uint32_t t, uint32_t s, uint32_t header = 688) {
    return header + (t * 4 + s) * kSector;
}

SectorFind FindIn(const Bytes& image, uint32_t t, uint8_t c, uint8_t h, uint8_t r,
                  SectorHeader* out, TrackSectors* track = nullptr) {
    FaultMemory mem;
    MemoryImage source(mem, image.data(), 0, static_cast<uint32_t>(image.size()));
    SectorView view(source);
    EXPECT_TRUE(view.Open());
    if (track) {
        EXPECT_TRUE(view.ReadTrack(t, track));
    }
    return view.Find(t, c, h, r, out);
}

TEST(SectorView, FindsSectorsByTheirIdsAndReadsTheirData) {
    Bytes disk = MakeDisk(0x00, 6, 2, 4, 1);
    SectorHeader s;
    ASSERT_EQ(kSectorFound, FindIn(disk, 5, 2, 1, 3, &s));
    EXPECT_EQ(At(5, 2) + 16, s.dataPos);
    EXPECT_EQ(256u, s.available);
    FaultMemory mem;
    MemoryImage source(mem, disk.data(), 0, static_cast<uint32_t>(disk.size()));
    SectorView view(source);
    ASSERT_TRUE(view.Open());
    uint8_t data[300];
    uint32_t got = 0;
    ASSERT_TRUE(view.ReadData(s, data, sizeof data, &got));
    EXPECT_EQ(256u, got);
    EXPECT_EQ(5, data[0]);
    EXPECT_EQ(5, data[255]);
    // An ID the track does not hold, or a C/H the track's sectors do not
    // have, is missing: nothing is guessed from the place in the track.
    EXPECT_EQ(kSectorMissing, FindIn(disk, 5, 2, 1, 9, &s));
    EXPECT_EQ(kSectorMissing, FindIn(disk, 5, 2, 0, 3, &s));
    EXPECT_EQ(kSectorMissing, FindIn(disk, 200, 0, 0, 1, &s));
    // The same ID twice in a track.
    disk[At(1, 3) + 2] = 1;
    EXPECT_EQ(kSectorDuplicate, FindIn(disk, 1, 0, 1, 1, &s));
}

TEST(SectorView, TracksCutShortTheOddTableAndTheSwappedCount) {
    TrackSectors track;
    SectorHeader s;
    Bytes cut = MakeDisk(0x00, 2, 2, 4, 1);
    cut.resize(At(1, 2) + 100);  // sector 2 of track 1 holds 100 of its 256 bytes
    ASSERT_EQ(kSectorFound, FindIn(cut, 1, 0, 1, 3, &s, &track));
    EXPECT_EQ(84u, s.available);
    EXPECT_TRUE(track.cut);
    EXPECT_EQ(3u, track.sectors.size());
    // 160 entries: the table's lowest offset is 0x2A0, and the 16 bytes
    // after the table are the first sector's.
    Bytes odd = MakeDisk(0x00, 2, 2, 4, 1, "DISK", 672);
    EXPECT_EQ(kSectorFound, FindIn(odd, 1, 0, 1, 4, &s));
    EXPECT_EQ(At(1, 3, 672) + 16, s.dataPos);
    Bytes swapped = MakeDisk(0x00, 2, 2, 4, 1);
    for (uint32_t k = 0; k < 4; ++k) swapped[At(0, k) + 4] = 0, swapped[At(0, k) + 5] = 4;
    ASSERT_EQ(kSectorFound, FindIn(swapped, 0, 0, 0, 4, &s, &track));
    EXPECT_EQ(4u, track.sectors.size());
    // Entries that lead nowhere.
    Bytes bad = MakeDisk(0x00, 2, 2, 4, 1);
    WriteLe32(&bad[0x24], 0xFFFFFFFF);
    EXPECT_EQ(kSectorMissing, FindIn(bad, 1, 0, 1, 1, &s, &track));
    EXPECT_EQ(kTrackBadEntry, track.state);
}

TEST(SectorView, AnImageInAFileIsReadOnlyWhereAsked) {
    ScratchDir dir;
    Bytes first = MakeDisk(0x00, 2, 2, 4, 1), second = MakeDisk(0x00, 40, 2, 16, 1);
    Bytes file = first;
    Append(&file, second);
    std::string path = dir.File("two.d88");
    PutFile(path, file);
    FaultFiles files;
    FileApi::Handle h = files.OpenRead(path.c_str());
    ASSERT_TRUE(h);
    FileImage source(files, h, first.size(), static_cast<uint32_t>(second.size()));
    SectorView view(source);
    ASSERT_TRUE(view.Open());
    SectorHeader s;
    ASSERT_EQ(kSectorFound, view.Find(37, 18, 1, 13, &s));
    uint8_t data[256];
    uint32_t got = 0;
    ASSERT_TRUE(view.ReadData(s, data, sizeof data, &got));
    EXPECT_EQ(37, data[0]);
    EXPECT_LT(source.bytesRead(), second.size() / 4);
    // A read the system refuses is said as such, not as a missing sector.
    files.failReadAt = files.reads + 1;
    EXPECT_EQ(kSectorReadFailed, view.Find(2, 1, 0, 1, &s));
    files.Close(h);
}

}  // namespace
