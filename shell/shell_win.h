// The main window shell: entry, window procedure, layout, command
// dispatch, settings, view modes, status bar, menu state and help.
#ifndef ORVANEL_SHELL_SHELL_WIN_H
#define ORVANEL_SHELL_SHELL_WIN_H

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

// Entry: registers the class, creates and shows the window, opens the file
// of the command line tail and runs the message loop.
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
int DispatchCommand(HWND mainWindow, int id);

int ReadSettings(HWND mainWindow);
int WriteSettings(HWND mainWindow);
// The settings file of this program: the executable's path with ".ini".
bool SettingsFilePath(char* out, size_t outSize);

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
int ShowHelpTopics(HWND mainWindow);

// Message box owned by the main window, caption "Orvanel", warning icon;
// the format's %s receives arg.
void ShowWarning(HWND mainWindow, const char* format, const char* arg);
// "%s - Orvanel" with the title, or the new-document title when it is empty.
void SetDocumentTitle(HWND mainWindow, const char* title);

#endif
