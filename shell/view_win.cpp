// View modes, column widths, the status bar and its text, menu state.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "document/paths.h"
#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "platform/memory.h"
#include "platform/text_wide_win.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/presentation.h"
#include "shell/settings_codec.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"

int SetViewMode(HWND mainWindow, uint32_t mode) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !params->listView) return 0;
    mode &= FLAG_VIEW_MASK;
    HWND list = params->listView;
    LONG style = GetWindowLongA(list, GWL_STYLE);
    SetWindowLongA(list, GWL_STYLE, (style & ~LVS_TYPEMASK) | static_cast<LONG>(mode));
    if (mode == LVS_REPORT) FitColumns(list);
    params->flags = (params->flags & ~FLAG_VIEW_MASK) | mode;
    UpdateWindow(list);
    return 1;
}

int ToggleStatusBar(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !params->statusBar) return 0;
    if (GetWindowLongA(params->statusBar, GWL_STYLE) & WS_VISIBLE) {
        ShowWindow(params->statusBar, SW_HIDE);
        params->flags &= ~FLAG_STATUSBAR;
    } else {
        ShowWindow(params->statusBar, SW_SHOW);
        params->flags |= FLAG_STATUSBAR;
    }
    return LayoutChildren(mainWindow);
}

namespace {

// The widest of the texts of each column, each distinct text measured once,
// in the list's font on one device context: what LVM_GETSTRINGWIDTHW gives,
// without a device context of its own for every text.
class ColumnWidths {
public:
    explicit ColumnWidths(HWND list) : list_(list), dc_(GetDC(list)), font_(nullptr), widest_() {
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0));
        if (dc_ && font) font_ = SelectObject(dc_, font);
    }
    ~ColumnWidths() {
        if (font_) SelectObject(dc_, font_);
        if (dc_) ReleaseDC(list_, dc_);
    }
    void Add(int column, const wchar_t* text) {
        if (!seen_[column].insert(text).second || text[0] == L'\0') return;
        SIZE size = {0, 0};
        if (dc_) GetTextExtentPoint32W(dc_, text, lstrlenW(text), &size);
        if (size.cx > widest_[column]) widest_[column] = size.cx;
    }
    int Widest(int column) const { return widest_[column]; }

private:
    ColumnWidths(const ColumnWidths&);
    ColumnWidths& operator=(const ColumnWidths&);
    HWND list_;
    HDC dc_;
    HGDIOBJ font_;
    int widest_[4];
    std::set<std::wstring> seen_[4];
};

void ShowStatus(MainWindowParams* params, const StatusInputs& in) {
    FormatStatusText(in, params->statusText, sizeof params->statusText);
    // A long command shows its progress there; the text follows at its end.
    if (!params->progressShown)
        SendMessageW(params->statusBar, SB_SETTEXTW, 255 | 0,
                     reinterpret_cast<LPARAM>(TextW(params->statusText).c_str()));
}

}  // namespace

int FitColumns(HWND list) {
    if (!list) return 0;
    int count = ListCount(list);
    ColumnWidths widths(list);
    for (int column = 0; column < 4; ++column) {
        for (int i = 0; i < count; ++i) {
            wchar_t text[256];
            ListGetSubTextW(list, i, column, text, 255);
            widths.Add(column, text);
        }
        LVCOLUMNW col = {};
        col.mask = LVCF_WIDTH;
        col.cx = widths.Widest(column) + 32;
        SendMessageW(list, LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
    }
    return 1;
}

void RefitAfterLoad(HWND list) {
    if (ListViewBits(list) & 1) FitColumns(list);
    UpdateWindow(list);
}

int UpdateStatusText(HWND list, const NMLISTVIEW* change) {
    MainWindowParams* params = GetParamsFromChild(list);
    if (!params) return 0;
    StatusInputs in = {};
    int selected = ListSelectedCount(list);
    if (selected == 0) {
        in.kind = StatusInputs::kCount;
        in.number = ListCount(list);
    } else if (selected > 1) {
        in.kind = StatusInputs::kSelected;
        in.number = selected;
    } else {
        int first = ListNextSelected(list, -1);
        if (!change || first != change->iItem) return 0;
        // The item's own parameter: the same value the notification carries,
        // read from the list so that it is right whatever filled the record.
        HeaderFields fields;
        uint32_t offset = GetItemImageOffset(list, first);
        if (offset == kNoImage ||
            !ReadHeader(*params->memory, params->buffer, params->bufferSize, offset, &fields))
            return 0;
        in.kind = StatusInputs::kSingle;
        in.mediaType = fields.mediaType;
        in.diskSize = fields.diskSize;
        in.writeProtect = fields.writeProtect;
    }
    // Inside a message of the list the last change of its burst decides,
    // and the text is shown once, when that message returns: composing and
    // drawing it for each of 10,000 changes took seconds.
    if (params->listDepth > 0)
        params->pendingStatus = in;
    else
        ShowStatus(params, in);
    return 0;
}

void ShowPendingStatus(MainWindowParams* params) {
    if (params->pendingStatus.kind == StatusInputs::kNone) return;
    StatusInputs in = params->pendingStatus;
    params->pendingStatus.kind = StatusInputs::kNone;
    ShowStatus(params, in);
}

namespace {

void Enable(HMENU menu, int id, bool on) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}
void Check(HMENU menu, int id, bool on) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace

int UpdateMenuState(HWND mainWindow, HMENU menu) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !menu) return 0;
    HWND list = params->listView;
    MenuInputs in = {};
    // A name being typed will be stored by a save: Save is there for it.
    in.modified = params->modified != 0 || RenameInProgress(list);
    in.hasBuffer = params->buffer != nullptr;
    in.selectedCount = list ? ListSelectedCount(list) : 0;
    if (in.selectedCount == 1) {
        uint32_t offset = GetItemImageOffset(list, ListNextSelected(list, -1));
        HeaderFields fields;
        if (offset != kNoImage &&
            ReadHeader(*params->memory, params->buffer, params->bufferSize, offset, &fields)) {
            in.selectedProtectKnown = true;
            in.selectedProtected = fields.writeProtect != 0;
        }
    }
    in.statusBarVisible =
        params->statusBar && (GetWindowLongA(params->statusBar, GWL_STYLE) & WS_VISIBLE) != 0;
    in.viewMode = list ? ListViewBits(list) : 0;
    MenuState state = ComputeMenuState(in);

    Enable(menu, IDM_SAVE, state.saveEnabled);
    Enable(menu, IDM_SAVEAS, state.saveAsEnabled);
    Enable(menu, IDM_DELETEDISK, state.deleteEnabled);
    Enable(menu, IDM_EXTRACT, state.deleteEnabled);
    Enable(menu, IDM_RENAME, state.singleEnabled);
    Enable(menu, IDM_WRITEPROTECT, state.singleEnabled);
    Enable(menu, IDM_PROPERTIES, state.singleEnabled);
    Enable(menu, IDM_FILES, state.singleEnabled);
    Enable(menu, IDM_CHECK, state.deleteEnabled);
    Enable(menu, IDM_EXPORT, state.deleteEnabled);
    Check(menu, IDM_WRITEPROTECT, state.protectChecked);
    Check(menu, IDM_STATUSBAR, state.statusBarChecked);
    CheckMenuRadioItem(menu, IDM_LARGEICON, IDM_DETAILS, state.viewCommand, MF_BYCOMMAND);
    return 1;
}

bool ModuleFileWithExtension(HINSTANCE instance, const char* extension, std::string* out) {
    wchar_t module[MAX_PATH + 1];
    DWORD n = GetModuleFileNameW(instance, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    module[n] = L'\0';
    std::string path = Utf8FromWide(module);
    std::vector<char> name(path.size() + std::strlen(extension) + 1);
    if (!ReplaceExtension(path.c_str(), extension, &name[0], name.size())) return false;
    *out = &name[0];
    return true;
}

std::wstring TextW(const char* cp932) { return WideFromCp932(cp932 ? cp932 : ""); }

std::wstring PathW(const char* utf8) { return WideFromUtf8(utf8 ? utf8 : ""); }

std::wstring FormatW(const char* format, const std::wstring& arg) {
    std::wstring text = TextW(format);
    size_t at = text.find(L"%s");
    if (at != std::wstring::npos) text.replace(at, 2, arg);
    return text;
}

void ShowWarning(HWND mainWindow, const char* format, const char* arg) {
    MessageBoxW(mainWindow, FormatW(format, PathW(arg)).c_str(), TextW(TXT_APP_CAPTION).c_str(),
                MB_OK | MB_ICONWARNING);
}

void SetDocumentTitle(HWND mainWindow, const char* title) {
    std::wstring text =
        title && title[0] ? FormatW(TXT_TITLE_FORMAT, PathW(title)) : TextW(TXT_NEW_WINDOW_TITLE);
    SetWindowTextW(mainWindow, text.c_str());
}
