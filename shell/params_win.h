// The state record of the running program, reached through the main
// window's property, and the names of every window property.
#ifndef ORVANEL_SHELL_PARAMS_WIN_H
#define ORVANEL_SHELL_PARAMS_WIN_H

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "document/document_io.h"
#include "document/paths.h"
#include "shell/presentation.h"

class BufferStretches;
class FileApi;
class MemoryApi;

#define PROP_MAIN_PARAMS "ORVANEL property of main window params"
#define PROP_DIALOG_UPDATED "ORVANEL property dialog updated"
#define PROP_DROP_HANDLE "ORVANEL DROPHANDLE"
#define PROP_DRAG_INFO "ORVANEL DRAGINFO"
#define MAIN_WINDOW_CLASS "ORVANEL Main Window"

typedef SHORT(WINAPI* KeyStateFn)(int);
// The help viewers' requests: HtmlHelpW (HTML Help) and WinHelpW (WinHelp).
typedef HWND(WINAPI* HtmlHelpFn)(HWND, LPCWSTR, UINT, DWORD_PTR);
typedef BOOL(WINAPI* WinHelpFn)(HWND, LPCWSTR, UINT, ULONG_PTR);

// A message that arrived while a long command ran, sent again at its end.
struct HeldMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
const int kHeldMessages = 8;

struct MainWindowParams {
    uint32_t size;
    uint32_t flags;
    int32_t modified;
    HWND listView;
    HWND statusBar;
    HMENU dropMenu;
    HIMAGELIST largeImages;
    HIMAGELIST smallImages;
    // Paths of at most 259 characters, in UTF-8 (the title of a document
    // without a file too).
    char lastDir[kPathBytes];
    char filePath[kPathBytes];
    char fileTitle[kPathBytes];
    uint8_t* buffer;
    uint32_t bufferSize;
    // Where the stretches of the buffer end (each file read into it, each
    // blank disk; made with the record), and the version of filePath the
    // document last read or wrote.
    BufferStretches* stretches;
    FileVersion fileVersion;

    // Services, set at creation; tests replace them to make faults real.
    MemoryApi* memory;
    FileApi* files;
    KeyStateFn keyState;
    // HtmlHelpW, loaded from the HTML Help library at the first request for
    // the .chm (null until then), and WinHelpW.
    HtmlHelpFn htmlHelp;
    WinHelpFn winHelp;
    // Set once the settings file has been read, so that a creation that
    // failed earlier does not overwrite it with zeros.
    int32_t settingsRead;
    // The control of the main window that had the keyboard focus when the
    // window was last deactivated; it gets the focus back on activation.
    HWND focusBefore;
    // Nonzero while a drop is being worked through (opened or added); new
    // drops are refused until its run ends.
    int32_t dropRunning;

    // The status text: what the selection asks for (shown unless a long
    // command shows its progress there), and what the changes inside the
    // disk list's current message ask for, shown once that message
    // returns. The list's own window procedure is kept to pass it on.
    char statusText[256];
    StatusInputs pendingStatus;
    int32_t listDepth;
    WNDPROC listProc;
    // A long command (open, add, save, extract): how many are running
    // (nested), whether its progress shows in the status bar, and the
    // commands, drops and closes that arrived meanwhile.
    int32_t runDepth;
    int32_t progressShown;
    int32_t heldCount;
    HeldMessage held[kHeldMessages];
};

// What a main window is created with. Production passes none and gets the
// system's memory, files and keyboard; tests pass their own to make faults
// real, including a record allocation that fails.
struct MainWindowServices {
    MemoryApi* memory;
    FileApi* files;
    KeyStateFn keyState;
    void* (*allocateRecord)(size_t size);
    HtmlHelpFn htmlHelp;
    WinHelpFn winHelp;
};

// HtmlHelpW of an HTML Help library ("hhctrl.ocx"), which stays loaded for
// the rest of the process; null when the library or the function is missing.
HtmlHelpFn LoadHtmlHelp(const char* library);

// The record of a main window, or null.
MainWindowParams* GetParams(HWND mainWindow);
// The record reached from a child or a dialog of the main window.
MainWindowParams* GetParamsFromChild(HWND child);

#endif
