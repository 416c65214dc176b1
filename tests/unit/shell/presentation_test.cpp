// Menu state and status bar texts.
#include "shell/presentation.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"

namespace {

MenuInputs Inputs() {
    MenuInputs in = {false, false, 0, false, false, true, 0};
    return in;
}

TEST(MenuState, NewDocumentThenABlankDiskThenSaved) {
    MenuInputs in = Inputs();
    MenuState s = ComputeMenuState(in);
    EXPECT_FALSE(s.saveEnabled);
    EXPECT_FALSE(s.saveAsEnabled);

    in.modified = true;
    in.hasBuffer = true;
    s = ComputeMenuState(in);
    EXPECT_TRUE(s.saveEnabled);
    EXPECT_TRUE(s.saveAsEnabled);

    in.modified = false;
    s = ComputeMenuState(in);
    EXPECT_FALSE(s.saveEnabled);
    EXPECT_TRUE(s.saveAsEnabled);
}

TEST(MenuState, SelectionDecidesTheDiskCommands) {
    const struct {
        int selected;
        bool known, prot;
        bool del, single, checked;
    } rows[] = {
        {0, false, false, false, false, false}, {1, true, false, true, true, false},
        {1, true, true, true, true, true},      {1, false, true, true, true, false},
        {2, true, true, true, false, false},    {5, false, false, true, false, false},
    };
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        MenuInputs in = Inputs();
        in.selectedCount = rows[i].selected;
        in.selectedProtectKnown = rows[i].known;
        in.selectedProtected = rows[i].prot;
        MenuState s = ComputeMenuState(in);
        EXPECT_EQ(rows[i].del, s.deleteEnabled) << "row " << i;
        EXPECT_EQ(rows[i].single, s.singleEnabled) << "row " << i;
        EXPECT_EQ(rows[i].checked, s.protectChecked) << "row " << i;
    }
}

TEST(MenuState, StatusBarMarkAndViewRadio) {
    MenuInputs in = Inputs();
    in.statusBarVisible = false;
    EXPECT_FALSE(ComputeMenuState(in).statusBarChecked);
    const int commands[4] = {IDM_LARGEICON, IDM_DETAILS, IDM_SMALLICON, IDM_LIST};
    for (uint32_t mode = 0; mode < 4; ++mode) {
        in.viewMode = mode;
        EXPECT_EQ(commands[mode], ComputeMenuState(in).viewCommand);
        EXPECT_EQ(static_cast<int>(mode), CommandViewMode(commands[mode]));
    }
    EXPECT_EQ(-1, CommandViewMode(IDM_STATUSBAR));
}

TEST(StatusText, CountsAndSelection) {
    char out[256];
    FormatCountText(3, out, sizeof out);
    EXPECT_STREQ("3 個のｲﾒｰｼﾞ", out);
    FormatSelectedText(2, out, sizeof out);
    EXPECT_STREQ("2 個のｲﾒｰｼﾞを選択", out);
}

TEST(StatusText, OneSelectedImage) {
    char out[256];
    FormatSingleText(0x00, 348848, 0x00, out, sizeof out);
    EXPECT_STREQ("1 個のｲﾒｰｼﾞを選択    2D(340KB) ", out);
    FormatSingleText(0x10, 1023, 0x01, out, sizeof out);
    EXPECT_STREQ("1 個のｲﾒｰｼﾞを選択    2DD(1023Bytes) ﾗｲﾄﾌﾟﾛﾃｸﾄ", out);
    FormatSingleText(0x20, 2047, 0x10, out, sizeof out);
    EXPECT_STREQ("1 個のｲﾒｰｼﾞを選択    2HD(1KB) ﾗｲﾄﾌﾟﾛﾃｸﾄ", out);
    FormatSingleText(0x30, 1024, 0, out, sizeof out);
    EXPECT_STREQ("1 個のｲﾒｰｼﾞを選択    2D(1KB) ", out);
}

TEST(StatusText, HowFarALongCommandIs) {
    char out[256];
    FormatProgressText(kRunExtracting, 3, 10, out, sizeof out);
    EXPECT_STREQ("ﾃﾞｨｽｸｲﾒｰｼﾞを抽出中... 3 / 10 個", out);
    FormatProgressText(kRunChecking, 4, 9, out, sizeof out);
    EXPECT_STREQ("ﾃﾞｨｽｸｲﾒｰｼﾞを検査中... 4 / 9 個", out);
    FormatProgressText(kRunSaving, 2047, 1025 * 1024 + 1, out, sizeof out);
    EXPECT_STREQ("ﾌｧｲﾙに保存中... 1 / 1026 KB", out);
}

}  // namespace
