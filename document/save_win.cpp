// File > Save and Save As: the listed images, in list order, to a file.
#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <string>
#include <vector>

#include "document/document_io.h"
#include "document/document_win.h"
#include "document/paths.h"
#include "document/report_win.h"
#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "platform/text_wide_win.h"
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
    FileDialog dialog;
    PrepareOpenDialog(&dialog, mainWindow, params->lastDir,
                      OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
    lstrcpynW(dialog.file, PathW(params->fileTitle).c_str(), MAX_PATH);
    dialog.ofn.lpstrDefExt = L"D88";
    if (!GetSaveFileNameW(&dialog.ofn)) return 0;
    std::string file = Utf8FromWide(dialog.file);
    if (!WriteDocument(mainWindow, file.c_str())) return 0;
    lstrcpynA(params->filePath, file.c_str(), sizeof params->filePath);
    lstrcpynA(params->fileTitle, Utf8FromWide(dialog.title).c_str(), sizeof params->fileTitle);
    SetDocumentTitle(mainWindow, params->fileTitle);
    return 1;
}
