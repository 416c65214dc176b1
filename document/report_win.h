// Shared pieces of the document commands: failure messages, the open-file
// dialog setup, installing a new block.
#ifndef ORVANEL_DOCUMENT_REPORT_WIN_H
#define ORVANEL_DOCUMENT_REPORT_WIN_H

#include <windows.h>
#include <commdlg.h>

#include "document/document_io.h"

struct MainWindowParams;

// Shows the message of a failed operation, naming `name` where it has room.
// The one place the window words a failure, with its fixed messages.
void ReportIoFailure(HWND mainWindow, IoResult result, const char* name);
void ReportIoFailure(HWND mainWindow, const IoStatus& status, const char* name);

// An open-file dialog record as File > Open and Disk > Add show it.
void PrepareOpenDialog(OPENFILENAMEA* ofn, HWND mainWindow, char* file, char* title,
                       const char* initialDir, DWORD flags);

// Releases the old block and installs the new one.
void InstallBlock(MainWindowParams* params, uint8_t* block, uint32_t size);

#endif
