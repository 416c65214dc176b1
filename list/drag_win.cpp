// Drag reordering of the disk list (the drag itself lands separately).
#include <windows.h>

#include "list/disk_list_win.h"

int BeginDiskDrag(HWND, const NMLISTVIEW*) { return 0; }
int MoveDragImage(HWND, int, int) { return 0; }
int EndDiskDrag(HWND, int, int) { return 0; }
int CancelDiskDrag(HWND) { return 0; }
