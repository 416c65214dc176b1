// Help > Topics and F1: the help file beside the executable, the .chm
// through HTML Help where the system has no WinHelp viewer (Windows Vista
// and later), the .hlp through WinHelp where it has one (older Windows, and
// Wine, whose winhlp32 works), each the other's fallback.
#include <windows.h>
// htmlhelp.h needs windows.h before it.
#include <htmlhelp.h>

#include <string>

#include "document/paths.h"
#include "shell/help_choice.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "shell/texts.h"

namespace {

const char kHtmlHelpLibrary[] = "hhctrl.ocx";
// ORVANEL_HELP=chm or =hlp makes that file the first choice whatever the
// system; the black-box tests take both paths under Wine with it.
const char kForceVariable[] = "ORVANEL_HELP";

// The executable's path with the extension; false when it does not fit.
bool HelpPath(HWND mainWindow, const char* ext, std::string* out) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mainWindow, GWLP_HINSTANCE));
    return ModuleFileWithExtension(instance, ext, out);
}

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesW(PathW(path.c_str()).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool OnWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

HelpFile ForcedByEnvironment() {
    char value[8] = "";
    DWORD n = GetEnvironmentVariableA(kForceVariable, value, sizeof value);
    return n && n < sizeof value ? ForcedHelp(value) : kHelpNone;
}

// Asks the file's viewer for its contents; false when the viewer could not
// be had or refused the file.
bool OpenHelp(MainWindowParams* params, HWND mainWindow, HelpFile file, const std::string& path) {
    std::wstring wide = PathW(path.c_str());
    if (file == kHelpHlp) return params->winHelp(mainWindow, wide.c_str(), HELP_FINDER, 0) != FALSE;
    if (!params->htmlHelp) params->htmlHelp = LoadHtmlHelp(kHtmlHelpLibrary);
    return params->htmlHelp &&
           params->htmlHelp(mainWindow, wide.c_str(), HH_DISPLAY_TOC, 0) != nullptr;
}

}  // namespace

HtmlHelpFn LoadHtmlHelp(const char* library) {
    HMODULE module = LoadLibraryA(library);
    if (!module) return nullptr;
    // Through void (*)(), which converts to any function type without a warning.
    typedef void (*AnyFunction)();
    HtmlHelpFn function = reinterpret_cast<HtmlHelpFn>(
        reinterpret_cast<AnyFunction>(GetProcAddress(module, "HtmlHelpW")));
    // Once the viewer has a window, unloading its library under it would
    // end the program: the library stays until the process ends.
    if (!function) FreeLibrary(module);
    return function;
}

int ShowHelpTopics(HWND mainWindow) {
    MainWindowParams* params = GetParams(mainWindow);
    std::string hlp, chm;
    if (!params || !HelpPath(mainWindow, ".hlp", &hlp) || !HelpPath(mainWindow, ".chm", &chm))
        return 1;
    HelpSystem system = {};
    system.majorVersion = LOBYTE(LOWORD(GetVersion()));
    system.wine = OnWine();
    system.hlpExists = IsFile(hlp);
    system.chmExists = IsFile(chm);
    system.forced = ForcedByEnvironment();
    HelpOrder order = ChooseHelp(system);
    for (int i = 0; i < 2 && order.tryFiles[i] != kHelpNone; ++i) {
        HelpFile file = order.tryFiles[i];
        if (OpenHelp(params, mainWindow, file, file == kHelpChm ? chm : hlp)) return 1;
    }
    ShowWarning(mainWindow, TXT_CANNOT_OPEN, (order.preferred == kHelpChm ? chm : hlp).c_str());
    return 1;
}
