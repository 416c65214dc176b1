// Opening a container file: File > Open, the command line, and the load
// that both end in.
#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <string>

#include "document/document_io.h"
#include "document/document_win.h"
#include "document/import_win.h"
#include "document/other_formats.h"
#include "document/paths.h"
#include "document/report_win.h"
#include "list/disk_list_win.h"
#include "platform/file_api.h"
#include "platform/text_wide_win.h"
#include "shell/long_run_win.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"

namespace {

// The folder is remembered once the file was opened, even when reading
// fails later on; a path without a folder part leaves it as it was.
void RememberFolder(MainWindowParams* params, const char* path, unsigned nameOffset) {
    if (nameOffset >= 1 && nameOffset <= std::strlen(path) && nameOffset <= sizeof params->lastDir)
        lstrcpynA(params->lastDir, path, nameOffset);
}

}  // namespace

int LoadDocumentFile(HWND mainWindow, const char* path, const char* title, unsigned nameOffset) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    uint8_t* block = nullptr;
    uint32_t size = 0;
    bool opened = false;
    FileVersion version = {false, FileStamp()};
    // An image of another format opens as a document of its one disk, which
    // has no file of its own: the file is no D88 file to save over.
    ImportPlan plan = PlanImportOf(*params->files, path);
    if (plan.format != kFormatD88) {
        int read = ReadConvertedImage(mainWindow, path, title, plan.format, TXT_LOSSY_OPEN, nullptr,
                                      0, &block, &size, &opened);
        if (opened) RememberFolder(params, path, nameOffset);
        if (!read) return 0;
    }
    LongRun run(mainWindow);
    run.Begin(kRunReading, 0);
    if (plan.format == kFormatD88) {
        IoStatus result = ReadWholeFile(*params->files, *params->memory, path, &block, &size,
                                        &opened, &run, &version);
        // A file of 0 bytes is a container without images: an empty document.
        if (result.result == kIoEmptyFile) result = IoSuccess();
        if (opened) RememberFolder(params, path, nameOffset);
        if (!result.ok()) {
            ReportIoFailure(mainWindow, result, title);
            return 0;
        }
    }
    if (!InstallOrReport(mainWindow, block, size, false)) return 0;
    params->modified = 0;
    // Named by its long name however it was given, so that its backup
    // copies and extracted files are too.
    lstrcpynA(params->filePath, plan.format == kFormatD88 ? LongPathOf(path).c_str() : "",
              sizeof params->filePath);
    params->fileVersion = version;
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
    WarnCutShort(mainWindow, 0, title);
    return 1;
}

int OpenFromCommandLine(HWND mainWindow, const char* text) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !text) return 0;
    char given[kPathBytes];
    CommandLinePath(text, given);
    if (given[0] == '\0') return 0;

    // A name without a backslash ("GAME.D88", or "C:GAME.D88" on a drive)
    // is taken from the current folder, so that its folder is known.
    std::wstring full = PathW(given);
    if (LastBackslash(given) < 0) {
        wchar_t whole[kPathMax];
        DWORD n = GetFullPathNameW(full.c_str(), kPathMax, whole, nullptr);
        if (n == 0 || n >= kPathMax) return 0;
        full = whole;
    }

    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(full.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    FindClose(find);

    // The folder keeps its backslash; it is empty when there is none.
    std::string folder = Utf8FromWide(full.substr(0, full.find_last_of(L'\\') + 1).c_str());
    if (full.find_last_of(L'\\') == std::wstring::npos) folder.clear();
    std::string title = Utf8FromWide(found.cFileName);
    std::string path = folder + Utf8FromWide(found.cAlternateFileName[0] ? found.cAlternateFileName
                                                                         : found.cFileName);
    if (Utf16Length(path.c_str()) >= kPathMax) {
        ShowWarning(mainWindow, TXT_CANNOT_OPEN, title.c_str());
        return 0;
    }

    if (!PlanImportOf(*params->files, path.c_str()).recognised) {
        if (MessageBoxW(mainWindow, FormatW(TXT_NOT_D88_OPEN, PathW(title.c_str())).c_str(),
                        TextW(TXT_FILE_CHECK).c_str(), MB_YESNO | MB_ICONINFORMATION) == IDNO)
            return 1;
    }
    lstrcpynA(params->lastDir, folder.c_str(), sizeof params->lastDir);
    return LoadDocumentFile(mainWindow, path.c_str(), title.c_str(),
                            static_cast<unsigned>(LastBackslash(path.c_str()) + 1));
}

int OpenDocumentCommand(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !ConfirmSaveChanges(mainWindow)) return 0;
    TrimTrailingBackslash(params->lastDir);
    FileDialog dialog;
    PrepareOpenDialog(&dialog, mainWindow, params->lastDir, OFN_EXPLORER | OFN_FILEMUSTEXIST,
                      true);
    if (!GetOpenFileNameW(&dialog.ofn)) return 0;
    std::string folder = Utf8FromWide(std::wstring(dialog.file, dialog.ofn.nFileOffset).c_str());
    return LoadDocumentFile(mainWindow, Utf8FromWide(dialog.file).c_str(),
                            Utf8FromWide(dialog.title).c_str(),
                            static_cast<unsigned>(folder.size()));
}
