// The command table: one handler call per command id.
#include <windows.h>

#include "dialogs/dialogs_win.h"
#include "document/document_win.h"
#include "list/disk_list_win.h"
#include "resources/resource.h"
#include "shell/shell_win.h"

int DispatchCommand(HWND mainWindow, int id) {
    switch (id) {
    case IDM_NEW: NewDocument(mainWindow); break;
    case IDM_OPEN: OpenDocumentCommand(mainWindow); break;
    case IDM_SAVE: SaveDocument(mainWindow); break;
    case IDM_SAVEAS: SaveDocumentAs(mainWindow); break;
    case IDM_SETTINGS: ShowSettingsDialog(mainWindow); break;
    case IDM_EXIT: PostMessageA(mainWindow, WM_CLOSE, 0, 0); break;
    case IDM_NEWDISK: AppendBlankDisk(mainWindow); break;
    case IDM_ADDDISK: AddDisksCommand(mainWindow); break;
    case IDM_DELETEDISK: DeleteDisks(mainWindow); break;
    case IDM_EXTRACT: ExtractDisks(mainWindow); break;
    case IDM_RENAME: StartRename(mainWindow); break;
    case IDM_WRITEPROTECT: ToggleWriteProtect(mainWindow); break;
    case IDM_PROPERTIES: ShowDiskProperties(mainWindow); break;
    case IDM_FILES: ShowDiskFiles(mainWindow); break;
    case IDM_CHECK: ShowDiskCheck(mainWindow); break;
    case IDM_EXPORT: ExportDisks(mainWindow); break;
    case IDM_STATUSBAR: ToggleStatusBar(mainWindow); break;
    case IDM_LARGEICON: SetViewMode(mainWindow, LVS_ICON); break;
    case IDM_SMALLICON: SetViewMode(mainWindow, LVS_SMALLICON); break;
    case IDM_LIST: SetViewMode(mainWindow, LVS_LIST); break;
    case IDM_DETAILS: SetViewMode(mainWindow, LVS_REPORT); break;
    case IDM_HELPTOPICS: ShowHelpTopics(mainWindow); break;
    case IDM_ABOUT: ShowAboutDialog(mainWindow); break;
    case IDM_DROP_OPEN: OpenDroppedFile(mainWindow); break;
    case IDM_DROP_ADD: AddDroppedFiles(mainWindow); break;
    case IDM_DROP_CANCEL: CancelPendingDrop(mainWindow); break;
    default: break;
    }
    return 0;
}
