#include "document/import_win.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "dialogs/dialogs_win.h"
#include "document/document_io.h"
#include "document/other_formats.h"
#include "document/report_win.h"
#include "platform/memory.h"
#include "shell/conversion_text.h"
#include "shell/long_run_win.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "store/image_buffer.h"

namespace {

// Says why the image could not be read, naming the file.
void ReportUnreadable(HWND mainWindow, const FormatError& e, const char* name) {
    if (e.problem == kFormatNoMemory) return ReportIoFailure(mainWindow, kIoNoMemory, nullptr);
    char text[512];
    std::snprintf(text, sizeof text, TXT_CANNOT_READ_IMAGE, FormatFailureText(e).c_str());
    ShowTextWarning(mainWindow, text, name);
}

// The disk of the file's bytes; a raw size of several geometries asks
// which. False when the user cancelled or the bytes are no such image
// (said).
bool ReadFileDisk(HWND mainWindow, MainWindowParams* params, const uint8_t* file, uint32_t size,
                  ImageFormat format, const char* name, Disk* disk) {
    FormatError e = ReadImageDisk(*params->memory, file, 0, size, format, nullptr, disk);
    if (e.problem == kFormatNeedGeometry) {
        std::vector<Geometry> shapes = GeometriesOfSize(size);
        std::vector<std::string> choices;
        for (size_t i = 0; i < shapes.size(); ++i) choices.push_back(GeometryChoiceText(shapes[i]));
        int chosen =
            AskGeometry(mainWindow, FormatW(TXT_GEOMETRY_QUESTION, PathW(name)), choices);
        if (chosen < 0) return false;
        *disk = Disk();
        e = ReadImageDisk(*params->memory, file, 0, size, format, &shapes[chosen], disk);
    }
    if (e.ok()) return true;
    ReportUnreadable(mainWindow, e, name);
    return false;
}

}  // namespace

int ReadConvertedImage(HWND mainWindow, const char* path, const char* name, ImageFormat format,
                       const char* lossQuestion, const uint8_t* oldBase, uint32_t oldSize,
                       uint8_t** block, uint32_t* added, bool* opened) {
    MainWindowParams* params = GetParams(mainWindow);
    *block = nullptr;
    *added = 0;
    if (!params) return 0;
    uint8_t* file = nullptr;
    uint32_t size = 0;
    bool wasOpened = false;
    IoStatus read;
    {
        LongRun run(mainWindow);
        run.Begin(kRunReading, 0);
        read = ReadWholeFile(*params->files, *params->memory, path, &file, &size, &wasOpened, &run);
    }
    if (opened) *opened = wasOpened;
    if (read.result == kIoEmptyFile) {
        ReportUnreadable(mainWindow, FormatFailure(kFormatNotThis, format), name);
        return 0;
    }
    if (!read.ok()) {
        ReportIoFailure(mainWindow, read, name);
        return 0;
    }
    try {
        Disk disk;
        bool got = ReadFileDisk(mainWindow, params, file, size, format, name, &disk);
        ReleaseBlock(*params->memory, file, size);
        file = nullptr;
        if (!got) return 0;
        if (!disk.readLosses.empty()) {
            ConvertReport report = ReportConversion(disk, kFormatD88, DefaultConvertOptions());
            if (!AskLossyConversion(mainWindow, FormatW(lossQuestion, PathW(name)),
                                    ConversionReportText(report)))
                return 0;
        }
        if (AppendD88Image(*params->memory, oldBase, oldSize, disk, block, added)) return 1;
    } catch (const std::bad_alloc&) {
        ReleaseBlock(*params->memory, file, size);
    }
    ReportIoFailure(mainWindow, kIoNoMemory, nullptr);
    return 0;
}
