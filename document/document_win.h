// The document commands of the main window: open, add, save, new, blank
// disks, the save question and extraction.
#ifndef ORVANEL_DOCUMENT_DOCUMENT_WIN_H
#define ORVANEL_DOCUMENT_DOCUMENT_WIN_H

#include <windows.h>

#include <cstdint>

int LoadDocumentFile(HWND mainWindow, const char* path, const char* title, unsigned nameOffset);
int OpenFromCommandLine(HWND mainWindow, const char* text);
int OpenDocumentCommand(HWND mainWindow);

int AppendImageFile(HWND mainWindow, const char* path);
int AddDisksCommand(HWND mainWindow);

int SaveDocument(HWND mainWindow);
int SaveDocumentAs(HWND mainWindow);
int WriteDocument(HWND mainWindow, const char* target);

int ConfirmSaveChanges(HWND mainWindow);
int NewDocument(HWND mainWindow);
int AppendBlankDisk(HWND mainWindow);

int ExtractDisks(HWND mainWindow);
// The run of Disk > Extract once the folder is chosen: every selected disk,
// in list order, to its file in `folder`, with the overwrite questions.
int ExtractSelectedTo(HWND mainWindow, const char* folder);
int ChooseExtractFolder(HWND owner, char* folder);
// The folder browser started in lastDir (without its trailing backslash,
// which lastDir loses too); the folder chosen becomes lastDir. False when
// the user cancelled.
struct MainWindowParams;
bool ChooseFolderFromLastDir(HWND owner, MainWindowParams* params);
int WriteDiskImage(HWND mainWindow, const char* target, uint32_t offset);
// Disk > Export: each selected disk in another format, chosen in a save dialog.
int ExportDisks(HWND mainWindow);

#endif
