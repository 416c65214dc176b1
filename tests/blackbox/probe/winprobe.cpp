// winprobe: a console program run under Wine beside the program under test.
// It finds the main window of class "ORVANEL Main Window", reports what it
// shows as one line of JSON, and answers dialogs the way a person would.
//
// Usage: winprobe [--path <exe path prefix>] <command>...
//   info                  print the state of the main window (always one JSON line)
//   wait <ms>             wait until the main window is visible, then print info
//   waitdialog <ms>       wait until a modal dialog of the window's thread is open
//   waitnodialog <ms>     wait until no modal dialog is open
//   click <id>            press the button <id> of the open dialog (WM_COMMAND)
//   check <id> <0|1>      set the check state of a button of the open dialog
//   settext <id> <text>   set the text of a control of the open dialog;
//                         text "hex:8E8E" gives those CP932 bytes
//   command <id>          post WM_COMMAND <id> to the main window
//   close                 post WM_CLOSE to the main window
//   sleep <ms>
//   selectfolder <ms> <path>
//                         wait for the folder browser (a dialog with a tree
//                         view) and select <path> in it (by walking its tree
//                         down the path's folders, else BFFM_SETSELECTIONA;
//                         repeated until the browser's status text shows the
//                         path and keeps it); text "hex:..." as for settext.
//                         Press OK afterwards with "click 1".
//   focus                 print the window that has the keyboard focus in the main
//                         window's thread: {"focus":{"id","class","text","dialog"}}
//                         ("dialog" is the caption of the dialog that holds it),
//                         or {"focus":null}
//   windows               print every visible top-level window of the desktop, of
//                         any process: {"windows":[{"hwnd","pid","exe","class",
//                         "caption","texts"}]}, "texts" the texts of its static
//                         controls (a message box's question among them) and
//                         rich edit controls (the help viewer's page)
//   answer <hwnd> <id>    post WM_COMMAND <id> to the top-level window <hwnd> of
//                         any process (a message box another program opened)
//   helpquit <file>       ask the help viewer to close <file> and end (WinHelpA
//                         with HELP_QUIT), as a program does when it ends
//   clipboard <text>      put text on the clipboard as CF_TEXT (a paste with
//                         Ctrl+V then types it); "hex:..." as for settext
//   getclipboard          print the clipboard's Unicode text: {"clipboard":text},
//                         null when it holds none
//   menumode <ms> <0|1>   wait until the main window's thread is (1) or is not
//                         (0) in menu mode (GetGUIThreadInfo's GUI_INMENUMODE):
//                         a key that opens the menu bar, pressed after other
//                         input, shows that the input before it was handled
// Commands run left to right; the exit status is 0 when all succeeded,
// 1 when a wait timed out or no window was found, 2 on a usage error.
//
// Every text is printed byte by byte: ASCII as itself, every other byte as
// \u00XX, so a reader gets the CP932 bytes back by encoding the decoded
// JSON string as Latin-1. Rectangles are screen coordinates, which are the
// X11 root window's coordinates under Wine.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kMainClass[] = "ORVANEL Main Window";
const DWORD kSendTimeout = 5000;

std::string g_pathPrefix;  // lower-case Windows path prefix, or empty
bool g_trace = false;      // ORVANEL_PROBE_TRACE set: steps on stderr

void Trace(const char* what) {
    if (!g_trace) return;
    fprintf(stderr, "winprobe %lu: %s\n", static_cast<unsigned long>(GetTickCount()), what);
    fflush(stderr);
}

std::string Lower(std::string s) {
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 'A' && c <= 'Z') s[i] = static_cast<char>(c - 'A' + 'a');
        if (c == '/') s[i] = '\\';
    }
    return s;
}

std::string ProcessImagePath(DWORD pid) {
    std::string result;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) process = OpenProcess(0x1000 /* PROCESS_QUERY_LIMITED_INFORMATION */, FALSE, pid);
    if (!process) return result;
    typedef BOOL(WINAPI * QueryFn)(HANDLE, DWORD, LPSTR, PDWORD);
    QueryFn query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
    char buffer[MAX_PATH * 2];
    DWORD size = sizeof buffer;
    if (query && query(process, 0, buffer, &size)) result.assign(buffer, size);
    CloseHandle(process);
    return result;
}

struct FindState {
    HWND found;
};

BOOL CALLBACK FindMainProc(HWND window, LPARAM param) {
    char cls[64];
    if (!GetClassNameA(window, cls, sizeof cls) || strcmp(cls, kMainClass) != 0) return TRUE;
    if (!g_pathPrefix.empty()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        std::string path = Lower(ProcessImagePath(pid));
        if (path.compare(0, g_pathPrefix.size(), g_pathPrefix) != 0) return TRUE;
    }
    reinterpret_cast<FindState*>(param)->found = window;
    return FALSE;
}

HWND FindMain() {
    FindState state = {NULL};
    EnumWindows(FindMainProc, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

// ---- JSON output -------------------------------------------------------

std::string g_out;

void Raw(const char* s) { g_out += s; }
void Str(const char* bytes, size_t n) {
    g_out += '"';
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '"' || c == '\\') {
            g_out += '\\';
            g_out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char esc[8];
            snprintf(esc, sizeof esc, "\\u%04X", c);
            g_out += esc;
        } else {
            g_out += static_cast<char>(c);
        }
    }
    g_out += '"';
}
void Str(const std::string& s) { Str(s.data(), s.size()); }
void Key(const char* k) {
    if (!g_out.empty() && g_out[g_out.size() - 1] != '{' && g_out[g_out.size() - 1] != '[') g_out += ',';
    Str(k, strlen(k));
    g_out += ':';
}
void Int(long long v) {
    char b[32];
    snprintf(b, sizeof b, "%lld", v);
    g_out += b;
}
void Bool(bool v) { g_out += v ? "true" : "false"; }
void Comma() {
    if (!g_out.empty() && g_out[g_out.size() - 1] != '{' && g_out[g_out.size() - 1] != '[') g_out += ',';
}
void Rect(const RECT& r) {
    char b[96];
    snprintf(b, sizeof b, "[%ld,%ld,%ld,%ld]", static_cast<long>(r.left), static_cast<long>(r.top),
             static_cast<long>(r.right), static_cast<long>(r.bottom));
    g_out += b;
}
void Flush() {
    fputs(g_out.c_str(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
    g_out.clear();
}

// ---- Cross-process helpers ---------------------------------------------

// Set once a window did not answer in time: the later messages of this run
// are not sent, so that one report of a busy program stays short.
bool g_unanswered = false;

// Texts are read and written through the wide-character messages, so that
// they come whole whatever the system's code page, and reported as CP932
// bytes (the harness decodes them so): a character CP932 lacks becomes '?'.
std::string Cp932Of(const wchar_t* text) {
    int n = WideCharToMultiByte(932, 0, text, -1, NULL, 0, NULL, NULL);
    if (n <= 1) return std::string();
    std::vector<char> out(n);
    WideCharToMultiByte(932, 0, text, -1, &out[0], n, NULL, NULL);
    return std::string(&out[0]);
}

std::wstring WideOf932(const std::string& text) {
    int n = MultiByteToWideChar(932, 0, text.c_str(), -1, NULL, 0);
    if (n <= 1) return std::wstring();
    std::vector<wchar_t> out(n);
    MultiByteToWideChar(932, 0, text.c_str(), -1, &out[0], n);
    return std::wstring(&out[0]);
}

bool SendWith(bool wide, HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    DWORD_PTR r = 0;
    if (g_unanswered) return false;
    UINT flags = SMTO_ABORTIFHUNG | SMTO_BLOCK;
    BOOL answered = wide ? SendMessageTimeoutW(window, message, wParam, lParam, flags, kSendTimeout, &r)
                         : SendMessageTimeoutA(window, message, wParam, lParam, flags, kSendTimeout, &r);
    if (!answered) {
        if (GetLastError() == ERROR_TIMEOUT || GetLastError() == 0) g_unanswered = true;
        return false;
    }
    if (result) *result = r;
    return true;
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return SendWith(false, window, message, wParam, lParam, result);
}

bool SendW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return SendWith(true, window, message, wParam, lParam, result);
}

std::string WindowText(HWND window) {
    wchar_t buffer[1024];
    DWORD_PTR n = 0;
    if (!SendW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), &n)) return std::string();
    if (n >= 1024) n = 1023;
    buffer[n] = 0;
    return Cp932Of(buffer);
}

std::string ClassOf(HWND window) {
    char cls[128];
    int n = GetClassNameA(window, cls, sizeof cls);
    return std::string(cls, n > 0 ? n : 0);
}

// A page of memory in the process that owns a window, for messages whose
// parameters point at buffers (list view and status bar messages are not
// marshalled between processes).
class Remote {
public:
    explicit Remote(HWND window) : process_(NULL), base_(NULL) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                               FALSE, pid);
        if (process_) base_ = static_cast<char*>(VirtualAllocEx(process_, NULL, kSize, MEM_COMMIT, PAGE_READWRITE));
    }
    ~Remote() {
        if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    bool ok() const { return base_ != NULL; }
    char* at(size_t offset) const { return base_ + offset; }
    bool Write(size_t offset, const void* data, size_t n) {
        SIZE_T done = 0;
        return WriteProcessMemory(process_, base_ + offset, data, n, &done) && done == n;
    }
    bool Read(const void* address, void* data, size_t n) {
        SIZE_T done = 0;
        return ReadProcessMemory(process_, address, data, n, &done) && done == n;
    }
    // A wide string of at most `max` characters, as CP932.
    std::string ReadString(const void* address, size_t max) {
        std::vector<wchar_t> b(max + 1, 0);
        SIZE_T done = 0;
        ReadProcessMemory(process_, address, &b[0], max * sizeof(wchar_t), &done);
        b[done / sizeof(wchar_t) < max ? done / sizeof(wchar_t) : max] = 0;
        return Cp932Of(&b[0]);
    }
    static const size_t kSize = 8192;

private:
    HANDLE process_;
    char* base_;
};

const size_t kItemAt = 0;      // LVITEMW / LVCOLUMNW / RECT
const size_t kTextAt = 1024;   // text buffer (wide characters)
const size_t kTextMax = 1024;

RECT ScreenRect(HWND window) {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    return r;
}

RECT ClientScreenRect(HWND window) {
    RECT r = {0, 0, 0, 0};
    GetClientRect(window, &r);
    MapWindowPoints(window, NULL, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string ItemText(Remote& remote, HWND list, int item, int subItem, int* image, UINT* state) {
    LVITEMW it;
    memset(&it, 0, sizeof it);
    it.mask = LVIF_TEXT | (subItem == 0 ? (LVIF_IMAGE | LVIF_STATE) : 0);
    it.iItem = item;
    it.iSubItem = subItem;
    it.stateMask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED | LVIS_CUT | LVIS_OVERLAYMASK;
    it.pszText = reinterpret_cast<wchar_t*>(remote.at(kTextAt));
    it.cchTextMax = kTextMax;
    wchar_t zero = 0;
    remote.Write(kTextAt, &zero, sizeof zero);
    if (!remote.Write(kItemAt, &it, sizeof it)) return std::string();
    DWORD_PTR ok = 0;
    if (!SendW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.at(kItemAt)), &ok) || !ok) return std::string();
    LVITEMW back;
    remote.Read(remote.at(kItemAt), &back, sizeof back);
    if (image) *image = back.iImage;
    if (state) *state = back.state;
    if (!back.pszText || back.pszText == LPSTR_TEXTCALLBACKW) return std::string();
    return remote.ReadString(back.pszText, kTextMax - 1);
}

bool ItemRect(Remote& remote, HWND list, int item, int code, RECT* out) {
    RECT r = {code, 0, 0, 0};
    if (!remote.Write(kItemAt, &r, sizeof r)) return false;
    DWORD_PTR ok = 0;
    if (!Send(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(remote.at(kItemAt)), &ok) || !ok) return false;
    remote.Read(remote.at(kItemAt), &r, sizeof r);
    MapWindowPoints(list, NULL, reinterpret_cast<POINT*>(&r), 2);
    *out = r;
    return true;
}

void EmitListView(HWND list) {
    Key("list");
    if (!list) {
        Raw("null");
        return;
    }
    Raw("{");
    LONG style = GetWindowLongA(list, GWL_STYLE);
    Key("rect");
    Rect(ScreenRect(list));
    Key("client");
    Rect(ClientScreenRect(list));
    Key("visible");
    Bool(IsWindowVisible(list) != 0);
    Key("style");
    Int(static_cast<unsigned long>(style));
    Key("view");
    Int(style & LVS_TYPEMASK);
    DWORD_PTR count = 0;
    Send(list, LVM_GETITEMCOUNT, 0, 0, &count);
    Key("count");
    Int(static_cast<long long>(count));
    DWORD_PTR selected = 0;
    Send(list, LVM_GETSELECTEDCOUNT, 0, 0, &selected);
    Key("selected_count");
    Int(static_cast<long long>(selected));
    Remote remote(list);
    Key("remote_ok");
    Bool(remote.ok());
    Key("columns");
    Raw("[");
    for (int c = 0; remote.ok() && c < 16; ++c) {
        LVCOLUMNW col;
        memset(&col, 0, sizeof col);
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        col.pszText = reinterpret_cast<wchar_t*>(remote.at(kTextAt));
        col.cchTextMax = kTextMax;
        remote.Write(kItemAt, &col, sizeof col);
        DWORD_PTR ok = 0;
        if (!SendW(list, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(remote.at(kItemAt)), &ok) || !ok) break;
        LVCOLUMNW back;
        remote.Read(remote.at(kItemAt), &back, sizeof back);
        Comma();
        Raw("{");
        Key("text");
        Str(back.pszText ? remote.ReadString(back.pszText, kTextMax - 1) : std::string());
        Key("width");
        Int(back.cx);
        Key("fmt");
        Int(back.fmt & LVCFMT_JUSTIFYMASK);
        Raw("}");
    }
    Raw("]");
    Key("items");
    Raw("[");
    for (int i = 0; remote.ok() && i < static_cast<int>(count) && i < 1000; ++i) {
        Comma();
        Raw("{");
        int image = -1;
        UINT state = 0;
        Key("texts");
        Raw("[");
        for (int c = 0; c < 4; ++c) {
            Comma();
            Str(ItemText(remote, list, i, c, c == 0 ? &image : NULL, c == 0 ? &state : NULL));
        }
        Raw("]");
        Key("image");
        Int(image);
        Key("selected");
        Bool((state & LVIS_SELECTED) != 0);
        Key("focused");
        Bool((state & LVIS_FOCUSED) != 0);
        Key("overlay");
        Int((state & LVIS_OVERLAYMASK) >> 8);
        RECT r;
        Key("bounds");
        if (ItemRect(remote, list, i, LVIR_BOUNDS, &r)) Rect(r); else Raw("null");
        Key("icon");
        if (ItemRect(remote, list, i, LVIR_ICON, &r)) Rect(r); else Raw("null");
        Key("label");
        if (ItemRect(remote, list, i, LVIR_LABEL, &r)) Rect(r); else Raw("null");
        Raw("}");
    }
    Raw("]");
    // The in-place label editor, when one is open.
    DWORD_PTR edit = 0;
    Send(list, LVM_GETEDITCONTROL, 0, 0, &edit);
    Key("editing");
    if (edit) Str(WindowText(reinterpret_cast<HWND>(edit))); else Raw("null");
    Raw("}");
}

void EmitStatusBar(HWND bar) {
    Key("status");
    if (!bar) {
        Raw("null");
        return;
    }
    Raw("{");
    Key("rect");
    Rect(ScreenRect(bar));
    Key("visible");
    Bool(IsWindowVisible(bar) != 0);
    Remote remote(bar);
    std::string text;
    if (remote.ok()) {
        wchar_t zero = 0;
        remote.Write(kTextAt, &zero, sizeof zero);
        DWORD_PTR r = 0;
        if (SendW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(remote.at(kTextAt)), &r))
            text = remote.ReadString(remote.at(kTextAt), kTextMax - 1);
    }
    Key("text");
    Str(text);
    Raw("}");
}

void EmitMenuItems(HMENU menu, int depth) {
    Raw("[");
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n && i < 64; ++i) {
        wchar_t text[256] = L"";
        GetMenuStringW(menu, i, text, 256, MF_BYPOSITION);
        std::string bytes = Cp932Of(text);
        Comma();
        Raw("{");
        Key("text");
        Str(bytes.c_str(), bytes.size());
        Key("id");
        Int(static_cast<int>(GetMenuItemID(menu, i)));
        HMENU sub = GetSubMenu(menu, i);
        if (sub && depth < 3) {
            Key("items");
            EmitMenuItems(sub, depth + 1);
        }
        Raw("}");
    }
    Raw("]");
}

// Under Wine a menu of another process cannot be read (its items live in
// that process), so the menu resources of the executable are reported too:
// the main window's class menu is menu resource 1.
void EmitMenuResources(const std::string& exePath) {
    Key("menu_resources");
    HMODULE module = exePath.empty() ? NULL : LoadLibraryExA(exePath.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        Raw("null");
        return;
    }
    Raw("{");
    for (int id = 1; id <= 2; ++id) {
        HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(id));
        if (!menu) continue;
        char key[8];
        snprintf(key, sizeof key, "%d", id);
        Key(key);
        EmitMenuItems(menu, 0);
        DestroyMenu(menu);
    }
    Raw("}");
    FreeLibrary(module);
}

void EmitMenu(HWND main) {
    Key("has_menu");
    Bool(GetMenu(main) != NULL);
    Key("menu");
    HMENU menu = GetMenu(main);
    if (!menu) {
        Raw("null");
        return;
    }
    Raw("[");
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n && i < 32; ++i) {
        wchar_t text[256] = L"";
        GetMenuStringW(menu, i, text, 256, MF_BYPOSITION);
        std::string bytes = Cp932Of(text);
        Comma();
        Str(bytes.c_str(), bytes.size());
    }
    Raw("]");
}

struct ThreadWindows {
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectProc(HWND window, LPARAM param) {
    reinterpret_cast<ThreadWindows*>(param)->windows.push_back(window);
    return TRUE;
}

// The visible dialogs ("#32770") among the top-level windows of the thread
// that owns the main window.
std::vector<HWND> Dialogs(HWND main) {
    std::vector<HWND> result;
    if (!main) return result;
    DWORD thread = GetWindowThreadProcessId(main, NULL);
    ThreadWindows all;
    EnumThreadWindows(thread, CollectProc, reinterpret_cast<LPARAM>(&all));
    for (size_t i = 0; i < all.windows.size(); ++i) {
        HWND w = all.windows[i];
        if (IsWindowVisible(w) && ClassOf(w) == "#32770") result.push_back(w);
    }
    return result;
}

BOOL CALLBACK ChildProc(HWND window, LPARAM param) {
    reinterpret_cast<ThreadWindows*>(param)->windows.push_back(window);
    return TRUE;
}

void EmitDialog(HWND main, HWND dialog) {
    Raw("{");
    Key("hwnd");
    Int(reinterpret_cast<uintptr_t>(dialog));
    Key("caption");
    Str(WindowText(dialog));
    Key("owned_by_main");
    Bool(GetWindow(dialog, GW_OWNER) == main);
    Key("rect");
    Rect(ScreenRect(dialog));
    std::string message;
    ThreadWindows children;
    EnumChildWindows(dialog, ChildProc, reinterpret_cast<LPARAM>(&children));
    Key("controls");
    Raw("[");
    for (size_t i = 0; i < children.windows.size(); ++i) {
        HWND c = children.windows[i];
        int id = GetDlgCtrlID(c);
        std::string cls = ClassOf(c);
        std::string text = WindowText(c);
        LONG style = GetWindowLongA(c, GWL_STYLE);
        if (Lower(cls) == "static" && (id == 0xFFFF || id == 100) && GetParent(c) == dialog && message.empty() &&
            (style & SS_TYPEMASK) != SS_ICON)
            message = text;
        Comma();
        Raw("{");
        Key("id");
        Int(id);
        Key("class");
        Str(cls);
        Key("text");
        Str(text);
        Key("visible");
        Bool(IsWindowVisible(c) != 0);
        Key("enabled");
        Bool(IsWindowEnabled(c) != 0);
        Key("style");
        Int(static_cast<unsigned long>(style));
        if (Lower(cls) == "button") {
            DWORD_PTR checked = 0;
            Send(c, BM_GETCHECK, 0, 0, &checked);
            Key("checked");
            Int(static_cast<long long>(checked));
        }
        Key("rect");
        Rect(ScreenRect(c));
        Raw("}");
    }
    Raw("]");
    Key("text");
    Str(message);
    Raw("}");
}

void EmitInfo(HWND main) {
    Raw("{");
    Key("found");
    Bool(main != NULL);
    // The screen as the program sees it (same display, same values).
    Key("metrics");
    Raw("{");
    Key("cxscreen");
    Int(GetSystemMetrics(SM_CXSCREEN));
    Key("cyscreen");
    Int(GetSystemMetrics(SM_CYSCREEN));
    Key("cxfullscreen");
    Int(GetSystemMetrics(SM_CXFULLSCREEN));
    Key("cyfullscreen");
    Int(GetSystemMetrics(SM_CYFULLSCREEN));
    Raw("}");
    if (main) {
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        Key("hwnd");
        Int(reinterpret_cast<uintptr_t>(main));
        Key("pid");
        Int(pid);
        Key("exe");
        Str(ProcessImagePath(pid));
        // Whether the window's thread takes messages (it does not while it
        // is busy); when it does not, the texts below are left empty.
        Key("responding");
        Bool(Send(main, WM_NULL, 0, 0, NULL));
        Key("title");
        Str(WindowText(main));
        Key("visible");
        Bool(IsWindowVisible(main) != 0);
        Key("iconic");
        Bool(IsIconic(main) != 0);
        Key("zoomed");
        Bool(IsZoomed(main) != 0);
        Key("enabled");
        Bool(IsWindowEnabled(main) != 0);
        Key("foreground");
        Bool(GetForegroundWindow() == main);
        Key("rect");
        Rect(ScreenRect(main));
        Key("client");
        Rect(ClientScreenRect(main));
        WINDOWPLACEMENT placement;
        memset(&placement, 0, sizeof placement);
        placement.length = sizeof placement;
        Key("placement");
        if (GetWindowPlacement(main, &placement)) {
            Raw("{");
            Key("show");
            Int(placement.showCmd);
            Key("normal");
            Rect(placement.rcNormalPosition);
            Raw("}");
        } else {
            Raw("null");
        }
        Trace("menu");
        EmitMenu(main);
        Trace("menu resources");
        EmitMenuResources(ProcessImagePath(pid));
        Trace("list");
        EmitListView(GetDlgItem(main, 1));
        Trace("status");
        EmitStatusBar(GetDlgItem(main, 2));
        Trace("dialogs");
        std::vector<HWND> dialogs = Dialogs(main);
        Key("dialogs");
        Raw("[");
        for (size_t i = 0; i < dialogs.size(); ++i) {
            Comma();
            EmitDialog(main, dialogs[i]);
        }
        Raw("]");
    }
    Raw("}");
    Flush();
}

// A short check that the window's thread takes messages.
bool Responds(HWND window) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 500, &r) != 0;
}

HWND TopDialog(HWND main) {
    std::vector<HWND> dialogs = Dialogs(main);
    if (dialogs.empty()) return NULL;
    // Prefer the one that is enabled (a dialog over a dialog disables its owner).
    for (size_t i = 0; i < dialogs.size(); ++i)
        if (IsWindowEnabled(dialogs[i])) return dialogs[i];
    return dialogs[0];
}

// A control of the dialog by id, searched among all descendants (the
// common file dialogs keep their controls in a child dialog).
HWND DialogControl(HWND dialog, int id) {
    HWND direct = GetDlgItem(dialog, id);
    if (direct) return direct;
    ThreadWindows children;
    EnumChildWindows(dialog, ChildProc, reinterpret_cast<LPARAM>(&children));
    for (size_t i = 0; i < children.windows.size(); ++i)
        if (GetDlgCtrlID(children.windows[i]) == id) return children.windows[i];
    return NULL;
}

std::string DecodeTextArg(const char* arg) {
    if (strncmp(arg, "hex:", 4) != 0) return std::string(arg);
    std::string out;
    const char* p = arg + 4;
    while (p[0] && p[1]) {
        char pair[3] = {p[0], p[1], 0};
        out += static_cast<char>(strtoul(pair, NULL, 16));
        p += 2;
    }
    return out;
}

// The clipboard's text, replaced by these CP932 bytes (as wide characters).
bool SetClipboardText(const std::string& text) {
    std::wstring wide = WideOf932(text);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    if (!memory) return false;
    wchar_t* chars = static_cast<wchar_t*>(GlobalLock(memory));
    memcpy(chars, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    if (!OpenClipboard(NULL)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    bool set = SetClipboardData(CF_UNICODETEXT, memory) != NULL;
    CloseClipboard();
    if (!set) GlobalFree(memory);
    return set;
}

void EmitClipboard() {
    std::string text;
    bool has = false;
    if (OpenClipboard(NULL)) {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const wchar_t* chars = data ? static_cast<const wchar_t*>(GlobalLock(data)) : NULL;
        if (chars) {
            text = Cp932Of(chars);
            has = true;
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    Raw("{");
    Key("clipboard");
    if (has) Str(text); else Raw("null");
    Raw("}");
    Flush();
}

void Error(const char* what) {
    Raw("{");
    Key("error");
    Str(what, strlen(what));
    Raw("}");
    Flush();
}

// ---- The folder browser -------------------------------------------------

bool HasTree(HWND dialog) {
    ThreadWindows children;
    EnumChildWindows(dialog, ChildProc, reinterpret_cast<LPARAM>(&children));
    for (size_t i = 0; i < children.windows.size(); ++i)
        if (Lower(ClassOf(children.windows[i])) == "systreeview32") return true;
    return false;
}

// Whether a static text of the browser reads `path` (case ignored).
bool ShowsPath(HWND dialog, const std::string& path) {
    ThreadWindows children;
    EnumChildWindows(dialog, ChildProc, reinterpret_cast<LPARAM>(&children));
    for (size_t i = 0; i < children.windows.size(); ++i) {
        HWND c = children.windows[i];
        if (Lower(ClassOf(c)) == "static" && lstrcmpiA(WindowText(c).c_str(), path.c_str()) == 0) return true;
    }
    return false;
}

HWND TreeOf(HWND dialog) {
    ThreadWindows children;
    EnumChildWindows(dialog, ChildProc, reinterpret_cast<LPARAM>(&children));
    for (size_t i = 0; i < children.windows.size(); ++i)
        if (Lower(ClassOf(children.windows[i])) == "systreeview32") return children.windows[i];
    return NULL;
}

HTREEITEM TreeNext(HWND tree, UINT how, HTREEITEM item) {
    DWORD_PTR r = 0;
    if (!Send(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item), &r)) return NULL;
    return reinterpret_cast<HTREEITEM>(r);
}

std::string TreeText(Remote& remote, HWND tree, HTREEITEM item) {
    TVITEMW it;
    memset(&it, 0, sizeof it);
    it.mask = TVIF_TEXT;
    it.hItem = item;
    it.pszText = reinterpret_cast<wchar_t*>(remote.at(kTextAt));
    it.cchTextMax = kTextMax;
    wchar_t zero = 0;
    remote.Write(kTextAt, &zero, sizeof zero);
    if (!remote.Write(kItemAt, &it, sizeof it)) return std::string();
    DWORD_PTR ok = 0;
    if (!SendW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.at(kItemAt)), &ok) || !ok) return std::string();
    return remote.ReadString(remote.at(kTextAt), kTextMax - 1);
}

// The child of `parent` (the top level when NULL) whose text matches:
// equal to `name` (case ignored), or holding "(<name>)" when `drive`.
HTREEITEM TreeChild(Remote& remote, HWND tree, HTREEITEM parent, const std::string& name, bool drive) {
    if (parent) Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent), NULL);
    HTREEITEM item = parent ? TreeNext(tree, TVGN_CHILD, parent) : TreeNext(tree, TVGN_ROOT, NULL);
    std::string wanted = Lower(drive ? "(" + name + ")" : name);
    for (int n = 0; item && n < 2000; ++n, item = TreeNext(tree, TVGN_NEXT, item)) {
        std::string text = Lower(TreeText(remote, tree, item));
        if (drive ? text.find(wanted) != std::string::npos : text == wanted) return item;
    }
    return NULL;
}

// The drive's item: searched two levels down from each top-level item
// (desktop, then the computer, then its drives).
HTREEITEM TreeDrive(Remote& remote, HWND tree, const std::string& drive) {
    for (HTREEITEM top = TreeNext(tree, TVGN_ROOT, NULL); top; top = TreeNext(tree, TVGN_NEXT, top)) {
        if (HTREEITEM found = TreeChild(remote, tree, top, drive, true)) return found;
        Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top), NULL);
        for (HTREEITEM mid = TreeNext(tree, TVGN_CHILD, top); mid; mid = TreeNext(tree, TVGN_NEXT, mid))
            if (HTREEITEM found = TreeChild(remote, tree, mid, drive, true)) return found;
    }
    return NULL;
}

// Walks the browser's tree down the components of `path` (a drive path,
// CP932 bytes), expanding each level, and selects the last one.
bool SelectInTree(HWND dialog, const std::string& path) {
    HWND tree = TreeOf(dialog);
    if (!tree || path.size() < 2 || path[1] != ':') return false;
    Remote remote(tree);
    if (!remote.ok()) return false;
    HTREEITEM item = TreeDrive(remote, tree, path.substr(0, 2));
    size_t at = 2;
    while (item && at < path.size()) {
        while (at < path.size() && path[at] == '\\') ++at;
        size_t end = at;
        // A component ends at a backslash that is not the second byte of a
        // double-byte character.
        while (end < path.size() && path[end] != '\\') end += IsDBCSLeadByte(static_cast<BYTE>(path[end])) ? 2 : 1;
        if (end > path.size()) end = path.size();
        if (end > at) item = TreeChild(remote, tree, item, path.substr(at, end - at), false);
        at = end;
    }
    if (!item) return false;
    Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), NULL);
    Send(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item), NULL);
    return true;
}

// Selects `path` in the open folder browser: by its tree, level by level,
// and with BFFM_SETSELECTIONA (the path written into the browser's process,
// as the message carries a pointer). Under Wine a browser may take a
// request before its tree is filled and stay where it was, so both are
// repeated until the browser's status text shows the path and keeps it.
bool SelectFolder(const std::string& path, DWORD limit) {
    const DWORD kResend = 1500;
    const DWORD kSteady = 400;
    DWORD start = GetTickCount();
    DWORD lastSent = 0;
    bool sent = false;
    DWORD shownSince = 0;
    bool shown = false;
    while (GetTickCount() - start < limit) {
        g_unanswered = false;
        HWND main = FindMain();
        HWND dialog = main ? TopDialog(main) : NULL;
        if (!dialog || !HasTree(dialog)) {
            shown = false;
            Sleep(50);
            continue;
        }
        if (ShowsPath(dialog, path)) {
            if (!shown) shownSince = GetTickCount();
            shown = true;
            if (GetTickCount() - shownSince >= kSteady) return true;
        } else {
            shown = false;
            if (!sent || GetTickCount() - lastSent >= kResend) {
                Trace("select in tree");
                if (!SelectInTree(dialog, path)) {
                    Trace("tree walk failed; BFFM_SETSELECTIONA");
                    Remote remote(dialog);
                    if (remote.ok() && remote.Write(kTextAt, path.c_str(), path.size() + 1))
                        Send(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote.at(kTextAt)), NULL);
                }
                sent = true;
                lastSent = GetTickCount();
            }
        }
        Sleep(50);
    }
    return false;
}

// ---- Focus and the windows of other processes --------------------------

// The keyboard focus of another thread is not GetFocus()'s to tell; the
// thread's GUI information holds it.
void EmitFocus(HWND main) {
    Raw("{");
    Key("focus");
    GUITHREADINFO gui;
    memset(&gui, 0, sizeof gui);
    gui.cbSize = sizeof gui;
    DWORD thread = main ? GetWindowThreadProcessId(main, NULL) : 0;
    if (!thread || !GetGUIThreadInfo(thread, &gui) || !gui.hwndFocus) {
        Raw("null}");
        Flush();
        return;
    }
    HWND focus = gui.hwndFocus;
    Raw("{");
    Key("id");
    Int(GetDlgCtrlID(focus));
    Key("class");
    Str(ClassOf(focus));
    Key("text");
    Str(WindowText(focus));
    HWND dialog = focus;
    while (dialog && ClassOf(dialog) != "#32770") dialog = GetParent(dialog);
    Key("dialog");
    if (dialog) Str(WindowText(dialog)); else Raw("null");
    Raw("}}");
    Flush();
}

BOOL CALLBACK CollectTopProc(HWND window, LPARAM param) {
    if (IsWindowVisible(window)) reinterpret_cast<ThreadWindows*>(param)->windows.push_back(window);
    return TRUE;
}

void EmitWindows() {
    ThreadWindows top;
    EnumWindows(CollectTopProc, reinterpret_cast<LPARAM>(&top));
    Raw("{");
    Key("windows");
    Raw("[");
    for (size_t i = 0; i < top.windows.size(); ++i) {
        HWND w = top.windows[i];
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        Comma();
        Raw("{");
        Key("hwnd");
        Int(reinterpret_cast<uintptr_t>(w));
        Key("pid");
        Int(pid);
        Key("exe");
        Str(ProcessImagePath(pid));
        Key("class");
        Str(ClassOf(w));
        Key("caption");
        Str(WindowText(w));
        Key("texts");
        Raw("[");
        ThreadWindows children;
        EnumChildWindows(w, ChildProc, reinterpret_cast<LPARAM>(&children));
        for (size_t c = 0; c < children.windows.size() && c < 64; ++c) {
            std::string cls = Lower(ClassOf(children.windows[c]));
            if (cls != "static" && cls.find("richedit") == std::string::npos) continue;
            std::string text = WindowText(children.windows[c]);
            if (text.empty()) continue;
            Comma();
            Str(text);
        }
        Raw("]");
        Raw("}");
    }
    Raw("]}");
    Flush();
}

int Run(int argc, char** argv) {
    int status = 0;
    g_trace = getenv("ORVANEL_PROBE_TRACE") != NULL;
    Trace("start");
    int i = 1;
    if (i + 1 < argc && strcmp(argv[i], "--path") == 0) {
        g_pathPrefix = Lower(argv[i + 1]);
        i += 2;
    }
    if (i >= argc) {
        Error("no command");
        return 2;
    }
    for (; i < argc; ++i) {
        std::string cmd = argv[i];
        g_unanswered = false;
        Trace(argv[i]);
        bool hasArg = i + 1 < argc;
        if (cmd == "info") {
            EmitInfo(FindMain());
        } else if (cmd == "wait" || cmd == "waitdialog" || cmd == "waitnodialog") {
            if (!hasArg) return 2;
            DWORD limit = strtoul(argv[++i], NULL, 10);
            DWORD start = GetTickCount();
            bool met = false;
            for (;;) {
                Trace("find");
                HWND main = FindMain();
                if (cmd == "wait") met = main && IsWindowVisible(main) && Responds(main);
                else if (cmd == "waitdialog") met = main && TopDialog(main);
                else met = main && !TopDialog(main);
                if (met || GetTickCount() - start >= limit) break;
                Sleep(50);
            }
            EmitInfo(FindMain());
            if (!met) status = 1;
        } else if (cmd == "click" || cmd == "check" || cmd == "settext") {
            if (!hasArg || ((cmd == "check" || cmd == "settext") && i + 2 >= argc)) return 2;
            int id = atoi(argv[++i]);
            HWND main = FindMain();
            HWND dialog = main ? TopDialog(main) : NULL;
            if (!dialog) {
                Error("no dialog");
                status = 1;
                if (cmd != "click") ++i;
                continue;
            }
            HWND control = DialogControl(dialog, id);
            if (cmd == "click") {
                // The command goes to the dialog that holds the control (its parent).
                HWND target = control ? GetParent(control) : dialog;
                PostMessageA(target, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
            } else if (!control) {
                Error("no such control");
                status = 1;
                ++i;
            } else if (cmd == "check") {
                Send(control, BM_SETCHECK, atoi(argv[++i]) ? BST_CHECKED : BST_UNCHECKED, 0, NULL);
            } else {
                std::wstring text = WideOf932(DecodeTextArg(argv[++i]));
                DWORD_PTR r = 0;
                if (!SendW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &r)) status = 1;
            }
        } else if (cmd == "command") {
            if (!hasArg) return 2;
            HWND main = FindMain();
            int id = atoi(argv[++i]);
            if (!main || !PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, 0), 0)) status = 1;
        } else if (cmd == "close") {
            HWND main = FindMain();
            if (!main || !PostMessageA(main, WM_CLOSE, 0, 0)) status = 1;
        } else if (cmd == "selectfolder") {
            if (i + 2 >= argc) return 2;
            DWORD limit = strtoul(argv[++i], NULL, 10);
            std::string path = DecodeTextArg(argv[++i]);
            bool ok = SelectFolder(path, limit);
            EmitInfo(FindMain());
            if (!ok) status = 1;
        } else if (cmd == "sleep") {
            if (!hasArg) return 2;
            Sleep(strtoul(argv[++i], NULL, 10));
        } else if (cmd == "focus") {
            EmitFocus(FindMain());
        } else if (cmd == "windows") {
            EmitWindows();
        } else if (cmd == "answer") {
            if (i + 2 >= argc) return 2;
            HWND target = reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoull(argv[++i], NULL, 10)));
            int id = atoi(argv[++i]);
            if (!IsWindow(target) || !PostMessageA(target, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0)) status = 1;
        } else if (cmd == "helpquit") {
            if (!hasArg) return 2;
            if (!WinHelpA(NULL, argv[++i], HELP_QUIT, 0)) status = 1;
        } else if (cmd == "menumode") {
            if (i + 2 >= argc) return 2;
            DWORD limit = strtoul(argv[++i], NULL, 10);
            bool wanted = atoi(argv[++i]) != 0;
            DWORD start = GetTickCount();
            bool met = false;
            for (;;) {
                HWND main = FindMain();
                GUITHREADINFO gui = {};
                gui.cbSize = sizeof gui;
                if (main && GetGUIThreadInfo(GetWindowThreadProcessId(main, NULL), &gui))
                    met = ((gui.flags & GUI_INMENUMODE) != 0) == wanted;
                if (met || GetTickCount() - start >= limit) break;
                Sleep(20);
            }
            EmitInfo(FindMain());
            if (!met) {
                Error("menu mode not reached");
                status = 1;
            }
        } else if (cmd == "getclipboard") {
            EmitClipboard();
        } else if (cmd == "clipboard") {
            if (!hasArg) return 2;
            if (!SetClipboardText(DecodeTextArg(argv[++i]))) {
                Error("clipboard not set");
                status = 1;
            }
        } else {
            Error("unknown command");
            return 2;
        }
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) { return Run(argc, argv); }
