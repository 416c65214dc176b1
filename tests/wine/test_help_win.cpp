// Help > Topics in process, the viewers being fakes that record their calls:
// which is asked for which file and with what, the fallback, the message.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "modal_watcher_win.h"
#include "platform/text_wide_win.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/texts.h"
#include "window_fixture_win.h"

namespace {

std::string g_calls;
bool g_htmlOpens, g_winOpens;  // what the fakes answer

std::string Call(HWND owner, const std::string& file, UINT command, ULONG_PTR data) {
    return file + " " + std::to_string(command) + " " + std::to_string(data) +
           (GetParams(owner) ? "; " : " (not the main window); ");
}
HWND WINAPI FakeHtmlHelp(HWND owner, LPCWSTR file, UINT command, DWORD_PTR data) {
    g_calls += Call(owner, Utf8FromWide(file), command, data);
    return g_htmlOpens ? owner : nullptr;
}
BOOL WINAPI FakeWinHelp(HWND owner, LPCWSTR file, UINT command, ULONG_PTR data) {
    g_calls += Call(owner, Utf8FromWide(file), command, data);
    return g_winOpens;
}

class Help : public MainWindowTest {};

TEST_F(Help, AsksTheChosenFilesViewerThenTheOthersThenSaysSo) {
    std::string base = SettingsPath().substr(0, SettingsPath().size() - 4);
    std::string chm = Call(main(), base + ".chm", 1, 0);  // HH_DISPLAY_TOC
    std::string hlp = Call(main(), base + ".hlp", HELP_FINDER, 0);
    const struct {
        const char* forced;  // ORVANEL_HELP
        bool files, htmlOpens;
        std::string calls;
    } rows[] = {
        {"chm", true, true, chm},
        {"", true, true, hlp},  // Wine's winhlp32 works
        {"chm", true, false, chm + hlp},
        {"chm", false, true, ""},  // no file: the message (and none left behind)
    };
    GetParams(main())->htmlHelp = FakeHtmlHelp;
    GetParams(main())->winHelp = FakeWinHelp;
    g_winOpens = true;
    std::string message = TXT_CANNOT_OPEN;
    message.replace(message.find("%s"), 2, base + ".chm");
    for (const auto& row : rows) {
        for (const char* ext : {".hlp", ".chm"}) {
            DeleteFileA((base + ext).c_str());
            if (row.files)
                CloseHandle(CreateFileA((base + ext).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        0, nullptr));
        }
        SetEnvironmentVariableA("ORVANEL_HELP", *row.forced ? row.forced : nullptr);
        g_htmlOpens = row.htmlOpens;
        g_calls.clear();
        ModalWatcher watcher;
        if (!row.files) watcher.Expect(message, IDOK);
        watcher.Start();
        SendMessageA(main(), WM_COMMAND, IDM_HELPTOPICS, 0);
        EXPECT_TRUE(watcher.Finish()) << &row - rows << watcher.Report();
        EXPECT_EQ(row.calls, g_calls) << &row - rows;
    }
}

TEST(HelpLibrary, HtmlHelpFromHhctrlOrNothing) {
    EXPECT_TRUE(LoadHtmlHelp("hhctrl.ocx") != nullptr);
    EXPECT_TRUE(LoadHtmlHelp("no-such-hhctrl.ocx") == nullptr);
    EXPECT_TRUE(LoadHtmlHelp("kernel32.dll") == nullptr);
}

}  // namespace
