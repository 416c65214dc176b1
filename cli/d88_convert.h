// d88 convert: a disk image from one format to another (D88, raw, FDI, IMD,
// HFE), with the report of what the target cannot hold printed before
// anything is written. Its help and options are in d88_convert_help.cpp.
#ifndef ORVANEL_CLI_D88_CONVERT_H
#define ORVANEL_CLI_D88_CONVERT_H

#include "cli/d88_command.h"

namespace d88cli {

int Convert(Tool& t, const Options& o);

}  // namespace d88cli

#endif
