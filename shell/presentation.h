// What the window shows, computed from plain inputs: the menu state and the
// status bar text. The Win32 side only applies the results.
#ifndef ORVANEL_SHELL_PRESENTATION_H
#define ORVANEL_SHELL_PRESENTATION_H

#include <cstddef>
#include <cstdint>

struct MenuInputs {
    bool modified;
    bool hasBuffer;
    int selectedCount;
    bool selectedProtectKnown;  // the one selected image's header was read
    bool selectedProtected;
    bool statusBarVisible;
    uint32_t viewMode;  // list view bits 0-3
};

struct MenuState {
    bool saveEnabled;
    bool saveAsEnabled;
    bool deleteEnabled;    // also Extract, Export and Check
    bool singleEnabled;    // Rename, Write protect, Properties, Files
    bool protectChecked;
    bool statusBarChecked;
    int viewCommand;       // 302..305, the one with the radio mark
};

MenuState ComputeMenuState(const MenuInputs& in);
// The command id of a view mode and back (302 large, 303 small, 304 list, 305 details).
int ViewModeCommand(uint32_t viewMode);
int CommandViewMode(int command);  // -1 for any other command

// Whether a key pressed in the name editor is one the editor uses for
// editing (Delete, Insert, Backspace, the arrows, Home, End, and Ctrl+A,
// C, V, X and Z): it goes to the editor, not to the command table. Keys are
// virtual-key codes.
bool IsEditingKey(unsigned key, bool ctrl, bool alt);

// What the status text of the selection is made of: the one rule of
// UpdateStatusText, decided when a change is notified and turned into
// text (FormatStatusText) when the burst of changes is over.
struct StatusInputs {
    enum Kind { kNone, kCount, kSelected, kSingle };
    Kind kind;
    int number;  // kCount: items; kSelected: selected items
    uint8_t mediaType;
    uint32_t diskSize;
    uint8_t writeProtect;
};
void FormatStatusText(const StatusInputs& in, char* out, size_t outSize);

// What a long command shows in the status bar after a second: the stage
// and how far it is, in images or in KiB.
enum RunStage { kRunReading, kRunListing, kRunSaving, kRunExtracting, kRunChecking };
void FormatProgressText(RunStage stage, uint64_t done, uint64_t total, char* out, size_t outSize);

// Status bar texts (256-byte buffer).
void FormatCountText(int items, char* out, size_t outSize);      // "%d 個のｲﾒｰｼﾞ"
void FormatSelectedText(int selected, char* out, size_t outSize);  // "%d 個のｲﾒｰｼﾞを選択"
void FormatSingleText(uint8_t mediaType, uint32_t diskSize, uint8_t writeProtect,
                      char* out, size_t outSize);

#endif
