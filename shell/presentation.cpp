// Menu state and status bar texts from plain inputs.
#include "shell/presentation.h"

#include <cstdio>

#include "resources/resource.h"
#include "shell/texts.h"
#include "store/d88.h"

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
