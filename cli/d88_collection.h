// The commands of d88 for whole collections: check, hash, identify, dat and
// dupes, over files (FILE@N for one image) and folders. Statuses: check 0
// clean, 1 warnings only, 2 errors (a file that cannot be read counts as
// one); the others 0 done, 1 a file could not be read or written; all of
// them 2 for a wrong command line. Their help and options are in
// d88_collection_help.cpp.
#ifndef ORVANEL_CLI_D88_COLLECTION_H
#define ORVANEL_CLI_D88_COLLECTION_H

#include "cli/d88_command.h"

namespace d88cli {

int Check(Tool& t, const Options& o);
int Hash(Tool& t, const Options& o);
int Identify(Tool& t, const Options& o);
int MakeDat(Tool& t, const Options& o);
int Dupes(Tool& t, const Options& o);

}  // namespace d88cli

#endif
