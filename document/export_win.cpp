// Disk > Export: each selected disk, in list order, written in the format
// chosen in a save dialog, with the loss report asked about first when the
// format cannot hold the whole disk.
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dialogs/dialogs_win.h"
#include "document/document_win.h"
#include "document/file_writer.h"
#include "document/other_formats.h"
#include "document/paths.h"
#include "document/report_win.h"
#include "formats/convert.h"
#include "formats/convert_files.h"
#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "platform/file_api.h"
#include "platform/text_wide_win.h"
#include "shell/conversion_text.h"
#include "shell/long_run_win.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/d88.h"
#include "store/sector_view.h"

namespace {

// The formats of the filters of TXT_FILTER_FORMATS, in their order.
const ImageFormat kFilterFormats[] = {kFormatHfe, kFormatImd, kFormatFdi, kFormatRaw};
const DWORD kFilters = sizeof kFilterFormats / sizeof kFilterFormats[0];

ImageFormat FilterFormat(DWORD index) {
    return kFilterFormats[index >= 1 && index <= kFilters ? index - 1 : 0];
}

// When the filter changes, the name in the box takes its extension (the
// raw geometry of the disk, for raw, comes with the dialog's record).
UINT_PTR CALLBACK ExportDialogHook(HWND hook, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_NOTIFY) return 0;
    const OFNOTIFYW* note = reinterpret_cast<const OFNOTIFYW*>(lParam);
    if (note->hdr.code != CDN_TYPECHANGE) return 0;
    const Geometry* raw = reinterpret_cast<const Geometry*>(note->lpOFN->lCustData);
    HWND dialog = GetParent(hook);
    wchar_t spec[MAX_PATH];
    if (SendMessageW(dialog, CDM_GETSPEC, MAX_PATH, reinterpret_cast<LPARAM>(spec)) <= 0) return 0;
    std::string name = NameForFilter(Utf8FromWide(spec),
                                     ExtensionOf(FilterFormat(note->lpOFN->nFilterIndex), *raw));
    std::wstring wide = PathW(name.c_str());
    SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(wide.c_str()));
    SendMessageW(dialog, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(wide.c_str()));
    return 0;
}

// What one disk is written as: the file and its format, from the save
// dialog. The name given there is made the format's (ExportTarget); a
// file the dialog did not ask about that has that name is asked about
// here, and No shows the dialog again. False when it was cancelled.
bool ChooseTarget(HWND mainWindow, MainWindowParams* params, const std::string& diskName,
                  Geometry raw, DWORD* filter, std::string* target, ImageFormat* format) {
    std::string proposed;
    ConvertTargetName(params->lastDir, params->fileTitle, diskName,
                      ExtensionOf(FilterFormat(*filter), raw), &proposed);
    proposed.erase(0, FolderPartLength(proposed.c_str()));
    for (;;) {
        FileDialog dialog;
        PrepareOpenDialog(&dialog, mainWindow, params->lastDir,
                          OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY |
                              OFN_PATHMUSTEXIST | OFN_ENABLEHOOK);
        dialog.filter = WideFromCp932(std::string(TXT_FILTER_FORMATS, sizeof TXT_FILTER_FORMATS));
        dialog.ofn.lpstrFilter = dialog.filter.c_str();
        dialog.ofn.nFilterIndex = *filter;
        dialog.ofn.lpfnHook = ExportDialogHook;
        dialog.ofn.lCustData = reinterpret_cast<LPARAM>(&raw);
        lstrcpynW(dialog.file, PathW(proposed.c_str()).c_str(), MAX_PATH);
        if (!GetSaveFileNameW(&dialog.ofn)) return false;
        *filter = dialog.ofn.nFilterIndex >= 1 && dialog.ofn.nFilterIndex <= kFilters
                      ? dialog.ofn.nFilterIndex
                      : 1;
        std::string given = Utf8FromWide(dialog.file);
        *format = ExportTarget(given, FilterFormat(*filter), ExtensionOf(FilterFormat(*filter), raw),
                               target);
        // The folder is the next dialog's, as an extraction's is.
        size_t folder = FolderPartLength(given.c_str());
        if (folder > 0) lstrcpynA(params->lastDir, given.c_str(), static_cast<int>(folder));
        if (*target == given || !params->files->Exists(target->c_str())) return true;
        if (MessageBoxW(mainWindow, FormatW(TXT_OVERWRITE_QUESTION, PathW(target->c_str())).c_str(),
                        TextW(TXT_OVERWRITE_CAPTION).c_str(),
                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES)
            return true;
        proposed = target->substr(FolderPartLength(target->c_str()));
    }
}

void ReportExportFailure(HWND mainWindow, const FormatError& e, const std::string& target) {
    if (e.problem == kFormatNoMemory) return ReportIoFailure(mainWindow, kIoNoMemory, nullptr);
    char text[512];
    std::snprintf(text, sizeof text, TXT_CANNOT_EXPORT, FormatFailureText(e).c_str());
    ShowTextWarning(mainWindow, text, target.c_str());
}

// One disk: false when the run ends (the dialog cancelled, or a failure,
// said in a message). No to the loss question leaves this disk out.
bool ExportDisk(HWND mainWindow, MainWindowParams* params, uint32_t offset, DWORD* filter) {
    std::string diskName;
    if (!DiskNameForFile(params, offset, &diskName)) return false;
    MemoryImage image(*params->memory, params->buffer, offset, HeldExtent(params, offset));
    ConvertOptions options = DefaultConvertOptions();
    ConvertReport report;
    Geometry raw = {0, 0, 0, 0, false};
    if (ConvertImage(image, kFormatD88, kFormatRaw, options, false, &report, nullptr).ok())
        raw = report.geometry;
    std::string target;
    ImageFormat format = kFormatHfe;
    if (!ChooseTarget(mainWindow, params, diskName, raw, filter, &target, &format)) return false;

    ConvertedBytes bytes(*params->memory);
    FormatError made;
    {
        LongRun run(mainWindow);
        run.Begin(kRunSaving, 0);
        made = ConvertImage(image, kFormatD88, format, options, true, &report, &bytes);
    }
    if (!made.ok()) {
        ReportExportFailure(mainWindow, made, target);
        return false;
    }
    if (!report.lossless() &&
        !AskLossyConversion(mainWindow, FormatW(TXT_LOSSY_EXPORT, PathW(target.c_str())),
                            ConversionReportText(report)))
        return true;
    WriteJob job;
    job.target = target;
    job.pieces.push_back(MemoryPiece(bytes.data(), bytes.size(), 0, bytes.size()));
    job.backup = (params->flags & FLAG_MAKE_BACKUP) ? kBackupStagedQuiet : kNoBackup;
    job.replace = true;
    LongRun run(mainWindow);
    run.Begin(kRunSaving, 0);
    IoStatus status =
        WriteOneFile(*params->files, *params->memory, std::vector<SourceFile>(), job, &run);
    if (status.ok()) return true;
    ReportIoFailure(mainWindow, status, target.c_str());
    return false;
}

}  // namespace

int ExportDisks(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || !params->listView || ListSelectedCount(params->listView) == 0) return 0;
    HWND list = params->listView;
    TrimTrailingBackslash(params->lastDir);
    DWORD filter = 1;
    for (int index = ListNextSelected(list, -1); index >= 0; index = ListNextSelected(list, index)) {
        uint32_t offset = GetItemImageOffset(list, index);
        if (offset == kNoImage || !ExportDisk(mainWindow, params, offset, &filter)) break;
    }
    return 1;
}
