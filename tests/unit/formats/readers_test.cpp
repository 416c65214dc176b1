// Bad input to every reader: files cut anywhere, cells that are no MFM or
// FM, headers that say nonsense, sizes that fit no geometry or several,
// and files whose bytes are not what their names say.
#include <gtest/gtest.h>

#include "formats/convert.h"
#include "formats/convert_files.h"
#include "store/sector_view.h"
#include "tests/support/fault_files.h"
#include "tests/support/fault_memory.h"
#include "tests/unit/scratch_dir.h"
#include "tests/unit/test_images.h"

namespace {

Bytes BytesOf(ImageFormat to, const Bytes& d88) {
    FaultMemory mem;
    MemoryImage image(mem, d88.data(), 0, static_cast<uint32_t>(d88.size()));
    ConvertReport report;
    ConvertedBytes out(SystemMemory());
    EXPECT_TRUE(
        ConvertImage(image, kFormatD88, to, DefaultConvertOptions(), true, &report, &out).ok());
    return Bytes(out.data(), out.data() + out.size());
}

FormatError Read(const Bytes& bytes, ImageFormat format, Disk* disk = nullptr) {
    FaultMemory mem;
    MemoryImage image(mem, bytes.data(), 0, static_cast<uint32_t>(bytes.size()));
    Disk own;
    return ReadDisk(image, format, DefaultConvertOptions(), disk ? disk : &own);
}

const Bytes& TwoD() {
    static const Bytes disk = MakeDisk(kMedia2D, 80, 2, 16, 1, "");
    return disk;
}

TEST(Readers, AFileCutAnywhereIsSaidToBeCut) {
    const ImageFormat formats[] = {kFormatFdi, kFormatImd, kFormatHfe};
    for (int f = 0; f < 3; ++f) {
        Bytes whole = BytesOf(formats[f], TwoD());
        const size_t cuts[] = {20, 600, whole.size() / 2, whole.size() - 100};
        for (size_t c = 0; c < 4; ++c) {
            SCOPED_TRACE(std::string(FormatName(formats[f])) + " cut at " +
                         std::to_string(cuts[c]));
            Bytes cut(whole.begin(), whole.begin() + cuts[c]);
            FormatError e = Read(cut, formats[f]);
            EXPECT_EQ(kFormatTruncated, e.problem) << FormatErrorText(e);
            EXPECT_EQ(0u, FormatErrorText(e).find("truncated: ")) << FormatErrorText(e);
        }
    }
    Bytes hfe = BytesOf(kFormatHfe, TwoD());
    hfe.resize(hfe.size() - 30000);
    EXPECT_EQ("truncated: cylinder 38 needs the bytes up to 979,412, the file has 974,544",
              FormatErrorText(Read(hfe, kFormatHfe)));
}

TEST(Readers, CellsThatAreNoMfmOrFmNameTheirTrack) {
    Bytes hfe = BytesOf(kFormatHfe, TwoD());
    uint32_t at = 512 * (hfe[512 + 12] | hfe[512 + 13] << 8);  // cylinder 3
    uint32_t seed = 7;
    for (uint32_t i = 0; i < 25000; ++i) hfe[at + i] = (seed = seed * 69069 + 1) >> 24;
    FormatError e = Read(hfe, kFormatHfe);
    EXPECT_EQ(kFormatUndecodable, e.problem);
    EXPECT_EQ("cylinder 3 side 0: its bit cells are neither MFM nor FM, so they do not decode",
              FormatErrorText(e));
    // Cells of no flux at all are an unformatted track.
    for (uint32_t i = 0; i < 25000; ++i) hfe[at + i] = 0;
    Disk disk;
    ASSERT_TRUE(Read(hfe, kFormatHfe, &disk).ok());
    EXPECT_TRUE(disk.tracks[6].sectors.empty() && disk.tracks[7].sectors.empty());
    EXPECT_EQ(16u, disk.tracks[8].sectors.size());
}

TEST(Readers, HeadersThatSayNonsenseAreRefused) {
    Bytes imd = BytesOf(kFormatImd, TwoD());
    imd[32] = 9;  // the first track's mode
    EXPECT_EQ("not an IMD image: cylinder 0 side 0: mode 0x09 is no value of it",
              FormatErrorText(Read(imd, kFormatImd)));
    Bytes fdi = BytesOf(kFormatFdi, TwoD());
    fdi[20] = 17;  // sectors a track
    EXPECT_EQ(kFormatNotThis, Read(fdi, kFormatFdi).problem);
    Bytes hfe = BytesOf(kFormatHfe, TwoD());
    std::memcpy(&hfe[0], "HXCHFEV3", 8);
    EXPECT_EQ("HFE v3 (HXCHFEV3) is not read", FormatErrorText(Read(hfe, kFormatHfe)));
    hfe[10] = 3;
    std::memcpy(&hfe[0], "HXCPICFE", 8);
    EXPECT_EQ(kFormatBadField, Read(hfe, kFormatHfe).problem);
}

TEST(Readers, RawSizesFitOneGeometryOrNeedOne) {
    EXPECT_TRUE(Read(Bytes(327680), kFormatRaw).ok());
    EXPECT_EQ(
        "655,360 bytes fit more than one geometry (80/2/16/256 or 80/2/8/512): say which "
        "with --geometry C/H/S/BYTES",
        FormatErrorText(Read(Bytes(655360), kFormatRaw)));
    EXPECT_EQ(kFormatUnknownSize, Read(Bytes(1000), kFormatRaw).problem);
    FaultMemory mem;
    Bytes raw(655360);
    MemoryImage image(mem, raw.data(), 0, static_cast<uint32_t>(raw.size()));
    ConvertOptions o = DefaultConvertOptions();
    std::string why;
    ASSERT_TRUE(ParseGeometry("80/2/8/512", &o.geometry, &why));
    o.hasGeometry = true;
    Disk disk;
    ASSERT_TRUE(ReadDisk(image, kFormatRaw, o, &disk).ok());
    EXPECT_EQ(2u, disk.tracks[159].sectors[0].n);
    ASSERT_TRUE(ParseGeometry("77/2/8/1024", &o.geometry, &why));
    EXPECT_EQ("the geometry 77/2/8/1024 makes 1,261,568 bytes, the file has 655,360",
              FormatErrorText(ReadDisk(image, kFormatRaw, o, &disk)));
    EXPECT_FALSE(ParseGeometry("80/3/8/512", &o.geometry, &why));
}

TEST(Readers, AFileWhoseBytesAreNotWhatItsNameSaysIsRefused) {
    ScratchDir dir;
    PutFile(dir.File("game.hfe"), TwoD());
    PutFile(dir.File("game.hdm"), BytesOf(kFormatHfe, TwoD()));
    FaultFiles files;
    ConvertSource source;
    ConvertFailure failure;
    EXPECT_FALSE(OpenConvertSource(files, dir.File("game.hfe"), kFormatUnknown, false, 0, &source,
                                   &failure));
    EXPECT_EQ(kFormatNotThis, failure.format.problem);
    EXPECT_EQ(kFormatHfe, failure.format.format);
    EXPECT_EQ(kFormatD88, failure.looksLike);
    EXPECT_FALSE(OpenConvertSource(files, dir.File("game.hdm"), kFormatUnknown, false, 0, &source,
                                   &failure));
    EXPECT_EQ(kFormatHfe, failure.looksLike);
    // Said to be D88 (as --from says it), it is read as one.
    EXPECT_TRUE(
        OpenConvertSource(files, dir.File("game.hfe"), kFormatD88, false, 0, &source, &failure));
    EXPECT_EQ(0u, files.openHandles());
}

}  // namespace
