// The program's dialogs and the files dropped from the shell.
#ifndef ORVANEL_DIALOGS_DIALOGS_WIN_H
#define ORVANEL_DIALOGS_DIALOGS_WIN_H

#include <windows.h>
#include <shellapi.h>

// Prompt: answers IDYES, IDC_ALLYES, IDNO or IDCANCEL.
int ShowPrompt(HWND owner, const char* question, const char* caption);
int DeleteDisks(HWND mainWindow);

int ShowDiskProperties(HWND mainWindow);
int ShowSettingsDialog(HWND mainWindow);
int ShowAboutDialog(HWND mainWindow);

int OnDropFiles(HWND mainWindow, HDROP drop);
int OpenDroppedFile(HWND mainWindow);
int AddDroppedFiles(HWND mainWindow);
// Releases the pending drop, if any.
int CancelPendingDrop(HWND mainWindow);
int GetDroppedFileName(HDROP drop, unsigned index, char* path, char* title);

#endif
