// The commands for the files inside disks: their help and their options.
#include <string>

#include "cli/d88_collection.h"
#include "cli/d88_disk.h"

namespace d88cli {

namespace {

const char kFilesText[] =
    "Lists the files inside every image: the file system it holds (N88-BASIC,\n"
    "MS-DOS FAT12, Hu-BASIC, F-BASIC) and its geometry as its tracks give it,\n"
    "then a line for each file:\n"
    "\n"
    "  NAME  KIND  SIZE  ATTRIBUTES\n"
    "\n"
    "NAME is the name as stored, in UTF-8, with its folders on FAT12; what no\n"
    "file name can hold is shown as %XX, and a deleted entry's lost first\n"
    "character as '?'. KIND is ASCII, BASIC (tokenised), machine code (with\n"
    "its load, end and start addresses where the disk keeps them), data or\n"
    "folder. SIZE is in bytes where the file system records it or the file\n"
    "shows it (an ASCII file ends at its 0x1A), else in sectors. ATTRIBUTES:\n"
    "protected, hidden, deleted. An image whose file system no reader\n"
    "recognises says so, and why. Only the directory and FAT sectors are read\n"
    "(and a few sectors of ASCII and machine-code files); nothing is changed.\n";

const char kGetText[] =
    "Writes files of the image FILE@N (FILE alone when it holds one image) to\n"
    "files of their own in DIR: the NAMEs as 'd88 files' shows them, or every\n"
    "file with --all. Folders of FAT12 disks are made as folders in DIR. A\n"
    "name no file name can hold is written with %XX for what it cannot hold,\n"
    "a device name (CON, NUL...) gets '_', and two files that would meet\n"
    "(letter case aside) get \" (2)\"; each line says where a file went and\n"
    "why its name changed. A file whose chain is broken (it loops, runs out\n"
    "of the disk, crosses another file, reaches a free cluster) is not\n"
    "written: a message names where, and the other files are still written.\n"
    "Each file is written as a new file that takes its name only when it is\n"
    "complete; one that exists is kept unless --force is given.\n";

const char kGetNotes[] =
    "\n"
    "Exit status: 0 every file written, 1 a file not written (or not found),\n"
    "2 a wrong command line.\n";

}  // namespace

const std::vector<Command>& DiskCommands() {
    static const std::vector<Command> commands = {
        {"files",
         "[--deleted] [--json] PATH...",
         "list the files inside disk images",
         kFilesText,
         PathsHelp(),
         {Flag("--deleted", &Options::deleted, "list deleted entries too"),
          Flag("--json", &Options::json,
               "print one JSON array instead, one element per image: \"file\",\n"
               "\"index\", \"file_system\", \"certainty\", \"why\", \"geometry\",\n"
               "\"label\" (FAT12), \"files\" (each \"name\", \"stored_name\" in\n"
               "hexadecimal, \"kind\", \"size\", \"size_unit\", \"load\", \"end\",\n"
               "\"start\", \"attribute_byte\", \"protected\", \"hidden\", \"deleted\")")},
         Files},
        {"get",
         "FILE[@N] (NAME... | --all) [-o DIR] [--force] [--text [--cp932] [--basic V]]",
         "write the files inside a disk image to files of their own",
         kGetText,
         kGetNotes,
         {Value("-o,--output", "DIR", &Options::output,
                "the folder to write to (it must exist); default ."),
          Flag("--all", &Options::all, "every file of the image"),
          Flag("--force", &Options::force, "replace files that exist"),
          Flag("--text", &Options::text,
               "write a tokenised N88-BASIC program as its listing (UTF-8);\n"
               "codes the tables do not name are shown as {XX}"),
          Flag("--cp932", &Options::cp932, "with --text: the listing in CP932 (Shift-JIS)"),
          Value("--basic", "V", &Options::basic,
                "with --text: the BASIC version, V1, V2 or 86; default V2")},
         Get},
    };
    return commands;
}

}  // namespace d88cli
