// The files window: the files inside the one selected disk, read by the core
// through the sector view of the bytes the document holds, and taken out of
// it into a folder chosen in the browser. Nothing here changes the document.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs/dialogs_win.h"
#include "dialogs/text_list_win.h"
#include "document/document_win.h"
#include "document/paths.h"
#include "document/report_win.h"
#include "filesystems/disk_extract.h"
#include "filesystems/disk_files.h"
#include "filesystems/n88_program.h"
#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "platform/file_api.h"
#include "resources/resource.h"
#include "shell/disk_files_text.h"
#include "shell/long_run_win.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"
#include "store/sector_view.h"

namespace {

// The disk the window shows: its bytes where the document holds them, and
// what the core read of them.
struct FilesWindow {
    FilesWindow(MainWindowParams* p, uint32_t offset, uint32_t extent)
        : params(p), image(*p->memory, p->buffer, offset, extent), view(image), volume() {}
    MainWindowParams* params;
    MemoryImage image;
    SectorView view;
    FsVolume volume;
    std::string name;  // the disk's, CP932
};

const int kColumns = 4;

FilesWindow* WindowOf(HWND dialog) {
    return reinterpret_cast<FilesWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

HWND ListOf(HWND dialog) { return GetDlgItem(dialog, IDC_FILES_LIST); }

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// A text of the program with its two %s filled in turn.
std::wstring FormatTwo(const char* format, const std::string& first, const std::string& second) {
    std::string text = format;
    size_t at = text.find("%s");
    text.replace(at, 2, first);
    text.replace(text.find("%s", at + first.size()), 2, second);
    return TextW(text.c_str());
}

// One row for each file the list shows, holding the file's index.
void FillList(HWND dialog, const FilesWindow& w) {
    HWND list = ListOf(dialog);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    const bool deleted = Checked(dialog, IDC_FILES_DELETED);
    for (size_t i = 0; i < w.volume.files.size(); ++i) {
        if (!ListsFile(w.volume.files[i], deleted)) continue;
        const FileRow row = FileRowOf(w.volume.files[i]);
        const std::string texts[kColumns] = {row.name, row.kind, row.size, row.attributes};
        AppendTextRow(list, texts, kColumns, static_cast<LPARAM>(i));
    }
    FitTextColumns(list, kColumns);
    // The keyboard starts at the first row.
    LVITEMW first = {};
    first.stateMask = LVIS_FOCUSED;
    first.state = LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
}

// The files of the selected rows that can be taken out, in list order
// (which is the directory's); at most one with `any`.
std::vector<size_t> SelectedFiles(HWND dialog, const FilesWindow& w, bool any = false) {
    std::vector<size_t> files;
    HWND list = ListOf(dialog);
    for (int row = ListNextSelected(list, -1); row >= 0; row = ListNextSelected(list, row)) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) continue;
        const size_t i = static_cast<size_t>(item.lParam);
        if (i >= w.volume.files.size() || !CanExtractFile(w.volume.files[i])) continue;
        files.push_back(i);
        if (any) break;
    }
    return files;
}

void UpdateExtractButton(HWND dialog) {
    FilesWindow* w = WindowOf(dialog);
    EnableWindow(GetDlgItem(dialog, IDC_FILES_EXTRACT),
                 w && !SelectedFiles(dialog, *w, true).empty());
}

// The bytes a file is written with: its own, or the listing of a tokenised
// program when that is asked for. False, said in a message, when the file
// cannot be read whole (its chain is broken).
bool FileBytes(HWND dialog, FilesWindow& w, size_t index, std::vector<uint8_t>* bytes) {
    std::string problem;
    if (ReadDiskFile(w.view, w.volume, index, bytes, &problem) != kFsOk) {
        MessageBoxW(
            dialog,
            FormatTwo(TXT_FILE_BROKEN, ShownFileName(w.volume.files[index]), problem).c_str(),
            TextW(TXT_APP_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
        return false;
    }
    if (Checked(dialog, IDC_FILES_AS_TEXT) && HasListing(w.volume, w.volume.files[index])) {
        const BasicListing listing = ListN88Program(*bytes, kBasicV2);
        bytes->assign(listing.text.begin(), listing.text.end());
    }
    return true;
}

// One file to its path below `folder`, with the question when something
// has that name already: false when the run ends (Cancel, or a failure,
// which was reported).
bool WriteFile(HWND dialog, FilesWindow& w, const std::string& folder, const ExtractTarget& target,
               const std::vector<uint8_t>& bytes, int* answer) {
    FileApi& files = *w.params->files;
    const std::string path = ExtractPath(folder, target);
    std::string shown = path;
    std::replace(shown.begin(), shown.end(), '/', '\\');
    bool exists = files.Exists(path.c_str());
    for (;;) {
        if (exists && *answer != IDC_ALLYES) {
            *answer = ShowPrompt(dialog, FormatW(TXT_OVERWRITE_QUESTION, PathW(shown.c_str())),
                                 TXT_OVERWRITE_CAPTION);
            if (*answer == IDCANCEL) return false;
            if (*answer == IDNO) return true;
        }
        IoStatus status = WriteExtracted(files, *w.params->memory, folder, target, bytes, exists);
        // Another program made the file meanwhile: it is asked about as if
        // it had been there.
        if (status.result == kIoExists && !exists) {
            exists = true;
            continue;
        }
        if (!status.ok()) {
            ReportIoFailure(dialog, status, shown.c_str());
            return false;
        }
        return true;
    }
}

// "抽出": the selected files, in list order, into a folder chosen in the
// browser (which starts in lastDir, and whose folder becomes lastDir), with
// the questions of disk extraction before a file is replaced.
void ExtractSelected(HWND dialog) {
    FilesWindow* w = WindowOf(dialog);
    const std::vector<size_t> chosen = SelectedFiles(dialog, *w);
    if (chosen.empty() || !ChooseFolderFromLastDir(dialog, w->params)) return;
    char folder[kPathBytes];
    lstrcpynA(folder, w->params->lastDir, sizeof folder);
    TrimTrailingBackslash(folder);
    std::vector<std::string> names, unknown;
    for (size_t k = 0; k < chosen.size(); ++k)
        names.push_back(DisplayName(w->volume.files[chosen[k]]));
    std::vector<ExtractTarget> plan;
    PlanExtract(w->volume, names, false, &plan, &unknown);
    int answer = 0;
    for (size_t k = 0; k < plan.size(); ++k) {
        // Another file of the same name is not one of those chosen.
        if (std::find(chosen.begin(), chosen.end(), plan[k].file) == chosen.end()) continue;
        std::vector<uint8_t> bytes;
        if (!FileBytes(dialog, *w, plan[k].file, &bytes)) continue;
        if (!WriteFile(dialog, *w, folder, plan[k], bytes, &answer)) break;
    }
    SetFocus(ListOf(dialog));
}

BOOL OnInitFiles(HWND dialog, FilesWindow* w) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(w));
    if (!w->name.empty())
        SetWindowTextW(dialog, FormatW(TXT_FILES_CAPTION, TextW(w->name.c_str())).c_str());
    SetDlgItemTextW(dialog, IDC_FILES_SYSTEM, TextW(FilesHeading(w->volume).c_str()).c_str());
    SetDlgItemTextW(dialog, IDC_FILES_DETAIL, TextW(FilesDetail(w->volume).c_str()).c_str());
    static const TextColumn columns[kColumns] = {{TXT_FILES_COL_NAME, LVCFMT_LEFT},
                                                 {TXT_FILES_COL_KIND, LVCFMT_LEFT},
                                                 {TXT_FILES_COL_SIZE, LVCFMT_RIGHT},
                                                 {TXT_FILES_COL_ATTRIBUTES, LVCFMT_LEFT}};
    PrepareTextList(ListOf(dialog), columns, kColumns);
    FillList(dialog, *w);
    EnableWindow(GetDlgItem(dialog, IDC_FILES_EXTRACT), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_FILES_DELETED), w->volume.probe.kind != kNoFileSystem);
    EnableWindow(GetDlgItem(dialog, IDC_FILES_AS_TEXT), w->volume.probe.kind == kN88Basic);
    SetFocus(ListOf(dialog));
    return FALSE;
}

void OnFilesCommand(HWND dialog, int id, int code) {
    FilesWindow* w = WindowOf(dialog);
    switch (id) {
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        case IDC_FILES_EXTRACT:
            ExtractSelected(dialog);
            break;
        case IDC_FILES_DELETED:
            if (code == BN_CLICKED) FillList(dialog, *w);
            UpdateExtractButton(dialog);
            break;
        case IDC_FILES_SELECT_ALL:
            SelectAllRows(ListOf(dialog));
            break;
        case IDC_FILES_COPY:
            CopyTextToClipboard(dialog,
                                FilesListingText(w->volume, Checked(dialog, IDC_FILES_DELETED)));
            break;
        default:
            break;
    }
}

void OnFilesNotify(HWND dialog, const NMHDR* header) {
    if (header->idFrom != IDC_FILES_LIST) return;
    if (header->code == LVN_ITEMCHANGED) {
        UpdateExtractButton(dialog);
    } else if (header->code == LVN_KEYDOWN) {
        int command = TextListKeyCommand(reinterpret_cast<const NMLVKEYDOWN*>(header),
                                         IDC_FILES_SELECT_ALL, IDC_FILES_COPY);
        if (command) SendMessageW(dialog, WM_COMMAND, command, 0);
    }
}

INT_PTR CALLBACK FilesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitFiles(dialog, reinterpret_cast<FilesWindow*>(lParam));
        case WM_COMMAND:
            OnFilesCommand(dialog, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_NOTIFY:
            OnFilesNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

int ShowDiskFiles(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !params->listView || ListSelectedCount(params->listView) != 1) return 0;
    const uint32_t offset =
        GetItemImageOffset(params->listView, ListNextSelected(params->listView, -1));
    HeaderFields fields;
    if (offset == kNoImage ||
        !ReadHeader(*params->memory, params->buffer, params->bufferSize, offset, &fields))
        return 0;
    FilesWindow w(params, offset, HeldExtent(params, offset));
    w.name = fields.name;
    // Reading memory does not fail; a volume only half read shows nothing.
    if (!w.view.Open() || OpenDiskFiles(w.view, &w.volume) != kFsOk) w.volume = FsVolume();
    // Nothing replaces the document while the window reads its bytes.
    CommandHold hold(mainWindow);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mainWindow, GWLP_HINSTANCE));
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_FILES), mainWindow, FilesDialogProc,
                    reinterpret_cast<LPARAM>(&w));
    return 1;
}
