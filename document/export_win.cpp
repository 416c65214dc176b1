// Disk > Export: the selected disks written in another format.
#include <windows.h>

#include "document/document_win.h"

int ExportDisks(HWND mainWindow) { return 0; }
