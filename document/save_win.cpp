// File > Save and Save As: the listed images, in list order, to a file.
#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <vector>

#include "document/document_io.h"
#include "document/document_win.h"
#include "document/paths.h"
#include "document/report_win.h"
#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "shell/long_run_win.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"

int WriteDocument(HWND mainWindow, const char* target) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    LongRun run(mainWindow);
    run.Begin(kRunSaving, 0);
    std::vector<uint32_t> offsets;
    if (params->listView) {
        int count = ListCount(params->listView);
        offsets.reserve(count);
        for (int i = 0; i < count; ++i) offsets.push_back(GetItemImageOffset(params->listView, i));
    }
    IoStatus result =
        WriteImages(*params->files, *params->memory, params->buffer, params->bufferSize,
                    offsets.empty() ? nullptr : &offsets[0], offsets.size(), target,
                    (params->flags & FLAG_MAKE_BACKUP) != 0, &run);
    if (!result.ok()) {
        ReportIoFailure(mainWindow, result, target);
        return 0;
    }
    params->modified = 0;
    return 1;
}

int SaveDocument(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    if (!params->modified) return 1;
    if (params->filePath[0] == '\0') return SaveDocumentAs(mainWindow);
    return WriteDocument(mainWindow, params->filePath);
}

int SaveDocumentAs(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    TrimTrailingBackslash(params->lastDir);
    char file[MAX_PATH];
    char title[MAX_PATH];
    OPENFILENAMEA ofn;
    PrepareOpenDialog(&ofn, mainWindow, file, title, params->lastDir,
                      OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
    lstrcpynA(file, params->fileTitle, MAX_PATH);
    ofn.lpstrDefExt = "D88";
    if (!GetSaveFileNameA(&ofn)) return 0;
    if (!WriteDocument(mainWindow, file)) return 0;
    lstrcpynA(params->filePath, file, sizeof params->filePath);
    lstrcpynA(params->fileTitle, title, sizeof params->fileTitle);
    SetDocumentTitle(mainWindow, params->fileTitle);
    return 1;
}
