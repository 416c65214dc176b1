#include "document/report_win.h"

#include <cstdio>
#include <cstring>

#include "document/paths.h"
#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "platform/memory.h"
#include "platform/text_wide_win.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"
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
        case kIoReplaceFailed:
        case kIoWriteFailed:
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
    if (status.result == kIoReplaceFailed && !status.other.empty()) {
        std::wstring text = FormatW(TXT_KEPT_ASIDE, PathW(name)) + PathW(status.other.c_str());
        MessageBoxW(mainWindow, text.c_str(), TextW(TXT_APP_CAPTION).c_str(),
                    MB_OK | MB_ICONWARNING);
        return;
    }
    ReportIoFailure(mainWindow, status.result, name);
}

bool InstallOrReport(HWND mainWindow, uint8_t* block, uint32_t size, bool grown) {
    MainWindowParams* params = GetParams(mainWindow);
    if (InstallBlock(params, block, size, grown)) return true;
    ReleaseBlock(*params->memory, block, size);
    ReportIoFailure(mainWindow, kIoNoMemory, nullptr);
    return false;
}

void ShowTextWarning(HWND mainWindow, const std::string& text, const char* path) {
    MessageBoxW(mainWindow, (TextW(text.c_str()) + PathW(path)).c_str(),
                TextW(TXT_APP_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
}

void WarnCutShort(HWND mainWindow, int first, const char* name) {
    MainWindowParams* params = GetParams(mainWindow);
    HWND list = params ? params->listView : nullptr;
    int last = list ? ListCount(list) - 1 : -1;
    uint32_t offset = last >= first ? GetItemImageOffset(list, last) : kNoImage;
    HeaderFields fields;
    if (offset == kNoImage ||
        !ReadHeader(*params->memory, params->buffer, params->bufferSize, offset, &fields))
        return;
    uint32_t held = HeldExtent(params, offset);
    if (held >= fields.diskSize) return;
    char text[512];
    std::snprintf(text, sizeof text, TXT_CUT_SHORT_OPEN,
                  static_cast<unsigned long>(last - first + 1), fields.name,
                  static_cast<unsigned long>(fields.diskSize), static_cast<unsigned long>(held));
    ShowTextWarning(mainWindow, text, name);
}

bool DiskNameForFile(MainWindowParams* params, uint32_t offset, std::string* name) {
    HeaderFields fields;
    if (!ReadHeader(*params->memory, params->buffer, params->bufferSize, offset, &fields))
        return false;
    // Converted from CP932, a byte that is no character shown as the
    // system shows it.
    char part[kNameMax + 1];
    ExtractNamePart(fields, part);
    *name = Utf8FromWide(WideFromCp932(part).c_str());
    return true;
}

std::string LongPathOf(const char* path) {
    wchar_t longName[kPathMax];
    DWORD n = GetLongPathNameW(PathW(path).c_str(), longName, kPathMax);
    return n > 0 && n < kPathMax ? Utf8FromWide(longName) : std::string(path);
}

void PrepareOpenDialog(FileDialog* dialog, HWND mainWindow, const char* initialDir, DWORD flags,
                       bool otherFormats) {
    OPENFILENAMEW* ofn = &dialog->ofn;
    std::memset(ofn, 0, sizeof *ofn);
    ofn->lStructSize = OPENFILENAME_SIZE_VERSION_400W;  // the record without the later fields
    ofn->hwndOwner = mainWindow;
    ofn->hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mainWindow, GWLP_HINSTANCE));
    // The filter's pairs are NUL-separated: all of its bytes are converted.
    std::string filter(TXT_FILTER, sizeof TXT_FILTER);
    if (otherFormats) {
        // After the first pair: the D88 filter stays first and chosen.
        size_t pair = filter.find('\0', filter.find('\0') + 1) + 1;
        filter.insert(pair, TXT_FILTER_FORMATS, sizeof TXT_FILTER_FORMATS - 1);
    }
    dialog->filter = WideFromCp932(filter);
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

bool InstallBlock(MainWindowParams* params, uint8_t* block, uint32_t size, bool grown) {
    if (!(grown ? params->stretches->Add(size) : params->stretches->Reset(size))) return false;
    if (params->buffer) ReleaseBlock(*params->memory, params->buffer, params->bufferSize);
    params->buffer = block;
    params->bufferSize = size;
    return true;
}
