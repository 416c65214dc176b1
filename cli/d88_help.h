// The help of d88, laid out through CLI11 from the command tables: the
// general help with a line for each command, and each command's own, its
// options listed from what the command line was told of them.
#ifndef ORVANEL_CLI_D88_HELP_H
#define ORVANEL_CLI_D88_HELP_H

#include <CLI/CLI.hpp>
#include <map>
#include <string>

#include "cli/d88_command.h"

namespace d88cli {

class HelpFormatter : public CLI::Formatter {
public:
    // The command that a subcommand of the tool's app stands for.
    void Add(const CLI::App* app, const Command* command) { commands_[app] = command; }
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override;

private:
    std::string General(const CLI::App* app) const;
    std::string OfCommand(const CLI::App* app, const Command& command) const;
    std::map<const CLI::App*, const Command*> commands_;
};

}  // namespace d88cli

#endif
