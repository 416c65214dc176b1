// The main window: class, creation and destruction, message routing and the
// layout of its two children.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "dialogs/dialogs_win.h"
#include "document/document_win.h"
#include "list/disk_list_win.h"
#include "platform/file_api.h"
#include "platform/memory.h"
#include "resources/resource.h"
#include "shell/long_run_win.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/image_buffer.h"

MainWindowParams* GetParams(HWND mainWindow) {
    if (!mainWindow) return nullptr;
    return static_cast<MainWindowParams*>(GetPropA(mainWindow, PROP_MAIN_PARAMS));
}

MainWindowParams* GetParamsFromChild(HWND child) {
    return child ? GetParams(GetParent(child)) : nullptr;
}

namespace {

void* AllocateRecord(size_t size) { return std::calloc(1, size); }

void AddIconToLists(HINSTANCE instance, int id, HIMAGELIST large, HIMAGELIST small) {
    HICON big = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    HICON little = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    ImageList_ReplaceIcon(large, -1, big);
    ImageList_ReplaceIcon(small, -1, little ? little : big);
    if (big) DestroyIcon(big);
    if (little) DestroyIcon(little);
}

void InsertColumn(HWND list, int index, const char* caption, int format) {
    std::wstring text = TextW(caption);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = 0;
    column.pszText = const_cast<wchar_t*>(text.c_str());
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

LRESULT MsgCreate(HWND window, const CREATESTRUCTW* create) {
    const MainWindowServices* services =
        static_cast<const MainWindowServices*>(create->lpCreateParams);
    HINSTANCE instance = create->hInstance;

    DragAcceptFiles(window, TRUE);

    void* (*allocate)(size_t) =
        services && services->allocateRecord ? services->allocateRecord : AllocateRecord;
    MainWindowParams* params = static_cast<MainWindowParams*>(allocate(sizeof(MainWindowParams)));
    if (!params) return -1;
    std::memset(params, 0, sizeof *params);
    params->size = sizeof *params;
    params->memory = services && services->memory ? services->memory : &SystemMemory();
    params->files = services && services->files ? services->files : &SystemFiles();
    params->keyState = services && services->keyState ? services->keyState : GetAsyncKeyState;
    params->htmlHelp = services ? services->htmlHelp : nullptr;
    params->winHelp = services && services->winHelp ? services->winHelp : WinHelpW;
    SetPropA(window, PROP_MAIN_PARAMS, params);
    params->stretches = new (std::nothrow) BufferStretches();
    if (!params->stretches) return -1;

    // Resizing does not activate: the window is activated once it is shown
    // and has the disk list to give the keyboard focus to.
    SetWindowPos(window, nullptr, 0, 0, GetSystemMetrics(SM_CXFULLSCREEN) / 3,
                 GetSystemMetrics(SM_CYFULLSCREEN) / 3, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    params->listView = CreateDiskList(window);
    if (!params->listView) return -1;
    HookDiskList(params->listView, params);
    params->statusBar = CreateStatusWindowW(WS_CHILD | WS_VISIBLE, nullptr, window, IDC_STATUSBAR);
    if (!params->statusBar) return -1;
    // One text area: the text set for SB_SIMPLEID shows only in simple mode.
    SendMessageA(params->statusBar, SB_SIMPLE, TRUE, 0);

    InsertColumn(params->listView, 0, TXT_COL_DISK, LVCFMT_LEFT);
    InsertColumn(params->listView, 1, TXT_COL_PROTECT, LVCFMT_LEFT);
    InsertColumn(params->listView, 2, TXT_COL_MEDIA, LVCFMT_LEFT);
    InsertColumn(params->listView, 3, TXT_COL_SIZE, LVCFMT_RIGHT);

    params->largeImages = ImageList_Create(32, 32, ILC_COLOR4 | ILC_MASK, 2, 1);
    if (!params->largeImages) return -1;
    params->smallImages = ImageList_Create(16, 16, ILC_COLOR4 | ILC_MASK, 2, 1);
    if (!params->smallImages) return -1;
    SendMessageA(params->listView, LVM_SETIMAGELIST, LVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(params->largeImages));
    SendMessageA(params->listView, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(params->smallImages));
    AddIconToLists(instance, IDI_DISK, params->largeImages, params->smallImages);
    AddIconToLists(instance, IDI_DISK_PROTECTED, params->largeImages, params->smallImages);
    // Image 2 is no item's picture: it is overlay 1, the mark of a disk a
    // check found errors in, drawn over either picture in every view.
    AddIconToLists(instance, IDI_DISK_ERRORS, params->largeImages, params->smallImages);
    ImageList_SetOverlayImage(params->largeImages, 2, kErrorsOverlay);
    ImageList_SetOverlayImage(params->smallImages, 2, kErrorsOverlay);

    params->dropMenu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_POPUPMENU));

    ReadSettings(window);
    if (!(params->flags & FLAG_STATUSBAR)) ShowWindow(params->statusBar, SW_HIDE);
    SetViewMode(window, params->flags & FLAG_VIEW_MASK);
    NewDocument(window);
    return 0;
}

void MsgDestroy(HWND window) {
    MainWindowParams* params = GetParams(window);
    if (params) {
        CancelDiskDrag(window);
        CancelPendingDrop(window);
        if (params->settingsRead) WriteSettings(window);
        if (params->buffer) params->memory->Release(params->buffer, params->bufferSize);
        params->buffer = nullptr;
        params->bufferSize = 0;
        // The list would destroy the image lists it holds once it goes
        // itself (it does not share them): take them back first, so that
        // each is destroyed here and only here.
        if (params->listView) {
            UnhookDiskList(params->listView, params);
            SendMessageA(params->listView, LVM_SETIMAGELIST, LVSIL_NORMAL, 0);
            SendMessageA(params->listView, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        }
        if (params->largeImages) ImageList_Destroy(params->largeImages);
        if (params->smallImages) ImageList_Destroy(params->smallImages);
        if (params->dropMenu) DestroyMenu(params->dropMenu);
        delete params->stretches;
        std::free(params);
        RemovePropA(window, PROP_MAIN_PARAMS);
    }
    PostQuitMessage(0);
}

// Pointer positions: signed 16-bit halves of the long parameter.
int PointX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int PointY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

// The notifications the disk list sends for each item it inserts, changes,
// deletes or draws, which it ignores: they answer 0 without the record,
// whose look-up costs a call to the window system each time (more than the
// list's own work when all of 10,000 items are selected).
bool FrequentAndIgnored(UINT code) {
    return code == LVN_ITEMCHANGING || code == LVN_INSERTITEM || code == LVN_DELETEITEM ||
           code == NM_CUSTOMDRAW;
}

LRESULT MsgNotify(HWND window, NMHDR* header) {
    if (!header || header->idFrom != IDC_DISKLIST || FrequentAndIgnored(header->code)) return 0;
    MainWindowParams* params = GetParams(window);
    if (!params) return 0;
    return OnDiskListNotify(header->hwndFrom, header);
}

// The keyboard focus belongs to the disk list whenever the main window is
// active. Deactivation keeps the control that had it (the list or its label
// editor); activation gives it back, or to the list when that control is
// gone. Activation while minimized leaves the focus to the platform.
bool MsgActivate(HWND window, WPARAM wParam) {
    MainWindowParams* params = GetParams(window);
    if (!params || !params->listView) return false;
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        params->focusBefore = focus && IsChild(window, focus) ? focus : nullptr;
    } else if (!HIWORD(wParam)) {
        HWND before = params->focusBefore;
        SetFocus(before && IsWindow(before) && IsChild(window, before) ? before : params->listView);
    }
    return true;
}

// The main window itself never keeps the focus: it passes it to the list.
bool MsgSetFocus(HWND window) {
    MainWindowParams* params = GetParams(window);
    if (!params || !params->listView) return false;
    SetFocus(params->listView);
    return true;
}

// A close while a question of the program is open (its message boxes and
// dialogs disable this window) waits for the question: destroying the
// window there would free the record under the code that asked.
void MsgClose(HWND window) {
    if (!IsWindowEnabled(window)) return;
    if (ConfirmSaveChanges(window)) DestroyWindow(window);
}

// The session may end once the changes are saved or given up. While a
// question of the program is open, it is refused without a second
// question, as a close waits then: the question asked first gets its
// answer.
BOOL MsgQueryEndSession(HWND window) {
    if (!IsWindowEnabled(window)) return FALSE;
    return ConfirmSaveChanges(window) ? TRUE : FALSE;
}

}  // namespace

int LayoutChildren(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    RECT client;
    GetClientRect(mainWindow, &client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    RECT bar = {};
    if (params->statusBar) GetWindowRect(params->statusBar, &bar);
    int barHeight = bar.bottom - bar.top;
    bool barShown =
        params->statusBar && (GetWindowLongA(params->statusBar, GWL_STYLE) & WS_VISIBLE) != 0;
    if (barShown) {
        SetWindowPos(params->listView, nullptr, 0, 0, width, height - barHeight, SWP_NOZORDER);
        SetWindowPos(params->statusBar, nullptr, 0, height - barHeight, width, barHeight,
                     SWP_NOZORDER);
    } else {
        SetWindowPos(params->listView, nullptr, 0, 0, width, height, SWP_NOZORDER);
    }
    return 1;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return MsgCreate(window, reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_DESTROY:
        MsgDestroy(window);
        return 0;
    case WM_SIZE:
        if (GetParams(window) && GetParams(window)->listView && LayoutChildren(window)) return 0;
        break;
    case WM_ACTIVATE:
        if (MsgActivate(window, wParam)) return 0;
        break;
    case WM_SETFOCUS:
        if (MsgSetFocus(window)) return 0;
        break;
    case WM_CLOSE:
        if (!HoldDuringRun(window, message, wParam, lParam)) MsgClose(window);
        return 0;
    case WM_QUERYENDSESSION:
        // Not while a long command writes or reads files.
        if (GetParams(window) && GetParams(window)->runDepth > 0) return FALSE;
        return MsgQueryEndSession(window);
    case WM_ENDSESSION:
        if (wParam && GetParams(window) && GetParams(window)->settingsRead) WriteSettings(window);
        return 0;
    case WM_NOTIFY:
        return MsgNotify(window, reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
        if (!HoldDuringRun(window, message, wParam, lParam))
            DispatchCommand(window, LOWORD(wParam));
        return 0;
    case WM_INITMENU:
        UpdateMenuState(window, reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_MOUSEMOVE:
        MoveDragImage(window, PointX(lParam), PointY(lParam));
        return 0;
    case WM_LBUTTONUP:
        EndDiskDrag(window, PointX(lParam), PointY(lParam));
        return 0;
    case WM_CAPTURECHANGED:
        CancelDiskDrag(window);
        return 0;
    case WM_DROPFILES:
        if (!HoldDuringRun(window, message, wParam, lParam))
            OnDropFiles(window, reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterMainWindowClass(HINSTANCE instance) {
    // A window of wide characters: its title, its children and every text
    // it shows are UTF-16, whatever the system's code page.
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hIconSm = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
    wc.lpszClassName = L"" MAIN_WINDOW_CLASS;
    if (RegisterClassExW(&wc)) return true;
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateMainWindowWith(HINSTANCE instance, const MainWindowServices* services) {
    return CreateWindowExW(WS_EX_WINDOWEDGE, L"" MAIN_WINDOW_CLASS, TextW(TXT_APP_CAPTION).c_str(),
                           WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, nullptr, nullptr, instance,
                           const_cast<MainWindowServices*>(services));
}

HWND CreateMainWindow(HINSTANCE instance) { return CreateMainWindowWith(instance, nullptr); }

bool TranslateMainAccelerator(HWND window, HACCEL accelerators, MSG* msg) {
    // Keys for the main window and its children only: the HTML Help
    // viewer's window runs on this thread too, and its keys (Ctrl+P, Del,
    // Ins in its index) are its own, not the document's commands.
    if (!accelerators || (msg->hwnd != window && !IsChild(window, msg->hwnd))) return false;
    // The name editor keeps the keys it edits with: Delete there deletes
    // a character, not the disk.
    MainWindowParams* params = GetParams(window);
    if (msg->message == WM_KEYDOWN && params && params->listView &&
        GetParent(msg->hwnd) == params->listView &&
        reinterpret_cast<HWND>(SendMessageW(params->listView, LVM_GETEDITCONTROL, 0, 0)) ==
            msg->hwnd &&
        IsEditingKey(static_cast<unsigned>(msg->wParam), GetKeyState(VK_CONTROL) < 0,
                     GetKeyState(VK_MENU) < 0))
        return false;
    return TranslateAcceleratorW(window, accelerators, msg) != 0;
}

int RunOrvanel(HINSTANCE instance, const char* commandTail, int showCommand) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    // The shell's folder browser and file dialogs ask for COM on this thread.
    CoInitialize(nullptr);
    if (!RegisterMainWindowClass(instance)) return 0;
    HWND window = CreateMainWindow(instance);
    if (!window) return 0;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    OpenFromCommandLine(window, commandTail);
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCEL));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateMainAccelerator(window, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
