// The commands of d88 over container files: list, extract, join, rename,
// protect, move, delete and new. Their help and options are in
// d88_container_help.cpp.
#ifndef ORVANEL_CLI_D88_CONTAINER_H
#define ORVANEL_CLI_D88_CONTAINER_H

#include "cli/d88_command.h"
#include "cli/d88_sources.h"

namespace d88cli {

int List(Tool& t, const Options& o);  // d88_list.cpp
int Extract(Tool& t, const Options& o);
int Join(Tool& t, const Options& o);
int Rename(Tool& t, const Options& o);
int Protect(Tool& t, const Options& o);
int Move(Tool& t, const Options& o);
int Delete(Tool& t, const Options& o);
int New(Tool& t, const Options& o);

}  // namespace d88cli

#endif
