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
// Prepares the dialog: the two filters, the initial folder (UTF-8), the
// flags; the file name box empty.
void PrepareOpenDialog(FileDialog* dialog, HWND mainWindow, const char* initialDir, DWORD flags);

// Releases the old block and installs the new one.
void InstallBlock(MainWindowParams* params, uint8_t* block, uint32_t size);

#endif
