#include "window_fixture_win.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "shell/params_win.h"
#include "shell/shell_win.h"

namespace {

// Once per test program: the common controls, and no crash or critical
// error boxes that would wait for a person.
class WineEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
    }
};

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new WineEnvironment);

std::string SavedPath() { return MainWindowTest::SettingsPath() + ".saved-by-test"; }

}  // namespace

MainWindowTest::MainWindowTest()
    : showCommand_(SW_SHOWNORMAL), main_(NULL), instance_(GetModuleHandleA(NULL)), savedSettings_(false) {}

void MainWindowTest::SetUp() {
    // Keep a settings file that was there, and start without one.
    DeleteFileA(SavedPath().c_str());
    savedSettings_ = MoveFileA(SettingsPath().c_str(), SavedPath().c_str()) != 0;
    DeleteSettings();
    PrepareSettings();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(RegisterMainWindowClass(instance_));
    CreateMain();
}

void MainWindowTest::TearDown() {
    if (GetCapture()) ReleaseCapture();
    DestroyMain();
    UnregisterClassA(MAIN_WINDOW_CLASS, instance_);
    DeleteSettings();
    if (savedSettings_) MoveFileA(SavedPath().c_str(), SettingsPath().c_str());
}

void MainWindowTest::CreateMain() {
    ASSERT_EQ(main_, static_cast<HWND>(NULL));
    main_ = CreateMainWindow(instance_);
    ASSERT_NE(main_, static_cast<HWND>(NULL)) << "CreateMainWindow failed";
    if (showCommand_ != SW_HIDE) {
        ShowWindow(main_, showCommand_);
        UpdateWindow(main_);
    }
    Pump();
}

void MainWindowTest::DestroyMain() {
    if (!main_) return;
    if (IsWindow(main_)) DestroyWindow(main_);
    main_ = NULL;
    Pump();
}

void MainWindowTest::RecreateMain() {
    DestroyMain();
    CreateMain();
}

void MainWindowTest::Pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            // The quit message of a destroyed main window ends nothing here.
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (GetTickCount() - start >= milliseconds) return;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

std::string MainWindowTest::SettingsPath() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string s(path, n);
    size_t dot = s.find_last_of('.');
    size_t slash = s.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) s.erase(dot);
    return s + ".ini";
}

bool MainWindowTest::SettingsExist() { return GetFileAttributesA(SettingsPath().c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string MainWindowTest::ReadSettingsText() {
    std::string text;
    FILE* f = fopen(SettingsPath().c_str(), "rb");
    if (!f) return text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    fclose(f);
    return text;
}

void MainWindowTest::WriteSettingsText(const std::string& text) {
    FILE* f = fopen(SettingsPath().c_str(), "wb");
    ASSERT_TRUE(f != NULL) << SettingsPath();
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

void MainWindowTest::DeleteSettings() { DeleteFileA(SettingsPath().c_str()); }
