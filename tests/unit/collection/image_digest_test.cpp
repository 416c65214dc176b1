// The digests of images against other tools run on the same bytes:
// sha1sum, md5sum and python3's zlib.crc32, for the raw form and the
// normalised one (whose digests come from the second thread), and for an
// image cut short by the end of its file.
#include "collection/image_digest.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "collection/image_scan.h"
#include "platform/memory.h"
#include "tests/unit/scratch_dir.h"
#include "tests/unit/test_images.h"

namespace {

// The first word a command prints.
std::string FirstWord(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buffer[256];
    if (std::fgets(buffer, sizeof buffer, p)) out = buffer;
    pclose(p);
    return out.substr(0, out.find_first_of(" \n"));
}

void Keep(void* context, const FileWalk&, size_t, const ImageReport& report) {
    static_cast<std::vector<ImageReport>*>(context)->push_back(report);
}

TEST(ImageDigest, RawAndNormalisedFormsMatchOtherTools) {
    ScratchDir dir;
    Bytes first = MakeDisk(0x10, 160, 2, 16, 1, "GAME");
    first[0x14] = 9;     // reserved
    first[0x1A] = 0x10;  // write protected
    Bytes cut = MakeDisk(0x00, 8, 2, 4, 1, "TAIL");
    cut.resize(3000);
    Bytes file = first;
    Append(&file, cut);
    PutFile(dir.File("c.d88"), file);

    ScanWants wants = {false, kDigestAll, kDigestAll};
    ImageScanner scanner(SystemFiles(), SystemMemory(), wants);
    std::vector<ImageReport> reports;
    FileWalk walk;
    size_t count = 0;
    ASSERT_EQ(kIoOk, scanner
                         .ScanFile(dir.File("c.d88").c_str(), ImageScanner::kEveryImage, &walk,
                                   &count, Keep, &reports)
                         .result);
    ASSERT_EQ(2u, reports.size());
    const Bytes* images[] = {&first, &cut};
    for (size_t i = 0; i < 2; ++i) {
        Bytes normal = *images[i];
        std::memset(normal.data(), 0, 27);  // name, reserved, write protect
        WriteLe32(&normal[28], static_cast<uint32_t>(normal.size()));
        const Bytes* forms[] = {images[i], &normal};
        const DigestSet* sets[] = {&reports[i].raw, &reports[i].normalised};
        for (size_t f = 0; f < 2; ++f) {
            std::string path = dir.File("form.bin");
            PutFile(path, *forms[f]);
            SCOPED_TRACE("image " + std::to_string(i) + (f ? " normalised" : " raw"));
            EXPECT_EQ(FirstWord("sha1sum " + path), HexOf(sets[f]->sha1, 20));
            EXPECT_EQ(FirstWord("md5sum " + path), HexOf(sets[f]->md5, 16));
            EXPECT_EQ(FirstWord("python3 -c \"import sys, zlib; print('%08x' % "
                                "zlib.crc32(open(sys.argv[1], 'rb').read()))\" " +
                                path),
                      HexOf(sets[f]->crc32, 4));
        }
    }
}

}  // namespace
