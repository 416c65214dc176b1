// The checks of one image, row by row: one crafted image per finding code
// (its findings and their offsets, exactly), the images that must stay
// clean, and one read from behind the chunk. Each row goes through the
// scanner over a real file, so the reading is the command's.
#include "collection/image_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <utility>

#include "collection/image_scan.h"
#include "platform/memory.h"
#include "tests/unit/scratch_dir.h"
#include "tests/unit/test_images.h"

namespace {

typedef std::vector<std::pair<std::string, uint64_t> > Found;

struct Row {
    const char* name;
    Bytes bytes;
    Found expected;
};

// What a row's findings say, for the rows whose sentences count.
const std::map<std::string, std::string> kSays = {
    {"size-past-file", "; 5 of its tracks lie wholly past the end"},
    {"a table cut short",
     "after 3 of its 164 entries, and 2 of the tracks they name lie wholly past the end"},
    {"media-geometry",
     "154 of its 154 tracks hold more data than a 2D track can (track 0: 8192 bytes in 8 "
     "sectors): the tracks suggest a 2HD disk"},
    {"2DD said 2D", "reach cylinder 79 (track 159), past the 42 of a 2D drive"},
    {"2DD said 2HD", "the tracks suggest a 2DD disk"},
};

// The small disk the rows change: 8 tracks of 4 sectors of 256 bytes.
const uint32_t kTrack = 4 * 272;
uint32_t S(uint32_t t, uint32_t s) { return 688 + t * kTrack + s * 272; }

Bytes Small(std::function<void(Bytes&)> change = nullptr) {
    Bytes b = MakeDisk(0x00, 8, 2, 4, 1);
    if (change) change(b);
    return b;
}

std::vector<Row> Rows() {
    const uint32_t size = S(8, 0);
    Bytes big = MakeDisk(0x20, 2, 2, 33, 8);  // tracks longer than one chunk
    WriteLe32(&big[0x24], 688 + 32784);       // track 1 starts at track 0's sector 1
    Bytes cut = MakeDisk(0x00, 80, 2, 16, 1);
    WriteLe32(&cut[0x24], ReadLe32(&cut[0x20]));  // entries 0 and 1 name one track
    cut.resize(0x20 + 4 * 3);                     // the file ends after 3 entries
    // A 2D disk with one track longer than a 2D track can be (a protection).
    Bytes guarded = MakeDisk(0x00, 80, 2, 16, 1), longTrack = MakeDisk(0x00, 1, 1, 30, 1);
    WriteLe32(&guarded[0x20 + 4 * 80], static_cast<uint32_t>(guarded.size()));
    guarded.insert(guarded.end(), longTrack.begin() + 688, longTrack.end());
    WriteLe32(&guarded[28], static_cast<uint32_t>(guarded.size()));
    return {
        {"size-zero", Small([](Bytes& b) { WriteLe32(&b[28], 0); }), {{"size-zero", 28}}},
        {"size-below-header", MakeImage(100, "X"), {{"size-below-header", 28}}},
        {"size-past-file",
         Small([](Bytes& b) { b.resize(S(2, 0) + 100); }),
         {{"size-past-file", 28}, {"track-runs-past", S(2, 0)}}},
        {"a table cut short", cut, {{"size-past-file", 28}}},
        {"size-slack",
         Small([&](Bytes& b) { b.resize(size + 100), WriteLe32(&b[28], size + 100); }),
         {{"size-slack", size}}},
        {"reserved-nonzero", Small([](Bytes& b) { b[0x15] = 7; }), {{"reserved-nonzero", 0x15}}},
        {"protect-unusual", Small([](Bytes& b) { b[0x1A] = 1; }), {{"protect-unusual", 0x1A}}},
        {"media-unknown", Small([](Bytes& b) { b[0x1B] = 0x50; }), {{"media-unknown", 0x1B}}},
        {"media-geometry", MakeDisk(0x00, 154, 2, 8, 3), {{"media-geometry", 0x1B}}},
        {"2DD said 2D", MakeDisk(0x00, 160, 2, 16, 1), {{"media-geometry", 0x1B}}},
        {"2DD said 2HD", MakeDisk(0x20, 160, 2, 16, 1), {{"media-geometry", 0x1B}}},
        {"unformatted", MakeImage(688, "BLANK"), {{"unformatted", 0x20}}},
        {"track-ffffffff",
         Small([](Bytes& b) { WriteLe32(&b[0x40], 0xFFFFFFFF); }),
         {{"track-ffffffff", 0x40}}},
        {"track-in-header",
         Small([](Bytes& b) { WriteLe32(&b[0x40], 100); }),
         {{"track-in-header", 0x40}}},
        {"track-at-end",
         Small([&](Bytes& b) { WriteLe32(&b[0x40], size); }),
         {{"track-at-end", 0x40}}},
        {"track-past-end",
         Small([&](Bytes& b) { WriteLe32(&b[0x40], size + 5); }),
         {{"track-past-end", 0x40}}},
        {"track-order",
         Small([](Bytes& b) { WriteLe32(&b[0x20], S(1, 0)), WriteLe32(&b[0x24], S(0, 0)); }),
         {{"track-order", 0x24}}},
        {"track-shared",
         Small([](Bytes& b) { WriteLe32(&b[0x3C], S(6, 0)); }),
         {{"track-shared", 0x3C}, {"size-slack", S(7, 0)}}},
        {"track-overlap",
         Small([](Bytes& b) { b[S(0, 3) + 14] = 16, b[S(0, 3) + 15] = 1; }),
         {{"sector-size-mismatch", S(0, 3) + 14}, {"track-overlap", S(1, 0)}}},
        {"track-runs-past",
         Small([](Bytes& b) { b[S(7, 3) + 15] = 2; }),
         {{"track-runs-past", S(7, 3)}, {"sector-size-mismatch", S(7, 3) + 14}}},
        {"track-no-sectors",
         Small([](Bytes& b) { b[S(7, 0) + 4] = 0; }),
         {{"size-slack", S(7, 0)}, {"track-no-sectors", S(7, 0) + 4}}},
        {"sector-count-swapped",
         Small([](Bytes& b) {
             for (int s = 0; s < 4; ++s) b[S(2, s) + 4] = 0, b[S(2, s) + 5] = 4;
         }),
         {{"sector-count-swapped", S(2, 0) + 4}}},
        {"sector-count-mismatch",
         Small([](Bytes& b) { b[S(2, 1) + 4] = 5; }),
         {{"sector-count-mismatch", S(2, 1) + 4}}},
        {"sector-size-mismatch",
         Small([](Bytes& b) { b[S(2, 1) + 3] = 2; }),
         {{"sector-size-mismatch", S(2, 1) + 14}}},
        {"sector-duplicate",
         Small([](Bytes& b) { b[S(2, 2) + 2] = 1; }),
         {{"sector-duplicate", S(2, 2)}}},
        {"sector-density",
         Small([](Bytes& b) { b[S(2, 1) + 6] = 1; }),
         {{"sector-density", S(2, 1) + 6}}},
        {"sector-deleted",
         Small([](Bytes& b) { b[S(2, 1) + 7] = 0x20; }),
         {{"sector-deleted", S(2, 1) + 7}}},
        {"sector-status",
         Small([](Bytes& b) { b[S(2, 1) + 8] = 0x55; }),
         {{"sector-status", S(2, 1) + 8}}},
        // Clean: the standard disks, the older 160-entry table, single-sided
        // media, and the known values of the sector bytes.
        {"2D", MakeDisk(0x00, 80, 2, 16, 1), {}},
        {"2DD", MakeDisk(0x10, 160, 2, 16, 1), {}},
        {"2HD", MakeDisk(0x20, 154, 2, 8, 3), {}},
        {"672-byte header", MakeDisk(0x10, 160, 2, 16, 1, "OLD", 672), {}},
        {"1D", MakeDisk(0x30, 40, 1, 16, 1), {}},
        {"1DD", MakeDisk(0x40, 80, 1, 16, 1), {}},
        {"2D with one long track", guarded, {}},
        {"known sector bytes",
         Small(
             [](Bytes& b) { b[S(0, 0) + 6] = 0x40, b[S(0, 0) + 7] = 0x10, b[S(0, 0) + 8] = 0xA0; }),
         {}},
        // A track that starts a chunk behind the one walked before it.
        {"overlap read from behind",
         big,
         {{"track-overlap", 688 + 32784}, {"size-slack", 688 + 34 * 32784}}},
    };
}

struct Collected {
    Found found;
    std::string texts;
    std::vector<size_t> indexes;
};

// The walk keeps no images: each is handed on as it is found.
void Collect(void* context, const FileWalk& walk, size_t index, const ImageReport& report) {
    EXPECT_TRUE(walk.images.empty());
    Collected* c = static_cast<Collected*>(context);
    c->indexes.push_back(index);
    for (size_t k = 0; k < report.findings.size(); ++k) {
        c->found.push_back(std::make_pair(report.findings[k].code, report.findings[k].offset));
        c->texts += report.findings[k].text + "\n";
    }
}

TEST(ImageCheck, EachRowFindsExactlyItsFindings) {
    ScratchDir dir;
    std::set<std::string> covered;
    ScanWants wants = {true, 0, 0};
    ImageScanner scanner(SystemFiles(), SystemMemory(), wants);
    for (const Row& row : Rows()) {
        PutFile(dir.File("row.d88"), row.bytes);
        Collected c;
        FileWalk walk;
        size_t count = 0;
        ASSERT_EQ(kIoOk, scanner
                             .ScanFile(dir.File("row.d88").c_str(), ImageScanner::kEveryImage,
                                       &walk, &count, Collect, &c)
                             .result)
            << row.name;
        EXPECT_EQ(row.expected, c.found) << row.name;
        if (kSays.count(row.name)) {
            EXPECT_NE(std::string::npos, c.texts.find(kSays.at(row.name))) << c.texts;
        }
        EXPECT_EQ(count, c.indexes.size()) << row.name << ": every image is checked";
        for (size_t k = 0; k < c.found.size(); ++k) covered.insert(c.found[k].first);
    }
    size_t count = 0;
    const FindingCode* codes = FindingCodes(&count);
    for (size_t i = 0; i < count; ++i) EXPECT_EQ(1u, covered.count(codes[i].code)) << codes[i].code;
}

}  // namespace
