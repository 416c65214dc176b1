// Help > Topics in process: which viewer is asked for which file beside
// the executable and with what, the fallback to the other file, and the
// message when neither opens. The viewers are fakes that record the call.
#include <windows.h>

// htmlhelp.h needs windows.h before it.
#include <gtest/gtest.h>
#include <htmlhelp.h>

#include <string>
#include <vector>

#include "modal_watcher_win.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/texts.h"
#include "window_fixture_win.h"

namespace {

struct HelpCall {
    std::string viewer;  // "html" or "win"
    HWND owner;
    std::string file;
    UINT command;
    ULONG_PTR data;
};

std::vector<HelpCall> g_calls;
bool g_htmlOpens, g_winOpens;

HWND WINAPI FakeHtmlHelp(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
    g_calls.push_back({"html", owner, file, command, data});
    return g_htmlOpens ? owner : nullptr;
}

BOOL WINAPI FakeWinHelp(HWND owner, LPCSTR file, UINT command, ULONG_PTR data) {
    g_calls.push_back({"win", owner, file, command, data});
    return g_winOpens;
}

class Help : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        GetParams(main())->htmlHelp = FakeHtmlHelp;
        GetParams(main())->winHelp = FakeWinHelp;
        g_calls.clear();
        g_htmlOpens = g_winOpens = true;
    }
    void TearDown() override {
        DeleteFileA(HelpFile(".hlp").c_str());
        DeleteFileA(HelpFile(".chm").c_str());
        SetEnvironmentVariableA("ORVANEL_HELP", nullptr);
        MainWindowTest::TearDown();
    }
    // The test executable's path with the extension, where the window looks.
    static std::string HelpFile(const char* ext) {
        std::string ini = SettingsPath();
        return ini.substr(0, ini.size() - 4) + ext;
    }
    // Lays out the files, forces the choice ("" for none) and runs the
    // command; no message box may come.
    void Run(const char* forced, bool hlp, bool chm) {
        if (hlp) MakeFile(".hlp");
        if (chm) MakeFile(".chm");
        if (*forced) SetEnvironmentVariableA("ORVANEL_HELP", forced);
        ModalWatcher none;
        none.Start();
        SendMessageA(main(), WM_COMMAND, IDM_HELPTOPICS, 0);
        EXPECT_TRUE(none.Finish()) << none.Report();
    }
    static void MakeFile(const char* ext) {
        HANDLE file = CreateFileA(HelpFile(ext).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        CloseHandle(file);
    }
    void ExpectCalls(const std::vector<std::string>& viewers) {
        ASSERT_EQ(viewers.size(), g_calls.size());
        for (size_t i = 0; i < viewers.size(); ++i) {
            const HelpCall& call = g_calls[i];
            bool html = viewers[i] == "html";
            EXPECT_EQ(viewers[i], call.viewer) << i;
            EXPECT_EQ(main(), call.owner) << i;
            EXPECT_EQ(HelpFile(html ? ".chm" : ".hlp"), call.file) << i;
            EXPECT_EQ(html ? UINT(HH_DISPLAY_TOC) : UINT(HELP_FINDER), call.command) << i;
            EXPECT_EQ(0u, call.data) << i;
        }
    }
};

TEST_F(Help, ChmThroughHtmlHelpHlpThroughWinHelp) {
    Run("chm", true, true);
    ExpectCalls({"html"});
    g_calls.clear();
    Run("hlp", true, true);
    ExpectCalls({"win"});
    // Not forced: Wine's winhlp32 works, so the .hlp.
    g_calls.clear();
    SetEnvironmentVariableA("ORVANEL_HELP", nullptr);
    Run("", true, true);
    ExpectCalls({"win"});
}

TEST_F(Help, AMissingFileOrAFailingViewerFallsBackToTheOther) {
    Run("chm", true, false);
    ExpectCalls({"win"});
    g_calls.clear();
    g_htmlOpens = false;
    Run("chm", true, true);
    ExpectCalls({"html", "win"});
    g_calls.clear();
    g_htmlOpens = true;
    g_winOpens = false;
    Run("hlp", true, true);
    ExpectCalls({"win", "html"});
}

TEST_F(Help, NeitherFileOpensShowsTheFileThatWasWanted) {
    SetEnvironmentVariableA("ORVANEL_HELP", "chm");
    for (bool present : {false, true}) {
        g_calls.clear();
        if (present) MakeFile(".chm");
        g_htmlOpens = g_winOpens = false;
        ModalWatcher watcher;
        watcher.Expect(HelpFile(".chm"), IDOK);
        watcher.Start();
        SendMessageA(main(), WM_COMMAND, IDM_HELPTOPICS, 0);
        ASSERT_TRUE(watcher.Finish()) << watcher.Report();
        EXPECT_EQ(std::string(TXT_APP_CAPTION), watcher.seen()[0].caption);
        std::string text = TXT_CANNOT_OPEN;
        EXPECT_EQ(text.replace(text.find("%s"), 2, HelpFile(".chm")), watcher.seen()[0].text);
        ExpectCalls(present ? std::vector<std::string>{"html"} : std::vector<std::string>{});
    }
}

TEST(HelpLibrary, HtmlHelpFromHhctrlOrNothing) {
    EXPECT_TRUE(LoadHtmlHelp("hhctrl.ocx") != nullptr);
    EXPECT_TRUE(LoadHtmlHelp("no-such-hhctrl.ocx") == nullptr);
    EXPECT_TRUE(LoadHtmlHelp("kernel32.dll") == nullptr);
}

}  // namespace
