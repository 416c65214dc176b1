// Adding the images of other files to the open document.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "document/document_io.h"
#include "document/document_win.h"
#include "document/import_win.h"
#include "document/other_formats.h"
#include "document/paths.h"
#include "document/report_win.h"
#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "platform/text_wide_win.h"
#include "shell/long_run_win.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"

int AppendImageFile(HWND mainWindow, const char* path) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    uint8_t* block = nullptr;
    uint32_t added = 0;
    uint32_t oldSize = params->bufferSize;
    // An image of another format becomes one D88 image; a D88 file (or
    // one of no known format) is appended as it is.
    ImportPlan plan = PlanImportOf(*params->files, path);
    if (plan.format != kFormatD88 &&
        !ReadConvertedImage(mainWindow, path, path, plan.format, TXT_LOSSY_ADD, params->buffer,
                            oldSize, &block, &added))
        return 0;
    LongRun run(mainWindow);
    run.Begin(kRunReading, 0);
    if (plan.format == kFormatD88) {
        IoStatus result = ReadFileAppended(*params->files, *params->memory, path, params->buffer,
                                           oldSize, &block, &added, &run);
        if (!result.ok()) {
            ReportIoFailure(mainWindow, result, path);
            return 0;
        }
    }
    if (!InstallOrReport(mainWindow, block, oldSize + added, true)) return 0;
    bool complete = true;
    int first = params->listView ? ListCount(params->listView) : 0;
    if (params->listView) {
        complete = ListImages(params->listView, params->buffer, params->bufferSize, oldSize,
                              params->bufferSize, &run);
        RefitAfterLoad(params->listView);
    }
    params->modified = 1;
    if (!complete) ShowWarning(mainWindow, TXT_WALK_STOPPED, path);
    if (complete) WarnCutShort(mainWindow, first, path);
    return 1;
}

int AddDisksCommand(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    TrimTrailingBackslash(params->lastDir);
    FileDialog dialog;
    PrepareOpenDialog(&dialog, mainWindow, params->lastDir,
                      OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT, true);
    wchar_t* file = dialog.file;
    // The answer's strings must end inside the buffer, whatever the dialog did.
    file[MAX_PATH - 1] = L'\0';
    if (!GetOpenFileNameW(&dialog.ofn)) return 0;
    file[MAX_PATH - 1] = L'\0';

    lstrcpynA(params->lastDir, Utf8FromWide(file).c_str(), sizeof params->lastDir);
    size_t first = lstrlenW(file);
    if (first + 1 < MAX_PATH && file[first + 1] != L'\0') {
        // A folder, then bare names, read from that folder as the current one
        // (the dialog makes it current; this makes sure of it).
        SetCurrentDirectoryW(file);
        for (const wchar_t* name = file + first + 1; name < file + MAX_PATH && *name;
             name += lstrlenW(name) + 1) {
            AppendImageFile(mainWindow, Utf8FromWide(name).c_str());
        }
        return 1;
    }
    int slash = LastBackslash(params->lastDir);
    if (slash >= 0) params->lastDir[slash] = '\0';
    AppendImageFile(mainWindow, Utf8FromWide(file).c_str());
    return 1;
}
