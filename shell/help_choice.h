// Which help file the help command opens: the WinHelp file (.hlp) where
// the system has a working WinHelp viewer, the HTML Help file (.chm) where
// it has none. The Win32 side gathers the inputs and opens the files.
#ifndef ORVANEL_SHELL_HELP_CHOICE_H
#define ORVANEL_SHELL_HELP_CHOICE_H

#include <cstdint>

enum HelpFile { kHelpNone, kHelpHlp, kHelpChm };

struct HelpSystem {
    uint32_t majorVersion;  // of Windows: 6 and later (Vista on) have no WinHelp viewer
    bool wine;              // Wine reports a recent version but has a working winhlp32
    bool hlpExists;
    bool chmExists;
    HelpFile forced;  // kHelpNone unless a choice was forced (ORVANEL_HELP)
};

struct HelpOrder {
    HelpFile preferred;  // the file this system reads best, present or not
    // The files to try in turn, only those that exist: the preferred one
    // first; kHelpNone fills the places left.
    HelpFile tryFiles[2];
};

HelpOrder ChooseHelp(const HelpSystem& system);

// The value of ORVANEL_HELP: "chm" or "hlp" (any case); anything else,
// null included, forces nothing.
HelpFile ForcedHelp(const char* value);

#endif
