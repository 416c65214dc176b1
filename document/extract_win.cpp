// Disk > Extract: each selected disk to a file of its own in a chosen folder.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/dialogs_win.h"
#include "document/document_io.h"
#include "document/document_win.h"
#include "document/paths.h"
#include "document/report_win.h"
#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "platform/file_api.h"
#include "platform/folder_names.h"
#include "platform/text_wide_win.h"
#include "resources/resource.h"
#include "shell/long_run_win.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"
#include "store/image_buffer.h"

namespace {

// The browser's start. Wine's browser walks its tree to a requested folder
// by comparing the shell's item ids byte for byte, times of the folders
// included; reading a folder may change its access time between the
// request's own look-up and the tree's, so a first request can stop half
// way and select nothing. The folders on the way are therefore listed once
// before the first request, so that their access times have moved already,
// and the request is repeated, while the browser is being initialised and
// before the user can touch it, until the folder shows; afterwards the
// program never moves the selection. Until the folder has shown or the
// user has picked one, OK stays disabled, so that OK never takes a folder
// nobody chose. Whether the selection is the start folder is the shell's
// answer about the folder itself, not a comparison of texts: the browser
// reports the long name of a folder that lastDir gives by its 8.3 name.
struct BrowseStart {
    wchar_t folder[MAX_PATH];  // the folder to select, as a full path
    bool initialized;          // BFFM_INITIALIZED has come
    bool requesting;           // inside a selection request of the program
    bool shown;                // the start folder has been selected
    bool chosen;               // the user has selected another folder
};

const int kSelectAttempts = 3;

// The folder text as a full path for the selection request: a bare drive
// such as "A:" is kept for its root, other relative texts (".") are taken
// from the current folder.
void StartFolderOf(const char* folder, wchar_t* out) {
    lstrcpynW(out, PathW(folder).c_str(), MAX_PATH);
    if (out[0] == L'\0') return;
    if (out[1] == L':' && out[2] == L'\0') {
        lstrcatW(out, L"\\");
        return;
    }
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(out, MAX_PATH, full, nullptr);
    if (n > 0 && n < MAX_PATH) lstrcpyW(out, full);
}

// Whether a selection of the browser is the folder of that path, as the
// desktop folder compares the two item ids. The path is parsed at each
// call rather than once: ids carry the folders' times, which the browser's
// own reading of the folders may move.
bool IsFolderAt(LPCITEMIDLIST item, const wchar_t* folder) {
    wchar_t wide[MAX_PATH];
    if (!item || folder[0] == L'\0') return false;
    lstrcpynW(wide, folder, MAX_PATH);
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return false;
    LPITEMIDLIST parsed = nullptr;
    HRESULT hr = desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr, &parsed, nullptr);
    bool same = false;
    if (SUCCEEDED(hr) && parsed) {
        hr = desktop->CompareIDs(0, parsed, item);
        same = SUCCEEDED(hr) && HRESULT_CODE(hr) == 0;
    }
    CoTaskMemFree(parsed);
    desktop->Release();
    return same;
}

// Lists each folder of the path, from the drive's root down to the folder
// itself, keeping nothing: the first listing of a folder after its contents
// changed moves its access time, which the browser's ids hold. Done before
// the requests, it no longer happens between a request's look-up and the
// tree's walk.
void SettleFolderTimes(const wchar_t* folder) {
    bool separator = true;  // the last character was a backslash (or none came yet)
    for (const wchar_t* p = folder;; ++p) {
        if (*p != L'\\' && *p != L'\0') {
            separator = false;
            continue;
        }
        size_t n = static_cast<size_t>(p - folder);
        if (!separator && n + 3 <= MAX_PATH) {
            wchar_t pattern[MAX_PATH];
            lstrcpynW(pattern, folder, static_cast<int>(n + 1));
            lstrcatW(pattern, L"\\*");
            WIN32_FIND_DATAW found;
            HANDLE find = FindFirstFileW(pattern, &found);
            if (find != INVALID_HANDLE_VALUE) FindClose(find);
        }
        if (*p == L'\0') break;
        separator = true;
    }
}

void OnBrowserInitialized(HWND browser, BrowseStart* start) {
    start->initialized = true;
    SettleFolderTimes(start->folder);
    for (int i = 0; i < kSelectAttempts && start->folder[0] != '\0' && !start->shown; ++i) {
        start->requesting = true;
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start->folder));
        start->requesting = false;
    }
    if (!start->shown) SendMessageW(browser, BFFM_ENABLEOK, 0, FALSE);
}

void OnBrowserSelChanged(HWND browser, BrowseStart* start, LPCITEMIDLIST item) {
    wchar_t path[MAX_PATH];
    if (!item || !SHGetPathFromIDListW(item, path)) path[0] = L'\0';
    SendMessageW(browser, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
    if (!start->initialized) return;
    if (path[0] != L'\0' && IsFolderAt(item, start->folder)) {
        start->shown = true;
    } else if (!start->requesting) {
        start->chosen = true;
    }
    if (!start->requesting && path[0] != L'\0') SendMessageW(browser, BFFM_ENABLEOK, 0, TRUE);
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM item, LPARAM data) {
    BrowseStart* start = reinterpret_cast<BrowseStart*>(data);
    if (message == BFFM_INITIALIZED)
        OnBrowserInitialized(browser, start);
    else if (message == BFFM_SELCHANGED)
        OnBrowserSelChanged(browser, start, reinterpret_cast<LPCITEMIDLIST>(item));
    return 0;
}

// Writes one disk to `target`: over what is there when `replace`, else
// only where nothing has the name yet (kIoExists when something has), its
// new file made in `folder` when one is given.
IoStatus WriteDisk(MainWindowParams* params, const char* target, uint32_t offset, bool replace,
                   const std::string& folder, ByteProgress* progress) {
    // One image to a file: the bytes it holds of its own, even when cut short.
    WriteJob job;
    size_t cutShort = 0;
    HeldImagesJob(*params->memory, params->buffer, params->bufferSize, *params->stretches, &offset,
                  1, target, (params->flags & FLAG_MAKE_BACKUP) ? kBackupStagedQuiet : kNoBackup,
                  &job, &cutShort);
    job.replace = replace;
    job.folder = folder;
    IoStatus status =
        WriteOneFile(*params->files, *params->memory, std::vector<SourceFile>(), job, progress);
    // A name the file system refuses ('|', '>', '*', ...) fails only when
    // the new file takes it: to the user that target cannot be made, as
    // when no file could be created for it.
    if (status.result == kIoReplaceFailed && !replace) status.result = kIoCreateFailed;
    return status;
}

// What one run of Disk > Extract keeps: its progress, the names of the
// folder it writes to (read once), and a folder of its own beside the
// targets where each new file is made, so that only its final rename
// asks the target's folder about a name it does not hold yet. That
// folder goes when the run ends, with whatever a failure left in it.
class ExtractRun {
public:
    ExtractRun(HWND mainWindow, MainWindowParams* params, const char* folder)
        : window_(mainWindow),
          params_(params),
          progress_(mainWindow),
          folder_(folder),
          tried_(false),
          done_(0) {
        // The folder's part of every target, as BuildExtractTarget makes it.
        if (LastBackslash(folder) != static_cast<int>(folder_.size()) - 1) folder_ += '\\';
        progress_.Begin(kRunExtracting, ListSelectedCount(params->listView));
    }
    ~ExtractRun() {
        if (!newFiles_.empty()) params_->files->RemoveFolder(newFiles_.c_str());
    }

    // One disk, with the question when its target exists: false when the
    // run ends (Cancel, or a failure, which was reported).
    bool Extract(const char* target, uint32_t offset, int* answer) {
        FileApi& files = *params_->files;
        if (!names_) names_.reset(new FolderNames(files, folder_));
        bool exists = names_->Has(target);
        for (;;) {
            // The system is asked again before a question: the set does not
            // see a file that another program removed.
            if (exists && *answer != IDC_ALLYES) exists = files.Exists(target);
            if (exists && *answer != IDC_ALLYES) {
                *answer = ShowPrompt(window_, FormatW(TXT_OVERWRITE_QUESTION, PathW(target)),
                                     TXT_OVERWRITE_CAPTION);
                if (*answer == IDCANCEL) return false;
                if (*answer == IDNO) return Done();
            }
            IoStatus status = WriteDisk(params_, target, offset, exists,
                                        exists ? std::string() : NewFilesFor(target), &progress_);
            // Another program made the file meanwhile: it is asked about as
            // if it had been there.
            if (status.result == kIoExists) {
                exists = true;
                continue;
            }
            if (!status.ok()) {
                ReportIoFailure(window_, status, target);
                return false;
            }
            names_->Add(target);
            return Done();
        }
    }

private:
    bool Done() {
        progress_.Step(++done_);
        return true;
    }
    const std::string& NewFilesFor(const char* target) {
        if (!tried_) params_->files->MakeFolderBeside(target, &newFiles_);
        tried_ = true;
        return newFiles_;
    }

    HWND window_;
    MainWindowParams* params_;
    LongRun progress_;
    std::string folder_;
    std::unique_ptr<FolderNames> names_;
    std::string newFiles_;  // empty: the new files are made beside their targets
    bool tried_;
    uint64_t done_;
};

}  // namespace

int ChooseExtractFolder(HWND owner, char* folder) {
    TrimTrailingBackslash(folder);
    BrowseStart start = {};
    StartFolderOf(folder, start.folder);
    std::wstring title = TextW(TXT_BROWSE_TITLE);
    wchar_t display[MAX_PATH];
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = display;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&start);
    LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
    if (!chosen) return 0;
    wchar_t path[MAX_PATH];
    BOOL ok = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    // A browser that let OK through while it showed neither the start
    // folder nor one the user picked has chosen nothing.
    if (!start.shown && !start.chosen) return 0;
    if (!ok) return 0;
    lstrcpynA(folder, Utf8FromWide(path).c_str(), static_cast<int>(kPathBytes));
    return 1;
}

int WriteDiskImage(HWND mainWindow, const char* target, uint32_t offset) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params) return 0;
    IoStatus result =
        WriteDisk(params, target, offset, params->files->Exists(target), std::string(), nullptr);
    if (result.result == kIoExists)
        result = WriteDisk(params, target, offset, true, std::string(), nullptr);
    if (!result.ok()) {
        ReportIoFailure(mainWindow, result, target);
        return 0;
    }
    return 1;
}

int ExtractDisks(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !params->listView) return 0;
    HWND list = params->listView;
    if (ListSelectedCount(list) == 0) return 0;
    if (!ChooseFolderFromLastDir(mainWindow, params)) return 0;
    return ExtractSelectedTo(mainWindow, params->lastDir);
}

bool ChooseFolderFromLastDir(HWND owner, MainWindowParams* params) {
    char folder[kPathBytes];
    lstrcpynA(folder, params->lastDir, sizeof folder);
    TrimTrailingBackslash(params->lastDir);
    if (!ChooseExtractFolder(owner, folder)) return false;
    lstrcpynA(params->lastDir, folder, sizeof params->lastDir);
    return true;
}

int ExtractSelectedTo(HWND mainWindow, const char* folder) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !params->listView || !folder) return 0;
    HWND list = params->listView;
    ExtractRun run(mainWindow, params, folder);
    int answer = 0;
    for (int index = ListNextSelected(list, -1); index >= 0;
         index = ListNextSelected(list, index)) {
        uint32_t offset = GetItemImageOffset(list, index);
        if (offset == kNoImage) break;
        std::string name;
        if (!DiskNameForFile(params, offset, &name)) break;
        char target[kPathBytes];
        if (!BuildExtractTarget(folder, params->fileTitle, name.c_str(), target, sizeof target)) {
            ReportIoFailure(mainWindow, kIoNameTooLong, target);
            break;
        }
        if (!run.Extract(target, offset, &answer)) break;
    }
    return 1;
}
