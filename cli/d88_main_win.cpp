// Entry of the d88 command-line tool on Windows: the arguments come from the
// wide-character command line, so that paths and names in any language
// arrive whole, and the console is set to show the UTF-8 that d88 writes.
#include <windows.h>
#include <shellapi.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/d88_cli.h"
#include "platform/text_wide_win.h"

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; argv && i < argc; ++i) args.push_back(Utf8FromWide(argv[i]));
    if (argv) LocalFree(argv);
    UINT outputPage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    int status = d88cli::RunD88(args, std::cout, std::cerr);
    std::cout.flush();
    std::cerr.flush();
    if (outputPage) SetConsoleOutputCP(outputPage);
    return status;
}
