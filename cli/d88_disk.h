// The commands of d88 for the files inside disks: files lists them, get
// takes them out. Statuses: 0 done, 1 a file could not be read or written
// (or a file's chain is broken), 2 a wrong command line. Their help and
// options are in d88_disk_help.cpp.
#ifndef ORVANEL_CLI_D88_DISK_H
#define ORVANEL_CLI_D88_DISK_H

#include <string>
#include <vector>

#include "cli/d88_command.h"
#include "document/container_io.h"
#include "filesystems/disk_files.h"

class FileApi;

namespace d88cli {

int Files(Tool& t, const Options& o);
int Get(Tool& t, const Options& o);

}  // namespace d88cli

#endif
