// The files window: the files inside one disk of the document.
#include <windows.h>

#include "dialogs/dialogs_win.h"

int ShowDiskFiles(HWND mainWindow) { return 0; }
