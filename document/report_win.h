// Shared pieces of the document commands: failure messages, the open-file
// dialog setup, installing a new block.
#ifndef ORVANEL_DOCUMENT_REPORT_WIN_H
#define ORVANEL_DOCUMENT_REPORT_WIN_H

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "document/document_io.h"

struct MainWindowParams;

// Shows the message of a failed operation, naming `name` where it has room.
// The one place the window words a failure, with its fixed messages.
void ReportIoFailure(HWND mainWindow, IoResult result, const char* name);
void ReportIoFailure(HWND mainWindow, const IoStatus& status, const char* name);

// The record of the file dialogs of File > Open, Disk > Add and File >
// Save As, in wide characters, with its buffers.
struct FileDialog {
    OPENFILENAMEW ofn;
    wchar_t file[MAX_PATH];
    wchar_t title[MAX_PATH];
    std::wstring filter;
    std::wstring initialDir;
};
// Prepares the dialog: the two filters (with `otherFormats`, the filters of
// the other disk-image formats between them), the initial folder (UTF-8),
// the flags; the file name box empty.
void PrepareOpenDialog(FileDialog* dialog, HWND mainWindow, const char* initialDir, DWORD flags,
                       bool otherFormats = false);

// Releases the old block and installs the new one, which holds the old
// bytes and a new stretch after them (`grown`: add, new disk) or one file's
// bytes alone (open, new document). False, with nothing changed, when the
// memory to note the stretch is refused.
bool InstallBlock(MainWindowParams* params, uint8_t* block, uint32_t size, bool grown);
// The same for a command: when it fails, the new block is released and the
// memory message shown.
bool InstallOrReport(HWND mainWindow, uint8_t* block, uint32_t size, bool grown);

// A message box owned by the main window, caption "Orvanel", warning icon:
// `text` (CP932, filled in already), then `path` (UTF-8) when given.
void ShowTextWarning(HWND mainWindow, const std::string& text, const char* path);
// The warning of an image of the list, from `first` on, that holds fewer
// bytes than its diskSize says: only the last image of a file can. `name`
// is the file's, as the messages of the open or the add name it.
void WarnCutShort(HWND mainWindow, int first, const char* name);
// The disk's part of the names of the files it is written to (extract,
// export): its name as UTF-8; false when its header cannot be read.
bool DiskNameForFile(MainWindowParams* params, uint32_t offset, std::string* name);
// The full long form of a path however it was given (8.3 names included);
// the path itself when the system cannot tell.
std::string LongPathOf(const char* path);

#endif
