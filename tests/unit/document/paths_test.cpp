// Derived file names and the command line.
#include "document/paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Replaced(const char* path, const char* ext) {
    char out[2 * kPathMax];
    EXPECT_TRUE(ReplaceExtension(path, ext, out, sizeof out));
    return out;
}

std::string Backup(const char* path) {
    char out[2 * kPathMax];
    EXPECT_TRUE(BackupName(path, out, sizeof out));
    return out;
}

TEST(ReplaceExtension, CutsTheLastComponentsExtensionOnly) {
    EXPECT_EQ("C:\\Tools\\prog.ini", Replaced("C:\\Tools\\prog.exe", ".ini"));
    EXPECT_EQ("C:\\Old.Tools\\prog.ini", Replaced("C:\\Old.Tools\\prog", ".ini"));
    EXPECT_EQ("C:\\Tools\\prog.hlp", Replaced("C:\\Tools\\prog", ".hlp"));
    EXPECT_EQ("C:\\dir\\.bak", Replaced("C:\\dir\\.profile", ".bak"));
    EXPECT_EQ(".ini", Replaced(".x", ".ini"));
}

// UTF-8 of 表, あ and the Greek Ω (written with escapes: the compiler makes
// CP932 of the texts in quotes).
#define U8_HYOU "\xE8\xA1\xA8"
#define U8_A "\xE3\x81\x82"
#define U8_OMEGA "\xCE\xA9"

std::string Times(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(ReplaceExtension, PathsAreUtf8) {
    // あ. is E3 81 82 2E: read as Shift-JIS, 0x82 would swallow the dot.
    EXPECT_EQ("C:\\X.Y\\" U8_HYOU ".ini", Replaced("C:\\X.Y\\" U8_HYOU, ".ini"));
    EXPECT_EQ("C:\\" U8_A ".bak", Replaced("C:\\" U8_A ".d88", ".bak"));
    EXPECT_EQ("C:\\" U8_OMEGA "\\prog.ini", Replaced("C:\\" U8_OMEGA "\\prog.exe", ".ini"));
}

TEST(ReplaceExtension, RefusesWhatDoesNotFit) {
    char out[8];
    std::memset(out, 'Z', sizeof out);
    EXPECT_FALSE(ReplaceExtension("ABCD.EXE", ".ini", out, 8));
    EXPECT_TRUE(ReplaceExtension("ABC.EXE", ".ini", out, 8));
    EXPECT_STREQ("ABC.ini", out);
}

TEST(BackupName, Examples) {
    EXPECT_EQ("C:\\D88\\GAME.bak", Backup("C:\\D88\\GAME.D88"));
    EXPECT_EQ("C:\\D88\\GAME.V2.bak", Backup("C:\\D88\\GAME.V2.D88"));
    EXPECT_EQ("C:\\D88\\GAME.bak", Backup("C:\\D88\\GAME"));
    EXPECT_EQ("C:\\D88.OLD\\GAME.bak", Backup("C:\\D88.OLD\\GAME"));
}

TEST(Backslashes, TrailingOnesAndExtensions) {
    EXPECT_EQ(2, LastBackslash("C:\\" U8_HYOU));
    char a[] = "C:\\DISKS\\";
    EXPECT_TRUE(TrimTrailingBackslash(a));
    EXPECT_STREQ("C:\\DISKS", a);
    EXPECT_FALSE(TrimTrailingBackslash(a));
    EXPECT_EQ(-1, ExtensionDot("C:\\A.B\\C"));
    EXPECT_EQ(6, ExtensionDot("C:\\A\\B.C"));
}

std::string Target(const char* folder, const char* title, const char* disk) {
    char out[kPathMax];
    EXPECT_TRUE(BuildExtractTarget(folder, title, disk, out, sizeof out));
    return out;
}

TEST(ExtractTarget, Examples) {
    EXPECT_EQ("C:\\OUT\\GAME DISK A.D88", Target("C:\\OUT", "GAME.D88", "DISK A"));
    EXPECT_EQ("C:\\GAME DISK A.D88", Target("C:\\", "GAME.D88", "DISK A"));
    EXPECT_EQ("C:\\OUT\\" U8_A "DISK A.D88", Target("C:\\OUT", U8_A, "DISK A"));
    EXPECT_EQ("C:\\OUT\\GAME .D88", Target("C:\\OUT", "GAME.D88", ""));
    // A dotted folder and a title without a dot: the folder stays whole.
    EXPECT_EQ("C:\\MY.DIR\\GAMEDISK A.D88", Target("C:\\MY.DIR", "GAME", "DISK A"));
    EXPECT_EQ("C:\\" U8_HYOU "\\GAME A.D88", Target("C:\\" U8_HYOU, "GAME.D88", "A"));
}

TEST(ExtractTarget, ANameOver259CharactersIsRefusedAndCut) {
    std::string folder = "C:\\" + std::string(241, 'F');
    char out[kPathBytes];
    std::memset(out, 'Z', sizeof out);
    EXPECT_FALSE(BuildExtractTarget(folder.c_str(), "GAME.D88", "DISK A", out, sizeof out));
    EXPECT_EQ(259u, std::strlen(out));

    // Exactly 259 characters fit, however many bytes they take; the cut
    // never splits a character.
    std::string fits = "C:\\" + std::string(259 - 3 - 1 - 5 - 1 - 4 - 1, 'F') + U8_HYOU;
    EXPECT_TRUE(BuildExtractTarget(fits.c_str(), "GAME.D88", "A", out, sizeof out));
    EXPECT_EQ(259u, Utf16Length(out));
    std::string wide = "C:\\X";
    for (int i = 0; i < 130; ++i) wide += U8_HYOU;
    EXPECT_TRUE(BuildExtractTarget(wide.c_str(), "GAME.D88", "A", out, sizeof out));
    wide += std::string(130, 'F');
    EXPECT_FALSE(BuildExtractTarget(wide.c_str(), "GAME.D88", "A", out, sizeof out));
    EXPECT_EQ(259u, Utf16Length(out));
    EXPECT_EQ(4u + 130 * 3 + 125, std::strlen(out));

    // A small buffer is never written past.
    char small[12];
    small[11] = 'Q';
    EXPECT_FALSE(BuildExtractTarget("C:\\OUT", "GAME.D88", "A", small, 11));
    EXPECT_STREQ("C:\\OUT\\GAM", small);
    EXPECT_EQ('Q', small[11]);
}

TEST(PathStyle, PosixPathsAreSeparatedBySlashesOnly) {
    const char* utf8 = "/d/\xE3\x81\x82.d88";
    EXPECT_EQ(6, ExtensionDot(utf8, kPosixPaths));
    char out[2 * kPathMax];
    ASSERT_TRUE(BackupName(utf8, out, sizeof out, kPosixPaths));
    EXPECT_STREQ("/d/\xE3\x81\x82.bak", out);
    ASSERT_TRUE(BackupName("/a.b/c\\d", out, sizeof out, kPosixPaths));
    EXPECT_STREQ("/a.b/c\\d.bak", out);
    EXPECT_EQ(3u, FolderPartLength("/a/b\\c", kPosixPaths));
    EXPECT_EQ(5u, FolderPartLength("C:\\a\\b", kWindowsPaths));
    EXPECT_EQ(2u, FolderPartLength("C:GAME.D88", kWindowsPaths));
    ASSERT_TRUE(BuildExtractTarget("/out", "\xE3\x81\x82.d88", "A", out, sizeof out, kPosixPaths));
    EXPECT_STREQ("/out/\xE3\x81\x82 A.D88", out);
    ASSERT_TRUE(BuildExtractTarget("/out/", "GAME", "A", out, sizeof out, kPosixPaths));
    EXPECT_STREQ("/out/GAMEA.D88", out);
    // No 259-byte limit there beyond the buffer.
    std::string deep = "/" + std::string(300, 'd');
    ASSERT_TRUE(BuildExtractTarget(deep.c_str(), "G.D88", "A", out, sizeof out, kPosixPaths));
    EXPECT_EQ(deep + "/G A.D88", out);
}

TEST(NewFileName, BesideTheTargetWithin259Bytes) {
    const struct {
        std::string target;
        PathStyle style;
        std::string prefix;  // what the new name starts with
        size_t length;       // its whole length
    } cases[] = {
        {"C:\\D88\\GAME.D88", kWindowsPaths, "C:\\D88\\~orv", 7 + 16},
        {"C:\\GAME.D88", kWindowsPaths, "C:\\~orv", 3 + 16},
        {"GAME.D88", kWindowsPaths, "~orv", 16},
        {"C:\\" U8_HYOU "\\A.D88", kWindowsPaths, "C:\\" U8_HYOU "\\~orv", 7 + 16},
        // A folder of 250 characters in 742 bytes leaves 9: "~orv" and 5 digits.
        {"C:\\" + Times(U8_HYOU, 246) + "\\A", kWindowsPaths,
         "C:\\" + Times(U8_HYOU, 246) + "\\~orv", 742 + 9},
        // A folder of 251 bytes leaves 8 for the name: "~orv" and 4 digits;
        // one of 254 leaves "~orv" and 1.
        {"C:\\" + std::string(247, 'F') + "\\A.D88", kWindowsPaths,
         "C:\\" + std::string(247, 'F') + "\\~orv", 259},
        {"C:\\" + std::string(250, 'F') + "\\A", kWindowsPaths,
         "C:\\" + std::string(250, 'F') + "\\~orv", 259},
        {"/tmp/x/GAME.D88", kPosixPaths, "/tmp/x/~orv", 7 + 16},
        {"/tmp/x\\GAME.D88", kPosixPaths, "/tmp/~orv", 5 + 16},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        char a[kPathBytes], b[kPathBytes];
        ASSERT_TRUE(
            NewFileNameBeside(cases[i].target.c_str(), 1234, 0, a, sizeof a, cases[i].style))
            << i;
        ASSERT_TRUE(
            NewFileNameBeside(cases[i].target.c_str(), 1234, 1, b, sizeof b, cases[i].style))
            << i;
        EXPECT_EQ(cases[i].prefix, std::string(a).substr(0, cases[i].prefix.size())) << a;
        EXPECT_EQ(cases[i].length, std::strlen(a)) << a;
        EXPECT_STRNE(a, b) << i;  // the next attempt is another name
    }
    // Folders that leave no room for the prefix and a digit.
    char out[kPathMax];
    for (size_t n : {251, 255}) {
        std::string full = "C:\\" + std::string(n, 'F') + "\\A";
        EXPECT_FALSE(NewFileNameBeside(full.c_str(), 1, 0, out, sizeof out, kWindowsPaths)) << n;
    }
}

TEST(CommandLine, SkipsTheProgramName) {
    EXPECT_STREQ("C:\\DISKS\\GAME.D88", SkipProgramName("prog.exe C:\\DISKS\\GAME.D88"));
    EXPECT_STREQ("a b  ", SkipProgramName("  \"C:\\Program Files\\prog.exe\"\t a b  "));
    EXPECT_STREQ("x", SkipProgramName("\"C:\\p q\\prog.exe\"x"));
    EXPECT_STREQ("", SkipProgramName("prog.exe"));
    EXPECT_STREQ("", SkipProgramName("\"unterminated"));
}

TEST(CommandLine, OnePairOfQuotesAroundThePathIsRemoved) {
    char out[kPathBytes];
    CommandLinePath("\"C:\\DISKS\\GAME.D88\"", out);
    EXPECT_STREQ("C:\\DISKS\\GAME.D88", out);
    CommandLinePath("C:\\DISKS\\GAME.D88  ", out);
    EXPECT_STREQ("C:\\DISKS\\GAME.D88  ", out);
    CommandLinePath("\"A\" \"B\"", out);
    EXPECT_STREQ("\"A\" \"B\"", out);
    CommandLinePath("\"", out);
    EXPECT_STREQ("\"", out);
    CommandLinePath("\"\"", out);
    EXPECT_STREQ("", out);
    CommandLinePath("\"A\" ", out);  // a trailing blank: not wholly enclosed
    EXPECT_STREQ("\"A\" ", out);
}

TEST(CommandLine, LongLinesAreCutTo259Characters) {
    std::string line(300, 'P');
    char out[kPathBytes];
    CommandLinePath(line.c_str(), out);
    EXPECT_EQ(std::string(259, 'P'), out);
    std::string japanese = Times(U8_HYOU, 258) + U8_A + U8_A;
    CommandLinePath(japanese.c_str(), out);
    EXPECT_EQ(Times(U8_HYOU, 258) + U8_A, out);
}

}  // namespace
