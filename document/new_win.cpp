// The save question, File > New and Disk > New disk.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "document/document_win.h"
#include "document/report_win.h"
#include "list/disk_list_win.h"
#include "platform/text_codec.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"
#include "store/image_buffer.h"

int ConfirmSaveChanges(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 1;
    // A name typed but not confirmed yet is part of what is asked about.
    EndRenameInProgress(params->listView);
    if (!params->modified) return 1;
    switch (MessageBoxW(mainWindow, FormatW(TXT_SAVE_QUESTION, PathW(params->fileTitle)).c_str(),
                        TextW(TXT_SAVE_CAPTION).c_str(), MB_YESNOCANCEL | MB_ICONWARNING)) {
        case IDCANCEL:
            return 0;
        case IDNO:
            return 1;
        default:
            return SaveDocument(mainWindow) ? 1 : 0;
    }
}

int NewDocument(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !ConfirmSaveChanges(mainWindow)) return 0;
    InstallBlock(params, nullptr, 0, false);
    params->filePath[0] = '\0';
    params->fileVersion.known = false;
    // The title is kept as a file name is, in UTF-8.
    std::string title;
    Cp932ToUtf8(TXT_NEW_TITLE, &title);
    lstrcpynA(params->fileTitle, title.c_str(), sizeof params->fileTitle);
    SetDocumentTitle(mainWindow, params->fileTitle);
    params->modified = 0;
    if (params->listView) {
        SendMessageA(params->listView, LVM_DELETEALLITEMS, 0, 0);
        UpdateWindow(params->listView);
    }
    return 1;
}

int AppendBlankDisk(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    uint32_t oldSize = params->bufferSize;
    uint8_t* block = GrowBlock(*params->memory, params->buffer, oldSize, kHeaderSize);
    if (!block) {
        ReportIoFailure(mainWindow, kIoNoMemory, nullptr);
        return 0;
    }
    if (!InstallOrReport(mainWindow, block, oldSize + kHeaderSize, true)) return 0;
    MakeBlankHeader(params->buffer + oldSize);
    if (params->listView)
        AddDiskItem(params->listView, params->buffer, params->bufferSize, oldSize);
    params->modified = 1;
    return 1;
}
