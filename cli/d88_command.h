// What a command of d88 is made of, so that adding one is adding a row to
// its family's table: its name and help texts, its options (each one sets a
// field of Options) and the function that runs it. CLI11 reads the command
// line from these rows (d88_cli.cpp) and lays out their help
// (d88_help.cpp). A command with a new option adds a field to Options and
// an OptionRow (Flag or Value) to its row; a new family of commands adds
// its table to kFamilies in d88_cli.cpp.
#ifndef ORVANEL_CLI_D88_COMMAND_H
#define ORVANEL_CLI_D88_COMMAND_H

#include <ostream>
#include <string>
#include <vector>

#include "document/io_status.h"

class FileApi;
class MemoryApi;

namespace d88cli {

// Exit statuses.
const int kExitOk = 0;
const int kExitFailed = 1;  // a file could not be read or written, or a request was refused
const int kExitUsage = 2;   // the command line itself is wrong

// An option that takes a value, and whether it was given at all.
struct OptionValue {
    bool given = false;
    std::string text;
};

// Everything the command line sets. A new option is a field here and a row
// in the tables of the commands that take it.
struct Options {
    std::vector<std::string> args;  // the arguments that are no options, in their order
    bool json = false, quiet = false, raw = false;
    bool force = false, backup = false, unique = false;
    bool lossy = false, dryRun = false, doubleStep = false;
    OptionValue output, to, dat;
    OptionValue from, geometry, kbps, rpm;
};

// One option of a command: its names as CLI11 takes them ("-o,--output"),
// the name of its value in the help (null for a flag), the field it sets,
// and its help (a line break continues it under its first line).
struct OptionRow {
    const char* names;
    const char* value;
    bool Options::*flag;
    OptionValue Options::*field;
    const char* help;
};
inline OptionRow Flag(const char* names, bool Options::*flag, const char* help) {
    OptionRow row = {names, nullptr, flag, nullptr, help};
    return row;
}
inline OptionRow Value(const char* names, const char* value, OptionValue Options::*field,
                       const char* help) {
    OptionRow row = {names, value, nullptr, field, help};
    return row;
}

// The streams, the system's files and memory, and the wording all commands
// share: "d88: PATH: message" on standard error.
class Tool {
public:
    Tool(std::ostream& out, std::ostream& err, FileApi& files, MemoryApi& memory)
        : out(out), err(err), files(files), memory(memory) {}
    // A wrong command line: the message and where the help is; kExitUsage.
    int Usage(const std::string& command, const std::string& message);
    // kExitFailed.
    int Fail(const std::string& path, const std::string& message);
    int Fail(const IoStatus& status, const std::string& tail = std::string());
    void Warn(const std::string& path, const std::string& message);

    std::ostream& out;
    std::ostream& err;
    FileApi& files;
    MemoryApi& memory;
};

typedef int (*RunCommand)(Tool& tool, const Options& options);

struct Command {
    const char* name;
    const char* usage;    // what follows "Usage: d88 NAME " in its help
    const char* summary;  // its line in 'd88 --help'
    std::string text;     // its help: what comes before the options
    std::string notes;    // ... and after them
    std::vector<OptionRow> options;
    RunCommand run;
};

// The families of commands, each in the order 'd88 --help' lists them.
const std::vector<Command>& ContainerCommands();   // list, extract, join, the edits, new
const std::vector<Command>& CollectionCommands();  // check, hash, identify, dat, dupes
const std::vector<Command>& ConvertCommands();     // convert

}  // namespace d88cli

#endif
