#include "document/report_win.h"

#include <cstring>

#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/image_buffer.h"
#include "store/memory.h"

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

void PrepareOpenDialog(OPENFILENAMEA* ofn, HWND mainWindow, char* file, char* title,
                       const char* initialDir, DWORD flags) {
    std::memset(ofn, 0, sizeof *ofn);
    ofn->lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // 76 bytes
    ofn->hwndOwner = mainWindow;
    ofn->hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(mainWindow, GWLP_HINSTANCE));
    ofn->lpstrFilter = TXT_FILTER;
    ofn->nFilterIndex = 1;
    file[0] = '\0';
    title[0] = '\0';
    ofn->lpstrFile = file;
    ofn->nMaxFile = MAX_PATH;
    ofn->lpstrFileTitle = title;
    ofn->nMaxFileTitle = MAX_PATH;
    ofn->lpstrInitialDir = initialDir;
    ofn->Flags = flags;
}

void InstallBlock(MainWindowParams* params, uint8_t* block, uint32_t size) {
    if (params->buffer) ReleaseBlock(*params->memory, params->buffer, params->bufferSize);
    params->buffer = block;
    params->bufferSize = size;
}
