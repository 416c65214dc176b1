// The program's dialogs and the files dropped from the shell.
#ifndef ORVANEL_DIALOGS_DIALOGS_WIN_H
#define ORVANEL_DIALOGS_DIALOGS_WIN_H

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

// Prompt: answers IDYES, IDC_ALLYES, IDNO or IDCANCEL. The question as shown,
// the caption a text of the program (CP932).
int ShowPrompt(HWND owner, const std::wstring& question, const char* caption);
int DeleteDisks(HWND mainWindow);

int ShowDiskProperties(HWND mainWindow);
// The files inside the one selected disk, in a window of their own.
int ShowDiskFiles(HWND mainWindow);
// The findings of the selected disks, in a window of their own.
int ShowDiskCheck(HWND mainWindow);
int ShowSettingsDialog(HWND mainWindow);
int ShowAboutDialog(HWND mainWindow);

int OnDropFiles(HWND mainWindow, HDROP drop);
int OpenDroppedFile(HWND mainWindow);
int AddDroppedFiles(HWND mainWindow);
// Releases the pending drop, if any.
int CancelPendingDrop(HWND mainWindow);
// The path (UTF-8, the folder in full and the name in its short form where
// it has one) and the title of a dropped file; false when it is not there.
bool GetDroppedFileName(HDROP drop, unsigned index, std::string* path, std::string* title);

// The format question: whether to go on with a conversion that loses what
// the report (CP932 lines) says, true on Yes; and which of the geometries
// (CP932 texts) a raw image is read with, its index, or -1 on Cancel.
bool AskLossyConversion(HWND owner, const std::wstring& question, const std::string& report);
int AskGeometry(HWND owner, const std::wstring& question, const std::vector<std::string>& choices);

#endif
