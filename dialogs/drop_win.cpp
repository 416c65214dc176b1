// Files dropped from the shell: open the first one or add them all.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "dialogs/dialogs_win.h"
#include "document/document_win.h"
#include "document/other_formats.h"
#include "document/paths.h"
#include "platform/text_wide_win.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"

namespace {

HDROP PendingDrop(HWND mainWindow) {
    return static_cast<HDROP>(GetPropA(mainWindow, PROP_DROP_HANDLE));
}

bool AskAboutExtension(HWND mainWindow, const char* format, const std::string& title) {
    return MessageBoxW(mainWindow, FormatW(format, PathW(title.c_str())).c_str(),
                       TextW(TXT_FILE_CHECK).c_str(), MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

// Whether a file is taken without the question about its name: a D88
// file by its extension, or one whose name says a format its bytes have.
bool Recognised(MainWindowParams* params, const std::string& path) {
    return PlanImportOf(*params->files, path.c_str()).recognised;
}

// Takes the pending drop for a run that works through it. The drop leaves
// the property, so that no cancel and no later drop can release it while
// the run asks its questions; the run gives it back itself (DragFinish)
// and ends with EndDropRun.
HDROP BeginDropRun(HWND mainWindow, MainWindowParams* params) {
    if (!params || params->dropRunning) return nullptr;
    HDROP drop = static_cast<HDROP>(RemovePropA(mainWindow, PROP_DROP_HANDLE));
    if (drop) params->dropRunning = 1;
    return drop;
}

void EndDropRun(MainWindowParams* params) { params->dropRunning = 0; }

}  // namespace

int CancelPendingDrop(HWND mainWindow) {
    HDROP drop = static_cast<HDROP>(RemovePropA(mainWindow, PROP_DROP_HANDLE));
    if (!drop) return 0;
    DragFinish(drop);
    return 1;
}

bool GetDroppedFileName(HDROP drop, unsigned index, std::string* path, std::string* title) {
    if (!drop) return false;
    wchar_t dropped[kPathMax];
    if (!DragQueryFileW(drop, index, dropped, kPathMax)) return false;
    // A bare name (or "C:NAME") lies in the current folder: name it in full,
    // so that the folder part below is a real folder (appending a backslash
    // to the bare name would name nothing).
    std::wstring full = dropped;
    if (full.find(L'\\') == std::wstring::npos) {
        wchar_t whole[kPathMax];
        DWORD n = GetFullPathNameW(dropped, kPathMax, whole, nullptr);
        if (n == 0 || n >= kPathMax) return false;
        full = whole;
        if (full.find(L'\\') == std::wstring::npos) return false;
    }
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(full.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);

    const wchar_t* name = found.cAlternateFileName[0] ? found.cAlternateFileName : found.cFileName;
    full = full.substr(0, full.find_last_of(L'\\') + 1) + name;
    if (full.size() >= kPathMax) return false;
    *path = Utf8FromWide(full.c_str());
    *title = Utf8FromWide(found.cFileName);
    return true;
}

int OnDropFiles(HWND mainWindow, HDROP drop) {
    MainWindowParams* params = GetParams(mainWindow);
    // A drop that arrives while another is worked through (in the loop of
    // one of its questions) is refused: given back at once, the running
    // one left alone.
    if (!params || params->dropRunning) {
        DragFinish(drop);
        return 0;
    }
    // A drop that was left pending is given back before the new one is kept.
    HDROP earlier = PendingDrop(mainWindow);
    if (earlier && earlier != drop) DragFinish(earlier);
    SetPropA(mainWindow, PROP_DROP_HANDLE, drop);

    if (params->keyState(VK_CONTROL) & 0x8000) {
        POINT at;
        GetCursorPos(&at);
        HMENU menu = GetSubMenu(params->dropMenu, 2);
        // The chosen command arrives as a posted WM_COMMAND; a menu closed
        // without a choice gives the drop back.
        UINT chosen = TrackPopupMenuEx(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y,
                                       mainWindow, nullptr);
        if (chosen)
            PostMessageW(mainWindow, WM_COMMAND, chosen, 0);
        else
            CancelPendingDrop(mainWindow);
    } else if (params->flags & FLAG_DROP_ADDS) {
        AddDroppedFiles(mainWindow);
    } else {
        OpenDroppedFile(mainWindow);
    }
    return 0;
}

int OpenDroppedFile(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    HDROP drop = BeginDropRun(mainWindow, params);
    if (!drop) return 0;
    std::string path, title;
    bool take = GetDroppedFileName(drop, 0, &path, &title) &&
                (Recognised(params, path) || AskAboutExtension(mainWindow, TXT_NOT_D88_OPEN, title));
    DragFinish(drop);
    int result = 0;
    if (take && (!params->modified || ConfirmSaveChanges(mainWindow))) {
        unsigned nameOffset = static_cast<unsigned>(LastBackslash(path.c_str()) + 1);
        result = LoadDocumentFile(mainWindow, path.c_str(), title.c_str(), nameOffset);
    }
    EndDropRun(params);
    return result;
}

int AddDroppedFiles(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    HDROP drop = BeginDropRun(mainWindow, params);
    if (!drop) return 0;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = count; i-- > 0;) {
        std::string path, title;
        if (!GetDroppedFileName(drop, i, &path, &title)) continue;
        if (!Recognised(params, path) && !AskAboutExtension(mainWindow, TXT_NOT_D88_ADD, title))
            continue;
        AppendImageFile(mainWindow, path.c_str());
    }
    DragFinish(drop);
    EndDropRun(params);
    return 1;
}
