// The help texts of the d88 tool.
#ifndef ORVANEL_CLI_D88_HELP_H
#define ORVANEL_CLI_D88_HELP_H

#include <string>

namespace d88cli {

const char* GeneralHelp();
// The help of one command; null for a name that is no command.
const char* CommandHelp(const std::string& command);

}  // namespace d88cli

#endif
