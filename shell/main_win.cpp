// Program entry: the command line tail, then the shell's own entry.
#include <windows.h>

#include "document/paths.h"
#include "shell/shell_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunOrvanel(instance, SkipProgramName(GetCommandLineA()), SW_SHOWDEFAULT);
}
