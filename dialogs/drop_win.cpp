// Files dropped from the shell: open the first one or add them all.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "dialogs/dialogs_win.h"
#include "document/document_win.h"
#include "document/paths.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"
#include "shell/texts.h"
#include "store/d88.h"

namespace {

HDROP PendingDrop(HWND mainWindow) {
    return static_cast<HDROP>(GetPropA(mainWindow, PROP_DROP_HANDLE));
}

bool AskAboutExtension(HWND mainWindow, const char* format, const char* title) {
    char question[kPathMax + 128];
    wsprintfA(question, format, title);
    return MessageBoxA(mainWindow, question, TXT_FILE_CHECK, MB_YESNO | MB_ICONINFORMATION) ==
           IDYES;
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

int GetDroppedFileName(HDROP drop, unsigned index, char* path, char* title) {
    if (!drop) return 0;
    char dropped[kPathMax];
    if (!DragQueryFileA(drop, index, dropped, kPathMax)) return 0;
    // A bare name (or "C:NAME") lies in the current folder: name it in full,
    // so that the folder part below is a real folder (appending a backslash
    // to the bare name would name nothing).
    if (LastBackslash(dropped) < 0) {
        char full[kPathMax];
        DWORD n = GetFullPathNameA(dropped, kPathMax, full, nullptr);
        if (n == 0 || n >= kPathMax || LastBackslash(full) < 0) return 0;
        lstrcpyA(dropped, full);
    }
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(dropped, &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    FindClose(find);

    dropped[LastBackslash(dropped) + 1] = '\0';
    const char* name = found.cAlternateFileName[0] ? found.cAlternateFileName : found.cFileName;
    if (std::strlen(dropped) + std::strlen(name) >= kPathMax) return 0;
    lstrcpyA(path, dropped);
    lstrcatA(path, name);
    lstrcpynA(title, found.cFileName, kPathMax);
    return 1;
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
            PostMessageA(mainWindow, WM_COMMAND, chosen, 0);
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
    char path[kPathMax];
    char title[kPathMax];
    bool take =
        GetDroppedFileName(drop, 0, path, title) &&
        (HasContainerExtension(path) || AskAboutExtension(mainWindow, TXT_NOT_D88_OPEN, title));
    DragFinish(drop);
    int result = 0;
    if (take && (!params->modified || ConfirmSaveChanges(mainWindow))) {
        unsigned nameOffset = static_cast<unsigned>(LastBackslash(path) + 1);
        result = LoadDocumentFile(mainWindow, path, title, nameOffset);
    }
    EndDropRun(params);
    return result;
}

int AddDroppedFiles(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    HDROP drop = BeginDropRun(mainWindow, params);
    if (!drop) return 0;
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = count; i-- > 0;) {
        char path[kPathMax];
        char title[kPathMax];
        if (!GetDroppedFileName(drop, i, path, title)) continue;
        if (!HasContainerExtension(path) && !AskAboutExtension(mainWindow, TXT_NOT_D88_ADD, title))
            continue;
        AppendImageFile(mainWindow, path);
    }
    DragFinish(drop);
    EndDropRun(params);
    return 1;
}
