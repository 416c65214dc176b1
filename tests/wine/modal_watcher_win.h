// Answers modal windows (message boxes, the common file dialogs, the
// program's own dialogs, popup menus) that the code under test opens on the
// UI thread.
//
// The UI thread sits in the modal loop while a dialog is open, so the
// answers come from a watcher thread: it looks for the visible "#32770"
// window among the UI thread's windows, reads its caption and texts, fills
// edit boxes and check boxes, and posts WM_COMMAND with the answer. Every
// wait is bounded: a dialog that never comes fails the step, and a dialog
// nobody expected is closed (IDCANCEL, then WM_CLOSE) so the UI thread gets
// back to the test instead of hanging.
//
// Usage, on the UI thread:
//
//     ModalWatcher watcher;
//     watcher.Expect("\x95\xdb\x91\xb6", IDNO);   // a CP932 substring, the answer
//     watcher.Start();
//     RunCodeThatAsks();
//     EXPECT_TRUE(watcher.Finish()) << watcher.Report();
//     EXPECT_EQ(1u, watcher.seen().size());
//
// A window answered before that comes to the front again (the dialog under
// a question that has closed) is taken only by a step whose text it shows.
//
// A step may instead run a function of its own on the window (real clicks,
// keys, a look at the focus), which must end the window:
//
//     watcher.Expect(ModalStep::Calling([](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }));
//
// and a watcher of popup menus (class "#32768") is made with
// ModalWatcher(GetCurrentThreadId(), kMenuClass).
#ifndef ORVANEL_TESTS_WINE_MODAL_WATCHER_WIN_H
#define ORVANEL_TESTS_WINE_MODAL_WATCHER_WIN_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

const char kDialogClass[] = "#32770";
const char kMenuClass[] = "#32768";

// The control id that stands for the file name box of a common file dialog
// (an edit of id 0x47C, or the edit inside the combo box of that id).
const int kFileNameBox = 0x47C;

struct ModalAction {
    enum Kind { kSetText, kSetCheck, kClick };
    Kind kind;
    int id;            // control id, or kFileNameBox
    std::string text;  // kSetText: CP932 bytes
    int check;         // kSetCheck: BST_CHECKED or BST_UNCHECKED
};

struct ModalStep {
    // A substring (CP932 bytes) of the caption or of any static text of the
    // dialog; empty accepts any dialog.
    std::string expect;
    // Done in order before the answer.
    std::vector<ModalAction> actions;
    // Posted as WM_COMMAND (IDOK, IDCANCEL, IDYES, IDNO or the dialog's own
    // control id).
    int answer;
    // When set, called with the window instead of the actions and the
    // answer; it must end the window.
    std::function<void(HWND)> run;

    // A step that accepts any window and hands it to `run`.
    static ModalStep Calling(const std::function<void(HWND)>& run);

    ModalStep& SetText(int id, const std::string& text);
    ModalStep& SetCheck(int id, bool checked);
    ModalStep& Click(int id);
};

// What the watcher met: one record per dialog, expected or not.
struct ModalSeen {
    std::string caption;
    std::string text;                  // message box text (static 0xFFFF or 100)
    std::vector<std::string> statics;  // every static text of the dialog, and read-only edits
    std::vector<int> buttons;          // ids of the visible buttons
    int answer;                        // what the watcher posted
    bool expected;                     // matched the step that was due
    bool closed;                       // the window went away after the answer
};

class ModalWatcher {
public:
    // Watches the dialogs of the calling thread.
    ModalWatcher();
    // Watches the windows of that class (kDialogClass, kMenuClass) of a thread.
    explicit ModalWatcher(DWORD uiThread, const char* windowClass = kDialogClass);
    ~ModalWatcher();

    // Bound of each wait (for a dialog to appear, and to go away).
    void SetTimeout(DWORD milliseconds) { timeout_ = milliseconds; }

    ModalStep& Expect(const std::string& expect, int answer);
    ModalStep& Expect(const ModalStep& step);

    // Starts watching. Steps may not be added afterwards.
    void Start();

    // Pumps the calling thread's messages until every step was met (or its
    // wait ran out); for dialogs opened from posted messages.
    bool WaitDone(DWORD milliseconds);

    // Stops the watcher. True when every step met its dialog in order and
    // no other dialog appeared.
    bool Finish();

    const std::vector<ModalSeen>& seen() const { return seen_; }
    // Steps whose dialog never came.
    int missed() const { return missed_; }
    // A readable account of what happened, for failure messages.
    std::string Report() const;

    // The visible, enabled window of the class ("#32770" unless given) of a
    // thread, or null.
    static HWND FindModal(DWORD thread, const char* windowClass = kDialogClass);
    // A control of a dialog by id, searched through nested child dialogs.
    static HWND FindControl(HWND dialog, int id);
    // The edit of a file dialog's name box (kFileNameBox), or null.
    static HWND FileNameBox(HWND dialog);
    // The text of a window of any thread (bounded).
    static std::string TextOf(HWND window);

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    bool Stopping();
    void Record(const ModalSeen& seen);
    ModalSeen Inspect(HWND dialog);
    bool Matches(const ModalSeen& seen, const std::string& expect) const;
    void Perform(HWND dialog, const ModalAction& action);
    bool Answer(HWND dialog, int id);
    void CloseUnexpected(HWND dialog);
    bool WaitGone(HWND dialog, DWORD milliseconds);

    DWORD uiThread_;
    std::string class_;
    DWORD timeout_;
    std::vector<ModalStep> steps_;
    std::vector<ModalSeen> seen_;
    HANDLE thread_;
    HANDLE stop_;
    CRITICAL_SECTION lock_;
    volatile LONG stepsDone_;
    int missed_;
    bool failed_;
    std::vector<std::string> notes_;
};

#endif
