// A command that may take long (open, add, save, extract) shows it: the
// wait cursor while it runs, and after about a second how far it is in the
// status bar, repainted as it goes. Everything stays on the one thread:
// the run looks at the message queue every few hundredths of a second and
// handles paint messages only, so the window is drawn and never taken for
// one that does not respond, and no command starts inside the run. A
// command, drop or close that reaches the window meanwhile is held and
// sent again when the run ends. At the end the status bar shows the text
// of the selection again.
#ifndef ORVANEL_SHELL_LONG_RUN_WIN_H
#define ORVANEL_SHELL_LONG_RUN_WIN_H

#include <windows.h>

#include <cstdint>

#include "document/io_status.h"
#include "shell/presentation.h"

struct MainWindowParams;

// Holds the commands, drops and closes that reach the main window while it
// lasts (a long command, or a window of the program's own that reads the
// document's bytes while it is open), and sends them again at its end, so
// that nothing replaces the document under it.
class CommandHold {
public:
    explicit CommandHold(HWND mainWindow);
    ~CommandHold();

private:
    CommandHold(const CommandHold&);
    CommandHold& operator=(const CommandHold&);
    HWND window_;
    MainWindowParams* params_;
};

class LongRun : public ByteProgress {
public:
    explicit LongRun(HWND mainWindow);
    ~LongRun() override;

    // A stage of `total` units: bytes when reading and saving, images when
    // listing and extracting.
    void Begin(RunStage stage, uint64_t total);
    // How far the stage is. Cheap: the clock is read, and only every few
    // hundredths of a second is anything done.
    void Step(uint64_t done);
    // The bytes of a reading or saving stage; in a stage of images they
    // only keep the window answering while one image's bytes move.
    void Planned(uint64_t total) override;
    void Moved(uint64_t bytes) override;

private:
    LongRun(const LongRun&);
    LongRun& operator=(const LongRun&);
    bool CountsBytes() const { return stage_ == kRunReading || stage_ == kRunSaving; }
    void Tick();

    CommandHold hold_;
    HWND window_;
    MainWindowParams* params_;
    HCURSOR before_;
    DWORD start_;
    DWORD last_;
    RunStage stage_;
    uint64_t total_;
    uint64_t done_;
};

// Holds a message that must not start anything inside a run (a command, a
// drop, a close): true when it was held, to be sent again at the run's end.
bool HoldDuringRun(HWND mainWindow, UINT message, WPARAM wParam, LPARAM lParam);

#endif
