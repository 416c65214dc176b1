// The d88 command-line tool: list, extract, join, rename, protect, move,
// delete and new, on the same portable core as the window.
#ifndef ORVANEL_CLI_D88_CLI_H
#define ORVANEL_CLI_D88_CLI_H

#include <ostream>
#include <string>
#include <vector>

class FileApi;
class MemoryApi;

namespace d88cli {

// Exit statuses.
const int kExitOk = 0;
const int kExitFailed = 1;  // a file could not be read or written, or a request was refused
const int kExitUsage = 2;   // the command line itself is wrong

// Runs one command. `args` are the arguments after the program's name.
// Results go to `out`, messages to `err`.
int RunD88(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           FileApi& files, MemoryApi& memory);

// The same with the system's files and memory.
int RunD88(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace d88cli

#endif
