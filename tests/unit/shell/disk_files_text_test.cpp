// The files window's texts: each file's row, the heading, the copied listing.
#include "shell/disk_files_text.h"

#include <gtest/gtest.h>

namespace {

DiskFile File(const std::string& name, FileKind kind, uint32_t size, bool bytes = true) {
    DiskFile f = DiskFile();
    f.name = name;
    f.charset = kNameJisX0201;
    f.kind = kind;
    f.size = size;
    f.sizeInBytes = bytes;
    return f;
}

TEST(DiskFilesText, ARowShowsTheStoredNameKindSizeAndAttributes) {
    DiskFile code = File("A*\x01\x81.BIN ", kFileMachine, 260);
    code.hasLoad = code.hasEnd = code.hasExec = true;
    code.load = 0x9000, code.end = 0x90FF, code.exec = 0x9010;
    code.protectedFile = code.hidden = true;
    FileRow row = FileRowOf(code);
    // Characters no file name holds are shown; bytes that are none are not.
    EXPECT_EQ("A*%01%81.BIN ", row.name);
    EXPECT_EQ("機械語 読込&H9000-&H90FF 実行&H9010", row.kind);
    EXPECT_EQ("260 ﾊﾞｲﾄ", row.size);
    EXPECT_EQ("ﾌﾟﾛﾃｸﾄ,隠し", row.attributes);
    DiskFile inner = File("\x83\x51\x81.TXT", kFileData, 3, false);
    inner.charset = kNameCp932;
    inner.folder = "SUB/\xB1/";
    inner.deleted = true;
    row = FileRowOf(inner);
    EXPECT_EQ("SUB\\\xB1\\\x83\x51%81.TXT", row.name);
    EXPECT_EQ("", row.size) << "a deleted entry's chain is not followed";
    EXPECT_EQ("削除済み", row.attributes);
    EXPECT_EQ("3 ｾｸﾀ", FileRowOf(File("B", kFileBasic, 3, false)).size);
}

TEST(DiskFilesText, TheHeadingAndTheListingThatCtrlCCopies) {
    FsVolume v = FsVolume();
    v.probe.kind = kFat12;
    v.probe.certainty = kProbeSure;
    v.geometry = {77, 2, 26, 256, true, 128, 154};
    v.label = "VOL";
    v.files.push_back(File("HELLO.TXT", kFileAscii, 13));
    v.files.push_back(File("?LD.TXT", kFileData, 5));
    v.files.back().deleted = true;
    EXPECT_EQ(
        "ﾌｧｲﾙｼｽﾃﾑ: FAT12    ﾄﾗｯｸ: 77 ｼﾘﾝﾀﾞ x 2 面 x 26 ｾｸﾀ x 256 ﾊﾞｲﾄ, ﾄﾗｯｸ0はFM 26 x 128 ﾊﾞｲﾄ",
        FilesHeading(v));
    EXPECT_EQ("ﾎﾞﾘｭｰﾑﾗﾍﾞﾙ: VOL", FilesDetail(v));
    EXPECT_EQ("HELLO.TXT\tｱｽｷｰ\t13 ﾊﾞｲﾄ\r\n", FilesListingText(v, false));
    EXPECT_EQ("HELLO.TXT\tｱｽｷｰ\t13 ﾊﾞｲﾄ\r\n?LD.TXT\tﾃﾞｰﾀ\t\r\n", FilesListingText(v, true));
    v.probe.certainty = kProbeLikely;
    v.probe.why = "a FAT value of no meaning";
    EXPECT_EQ("ﾃｰﾌﾞﾙに異常な値がありますが,読み込みました: a FAT value of no meaning",
              FilesDetail(v));
    FsVolume none = FsVolume();
    none.probe.why = "FAT12: no BPB";
    EXPECT_EQ("ﾌｧｲﾙｼｽﾃﾑ: 認識できるﾌｧｲﾙｼｽﾃﾑがありません    ﾄﾗｯｸ: なし", FilesHeading(none));
    EXPECT_EQ("理由: FAT12: no BPB", FilesDetail(none));
}

}  // namespace
