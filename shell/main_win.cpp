// Program entry: the command line tail, then the shell's own entry. The
// command line is taken in wide characters, so that a path in any language
// arrives whole, and kept as UTF-8, as every path.
#include <windows.h>

#include <string>

#include "document/paths.h"
#include "platform/text_wide_win.h"
#include "shell/shell_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::string line = Utf8FromWide(GetCommandLineW());
    return RunOrvanel(instance, SkipProgramName(line.c_str()), SW_SHOWDEFAULT);
}
