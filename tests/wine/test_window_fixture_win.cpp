// The main window fixture: it gives each test the real main window and a
// settings file of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/params_win.h"
#include "window_fixture_win.h"

namespace {

class FixtureTest : public MainWindowTest {};

class FixtureWithSettingsTest : public MainWindowTest {
protected:
    void PrepareSettings() override { WriteSettingsText("[Settings]\r\nFlags=4097\r\n"); }
};

}  // namespace

TEST_F(FixtureTest, CreatesTheMainWindowOfItsClass) {
    ASSERT_TRUE(IsWindow(main()));
    char name[64];
    GetClassNameA(main(), name, sizeof name);
    EXPECT_STREQ(MAIN_WINDOW_CLASS, name);
    EXPECT_TRUE(IsWindowVisible(main()));
}

TEST_F(FixtureTest, StartsWithoutASettingsFileAndSeesTheOneWrittenAtDestruction) {
    EXPECT_FALSE(SettingsExist());
    DestroyMain();
    EXPECT_TRUE(SettingsExist());
    EXPECT_NE(std::string::npos, ReadSettingsText().find("Flags=4096")) << ReadSettingsText();
}

TEST_F(FixtureTest, SettingsFileIsBesideTheTestExecutable) {
    char exe[MAX_PATH];
    GetModuleFileNameA(NULL, exe, sizeof exe);
    std::string expected(exe);
    expected = expected.substr(0, expected.size() - 4) + ".ini";
    EXPECT_EQ(expected, SettingsPath());
}

TEST_F(FixtureWithSettingsTest, PreparedSettingsAreReadAtCreation) {
    MainWindowParams* params = GetParams(main());
    ASSERT_TRUE(params != NULL);
    EXPECT_EQ(4097u, params->flags);
    RecreateMain();
    params = GetParams(main());
    ASSERT_TRUE(params != NULL);
    EXPECT_EQ(4097u, params->flags);  // written back at destruction, read again
}
