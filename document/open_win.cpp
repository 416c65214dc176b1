// Opening a container file: File > Open, the command line, and the load
// that both end in.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "document/document_io.h"
#include "document/document_win.h"
#include "document/file_api.h"
#include "document/paths.h"
#include "document/report_win.h"
#include "list/disk_list_win.h"
#include "shell/long_run_win.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"

int LoadDocumentFile(HWND mainWindow, const char* path, const char* title, unsigned nameOffset) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    uint8_t* block = nullptr;
    uint32_t size = 0;
    bool opened = false;
    LongRun run(mainWindow);
    run.Begin(kRunReading, 0);
    IoStatus result =
        ReadWholeFile(*params->files, *params->memory, path, &block, &size, &opened, &run);
    if (opened && nameOffset >= 1 && nameOffset <= std::strlen(path) && nameOffset <= kPathMax) {
        // The folder is remembered even when reading fails later on; a path
        // without a folder part leaves it as it was.
        lstrcpynA(params->lastDir, path, nameOffset);
    }
    if (!result.ok()) {
        ReportIoFailure(mainWindow, result, title);
        return 0;
    }
    InstallBlock(params, block, size);
    params->modified = 0;
    lstrcpynA(params->filePath, path, sizeof params->filePath);
    lstrcpynA(params->fileTitle, title, sizeof params->fileTitle);
    SetDocumentTitle(mainWindow, params->fileTitle);

    if (!params->listView) return 0;
    SendMessageA(params->listView, LVM_DELETEALLITEMS, 0, 0);
    if (!ListImages(params->listView, params->buffer, params->bufferSize, 0, params->bufferSize,
                    &run)) {
        // The document stays loaded with the images found so far; the user
        // is told that the rest of the file is not part of it.
        ShowWarning(mainWindow, TXT_WALK_STOPPED, title);
        return 0;
    }
    RefitAfterLoad(params->listView);
    return 1;
}

int OpenFromCommandLine(HWND mainWindow, const char* text) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !text) return 0;
    char given[kPathMax];
    CommandLinePath(text, given);
    if (given[0] == '\0') return 0;

    // A name without a backslash ("GAME.D88", or "C:GAME.D88" on a drive)
    // is taken from the current folder, so that its folder is known.
    char full[kPathMax];
    if (LastBackslash(given) < 0) {
        char* namePart = nullptr;
        DWORD n = GetFullPathNameA(given, kPathMax, full, &namePart);
        if (n == 0 || n >= kPathMax) return 0;
    } else {
        lstrcpynA(full, given, kPathMax);
    }

    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(full, &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    FindClose(find);

    char folder[kPathMax];
    lstrcpynA(folder, full, kPathMax);
    int slash = LastBackslash(folder);
    folder[slash + 1] = '\0';  // keeps the backslash; empty when there is none

    char path[kPathMax * 2];
    lstrcpynA(path, folder, kPathMax);
    const char* name = found.cAlternateFileName[0] ? found.cAlternateFileName : found.cFileName;
    if (std::strlen(path) + std::strlen(name) >= kPathMax) {
        ShowWarning(mainWindow, TXT_CANNOT_OPEN, found.cFileName);
        return 0;
    }
    lstrcatA(path, name);

    if (!HasContainerExtension(path)) {
        char question[kPathMax + 128];
        wsprintfA(question, TXT_NOT_D88_OPEN, found.cFileName);
        if (MessageBoxA(mainWindow, question, TXT_FILE_CHECK, MB_YESNO | MB_ICONINFORMATION) ==
            IDNO)
            return 1;
    }
    lstrcpynA(params->lastDir, folder, kPathMax);
    return LoadDocumentFile(mainWindow, path, found.cFileName,
                            static_cast<unsigned>(LastBackslash(path) + 1));
}

int OpenDocumentCommand(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !ConfirmSaveChanges(mainWindow)) return 0;
    TrimTrailingBackslash(params->lastDir);
    char file[MAX_PATH];
    char title[MAX_PATH];
    OPENFILENAMEA ofn;
    PrepareOpenDialog(&ofn, mainWindow, file, title, params->lastDir,
                      OFN_EXPLORER | OFN_FILEMUSTEXIST);
    if (!GetOpenFileNameA(&ofn)) return 0;
    return LoadDocumentFile(mainWindow, file, title, ofn.nFileOffset);
}
