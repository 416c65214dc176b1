// The check window: the findings of the selected disks, each checked where
// the document holds it (its header, track table and sectors, and the file
// system inside it). A disk with errors is marked in the disk list; nothing
// else changes.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "collection/image_findings.h"
#include "dialogs/dialogs_win.h"
#include "dialogs/text_list_win.h"
#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "resources/resource.h"
#include "shell/disk_check_text.h"
#include "shell/long_run_win.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"

namespace {

const int kColumns = 6;

// What the window shows: the line over the list and a row per finding.
struct CheckResult {
    std::string summary;
    std::vector<FindingRow> rows;
};

CheckResult* ResultOf(HWND dialog) {
    return reinterpret_cast<CheckResult*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

HWND ListOf(HWND dialog) { return GetDlgItem(dialog, IDC_CHECK_LIST); }

// Checks each selected disk, in list order, with the wait cursor and, after
// a second, how far it is in the status bar; marks those with errors and
// takes the mark from the others.
CheckResult CheckSelected(HWND mainWindow, MainWindowParams* params) {
    HWND list = params->listView;
    CheckResult result;
    LongRun run(mainWindow);
    run.Begin(kRunChecking, ListSelectedCount(list));
    size_t disks = 0, errors = 0, warnings = 0;
    for (int index = ListNextSelected(list, -1); index >= 0;
         index = ListNextSelected(list, index)) {
        const uint32_t offset = GetItemImageOffset(list, index);
        HeaderFields fields;
        if (offset == kNoImage ||
            !ReadHeader(*params->memory, params->buffer, params->bufferSize, offset, &fields))
            continue;
        std::vector<Finding> findings;
        CheckHeldImage(*params->memory, params->buffer, offset, HeldExtent(params, offset),
                       fields.diskSize, &findings);
        const std::string disk = CheckedDiskText(static_cast<size_t>(index) + 1, fields.name);
        for (size_t k = 0; k < findings.size(); ++k) {
            result.rows.push_back(FindingRowOf(disk, findings[k]));
            ++(findings[k].severity == kError ? errors : warnings);
        }
        ListSetOverlay(list, index, HasErrors(findings) ? kErrorsOverlay : 0);
        run.Step(++disks);
    }
    result.summary = CheckSummaryText(disks, errors, warnings);
    return result;
}

BOOL OnInitCheck(HWND dialog, CheckResult* result) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(result));
    SetDlgItemTextW(dialog, IDC_CHECK_SUMMARY, TextW(result->summary.c_str()).c_str());
    static const TextColumn columns[kColumns] = {
        {TXT_CHECK_COL_DISK, LVCFMT_LEFT}, {TXT_CHECK_COL_SEVERITY, LVCFMT_LEFT},
        {TXT_CHECK_COL_CODE, LVCFMT_LEFT}, {TXT_CHECK_COL_OFFSET, LVCFMT_RIGHT},
        {TXT_CHECK_COL_TEXT, LVCFMT_LEFT}, {TXT_CHECK_COL_DETAIL, LVCFMT_LEFT}};
    HWND list = ListOf(dialog);
    PrepareTextList(list, columns, kColumns);
    for (size_t i = 0; i < result->rows.size(); ++i) {
        const FindingRow& r = result->rows[i];
        const std::string texts[kColumns] = {r.disk,   r.severity, r.code,
                                             r.offset, r.meaning,  r.text};
        AppendTextRow(list, texts, kColumns, static_cast<LPARAM>(i));
    }
    FitTextColumns(list, kColumns);
    SetFocus(list);
    return FALSE;
}

void OnCheckCommand(HWND dialog, int id) {
    switch (id) {
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        case IDC_CHECK_SELECT_ALL:
            SelectAllRows(ListOf(dialog));
            break;
        case IDC_CHECK_COPY:
            CopyTextToClipboard(dialog,
                                FindingsText(ResultOf(dialog)->rows, ResultOf(dialog)->summary));
            break;
        default:
            break;
    }
}

void OnCheckNotify(HWND dialog, const NMHDR* header) {
    if (header->idFrom != IDC_CHECK_LIST || header->code != LVN_KEYDOWN) return;
    int command = TextListKeyCommand(reinterpret_cast<const NMLVKEYDOWN*>(header),
                                     IDC_CHECK_SELECT_ALL, IDC_CHECK_COPY);
    if (command) SendMessageW(dialog, WM_COMMAND, command, 0);
}

INT_PTR CALLBACK CheckDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitCheck(dialog, reinterpret_cast<CheckResult*>(lParam));
        case WM_COMMAND:
            OnCheckCommand(dialog, LOWORD(wParam));
            return TRUE;
        case WM_NOTIFY:
            OnCheckNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

int ShowDiskCheck(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !params->listView || ListSelectedCount(params->listView) == 0) return 0;
    CheckResult result = CheckSelected(mainWindow, params);
    CommandHold hold(mainWindow);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mainWindow, GWLP_HINSTANCE));
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CHECK), mainWindow, CheckDialogProc,
                    reinterpret_cast<LPARAM>(&result));
    return 1;
}
