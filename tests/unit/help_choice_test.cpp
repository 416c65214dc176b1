// The help file the help command opens.
#include "shell/help_choice.h"

#include <gtest/gtest.h>

namespace {

const HelpFile N = kHelpNone, H = kHelpHlp, C = kHelpChm;

TEST(HelpChoice, WinHelpWhereItWorksHtmlHelpElseOnlyFilesThatExist) {
    const struct {
        uint32_t major;
        bool wine, hlp, chm;
        HelpFile forced, preferred, first, second;
    } rows[] = {
        {4, false, true, true, N, H, H, C},    // Windows 98, NT 4
        {5, false, true, true, N, H, H, C},    // XP
        {6, false, true, true, N, C, C, H},    // Vista
        {10, false, true, true, N, C, C, H},   // 10 and 11
        {10, true, true, true, N, H, H, C},    // Wine, whatever it reports
        {10, false, true, false, N, C, H, N},  // the .chm missing: the .hlp alone
        {5, false, false, true, N, H, C, N},
        {10, false, false, false, N, C, N, N},  // nothing to open
        {10, true, true, true, C, C, C, H},     // forced either way
        {5, false, true, true, C, C, C, H},
        {10, false, true, true, H, H, H, C},
        {10, true, true, false, C, C, H, N},  // forced, but that file is missing
    };
    for (const auto& row : rows) {
        HelpSystem system = {row.major, row.wine, row.hlp, row.chm, row.forced};
        HelpOrder order = ChooseHelp(system);
        SCOPED_TRACE(testing::Message()
                     << "version " << row.major << " wine " << row.wine << " hlp " << row.hlp
                     << " chm " << row.chm << " forced " << row.forced);
        EXPECT_EQ(row.preferred, order.preferred);
        EXPECT_EQ(row.first, order.tryFiles[0]);
        EXPECT_EQ(row.second, order.tryFiles[1]);
    }
}

TEST(HelpChoice, ForcedByTheVariableOnlyForChmOrHlp) {
    EXPECT_EQ(C, ForcedHelp("chm"));
    EXPECT_EQ(C, ForcedHelp("CHM"));
    EXPECT_EQ(H, ForcedHelp("Hlp"));
    for (const char* value : {"", "ch", "chmx", "html", " hlp"})
        EXPECT_EQ(N, ForcedHelp(value)) << value;
    EXPECT_EQ(N, ForcedHelp(nullptr));
}

}  // namespace
