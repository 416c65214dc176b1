// The check window's texts: a finding's row, the summary, the copied text.
#include "shell/disk_check_text.h"

#include <gtest/gtest.h>

#include "filesystems/disk_files.h"

namespace {

TEST(DiskCheckText, RowsSummaryAndTheTextCtrlCCopies) {
    Finding error = {"track-past-end", kError, 36, "track 1 lies past the end"};
    Finding warning = {"fs-lost-clusters", kWarning, 4096, "\x83\x51: 2 clusters"};
    const std::string disk = CheckedDiskText(2, "BAD");
    std::vector<FindingRow> rows = {FindingRowOf(disk, error), FindingRowOf(disk, warning)};
    EXPECT_EQ("2: BAD", rows[0].disk);
    EXPECT_EQ("ｴﾗｰ", rows[0].severity);
    EXPECT_EQ("警告", rows[1].severity);
    EXPECT_TRUE(HasErrors({error, warning}));
    EXPECT_FALSE(HasErrors({warning}));
    EXPECT_EQ(
        "2: BAD\tｴﾗｰ\ttrack-past-end\t36\tﾄﾗｯｸのｵﾌｾｯﾄがｲﾒｰｼﾞの終わりより後ろを指しています\t"
        "track 1 lies past the end\r\n"
        "2: BAD\t警告\tfs-lost-clusters\t4096\t使用中のｸﾗｽﾀに,どのﾌｧｲﾙのﾁｪｰﾝも届いていません\t"
        "\x83\x51: 2 clusters\r\n",
        FindingsText(rows, "unused"));
    EXPECT_EQ("3 個のﾃﾞｨｽｸを検査しました.ｴﾗｰ 1 件,警告 1 件が見つかりました.",
              CheckSummaryText(3, 1, 1));
    const std::string none = CheckSummaryText(1, 0, 0);
    EXPECT_EQ("1 個のﾃﾞｨｽｸを検査しました.問題は見つかりませんでした.", none);
    EXPECT_EQ(none + "\r\n", FindingsText(std::vector<FindingRow>(), none));
}

// A code the checks give without words of the window's is shown blank:
// every code of the image's checks and of the file systems' has them.
TEST(DiskCheckText, EveryCodeHasItsMeaning) {
    size_t count = 0;
    const FindingCode* codes = FindingCodes(&count);
    for (size_t i = 0; i < count; ++i)
        EXPECT_NE("", FindingMeaning(codes[i].code)) << codes[i].code;
    const FsFindingCode* fs = FsFindingCodes(&count);
    for (size_t i = 0; i < count; ++i) EXPECT_NE("", FindingMeaning(fs[i].code)) << fs[i].code;
    EXPECT_EQ("", FindingMeaning("no-such-code"));
}

}  // namespace
