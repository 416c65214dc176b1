// d88 on Windows in process: the system's own words for its error codes,
// and extract targets compared as the file system compares names.
#include <windows.h>
#include <gtest/gtest.h>

#include <sstream>

#include "cli/d88_cli.h"
#include "doc_helpers_win.h"
#include "platform/file_api.h"

namespace {

std::string D88Here(const std::vector<std::string>& args, int* status) {
    std::ostringstream out, err;
    *status = d88cli::RunD88(args, out, err);
    return err.str();
}

TEST(D88OnWindows, SaysWhatTheSystemSaysAndComparesNamesAsItDoes) {
    TempFolder folder;
    std::string game =
        folder.Write("GAME.D88", Join({MakeImage("Disk1", 688), MakeImage("DISK1", 700)}));
    std::string locked = folder.Write("LOCKED.D88", MakeImage("OLD", 688));
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    int status = 0;
    std::string err = D88Here({"join", "--force", locked, game}, &status);
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(1, status);
    SystemError denied = {ERROR_ACCESS_DENIED, kWindowsCode};
    EXPECT_NE(std::string::npos, err.find(": cannot create the file: " + SystemErrorText(denied)))
        << err;

    err = D88Here({"extract", game, "-o", folder.path()}, &status);
    EXPECT_EQ(1, status);
    EXPECT_NE(std::string::npos, err.find("image 0 and image 1 would both be written")) << err;
    EXPECT_FALSE(Exists(folder.File("GAME Disk1.D88")));
}

// The files that convert opens it opens one at a time: the system's are
// not shared.
TEST(D88OnWindows, ConvertsWithTheFilesUnshared) {
    TempFolder folder;
    std::string game = folder.Write("GAME.D88", Join({MakeImage("A", 688), MakeImage("B", 700)}));
    int status = 0;
    std::string err = D88Here({"convert", "--lossy", game + "@1", folder.File("B.imd")}, &status);
    EXPECT_EQ(0, status) << err;
    err = D88Here({"convert", folder.File("B.imd"), folder.File("B.d88")}, &status);
    EXPECT_EQ(0, status) << err;
    EXPECT_TRUE(Exists(folder.File("B.d88")));
}

}  // namespace
