// The layout of the help, and the general help's own texts.
#include "cli/d88_help.h"

#include <algorithm>
#include <sstream>

namespace d88cli {

namespace {

// The column of the summaries in the general help.
const size_t kSummaryColumn = 32;

const char kGeneralText[] =
    "Manages container files of D88 floppy-disk images (.d88, .88d): disk images\n"
    "stored back to back, each one beginning with a 688-byte header that holds\n"
    "its name, its write protection, its media type (2D, 2DD, 2HD) and its size.\n"
    "The rules are those of the Orvanel window.\n";

const char kGeneralNotes[] =
    "Images are numbered from 0, in the order in which they stand in the file;\n"
    "'d88 list' shows the numbers. Every FILE is read whatever its extension.\n"
    "FILE@N names image N of FILE (list, extract and the commands below new).\n"
    "A PATH is a FILE, FILE@N, or a folder: the D88 files below it (.d88, .88d,\n"
    ".d77, .d68, .d98, .98d, .1dd, in any letter case), recursively.\n"
    "\n"
    "Options:\n"
    "  --backup     before a file is replaced, keep its old contents in a copy\n"
    "               named like it with \".bak\" in place of its extension\n"
    "               (GAME.D88 gives GAME.bak). The copy is made before the file\n"
    "               is replaced; when it cannot be made, nothing is replaced.\n"
    "  --force      extract, join, new, dat: replace files that exist already\n"
    "  --unique     extract: number the later of disks that share a name\n"
    "  --json       list, check, hash, identify, dupes: print JSON\n"
    "  --quiet      check, hash, identify, dat, dupes: no progress line on the\n"
    "               terminal\n"
    "  -h, --help   show help; 'd88 COMMAND --help' shows the command's\n"
    "  --version    show the version of d88\n"
    "  --           what follows is not an option (a NAME that starts with '-')\n"
    "\n"
    "Safety: every file is written as a new file beside the old one, which it\n"
    "replaces only once it is complete and flushed, keeping what was set on the\n"
    "old one (mode, owner, extended attributes; on Windows its attributes). A\n"
    "command that fails changes nothing; running out of memory included. A\n"
    "change is refused when the file would lose bytes (a disk whose size is 0\n"
    "ends the file's list of images, and the bytes from it on belong to no\n"
    "image), when the result would not read back as the same images, when a\n"
    "file to be written is one of the files read, and when a file read changed\n"
    "before it was copied (another program saved over it). Without --force, a\n"
    "file that appears at the new name meanwhile is kept.\n"
    "\n"
    "Names: a disk name is stored in CP932 (Shift-JIS), at most 16 bytes. Names\n"
    "and paths are shown and taken in UTF-8 and converted (on Windows from the\n"
    "wide-character command line, and the console is set to show UTF-8). A name\n"
    "that does not convert, or takes more than 16 bytes, is refused.\n"
    "\n"
    "Exit status: 0 done; 1 a file could not be read or written, or the request\n"
    "was refused (the message on standard error names the file); 2 the command\n"
    "line is wrong. 'd88 check' says 1 for warnings and 2 for errors instead.\n";

// A command's usage without the options in brackets that every command of
// its kind takes: "extract FILE [-o DIR] [INDEX...]" for the general list.
std::string Brief(const std::string& usage) {
    std::istringstream words(usage);
    std::string word, brief;
    while (words >> word) {
        if (word.compare(0, 3, "[--") != 0) brief += " " + word;
    }
    return brief;
}

// "-o DIR, --output DIR", "--json".
std::string Label(const CLI::Option* option) {
    std::string value =
        option->get_type_name().empty() ? std::string() : " " + option->get_type_name();
    std::string label;
    for (const std::string& s : option->get_snames()) label += ", -" + s + value;
    for (const std::string& l : option->get_lnames()) label += ", --" + l + value;
    return label.substr(2);
}

}  // namespace

std::string HelpFormatter::make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const {
    std::map<const CLI::App*, const Command*>::const_iterator it = commands_.find(app);
    return it == commands_.end() ? General(app) : OfCommand(app, *it->second);
}

std::string HelpFormatter::General(const CLI::App* app) const {
    std::ostringstream out;
    out << "Usage: d88 COMMAND [OPTIONS] ARGUMENTS...\n\n" << kGeneralText << "\nCommands:\n";
    for (const CLI::App* sub : app->get_subcommands({})) {
        std::map<const CLI::App*, const Command*>::const_iterator it = commands_.find(sub);
        if (it == commands_.end()) continue;
        CLI::detail::format_help(out, it->second->name + Brief(it->second->usage),
                                 it->second->summary, kSummaryColumn);
    }
    out << "\n" << kGeneralNotes;
    return out.str();
}

std::string HelpFormatter::OfCommand(const CLI::App* app, const Command& command) const {
    std::vector<const CLI::Option*> options = app->get_options(
        [app](const CLI::Option* o) { return o != app->get_help_ptr() && !o->get_positional(); });
    size_t width = 0;
    for (const CLI::Option* o : options) width = std::max(width, Label(o).size());
    std::ostringstream out;
    out << "Usage: d88 " << command.name << " " << command.usage << "\n\n" << command.text;
    if (!options.empty()) out << "\n";
    // Two blanks, the widest label and three blanks, then the help.
    for (const CLI::Option* o : options)
        CLI::detail::format_help(out, Label(o), o->get_description(), width + 5);
    if (!command.notes.empty()) out << "\n" << command.notes;
    return out.str();
}

}  // namespace d88cli
