#include "document/report_win.h"

#include <cstring>

#include "platform/memory.h"
#include "platform/text_wide_win.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/image_buffer.h"

void ReportIoFailure(HWND mainWindow, IoResult result, const char* name) {
    switch (result) {
        case kIoOk:
            break;
        case kIoOpenFailed:
        case kIoCreateFailed:
        case kIoNameTooLong:
            ShowWarning(mainWindow, TXT_CANNOT_OPEN, name);
            break;
        case kIoSizeFailed:
            ShowWarning(mainWindow, TXT_CANNOT_SIZE, name);
            break;
        // An empty file and one of 4 GiB or more get the memory message too:
        // the window asks for a block of their size, which is refused.
        case kIoNoMemory:
        case kIoEmptyFile:
        case kIoTooLarge:
            ShowWarning(mainWindow, TXT_NO_MEMORY, nullptr);
            break;
        case kIoReadFailed:
            ShowWarning(mainWindow, TXT_READ_FAILED, name);
            break;
        // The window's writes replace their targets and make no staged backup
        // copies; whatever else keeps the new file from its place is a failed
        // write to the user.
        case kIoWriteFailed:
        case kIoReplaceFailed:
        case kIoExists:
        case kIoSourceChanged:
        case kIoBackupFailed:
        case kIoBackupNotNamed:
        case kIoRefused:
            ShowWarning(mainWindow, TXT_WRITE_FAILED, name);
            break;
    }
}

void ReportIoFailure(HWND mainWindow, const IoStatus& status, const char* name) {
    ReportIoFailure(mainWindow, status.result, name);
}

void PrepareOpenDialog(FileDialog* dialog, HWND mainWindow, const char* initialDir, DWORD flags) {
    OPENFILENAMEW* ofn = &dialog->ofn;
    std::memset(ofn, 0, sizeof *ofn);
    ofn->lStructSize = OPENFILENAME_SIZE_VERSION_400W;  // the record without the later fields
    ofn->hwndOwner = mainWindow;
    ofn->hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mainWindow, GWLP_HINSTANCE));
    // The filter's pairs are NUL-separated: all of its bytes are converted.
    dialog->filter = WideFromCp932(std::string(TXT_FILTER, sizeof TXT_FILTER));
    ofn->lpstrFilter = dialog->filter.c_str();
    ofn->nFilterIndex = 1;
    dialog->file[0] = L'\0';
    dialog->title[0] = L'\0';
    ofn->lpstrFile = dialog->file;
    ofn->nMaxFile = MAX_PATH;
    ofn->lpstrFileTitle = dialog->title;
    ofn->nMaxFileTitle = MAX_PATH;
    dialog->initialDir = WideFromUtf8(initialDir ? initialDir : "");
    ofn->lpstrInitialDir = dialog->initialDir.c_str();
    ofn->Flags = flags;
}

void InstallBlock(MainWindowParams* params, uint8_t* block, uint32_t size) {
    if (params->buffer) ReleaseBlock(*params->memory, params->buffer, params->bufferSize);
    params->buffer = block;
    params->bufferSize = size;
}
