// The d88 command-line tool: its commands over container files (list,
// extract, join, rename, protect, move, delete, new) and over whole
// collections (check, hash, identify, dat, dupes), on the same portable
// core as the window.
#ifndef ORVANEL_CLI_D88_CLI_H
#define ORVANEL_CLI_D88_CLI_H

#include <ostream>
#include <string>
#include <vector>

#include "cli/d88_command.h"

class FileApi;
class MemoryApi;

namespace d88cli {

// Runs one command. `args` are the arguments after the program's name.
// Results go to `out`, messages to `err`.
int RunD88(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           FileApi& files, MemoryApi& memory);

// The same with the system's files and memory.
int RunD88(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace d88cli

#endif
