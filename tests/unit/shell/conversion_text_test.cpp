// The loss report, the geometry choices and the reasons, in the window's
// words.
#include "shell/conversion_text.h"

#include <gtest/gtest.h>

#include "shell/texts.h"

namespace {

ConvertReport Report(ImageFormat format) {
    ConvertReport r = ReportConversion(Disk(), format, DefaultConvertOptions());
    r.losses = Losses();
    return r;
}

TEST(ConversionText, LossesByKindThenWhatTheFormatIsWrittenWith) {
    ConvertReport r = Report(kFormatRaw);
    r.geometry = Geometry{80, 2, 16, 256, false};
    r.geometriesOfSize = 2;
    r.losses.Field(kLossName);
    r.losses.Sector(kLossDeleted, 7, 3, 1, 4, 1);
    r.losses.Sector(kLossDeleted, 9, 4, 1, 1, 1);
    r.losses.Track(kLossUnformatted, 5);
    r.losses.Field(kLossMedia, 0x00, 0x20);
    std::vector<std::string> expected = {
        TXT_REPORT_LOST,
        std::string("- ") + TXT_LOSS_DELETED + ": 2ｾｸﾀ,最初はC 3 H 1 R 4 N 1(ﾄﾗｯｸ7)",
        std::string("- ") + TXT_LOSS_UNFORMATTED + ": 1ﾄﾗｯｸ,最初はﾄﾗｯｸ5(C 2 H 1)",
        std::string("- ") + TXT_LOSS_NAME,
        "- ﾒﾃﾞｨｱﾀｲﾌﾟ0x00(2D)は0x20(2HD)として読み戻されます",
        TXT_REPORT_WRITTEN,
        "- ｼﾞｵﾒﾄﾘ80/2/16/256",
        std::string("- ") + TXT_WRITTEN_AMBIGUOUS,
    };
    EXPECT_EQ(expected, ConversionReportLines(r));
    EXPECT_EQ(std::string(TXT_REPORT_LOST) + "\r\n",
              ConversionReportText(r).substr(0, sizeof TXT_REPORT_LOST + 1));
}

TEST(ConversionText, NothingToSayIsEmptyAndHfeSaysItsTurn) {
    EXPECT_TRUE(ConversionReportLines(Report(kFormatD88)).empty());
    ConvertReport r = Report(kFormatHfe);
    HfeChoices k = {250, 300, 12500, 40, 2, 0, true, false, 7};
    r.hfe = k;
    std::vector<std::string> lines = ConversionReportLines(r);
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ(TXT_REPORT_WRITTEN, lines[0]);
    EXPECT_EQ("- 250kbps,300rpm(1回転12500ﾊﾞｲﾄ),40ｼﾘﾝﾀﾞ,2面", lines[1]);
    EXPECT_EQ(std::string("- ") + TXT_WRITTEN_HFE_SINGLE, lines[4]);
}

TEST(ConversionText, GeometriesInWords) {
    EXPECT_EQ("80/2/8/512: 80ｼﾘﾝﾀﾞ,2面,1ﾄﾗｯｸ8ｾｸﾀ,1ｾｸﾀ512ﾊﾞｲﾄ",
              GeometryChoiceText(Geometry{80, 2, 8, 512, false}));
    EXPECT_EQ(std::string("77/2/26/256: 77ｼﾘﾝﾀﾞ,2面,1ﾄﾗｯｸ26ｾｸﾀ,1ｾｸﾀ256ﾊﾞｲﾄ") +
                  TXT_GEOMETRY_FM_TRACK0,
              GeometryChoiceText(Geometry{77, 2, 26, 256, true}));
}

TEST(ConversionText, WhyAnImageCannotBeReadOrWritten) {
    EXPECT_EQ("HFEｲﾒｰｼﾞではありません.", FormatFailureText(FormatFailure(kFormatNotThis, kFormatHfe)));
    EXPECT_EQ("この版のHFEは読めません.",
              FormatFailureText(FormatFailure(kFormatUnsupported, kFormatHfe)));
    FormatError size = FormatFailure(kFormatUnknownSize, kFormatRaw);
    size.actual = 1000;
    EXPECT_EQ("1000ﾊﾞｲﾄのﾍﾞﾀｲﾒｰｼﾞは形がわかりません.", FormatFailureText(size));
    EXPECT_EQ("ﾌｧｲﾙが途中で切れています(4096ﾊﾞｲﾄ必要ですが100ﾊﾞｲﾄしかありません).",
              FormatFailureText(Truncated(kFormatImd, 4096, 100)));
    EXPECT_EQ("ｼﾘﾝﾀﾞ12のﾋﾞｯﾄｾﾙがMFMでもFMでもありません.",
              FormatFailureText(FormatFailure(kFormatUndecodable, kFormatHfe, "", 12)));
    EXPECT_EQ(TXT_WHY_NO_TRACKS, FormatFailureText(FormatFailure(kFormatNoTracks, kFormatRaw)));
}

}  // namespace
