// The help file the help command opens.
#include "shell/help_choice.h"

#include <gtest/gtest.h>

namespace {

const HelpFile N = kHelpNone, H = kHelpHlp, C = kHelpChm;

TEST(HelpChoice, WinHelpWhereItWorksHtmlHelpElseOnlyFilesThatExist) {
    const struct {
        HelpSystem system;  // version, Wine, .hlp there, .chm there, forced
        HelpFile preferred, first, second;
    } rows[] = {
        {{5, false, true, true, N}, H, H, C},    {{6, false, true, true, N}, C, C, H},
        {{10, true, true, true, N}, H, H, C},    {{10, false, true, false, N}, C, H, N},
        {{10, false, false, false, N}, C, N, N}, {{10, true, true, true, C}, C, C, H},
    };
    for (const auto& row : rows) {
        HelpOrder order = ChooseHelp(row.system);
        // Digits: preferred, first, second (0 none, 1 .hlp, 2 .chm).
        EXPECT_EQ(row.preferred * 100 + row.first * 10 + row.second,
                  order.preferred * 100 + order.tryFiles[0] * 10 + order.tryFiles[1]);
    }
    EXPECT_EQ(C, ForcedHelp("CHM"));
    EXPECT_EQ(N, ForcedHelp("chmx"));
    EXPECT_EQ(N, ForcedHelp(nullptr));
}

}  // namespace
