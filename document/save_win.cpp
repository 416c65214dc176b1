// File > Save and Save As: the listed images, in list order, to a file.
#include <windows.h>
#include <commdlg.h>

#include <cstdio>
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
#include "store/image_buffer.h"

namespace {

// The refusal of a save that would put the images after a cut-short one
// into it: the disk, by its place in the list, and what to do.
void RefuseCutShort(HWND mainWindow, MainWindowParams* params, int index, const char* target) {
    uint32_t offset = GetItemImageOffset(params->listView, index);
    HeaderFields fields;
    if (!ReadHeader(*params->memory, params->buffer, params->bufferSize, offset, &fields))
        fields.name[0] = '\0';
    char text[512];
    std::snprintf(text, sizeof text, TXT_CUT_SHORT_SAVE, static_cast<unsigned long>(index + 1),
                  fields.name, static_cast<unsigned long>(fields.diskSize),
                  static_cast<unsigned long>(HeldExtent(params, offset)));
    ShowTextWarning(mainWindow, text, target);
}

bool IsDocumentFile(const MainWindowParams* params, const char* target) {
    return lstrcmpiW(PathW(target).c_str(), PathW(params->filePath).c_str()) == 0;
}

// Whether the file the document came from may be replaced: another
// program that wrote to it since it was read or saved here is asked about.
bool MayReplace(HWND mainWindow, MainWindowParams* params, const char* target) {
    if (!IsDocumentFile(params, target) ||
        !ChangedSince(*params->files, target, params->fileVersion))
        return true;
    return MessageBoxW(mainWindow, FormatW(TXT_CHANGED_ELSEWHERE, PathW(target)).c_str(),
                       TextW(TXT_OVERWRITE_CAPTION).c_str(),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// The name Save As proposes: the document's, but a document opened from
// an image of another format (it has no file of its own) is proposed as a
// D88 file of that name, never as the image it came from.
std::string SaveAsName(const MainWindowParams* params) {
    const char* title = params->fileTitle;
    char d88[kPathBytes];
    if (params->filePath[0] || ExtensionDot(title) < 0 || HasContainerExtension(title) ||
        !ReplaceExtension(title, ".D88", d88, sizeof d88))
        return title;
    return d88;
}

}  // namespace

int WriteDocument(HWND mainWindow, const char* target) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    std::vector<uint32_t> offsets;
    if (params->listView) {
        int count = ListCount(params->listView);
        offsets.reserve(count);
        for (int i = 0; i < count; ++i) offsets.push_back(GetItemImageOffset(params->listView, i));
    }
    WriteJob job;
    size_t cutShort = 0;
    if (!HeldImagesJob(*params->memory, params->buffer, params->bufferSize, *params->stretches,
                       offsets.empty() ? nullptr : &offsets[0], offsets.size(), target,
                       (params->flags & FLAG_MAKE_BACKUP) ? kBackupStagedQuiet : kNoBackup, &job,
                       &cutShort)) {
        RefuseCutShort(mainWindow, params, static_cast<int>(cutShort), target);
        return 0;
    }
    if (!MayReplace(mainWindow, params, target)) return 0;
    LongRun run(mainWindow);
    run.Begin(kRunSaving, 0);
    IoStatus result =
        WriteOneFile(*params->files, *params->memory, std::vector<SourceFile>(), job, &run);
    if (!result.ok()) {
        ReportIoFailure(mainWindow, result, target);
        return 0;
    }
    params->modified = 0;
    if (IsDocumentFile(params, target)) params->fileVersion = VersionOf(*params->files, target);
    return 1;
}

int SaveDocument(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    // A name typed but not confirmed yet is saved with the rest.
    EndRenameInProgress(params->listView);
    if (!params->modified) return 1;
    if (params->filePath[0] == '\0') return SaveDocumentAs(mainWindow);
    return WriteDocument(mainWindow, params->filePath);
}

int SaveDocumentAs(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    EndRenameInProgress(params->listView);
    TrimTrailingBackslash(params->lastDir);
    FileDialog dialog;
    PrepareOpenDialog(&dialog, mainWindow, params->lastDir,
                      OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
    lstrcpynW(dialog.file, PathW(SaveAsName(params).c_str()).c_str(), MAX_PATH);
    dialog.ofn.lpstrDefExt = L"D88";
    if (!GetSaveFileNameW(&dialog.ofn)) return 0;
    std::string file = Utf8FromWide(dialog.file);
    if (!WriteDocument(mainWindow, file.c_str())) return 0;
    lstrcpynA(params->filePath, file.c_str(), sizeof params->filePath);
    params->fileVersion = VersionOf(*params->files, params->filePath);
    lstrcpynA(params->fileTitle, Utf8FromWide(dialog.title).c_str(), sizeof params->fileTitle);
    SetDocumentTitle(mainWindow, params->fileTitle);
    return 1;
}
