// A GoogleTest fixture around the real main window: it registers the main
// window class, creates and shows the window, and destroys it again in
// TearDown, pumping the messages that follow. Each test runs with a settings
// file of its own: the program keeps its settings beside the running
// executable (<exe path> with the extension ".ini"), so the fixture moves an
// existing one aside before the test and puts it back afterwards.
#ifndef ORVANEL_TESTS_WINE_WINDOW_FIXTURE_WIN_H
#define ORVANEL_TESTS_WINE_WINDOW_FIXTURE_WIN_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doc_helpers_win.h"
#include "shell/params_win.h"

class MainWindowTest : public ::testing::Test {
public:
    // The settings file of this test executable.
    static std::string SettingsPath();
    static bool SettingsExist();
    // The whole settings file, or "" when there is none.
    static std::string ReadSettingsText();
    static void WriteSettingsText(const std::string& text);
    static void DeleteSettings();

protected:
    MainWindowTest();

    void SetUp() override;
    void TearDown() override;

    // Called in SetUp before the window is created: a test fixture that
    // needs stored settings writes them here (WriteSettingsText).
    virtual void PrepareSettings() {}

    HWND main() const { return main_; }
    HINSTANCE instance() const { return instance_; }
    MainWindowParams* params() const { return GetParams(main_); }
    HWND list() const { return params()->listView; }
    // The disks' names as the list shows them.
    std::vector<std::string> names() const { return ListColumn(list(), 0); }

    // Creates the main window (and shows it with showCommand_); fails the
    // test when creation fails.
    void CreateMain();
    // Destroys the main window now, as closing it would after the save
    // question, which writes the settings file; pumps the messages.
    void DestroyMain();
    // Destroys and creates the window again, so that it reads the settings
    // file the previous one wrote.
    void RecreateMain();

    // Processes the pending messages of this thread; with a duration, keeps
    // doing so until it has passed.
    static void Pump(DWORD milliseconds = 0);
    // Pumps until pred() holds or the time runs out; returns pred().
    template <class Pred>
    static bool PumpUntil(Pred pred, DWORD milliseconds = 5000) {
        DWORD start = GetTickCount();
        for (;;) {
            Pump();
            if (pred()) return true;
            if (GetTickCount() - start >= milliseconds) return pred();
            MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
        }
    }

    int showCommand_;  // given to ShowWindow after creation; SW_HIDE keeps it hidden

private:
    HWND main_;
    HINSTANCE instance_;
    bool savedSettings_;
};

#endif
