// What the program's own commands cost on one container, in the real main
// window: open, add, save, extract, reorder and the column fit, each timed
// with QueryPerformanceCounter around the program's code path.
//
//     bench_win.exe LABEL CONTAINER WORKFOLDER [REPEAT [OPERATIONS]]
//
// CONTAINER is a D88 file; WORKFOLDER an empty folder for the files the
// benchmark writes (it is emptied again at the end). Each operation runs
// REPEAT times (3 unless given); OPERATIONS, a comma-separated list of the
// names below, picks some of them (all unless given). One line per operation goes to stdout:
//
//     RESULT <label> <operation> <min ms> <median ms> <ok|FAILED> <items> <itemchanged> <note>
//
// tab-separated; <itemchanged> counts the LVN_ITEMCHANGED notifications the
// main window received during one run (each one recomposes the status text),
// <note> names what went wrong, with the text of any message box the program
// showed (which a watcher thread closes, so nothing waits for a person).
//
// Paths of the operations, as the program runs them once a dialog has
// answered:
//   open         LoadDocumentFile on an empty document (File > Open)
//   fitcolumns   FitColumns on the loaded list (details view)
//   read         the open's read of the file alone (ReadWholeFile: pages of
//                4 KiB, each locked while it is read)
//   save         WriteDocument to a new file (File > Save As after its dialog)
//   selectall    every item selected (LVM_SETITEMSTATE -1), the status text
//                following each change
//   extract      ExtractSelectedTo an empty folder, every item selected
//                (Disk > Extract after the folder browser)
//   select4      every fourth item selected, one item at a time
//   reorder      MoveSelectedDisks with every fourth item selected, moved to
//                the top and to the end in turn (the drop of a drag)
//   selectall-nobar   the same with the status bar hidden
//   lookup-full, lookup-empty   one look-up (GetFileAttributes) of a missing
//                name in the folder holding the extracted files, and in
//                an empty folder (per look-up)
//   extract-floor   what Wine's own calls cost for an extract in the
//                program's order, without the program: per image a file
//                made in a folder of the run's own, its bytes written,
//                flushed, closed and renamed into an empty folder
//   extract-lookups   the extract of (at most 500 of) the disks again,
//                untimed, into an empty folder, through a file interface
//                that counts the look-ups of names that do not exist: per
//                disk in the target folder and elsewhere (in the note)
//   add          AppendImageFile on an empty document (Disk > Add)
//   addgrow      AppendImageFile on the document that holds the container
//                already: the buffer grows to twice its size
//   open-icon, reorder-icon   the same in the large-icon view, where no
//                columns are fitted
// and two that take the program's work apart:
//   lockpair     10,000 VirtualLock/VirtualUnlock pairs on the buffer
//   insert       the list view's insertion of as many items as the container
//                has images, drawing on (insert-redraw, which the program
//                never does; only up to 1,000 items, as it grows faster than
//                the count: 4 minutes for 10,000) and off (insert-noredraw)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/document_io.h"
#include "document/document_win.h"
#include "fault_files.h"
#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "modal_watcher_win.h"
#include "platform/file_api.h"
#include "platform/memory.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"

namespace {

HWND g_main = NULL;
WNDPROC g_mainProc = NULL;
long g_itemChanged = 0;

// Counts the list's change notifications on their way to the program.
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->code == LVN_ITEMCHANGED) ++g_itemChanged;
    }
    return CallWindowProcA(g_mainProc, window, message, wParam, lParam);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

double g_tick = 0;  // milliseconds per counter tick

double Now() {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * g_tick;
}

MainWindowParams* Params() { return GetParams(g_main); }
HWND List() { return Params()->listView; }
int Items() { return ListCount(List()); }

std::string SettingsPath() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string s(path, n);
    size_t dot = s.find_last_of('.');
    if (dot != std::string::npos) s.erase(dot);
    return s + ".ini";
}

void EmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        DeleteFileA((folder + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

int CountFiles(const std::string& folder) {
    int n = 0;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return n;
}

uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Printable form of CP932 bytes (message box texts) for the report line.
std::string Printable(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\t' || c == '\n' || c == '\r') {
            out += ' ';
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02X", c);
            out += esc;
        }
    }
    return out;
}

struct Result {
    std::vector<double> times;
    bool ok = true;
    int items = 0;
    long itemChanged = 0;
    std::string note;
};

std::string g_label;
std::string g_only;  // ",open,save," or empty for every operation

bool Wanted(const char* op) {
    return g_only.empty() || g_only.find(std::string(",") + op + ",") != std::string::npos;
}

void Print(const char* op, Result& r) {
    std::vector<double> t = r.times;
    std::sort(t.begin(), t.end());
    double minimum = t.empty() ? 0 : t.front();
    double median = t.empty() ? 0 : t[t.size() / 2];
    std::printf("RESULT\t%s\t%s\t%.3f\t%.3f\t%s\t%d\t%ld\t%s\n", g_label.c_str(), op, minimum,
                median, r.ok ? "ok" : "FAILED", r.items, r.itemChanged, r.note.c_str());
    std::fflush(stdout);
}

// One timed run of `body`: message boxes it raises are closed by a watcher
// and make the run fail with their text.
template <class Body>
bool Timed(Result& r, Body body) {
    Pump();
    ModalWatcher watcher;
    watcher.SetTimeout(5000);
    watcher.Start();
    long changedBefore = g_itemChanged;
    double start = Now();
    int answer = body();
    double end = Now();
    watcher.Finish();
    r.times.push_back(end - start);
    r.itemChanged = g_itemChanged - changedBefore;
    bool ok = answer != 0 && watcher.seen().empty();
    for (size_t i = 0; i < watcher.seen().size(); ++i) {
        if (!r.note.empty()) r.note += "; ";
        r.note += "message box \"" + Printable(watcher.seen()[i].text) + "\"";
    }
    if (answer == 0 && r.note.empty()) r.note = "the operation answered 0";
    if (!ok) r.ok = false;
    Pump();
    return ok;
}

void Check(Result& r, bool good, const std::string& what) {
    if (good) return;
    r.ok = false;
    if (r.note.find(what) != std::string::npos) return;
    if (!r.note.empty()) r.note += "; ";
    r.note += what;
}

void ClearDocument() {
    Params()->modified = 0;
    NewDocument(g_main);
    Pump();
}

struct Container {
    std::string path;
    std::string title;
    unsigned nameOffset;
    uint64_t size;
};

int Open(const Container& c) {
    return LoadDocumentFile(g_main, c.path.c_str(), c.title.c_str(), c.nameOffset);
}

void SelectNone() {
    LVITEMA none = {};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
}

int SelectAll() {
    LVITEMA all = {};
    all.stateMask = LVIS_SELECTED;
    all.state = LVIS_SELECTED;
    return SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(&all)) != 0;
}

void ListSetState(int i) {
    LVITEMA on = {};
    on.stateMask = LVIS_SELECTED;
    on.state = LVIS_SELECTED;
    SendMessageA(List(), LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&on));
}

int SelectEveryFourth() {
    int n = Items();
    for (int i = 0; i < n; i += 4) ListSetState(i);
    return 1;
}

// The image offsets of the list, in list order.
std::vector<uint32_t> Order() {
    std::vector<uint32_t> order;
    int n = Items();
    for (int i = 0; i < n; ++i) order.push_back(GetItemImageOffset(List(), i));
    return order;
}

// The order a move of every fourth item to `insertAt` must give.
std::vector<uint32_t> Moved(const std::vector<uint32_t>& before, const std::vector<bool>& selected,
                            size_t insertAt) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < before.size() && i < insertAt; ++i)
        if (!selected[i]) out.push_back(before[i]);
    for (size_t i = 0; i < before.size(); ++i)
        if (selected[i]) out.push_back(before[i]);
    for (size_t i = insertAt; i < before.size(); ++i)
        if (!selected[i]) out.push_back(before[i]);
    return out;
}

std::vector<bool> SelectionFlags() {
    std::vector<bool> flags;
    int n = Items();
    for (int i = 0; i < n; ++i) flags.push_back(ListIsSelected(List(), i));
    return flags;
}

void BenchOpen(const char* op, const Container& c, int expected, int repeat) {
    if (!Wanted(op)) return;
    Result r;
    for (int k = 0; k < repeat; ++k) {
        ClearDocument();
        Timed(r, [&] { return Open(c); });
        r.items = Items();
        Check(r, r.items == expected, "wrong item count");
        if (!r.ok) break;
    }
    Print(op, r);
}

void BenchReorder(const char* op, int repeat) {
    if (!Wanted(op)) return;
    Result r;
    SelectNone();
    SelectEveryFourth();
    int n = Items();
    for (int k = 0; k < repeat; ++k) {
        std::vector<uint32_t> before = Order();
        std::vector<bool> selected = SelectionFlags();
        int insertAt = (k % 2 == 0) ? 0 : n;
        Timed(r, [&] { return MoveSelectedDisks(List(), insertAt); });
        r.items = n;
        Check(r, Order() == Moved(before, selected, static_cast<size_t>(insertAt)), "wrong order");
        if (!r.ok) break;
    }
    Print(op, r);
}

// Where the time of listing goes: the list view's own insertion of n items
// (label, image, parameter and the three column texts, as AddDiskItem
// inserts them) into the
// emptied list of the real window, with its drawing on, as the program
// runs it, and with drawing switched off (WM_SETREDRAW) and one repaint at
// the end, which is what it could cost.
void BenchListInsert(int count, int repeat) {
    if (!Wanted("insert")) return;
    HWND list = List();
    for (int redraw = count > 1000 ? 0 : 1; redraw >= 0; --redraw) {
        Result r;
        for (int k = 0; k < repeat; ++k) {
            ClearDocument();
            Timed(r, [&] {
                if (!redraw) SendMessageA(list, WM_SETREDRAW, FALSE, 0);
                for (int i = 0; i < count; ++i) {
                    LVITEMA item = {};
                    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
                    item.iItem = i;
                    item.pszText = const_cast<char*>("DISK");
                    item.lParam = i;
                    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
                    ListSetSubText(list, i, 1, "No");
                    ListSetSubText(list, i, 2, "2D");
                    ListSetSubText(list, i, 3, "1KB");
                }
                if (!redraw) {
                    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
                    InvalidateRect(list, nullptr, TRUE);
                }
                UpdateWindow(list);
                return 1;
            });
            r.items = Items();
            Check(r, r.items == count, "wrong item count");
        }
        Print(redraw ? "insert-redraw" : "insert-noredraw", r);
    }
    ClearDocument();
}

// Page locks: one VirtualLock and VirtualUnlock pair on the buffer, as every
// chunk of a bulk transfer and every header access makes (per pair).
void BenchLockPair(int repeat) {
    if (!Wanted("lockpair")) return;
    const int pairs = 10000;
    Result r;
    for (int k = 0; k < repeat; ++k) {
        uint8_t* base = Params()->buffer;
        Timed(r, [&] {
            for (int i = 0; i < pairs; ++i) {
                VirtualLock(base, 36);
                VirtualUnlock(base, 36);
            }
            return 1;
        });
        r.items = pairs;
    }
    Print("lockpair", r);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_win LABEL CONTAINER WORKFOLDER [REPEAT]\n");
        return 2;
    }
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_tick = 1000.0 / static_cast<double>(frequency.QuadPart);
    g_label = argv[1];
    Container c;
    char full[MAX_PATH];
    char* namePart = nullptr;
    if (!GetFullPathNameA(argv[2], MAX_PATH, full, &namePart) || !namePart) {
        std::fprintf(stderr, "bench_win: bad path %s\n", argv[2]);
        return 2;
    }
    c.path = full;
    c.title = namePart;
    c.nameOffset = static_cast<unsigned>(namePart - full);
    c.size = FileSize(c.path);
    std::string work = argv[3];
    int repeat = argc > 4 ? std::atoi(argv[4]) : 3;
    if (repeat < 1) repeat = 1;
    if (argc > 5) g_only = std::string(",") + argv[5] + ",";
    std::string extractTo = work + "\\x";
    std::string saveTo = work + "\\saved.d88";
    CreateDirectoryA(work.c_str(), nullptr);
    CreateDirectoryA(extractTo.c_str(), nullptr);

    // Default settings: no backups, large icons, status bar shown.
    DeleteFileA(SettingsPath().c_str());
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = GetModuleHandleA(NULL);
    if (!RegisterMainWindowClass(instance)) return 1;
    g_main = CreateMainWindow(instance);
    if (!g_main) {
        std::fprintf(stderr, "bench_win: CreateMainWindow failed\n");
        return 1;
    }
    ShowWindow(g_main, SW_SHOWNORMAL);
    UpdateWindow(g_main);
    g_mainProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(g_main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
    Pump();

    // How many images the container holds: what the first open lists.
    SetViewMode(g_main, LVS_REPORT);
    ClearDocument();
    {
        Result first;
        if (!Timed(first, [&] { return Open(c); })) {
            Print("open", first);
            DestroyWindow(g_main);
            DeleteFileA(SettingsPath().c_str());
            return 1;
        }
    }
    int n = Items();
    std::printf("INFO\t%s\t%s\t%llu bytes\t%d images\n", g_label.c_str(), c.path.c_str(),
                static_cast<unsigned long long>(c.size), n);
    std::fflush(stdout);

    BenchLockPair(repeat);
    BenchOpen("open", c, n, repeat);
    if (Wanted("fitcolumns")) {
        Result r;
        for (int k = 0; k < repeat; ++k) {
            Timed(r, [&] { return FitColumns(List()); });
            r.items = Items();
        }
        Print("fitcolumns", r);
    }
    if (Wanted("read")) {
        Result r;
        for (int k = 0; k < repeat && r.ok; ++k) {
            uint8_t* block = nullptr;
            uint32_t size = 0;
            bool opened = false;
            Timed(r, [&] {
                return ReadWholeFile(*Params()->files, *Params()->memory, c.path.c_str(), &block,
                                     &size, &opened)
                    .ok();
            });
            Check(r, size == c.size, "wrong size read");
            if (block) Params()->memory->Release(block, size);
            r.items = n;
        }
        Print("read", r);
    }
    if (Wanted("save")) {
        Result r;
        for (int k = 0; k < repeat; ++k) {
            DeleteFileA(saveTo.c_str());
            Timed(r, [&] { return WriteDocument(g_main, saveTo.c_str()); });
            r.items = Items();
            Check(r, FileSize(saveTo) == c.size, "saved file has the wrong size");
            if (!r.ok) break;
        }
        DeleteFileA(saveTo.c_str());
        Print("save", r);
    }
    if (Wanted("selectall")) {
        Result r;
        for (int k = 0; k < repeat; ++k) {
            SelectNone();
            Pump();
            Timed(r, [&] { return SelectAll(); });
            r.items = static_cast<int>(ListSelectedCount(List()));
            Check(r, r.items == n, "not all selected");
        }
        Print("selectall", r);
        // The same with the status bar hidden: the program still sets its
        // text on every change, but the hidden bar is not repainted.
        ToggleStatusBar(g_main);
        Result hidden;
        for (int k = 0; k < repeat; ++k) {
            SelectNone();
            Pump();
            Timed(hidden, [&] { return SelectAll(); });
            hidden.items = static_cast<int>(ListSelectedCount(List()));
        }
        ToggleStatusBar(g_main);
        Print("selectall-nobar", hidden);
    }
    if (Wanted("extract-lookups")) {
        // Counting asks the system about each name first, which costs as
        // much again: a run of its own, on the first 500 disks at most.
        Result r;
        int disks = n < 500 ? n : 500;
        SelectNone();
        for (int i = 0; i < disks; ++i) ListSetState(i);
        EmptyFolder(extractTo);
        FaultFiles counter;
        counter.countLookups = true;
        Params()->files = &counter;
        Timed(r, [&] { return ExtractSelectedTo(g_main, extractTo.c_str()); });
        Params()->files = &SystemFiles();
        r.items = CountFiles(extractTo);
        Check(r, r.items == disks, "wrong number of files extracted");
        int inTarget = 0, elsewhere = 0;
        for (const auto& folder : counter.missingLookups) {
            bool target = lstrcmpiA(folder.first.c_str(), (extractTo + "\\").c_str()) == 0;
            (target ? inTarget : elsewhere) += folder.second;
        }
        char note[160];
        std::snprintf(note, sizeof note,
                      "per disk: %.2f look-ups of missing names in the target folder, %.2f "
                      "elsewhere; %d folder reads",
                      static_cast<double>(inTarget) / disks, static_cast<double>(elsewhere) / disks,
                      counter.folderReads);
        if (!r.note.empty()) r.note += "; ";
        r.note += note;
        EmptyFolder(extractTo);
        Print("extract-lookups", r);
    }
    if (Wanted("extract")) {
        Result r;
        int runs = (n > 2000 || c.size > (256u << 20)) ? 1 : repeat;
        SelectAll();
        for (int k = 0; k < runs; ++k) {
            EmptyFolder(extractTo);
            Timed(r, [&] { return ExtractSelectedTo(g_main, extractTo.c_str()); });
            r.items = CountFiles(extractTo);
            Check(r, r.items == n, "wrong number of files extracted");
            if (!r.ok) break;
        }
        Print("extract", r);
        // Looking up a name that is not there, in the folder that now holds
        // every extracted file and in an empty one: the extraction makes
        // several such look-ups per file (the target, the temporary file).
        for (int full = 1; full >= 0; --full) {
            if (!full) EmptyFolder(extractTo);
            Result lookups;
            const int count = 200;
            Timed(lookups, [&] {
                for (int i = 0; i < count; ++i) {
                    char name[64];
                    std::snprintf(name, sizeof name, "\\MISSING %05d.D88", i);
                    GetFileAttributesA((extractTo + name).c_str());
                }
                return 1;
            });
            lookups.items = full ? CountFiles(extractTo) : 0;
            lookups.times[0] /= count;
            Print(full ? "lookup-full" : "lookup-empty", lookups);
        }
    }
    if (Wanted("extract-floor")) {
        Result r;
        int runs = (n > 2000 || c.size > (256u << 20)) ? 1 : repeat;
        std::vector<char> bytes(static_cast<size_t>(c.size / (n ? n : 1)));
        std::string own = extractTo + "\\floor";
        for (int k = 0; k < runs && r.ok; ++k) {
            EmptyFolder(extractTo);
            CreateDirectoryA(own.c_str(), NULL);
            Timed(r, [&] {
                for (int i = 0; i < n; ++i) {
                    char name[32];
                    std::snprintf(name, sizeof name, "\\DISK %05d.D88", i);
                    std::string temp = own + name, target = extractTo + name;
                    HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, NULL);
                    if (h == INVALID_HANDLE_VALUE) return 0;
                    DWORD done = 0;
                    BOOL ok =
                        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, NULL) &&
                        FlushFileBuffers(h);
                    CloseHandle(h);
                    if (!ok || !MoveFileExA(temp.c_str(), target.c_str(), 0)) return 0;
                }
                return 1;
            });
            RemoveDirectoryA(own.c_str());
            r.items = CountFiles(extractTo);
            Check(r, r.items == n, "wrong number of files written");
        }
        EmptyFolder(extractTo);
        Print("extract-floor", r);
    }
    if (Wanted("select4")) {
        Result r;
        for (int k = 0; k < repeat; ++k) {
            SelectNone();
            Pump();
            Timed(r, [&] { return SelectEveryFourth(); });
            r.items = ListSelectedCount(List());
        }
        Print("select4", r);
    }
    BenchReorder("reorder", repeat);
    if (Wanted("add")) {
        Result r;
        for (int k = 0; k < repeat; ++k) {
            ClearDocument();
            Timed(r, [&] { return AppendImageFile(g_main, c.path.c_str()); });
            r.items = Items();
            Check(r, r.items == n, "wrong item count");
            if (!r.ok) break;
        }
        Print("add", r);
    }
    if (Wanted("addgrow")) {
        Result r;
        for (int k = 0; k < repeat; ++k) {
            ClearDocument();
            if (!Open(c)) {
                Check(r, false, "the open before the add failed");
                break;
            }
            Timed(r, [&] { return AppendImageFile(g_main, c.path.c_str()); });
            r.items = Items();
            Check(r, r.items == 2 * n, "wrong item count");
            if (!r.ok) break;
        }
        Print("addgrow", r);
    }

    BenchListInsert(n, repeat);
    SetViewMode(g_main, LVS_ICON);
    BenchOpen("open-icon", c, n, repeat);
    BenchReorder("reorder-icon", repeat);

    ClearDocument();
    DestroyWindow(g_main);
    Pump();
    UnregisterClassA(MAIN_WINDOW_CLASS, instance);
    DeleteFileA(SettingsPath().c_str());
    EmptyFolder(extractTo);
    RemoveDirectoryA(extractTo.c_str());
    return 0;
}
