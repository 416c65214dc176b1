#include "modal_watcher_win.h"

#include <cstdio>
#include <cstring>

namespace {

// How often the watcher looks, and how long a dialog it already answered
// must stay up before it counts as a new dialog (a file dialog that stays
// open after a rejected name, say) rather than one on its way out.
const DWORD kPoll = 20;
const DWORD kSettle = 250;
const DWORD kBrowserSettle = 5000;
const DWORD kBrowserSteady = 400;

BOOL CALLBACK FindTree(HWND child, LPARAM found) {
    char cls[32];
    if (GetClassNameA(child, cls, sizeof cls) && lstrcmpiA(cls, "SysTreeView32") == 0) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

bool IsFolderBrowser(HWND dialog) {
    bool found = false;
    EnumChildWindows(dialog, FindTree, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK FindPathText(HWND child, LPARAM found) {
    char cls[32];
    char text[300] = "";
    if (GetClassNameA(child, cls, sizeof cls) && lstrcmpiA(cls, "Static") == 0 &&
        SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_NORMAL, 500, nullptr) &&
        text[0] && text[1] == ':' && text[2] == '\\') {
        *reinterpret_cast<std::string*>(found) = text;
        return FALSE;
    }
    return TRUE;
}

// The path the browser shows as its status text, or "".
std::string ShownPath(HWND dialog) {
    std::string found;
    EnumChildWindows(dialog, FindPathText, reinterpret_cast<LPARAM>(&found));
    return found;
}
const DWORD kReappearGrace = 400;

std::string ClassOf(HWND window) {
    char name[64];
    int n = GetClassNameA(window, name, sizeof name);
    return std::string(name, n > 0 ? n : 0);
}

bool SameText(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

struct WindowList {
    std::vector<HWND> windows;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
    reinterpret_cast<WindowList*>(param)->windows.push_back(window);
    return TRUE;
}

std::vector<HWND> Descendants(HWND window) {
    WindowList list;
    EnumChildWindows(window, Collect, reinterpret_cast<LPARAM>(&list));
    return list.windows;
}

HWND FirstEditIn(HWND window) {
    std::vector<HWND> all = Descendants(window);
    for (size_t i = 0; i < all.size(); ++i)
        if (SameText(ClassOf(all[i]), "Edit")) return all[i];
    return NULL;
}

std::string Printable(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char esc[8];
            snprintf(esc, sizeof esc, "\\x%02X", c);
            out += esc;
        }
    }
    return out;
}

}  // namespace

ModalStep ModalStep::Calling(const std::function<void(HWND)>& run) {
    ModalStep step;
    step.answer = 0;
    step.run = run;
    return step;
}

ModalStep& ModalStep::SetText(int id, const std::string& text) {
    ModalAction a = {ModalAction::kSetText, id, text, 0};
    actions.push_back(a);
    return *this;
}

ModalStep& ModalStep::SetCheck(int id, bool checked) {
    ModalAction a = {ModalAction::kSetCheck, id, std::string(), checked ? BST_CHECKED : BST_UNCHECKED};
    actions.push_back(a);
    return *this;
}

ModalStep& ModalStep::Click(int id) {
    ModalAction a = {ModalAction::kClick, id, std::string(), 0};
    actions.push_back(a);
    return *this;
}

ModalWatcher::ModalWatcher()
    : uiThread_(GetCurrentThreadId()), class_(kDialogClass), timeout_(10000), thread_(NULL), stop_(NULL),
      stepsDone_(0), missed_(0), failed_(false) {
    InitializeCriticalSection(&lock_);
}

ModalWatcher::ModalWatcher(DWORD uiThread, const char* windowClass)
    : uiThread_(uiThread), class_(windowClass), timeout_(10000), thread_(NULL), stop_(NULL), stepsDone_(0),
      missed_(0), failed_(false) {
    InitializeCriticalSection(&lock_);
}

ModalWatcher::~ModalWatcher() {
    Finish();
    DeleteCriticalSection(&lock_);
}

ModalStep& ModalWatcher::Expect(const std::string& expect, int answer) {
    ModalStep step;
    step.expect = expect;
    step.answer = answer;
    return Expect(step);
}

ModalStep& ModalWatcher::Expect(const ModalStep& step) {
    steps_.push_back(step);
    return steps_.back();
}

void ModalWatcher::Start() {
    if (thread_) return;
    stop_ = CreateEventA(NULL, TRUE, FALSE, NULL);
    thread_ = CreateThread(NULL, 0, ThreadMain, this, 0, NULL);
}

bool ModalWatcher::WaitDone(DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        EnterCriticalSection(&lock_);
        bool done = stepsDone_ + missed_ >= static_cast<LONG>(steps_.size());
        LeaveCriticalSection(&lock_);
        if (done) return missed_ == 0 && !failed_;
        if (GetTickCount() - start >= milliseconds) return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, kPoll, QS_ALLINPUT);
    }
}

bool ModalWatcher::Finish() {
    if (thread_) {
        SetEvent(stop_);
        // The watcher may be sending to this thread: keep taking sent messages
        // while waiting for it to end.
        for (;;) {
            DWORD r = MsgWaitForMultipleObjects(1, &thread_, FALSE, timeout_ * 2, QS_SENDMESSAGE);
            if (r == WAIT_OBJECT_0 + 1) {
                MSG msg;
                PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
                continue;
            }
            if (r == WAIT_TIMEOUT) {
                notes_.push_back("the watcher thread did not stop");
                failed_ = true;
                TerminateThread(thread_, 1);
            }
            break;
        }
        CloseHandle(thread_);
        CloseHandle(stop_);
        thread_ = NULL;
        stop_ = NULL;
    }
    return !failed_ && missed_ == 0 && stepsDone_ == static_cast<LONG>(steps_.size());
}

std::string ModalWatcher::Report() const {
    std::string out;
    char line[128];
    snprintf(line, sizeof line, "%u step(s), %ld done, %d missed\n", static_cast<unsigned>(steps_.size()),
             static_cast<long>(stepsDone_), missed_);
    out += line;
    for (size_t i = 0; i < seen_.size(); ++i) {
        const ModalSeen& s = seen_[i];
        snprintf(line, sizeof line, "dialog %u: %s, answer %d, %s\n", static_cast<unsigned>(i),
                 s.expected ? "expected" : "NOT expected", s.answer, s.closed ? "closed" : "NOT closed");
        out += line;
        out += "  caption \"" + Printable(s.caption) + "\"\n";
        out += "  text \"" + Printable(s.text) + "\"\n";
        for (size_t j = 0; j < s.statics.size(); ++j) out += "  static \"" + Printable(s.statics[j]) + "\"\n";
    }
    for (size_t i = 0; i < notes_.size(); ++i) out += notes_[i] + "\n";
    return out;
}

HWND ModalWatcher::FindModal(DWORD thread, const char* windowClass) {
    WindowList list;
    EnumThreadWindows(thread, Collect, reinterpret_cast<LPARAM>(&list));
    for (size_t i = 0; i < list.windows.size(); ++i) {
        HWND w = list.windows[i];
        if (IsWindowVisible(w) && IsWindowEnabled(w) && ClassOf(w) == windowClass) return w;
    }
    return NULL;
}

HWND ModalWatcher::FindControl(HWND dialog, int id) {
    HWND direct = GetDlgItem(dialog, id);
    if (direct) return direct;
    std::vector<HWND> all = Descendants(dialog);
    for (size_t i = 0; i < all.size(); ++i)
        if (GetDlgCtrlID(all[i]) == id) return all[i];
    return NULL;
}

std::string ModalWatcher::TextOf(HWND window) {
    char buffer[1024];
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL, 5000,
                             &n))
        return std::string();
    buffer[sizeof buffer - 1] = 0;
    return std::string(buffer, strlen(buffer));
}

DWORD WINAPI ModalWatcher::ThreadMain(void* self) {
    static_cast<ModalWatcher*>(self)->Run();
    return 0;
}

bool ModalWatcher::Stopping() { return WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0; }

void ModalWatcher::Record(const ModalSeen& seen) {
    EnterCriticalSection(&lock_);
    seen_.push_back(seen);
    LeaveCriticalSection(&lock_);
}

ModalSeen ModalWatcher::Inspect(HWND dialog) {
    ModalSeen seen;
    seen.answer = 0;
    seen.expected = false;
    seen.closed = false;
    seen.caption = TextOf(dialog);
    // A message box's text: the static of id 0xFFFF on Windows, 100 under Wine.
    const int ids[2] = {0xFFFF, 100};
    for (int k = 0; k < 2 && seen.text.empty(); ++k) {
        HWND s = GetDlgItem(dialog, ids[k]);
        if (s && SameText(ClassOf(s), "Static")) seen.text = TextOf(s);
    }
    std::vector<HWND> all = Descendants(dialog);
    for (size_t i = 0; i < all.size(); ++i) {
        std::string cls = ClassOf(all[i]);
        LONG style = GetWindowLongA(all[i], GWL_STYLE);
        if (SameText(cls, "Static")) {
            LONG type = style & SS_TYPEMASK;
            if (type == SS_ICON || type == SS_BITMAP) continue;
            std::string t = TextOf(all[i]);
            if (!t.empty()) seen.statics.push_back(t);
        } else if (SameText(cls, "Edit") && (style & ES_READONLY) && IsWindowVisible(all[i])) {
            // A report shown for reading counts as the dialog's text.
            std::string t = TextOf(all[i]);
            if (!t.empty()) seen.statics.push_back(t);
        } else if (SameText(cls, "Button") && IsWindowVisible(all[i])) {
            seen.buttons.push_back(GetDlgCtrlID(all[i]));
        }
    }
    return seen;
}

bool ModalWatcher::Matches(const ModalSeen& seen, const std::string& expect) const {
    if (expect.empty()) return true;
    if (seen.caption.find(expect) != std::string::npos) return true;
    if (seen.text.find(expect) != std::string::npos) return true;
    for (size_t i = 0; i < seen.statics.size(); ++i)
        if (seen.statics[i].find(expect) != std::string::npos) return true;
    return false;
}

HWND ModalWatcher::FileNameBox(HWND dialog) {
    HWND control = FindControl(dialog, kFileNameBox);
    if (!control) control = FindControl(dialog, 0x480);  // edt1 of the old-style dialog
    if (control && !SameText(ClassOf(control), "Edit")) {
        HWND edit = FirstEditIn(control);
        if (edit) control = edit;
    }
    return control;
}

void ModalWatcher::Perform(HWND dialog, const ModalAction& action) {
    HWND control = action.id == kFileNameBox ? FileNameBox(dialog) : FindControl(dialog, action.id);
    char note[96];
    if (!control) {
        snprintf(note, sizeof note, "no control %d in the dialog", action.id);
        notes_.push_back(note);
        failed_ = true;
        return;
    }
    DWORD_PTR r = 0;
    switch (action.kind) {
    case ModalAction::kSetText:
        SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(action.text.c_str()), SMTO_NORMAL,
                            timeout_, &r);
        break;
    case ModalAction::kSetCheck:
        SendMessageTimeoutA(control, BM_SETCHECK, action.check, 0, SMTO_NORMAL, timeout_, &r);
        break;
    case ModalAction::kClick:
        // Sent, not posted, so that later actions see its effect.
        SendMessageTimeoutA(GetParent(control), WM_COMMAND, MAKEWPARAM(action.id, BN_CLICKED),
                            reinterpret_cast<LPARAM>(control), SMTO_NORMAL, timeout_, &r);
        break;
    }
}

bool ModalWatcher::Answer(HWND dialog, int id) {
    HWND control = FindControl(dialog, id);
    HWND target = control ? GetParent(control) : dialog;
    return PostMessageA(target, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control)) != 0;
}

// Gone, hidden, or no longer the dialog in front (another one opened over
// it, which is then the next step's).
bool ModalWatcher::WaitGone(HWND dialog, DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        if (!IsWindow(dialog) || !IsWindowVisible(dialog)) return true;
        HWND front = FindModal(uiThread_, class_.c_str());
        if (front && front != dialog) return true;
        if (GetTickCount() - start >= milliseconds) return false;
        Sleep(kPoll);
    }
}

void ModalWatcher::CloseUnexpected(HWND dialog) {
    if (class_ == kMenuClass) {
        PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        if (!WaitGone(dialog, 2000)) notes_.push_back("a menu could not be closed");
        return;
    }
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (WaitGone(dialog, 2000)) return;
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    if (WaitGone(dialog, 2000)) return;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (WaitGone(dialog, 2000)) return;
    notes_.push_back("a dialog could not be closed");
}

void ModalWatcher::Run() {
    std::vector<HWND> answered;
    size_t next = 0;
    HWND candidate = NULL;
    DWORD candidateSince = 0;
    DWORD stepStart = GetTickCount();
    bool guard = false;  // every step is done or lost: close whatever comes
    std::string browserPath;
    DWORD browserSince = 0;

    while (!Stopping()) {
        if (!guard && next >= steps_.size()) guard = true;
        HWND dialog = FindModal(uiThread_, class_.c_str());
        if (dialog != candidate) {
            candidate = dialog;
            candidateSince = GetTickCount();
        }
        // A dialog answered before is taken again only once it has stayed up.
        bool old = false;
        for (size_t i = 0; i < answered.size(); ++i)
            if (answered[i] == dialog) old = true;
        if (dialog && old && GetTickCount() - candidateSince < kReappearGrace) dialog = NULL;
        // ... and only when the step due is about it: a window that comes to
        // the front again once a question over it has closed leaves the
        // next question time to come.
        if (dialog && old && !guard && !Matches(Inspect(dialog), steps_[next].expect)) dialog = NULL;
        // A new dialog is left to finish its own start first (the folder
        // browser selects its initial folder only after it is shown).
        if (dialog && GetTickCount() - candidateSince < kSettle) {
            Sleep(kPoll);
            continue;
        }
        // The folder browser shows the selected folder's path as its status
        // text once the selection was made: until then an answer would take
        // the desktop. Wait for it, within bounds.
        if (dialog && IsFolderBrowser(dialog) && GetTickCount() - candidateSince < kBrowserSettle) {
            // ... and keeps it for a moment: the desktop comes first.
            std::string shown = ShownPath(dialog);
            if (shown != browserPath) {
                browserPath = shown;
                browserSince = GetTickCount();
            }
            // The desktop is where every browser starts; the folder it was
            // asked to select comes after it.
            bool desktop = shown.size() >= 8 && lstrcmpiA(shown.c_str() + shown.size() - 8, "\\Desktop") == 0;
            if (shown.empty() || desktop || GetTickCount() - browserSince < kBrowserSteady) {
                Sleep(kPoll);
                continue;
            }
        }

        if (!dialog) {
            if (!guard && GetTickCount() - stepStart >= timeout_) {
                char note[160];
                snprintf(note, sizeof note, "step %u: no dialog within %lu ms (expected \"%s\")",
                         static_cast<unsigned>(next), static_cast<unsigned long>(timeout_),
                         Printable(steps_[next].expect).c_str());
                EnterCriticalSection(&lock_);
                notes_.push_back(note);
                // The later steps cannot come in order either.
                missed_ += static_cast<int>(steps_.size() - next);
                LeaveCriticalSection(&lock_);
                next = steps_.size();
                guard = true;
            }
            WaitForSingleObject(stop_, kPoll);
            continue;
        }

        // Let the UI thread finish initialising the dialog: it takes sent
        // messages only from inside its modal loop.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, timeout_, &ignored);
        ModalSeen seen = Inspect(dialog);

        if (guard || !Matches(seen, steps_[next].expect)) {
            if (!guard) {
                notes_.push_back("step " + std::to_string(next) + ": the dialog does not show \"" +
                                 Printable(steps_[next].expect) + "\"");
                EnterCriticalSection(&lock_);
                missed_ += static_cast<int>(steps_.size() - next);
                LeaveCriticalSection(&lock_);
                next = steps_.size();
                guard = true;
            } else {
                notes_.push_back("an unexpected dialog was closed");
            }
            failed_ = true;
            seen.answer = IDCANCEL;
            CloseUnexpected(dialog);
            seen.closed = !IsWindow(dialog) || !IsWindowVisible(dialog);
            Record(seen);
            answered.push_back(dialog);
            continue;
        }

        const ModalStep& step = steps_[next];
        seen.expected = true;
        seen.answer = step.answer;
        if (step.run) {
            step.run(dialog);
        } else {
            for (size_t i = 0; i < step.actions.size(); ++i) Perform(dialog, step.actions[i]);
            Answer(dialog, step.answer);
        }
        seen.closed = WaitGone(dialog, timeout_);
        if (!seen.closed) {
            notes_.push_back("step " + std::to_string(next) + ": the window stayed open after the answer");
            failed_ = true;
            CloseUnexpected(dialog);
        }
        Record(seen);
        answered.push_back(dialog);
        ++next;
        InterlockedIncrement(&stepsDone_);
        stepStart = GetTickCount();
    }
}
