// The disk list: the list view whose items, in order, are the document.
#ifndef ORVANEL_LIST_DISK_LIST_WIN_H
#define ORVANEL_LIST_DISK_LIST_WIN_H

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

class LongRun;
struct MainWindowParams;

// The overlay that marks a disk with errors (a check found them).
const int kErrorsOverlay = 1;

HWND CreateDiskList(HWND mainWindow);
// Passes the list's messages through the program's own procedure (which
// shows the status text of a burst of changes once), and takes it away
// again before the record goes.
void HookDiskList(HWND list, MainWindowParams* params);
void UnhookDiskList(HWND list, MainWindowParams* params);
// Appends an item for the image at `offset` of the block base..base+size.
// Answers its diskSize, or 0 (and lists nothing) when the header cannot be
// read.
uint32_t AddDiskItem(HWND list, const uint8_t* base, uint32_t size, uint32_t offset);
int RefreshDiskItem(HWND list, int index);
// The item's image offset, or kNoImage when the list cannot report it.
uint32_t GetItemImageOffset(HWND list, int index);
// The bytes of its own that the image at `offset` holds: its diskSize, held
// to the end of the stretch of the buffer it came with.
uint32_t HeldExtent(const MainWindowParams* params, uint32_t offset);
LRESULT OnDiskListNotify(HWND list, NMHDR* header);

// Lists every image of base[start..end) (the walk); true when it reached
// end. A run of the caller's is told how many items are in.
bool ListImages(HWND list, const uint8_t* base, uint32_t size, uint32_t start, uint32_t end,
                LongRun* run = nullptr);

// Rename, write protect, context menus.
int StartRename(HWND mainWindow);
int OnBeginLabelEdit(HWND list, const LVITEMW* item);
// Stores the name typed, as CP932; a name with a character CP932 does not
// have is refused with a message, and nothing changes.
int OnEndLabelEdit(HWND list, const LVITEMW* item);
// Whether the name editor is open, and ends it as Enter does (the name is
// stored): before the document is saved or given up.
bool RenameInProgress(HWND list);
void EndRenameInProgress(HWND list);
// Whether the image at `offset` holds the header fields an edit writes
// (its name field, its write-protect byte); when not, says so in a message
// owned by `owner`.
bool HoldsEditedFields(HWND owner, const MainWindowParams* params, uint32_t offset, bool name,
                       bool protect);
int ToggleWriteProtect(HWND mainWindow);
int ShowDiskContextMenu(HWND list);

// Drag reordering.
int BeginDiskDrag(HWND list, const NMLISTVIEW* start);
int MoveDragImage(HWND mainWindow, int x, int y);
int EndDiskDrag(HWND mainWindow, int x, int y);
int CancelDiskDrag(HWND mainWindow);
int DropTargetIndex(HWND list, POINT point);
int MoveSelectedDisks(HWND list, int insertAt);
HIMAGELIST MakeMultiDragImage(HWND list, POINT* origin);

#endif
