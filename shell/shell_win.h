// The main window shell: entry, window procedure, layout, command
// dispatch, settings, view modes, status bar, menu state and help.
#ifndef ORVANEL_SHELL_SHELL_WIN_H
#define ORVANEL_SHELL_SHELL_WIN_H

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

// Entry: registers the class, creates and shows the window, opens the file
// of the command line tail and runs the message loop.
// The tail is UTF-8, as every path the program keeps.
int RunOrvanel(HINSTANCE instance, const char* commandTail, int showCommand);

bool RegisterMainWindowClass(HINSTANCE instance);
struct MainWindowServices;
struct MainWindowParams;
// Creates the main window (not yet shown); null when creation failed.
HWND CreateMainWindow(HINSTANCE instance);
// The same with services of the caller's (tests).
HWND CreateMainWindowWith(HINSTANCE instance, const MainWindowServices* services);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

int LayoutChildren(HWND mainWindow);
// The accelerators of the message loop: true when `msg` was a key of the
// command table (and was sent as its command).
bool TranslateMainAccelerator(HWND window, HACCEL accelerators, MSG* msg);
int DispatchCommand(HWND mainWindow, int id);

int ReadSettings(HWND mainWindow);
int WriteSettings(HWND mainWindow);
// The settings file of this program: the executable's path with ".ini".
bool SettingsFilePath(std::string* out);

int SetViewMode(HWND mainWindow, uint32_t mode);
int ToggleStatusBar(HWND mainWindow);
int FitColumns(HWND list);
// Fits the columns when the list shows details or list view, then repaints.
void RefitAfterLoad(HWND list);
int UpdateStatusText(HWND list, const NMLISTVIEW* change);
// Shows the status text the changes inside the list's last message asked
// for, if any.
void ShowPendingStatus(MainWindowParams* params);
int UpdateMenuState(HWND mainWindow, HMENU menu);
// Opens the help's contents: the .chm or the .hlp beside the executable,
// whichever the system reads (help_win.cpp). Returns 1.
int ShowHelpTopics(HWND mainWindow);

// Texts where the window shows them, in UTF-16 for the W functions: the
// program's own texts and disk names are CP932, paths and file names UTF-8.
std::wstring TextW(const char* cp932);
std::wstring PathW(const char* utf8);
// A text of the program (CP932) with its one %s filled by `arg`.
std::wstring FormatW(const char* format, const std::wstring& arg);

// Message box owned by the main window, caption "Orvanel", warning icon;
// the format's %s receives arg, a path or file name (UTF-8).
void ShowWarning(HWND mainWindow, const char* format, const char* arg);
// "%s - Orvanel" with the title (UTF-8), or the new-document title when it
// is empty.
void SetDocumentTitle(HWND mainWindow, const char* title);
// The settings and help files beside the executable, as paths (UTF-8).
bool ModuleFileWithExtension(HINSTANCE instance, const char* extension, std::string* out);

#endif
