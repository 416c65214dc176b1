// The commands of the d88 tool for whole collections: check, hash,
// identify, dat and dupes, over files (FILE@N for one image) and folders.
#ifndef ORVANEL_CLI_D88_COLLECTION_H
#define ORVANEL_CLI_D88_COLLECTION_H

#include <ostream>
#include <string>
#include <vector>

class FileApi;
class MemoryApi;

namespace d88cli {

bool IsCollectionCommand(const std::string& command);

// Runs one of them; `args` begin with the command's name. Statuses: check
// 0 clean, 1 warnings only, 2 errors (a file that cannot be read counts as
// one); the others 0 done, 1 a file could not be read or written; all of
// them 2 for a wrong command line.
int RunCollection(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  FileApi& files, MemoryApi& memory);

// The help of a collection command; null for any other name.
const char* CollectionHelp(const std::string& command);

}  // namespace d88cli

#endif
