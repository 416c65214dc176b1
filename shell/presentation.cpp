// Menu state and status bar texts from plain inputs.
#include "shell/presentation.h"

#include <cstdio>

#include "resources/resource.h"
#include "shell/texts.h"
#include "store/d88.h"

bool IsEditingKey(unsigned key, bool ctrl, bool alt) {
    // Backspace, End, Home, the four arrows, Insert, Delete.
    static const unsigned kKeys[] = {0x08, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2D, 0x2E};
    for (size_t i = 0; i < sizeof kKeys / sizeof kKeys[0]; ++i) {
        if (key == kKeys[i]) return !alt;
    }
    return ctrl && !alt && (key == 'A' || key == 'C' || key == 'V' || key == 'X' || key == 'Z');
}

MenuState ComputeMenuState(const MenuInputs& in) {
    MenuState s;
    s.saveEnabled = in.modified;
    s.saveAsEnabled = in.hasBuffer;
    s.deleteEnabled = in.selectedCount > 0;
    s.singleEnabled = in.selectedCount == 1;
    s.protectChecked = in.selectedCount == 1 && in.selectedProtectKnown && in.selectedProtected;
    s.statusBarChecked = in.statusBarVisible;
    s.viewCommand = ViewModeCommand(in.viewMode);
    return s;
}

int ViewModeCommand(uint32_t viewMode) {
    switch (viewMode & 3u) {
        case 1:
            return IDM_DETAILS;
        case 2:
            return IDM_SMALLICON;
        case 3:
            return IDM_LIST;
        default:
            return IDM_LARGEICON;
    }
}

int CommandViewMode(int command) {
    switch (command) {
        case IDM_LARGEICON:
            return 0;
        case IDM_DETAILS:
            return 1;
        case IDM_SMALLICON:
            return 2;
        case IDM_LIST:
            return 3;
        default:
            return -1;
    }
}

void FormatCountText(int items, char* out, size_t outSize) {
    if (out && outSize) std::snprintf(out, outSize, TXT_COUNT_FORMAT, items);
}

void FormatSelectedText(int selected, char* out, size_t outSize) {
    if (out && outSize) std::snprintf(out, outSize, TXT_SELECTED_FORMAT, selected);
}

void FormatSingleText(uint8_t mediaType, uint32_t diskSize, uint8_t writeProtect, char* out,
                      size_t outSize) {
    if (!out || !outSize) return;
    const char* protect = writeProtect ? TXT_WRITE_PROTECT : "";
    if (diskSize < 1024) {
        std::snprintf(out, outSize, TXT_SINGLE_BYTES_FORMAT, MediaText(mediaType),
                      static_cast<int>(diskSize), protect);
    } else {
        std::snprintf(out, outSize, TXT_SINGLE_KB_FORMAT, MediaText(mediaType),
                      static_cast<int>(diskSize / 1024), protect);
    }
}

void FormatStatusText(const StatusInputs& in, char* out, size_t outSize) {
    if (!out || !outSize) return;
    out[0] = '\0';
    if (in.kind == StatusInputs::kCount) FormatCountText(in.number, out, outSize);
    if (in.kind == StatusInputs::kSelected) FormatSelectedText(in.number, out, outSize);
    if (in.kind == StatusInputs::kSingle)
        FormatSingleText(in.mediaType, in.diskSize, in.writeProtect, out, outSize);
}

void FormatProgressText(RunStage stage, uint64_t done, uint64_t total, char* out, size_t outSize) {
    if (!out || !outSize) return;
    if (done > total) done = total;
    const char* format = TXT_PROGRESS_READING;
    if (stage == kRunSaving) format = TXT_PROGRESS_SAVING;
    if (stage == kRunListing || stage == kRunExtracting || stage == kRunChecking) {
        format = stage == kRunListing      ? TXT_PROGRESS_LISTING
                 : stage == kRunExtracting ? TXT_PROGRESS_EXTRACTING
                                           : TXT_PROGRESS_CHECKING;
    } else {
        // Bytes as whole KiB, the last one counted once it is complete.
        done /= 1024;
        total = (total + 1023) / 1024;
    }
    std::snprintf(out, outSize, format, static_cast<unsigned long>(done),
                  static_cast<unsigned long>(total));
}
