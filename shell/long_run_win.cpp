#include "shell/long_run_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include "shell/params_win.h"
#include "shell/shell_win.h"

namespace {

// How often the run looks at the queue, and after how long it shows how
// far it is.
const DWORD kTickInterval = 50;
const DWORD kShowAfter = 1000;
// Paint messages handled at one look: a window that does not validate
// itself cannot keep the run there.
const int kPaintsPerTick = 64;

void SetStatusBarText(MainWindowParams* params, const char* text) {
    if (params->statusBar)
        SendMessageW(params->statusBar, SB_SETTEXTW, 255 | 0,
                     reinterpret_cast<LPARAM>(TextW(text).c_str()));
}

// Paint messages of the thread's windows, and nothing else: no input, no
// posted message, no message sent from elsewhere where the system leaves
// those for later.
void AnswerPaint() {
    MSG msg;
    for (int i = 0; i < kPaintsPerTick &&
                    PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT);
         ++i)
        DispatchMessageW(&msg);
}

}  // namespace

CommandHold::CommandHold(HWND mainWindow) : window_(mainWindow), params_(GetParams(mainWindow)) {
    if (params_) ++params_->runDepth;
}

CommandHold::~CommandHold() {
    MainWindowParams* params = GetParams(window_);
    if (!params || params != params_ || --params->runDepth > 0) return;
    int held = params->heldCount;
    params->heldCount = 0;
    for (int i = 0; i < held; ++i)
        PostMessageW(window_, params->held[i].message, params->held[i].wParam,
                     params->held[i].lParam);
}

LongRun::LongRun(HWND mainWindow)
    : hold_(mainWindow),
      window_(mainWindow),
      params_(GetParams(mainWindow)),
      before_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))),
      start_(GetTickCount()),
      last_(start_),
      stage_(kRunReading),
      total_(0),
      done_(0) {}

// The hold ends after this, and sends what it held.
LongRun::~LongRun() {
    SetCursor(before_ ? before_ : LoadCursorA(nullptr, IDC_ARROW));
    MainWindowParams* params = GetParams(window_);
    if (!params || params != params_ || params->runDepth > 1) return;
    if (params->progressShown) SetStatusBarText(params, params->statusText);
    params->progressShown = 0;
}

void LongRun::Begin(RunStage stage, uint64_t total) {
    stage_ = stage;
    total_ = total;
    done_ = 0;
    Tick();
}

void LongRun::Step(uint64_t done) {
    done_ = done;
    Tick();
}

void LongRun::Planned(uint64_t total) {
    if (CountsBytes()) Begin(stage_, total);
}

void LongRun::Moved(uint64_t bytes) {
    if (CountsBytes()) done_ = bytes;
    Tick();
}

void LongRun::Tick() {
    DWORD now = GetTickCount();
    if (now - last_ < kTickInterval || !params_) return;
    last_ = now;
    // Again each time: a question or a message of the run shows the arrow.
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    if (now - start_ >= kShowAfter) {
        params_->progressShown = 1;
        char text[256];
        FormatProgressText(stage_, done_, total_, text, sizeof text);
        SetStatusBarText(params_, text);
    }
    AnswerPaint();
}

bool HoldDuringRun(HWND mainWindow, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindowParams* params = GetParams(mainWindow);
    if (!params || params->runDepth == 0) return false;
    // More than the room holds are let go: nobody sends that many at once.
    // A drop let go is given back to the shell, which keeps it until then.
    if (params->heldCount < kHeldMessages) {
        HeldMessage& held = params->held[params->heldCount++];
        held.message = message;
        held.wParam = wParam;
        held.lParam = lParam;
    } else if (message == WM_DROPFILES) {
        DragFinish(reinterpret_cast<HDROP>(wParam));
    }
    return true;
}
