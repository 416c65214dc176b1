// Entry of the d88 command-line tool.
#include <iostream>
#include <string>
#include <vector>

#include "cli/d88_cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    int status = d88cli::RunD88(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
