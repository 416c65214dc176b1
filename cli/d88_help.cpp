// The help texts of the d88 tool.
#include "cli/d88_help.h"

#include <cstring>

#include "cli/d88_collection.h"

namespace d88cli {

namespace {

// Paragraphs that several commands' help shares.
#define D88_BACKUP_OPTION "  --backup   keep FILE's old contents in its .bak copy\n"
#define D88_REFUSES_ZERO_SIZE_WALK                                                  \
    "Where d88 differs from the window on purpose: it refuses to rewrite a file\n" \
    "whose list of images ends at a disk of size 0, so that the bytes after it\n"  \
    "are not lost (the window lists the images up to it, and saves only those).\n"

const char kGeneral[] =
    "Usage: d88 COMMAND [OPTIONS] ARGUMENTS...\n"
    "\n"
    "Manages container files of D88 floppy-disk images (.d88, .88d): disk images\n"
    "stored back to back, each one beginning with a 688-byte header that holds\n"
    "its name, its write protection, its media type (2D, 2DD, 2HD) and its size.\n"
    "The rules are those of the Orvanel window.\n"
    "\n"
    "Commands:\n"
    "  list FILE...                  show the disk images of each file\n"
    "  extract FILE [-o DIR] [INDEX...]\n"
    "                                write disk images to files of their own\n"
    "  join OUT FILE...              put the images of several files into one\n"
    "  rename FILE INDEX NAME        give an image a new name\n"
    "  protect FILE INDEX on|off     switch an image's write protection\n"
    "  move FILE FROM... --to T      move images, as one block, to position T\n"
    "  delete FILE INDEX...          remove images\n"
    "  new OUT [N]                   make a file of N blank disks (default 1)\n"
    "  check PATH...                 report what is wrong with images, and where\n"
    "  hash PATH...                  CRC32, MD5 and SHA-1 of images, raw and normalised\n"
    "  identify --dat DAT PATH...    name images from a Logiqx or ClrMamePro DAT\n"
    "  dat PATH... -o DAT            write a Logiqx DAT of images\n"
    "  dupes PATH...                 find images that are the same disk\n"
    "  help [COMMAND]                show this text, or a command's own\n"
    "\n"
    "Images are numbered from 0, in the order in which they stand in the file;\n"
    "'d88 list' shows the numbers. Every FILE is read whatever its extension.\n"
    "FILE@N names image N of FILE (list, extract and the commands below new).\n"
    "A PATH is a FILE, FILE@N, or a folder: its .d88 and .88d files, recursively.\n"
    "\n"
    "Options:\n"
    "  --backup     before a file is replaced, keep its old contents in a copy\n"
    "               named like it with \".bak\" in place of its extension\n"
    "               (GAME.D88 gives GAME.bak). The copy is made before the file\n"
    "               is replaced; when it cannot be made, nothing is replaced.\n"
    "  --force      extract, join, new, dat: replace files that exist already\n"
    "  --json       list, check, hash, identify, dupes: print JSON\n"
    "  --quiet      check, hash, identify, dat, dupes: no progress line on the\n"
    "               terminal\n"
    "  -h, --help   show help; 'd88 COMMAND --help' shows the command's\n"
    "  --           what follows is not an option (a NAME that starts with '-')\n"
    "\n"
    "Safety: every file is written as a new file beside the old one, which it\n"
    "replaces only once it is complete and flushed, keeping what was set on the\n"
    "old one (mode, owner, extended attributes; on Windows its attributes). A\n"
    "command that fails changes nothing; running out of memory included. A\n"
    "change is refused when the file would lose bytes (a disk whose size is 0\n"
    "ends the file's list of images, and the bytes from it on belong to no\n"
    "image), when the result would not read back as the same images, and when\n"
    "a file read changed before it was copied (another program saved over it).\n"
    "Without --force, a file that appears at the new name meanwhile is kept.\n"
    "\n"
    "Names: a disk name is stored in CP932 (Shift-JIS), at most 16 bytes. Names\n"
    "and paths are shown and taken in UTF-8 and converted (on Windows from the\n"
    "wide-character command line, and the console is set to show UTF-8). A name\n"
    "that does not convert, or takes more than 16 bytes, is refused.\n"
    "\n"
    "Exit status: 0 done; 1 a file could not be read or written, or the request\n"
    "was refused (the message on standard error names the file); 2 the command\n"
    "line is wrong. 'd88 check' says 1 for warnings and 2 for errors instead.\n";

const char kList[] =
    "Usage: d88 list [--json] FILE...\n"
    "\n"
    "Shows the disk images of each FILE, one line each: its index, the offset of\n"
    "its header in the file, its name, whether it is write-protected (Yes/No),\n"
    "its media (2D, 2DD or 2HD) and its size in bytes as its header gives it.\n"
    "With several files, each list follows a line with the file's path.\n"
    "\n"
    "The images are found as the window finds them: from the start of the file,\n"
    "each header's size leads to the next header. A disk whose size is 0 is\n"
    "listed and ends the list; the bytes from it on belong to no image, and a\n"
    "warning says so. An image whose size runs past the end of the file is listed\n"
    "with a warning. An empty file is a container without images.\n"
    "\n"
    "  --json   print one JSON array of all images of all files instead; each\n"
    "           element: \"file\" (the path), \"index\", \"offset\", \"name\" (UTF-8;\n"
    "           a byte that is no CP932 character becomes U+FFFD), \"name_cp932\"\n"
    "           (the name's bytes in hexadecimal), \"protect\" (true/false),\n"
    "           \"protect_byte\", \"media\", \"media_byte\", \"size\" (from the\n"
    "           header) and \"bytes_in_file\" (how much of the image the file holds)\n"
    "\n"
    "A file that cannot be read is reported, and the other files are still\n"
    "listed; the exit status is then 1.\n";

const char kExtract[] =
    "Usage: d88 extract FILE [-o DIR] [--force] [--backup] [INDEX...]\n"
    "\n"
    "Writes the images INDEX... of FILE (all of them when no INDEX is given),\n"
    "each to a file of its own that holds exactly that image, in ascending\n"
    "order of index. The new file's name is DIR, a separator, FILE's name with\n"
    "the dot of its extension turned into a space and the rest cut, the disk's\n"
    "name and \".D88\": disk \"DISK A\" of GAME.D88 gives \"DIR/GAME DISK A.D88\".\n"
    "A file name without a dot keeps its whole name and gets no space.\n"
    "\n"
    "  -o DIR, --output DIR   the folder to write to (it must exist); default .\n"
    "  --force                replace files that exist; when two disks have the\n"
    "                         same name, the later one is written, and with\n"
    "                         --backup the one before it goes to the .bak copy\n"
    "  --backup               keep a replaced file's old contents in its .bak copy\n"
    "\n"
    "Without --force nothing at all is written when any of the names exists,\n"
    "or when two disks would go to the same name as DIR compares names (in\n"
    "either letter case, where its file system does). A disk name that holds a\n"
    "folder separator, or bytes with no UTF-8 form, is\n"
    "refused. All files are written first under names of their own in DIR and\n"
    "take their names only when every one of them is complete. The paths of\n"
    "the files written are printed.\n";

const char kJoin[] =
    "Usage: d88 join [--force] [--backup] OUT FILE...\n"
    "\n"
    "Writes the images of every FILE, file after file and in each file's order,\n"
    "to the container OUT: the bytes the window saves after adding the files to\n"
    "a new document. OUT may be one of the FILEs (with --force).\n"
    "\n"
    "  --force    replace OUT when it exists\n"
    "  --backup   keep OUT's old contents in its .bak copy\n"
    "\n"
    "Refused when a FILE holds bytes that belong to no image (after a disk of\n"
    "size 0), or when an image that runs past the end of its file would take in\n"
    "the images after it. An empty FILE adds nothing.\n"
    "\n"
    "Where d88 differs from the window on purpose: the window adds a file whose\n"
    "list of images ends at a disk of size 0 and saves the images before it;\n"
    "d88 refuses, so that the bytes after that disk are not lost.\n";

const char kRename[] =
    "Usage: d88 rename [--backup] FILE INDEX NAME\n"
    "\n"
    "Gives image INDEX of FILE the name NAME and rewrites FILE. The name is\n"
    "stored in CP932 with its NUL; the bytes of the 17-byte field after that\n"
    "NUL are kept, as in the window. NAME may be empty. A NAME that does not\n"
    "convert to CP932, or takes more than 16 bytes in it, is refused. Use --\n"
    "before a NAME that starts with '-'.\n"
    "\n"
    D88_BACKUP_OPTION
    "\n"
    D88_REFUSES_ZERO_SIZE_WALK;

const char kProtect[] =
    "Usage: d88 protect [--backup] FILE INDEX on|off\n"
    "\n"
    "Sets the write-protect byte of image INDEX of FILE: on writes 0x10, off\n"
    "writes 0x00 (as the window's properties dialog does), and rewrites FILE.\n"
    "\n"
    D88_BACKUP_OPTION
    "\n"
    D88_REFUSES_ZERO_SIZE_WALK;

const char kMove[] =
    "Usage: d88 move [--backup] FILE FROM... --to T\n"
    "\n"
    "Moves the images FROM... of FILE, as one block in their old order, to the\n"
    "insert position T (0 to the number of images): they are put before the\n"
    "image that stood at T, or after the last one when T is the number of\n"
    "images. The result, as when dragging in the window: the other images\n"
    "before T, then the moved ones, then the other images from T on, each\n"
    "group in its old order. Afterwards bytes 22 to 25 of every header are 0\n"
    "(except in an image shorter than 26 bytes, where those bytes belong to\n"
    "the image after it). FILE is rewritten even when the order stays.\n"
    "\n"
    "  --to T     the insert position (required)\n"
    D88_BACKUP_OPTION
    "\n"
    D88_REFUSES_ZERO_SIZE_WALK;

const char kDelete[] =
    "Usage: d88 delete [--backup] FILE INDEX...\n"
    "\n"
    "Removes the images INDEX... from FILE and rewrites it with the others, in\n"
    "their order. Deleting every image leaves an empty file.\n"
    "\n"
    D88_BACKUP_OPTION
    "\n"
    D88_REFUSES_ZERO_SIZE_WALK;

const char kNew[] =
    "Usage: d88 new [--force] [--backup] OUT [N]\n"
    "\n"
    "Writes a container of N blank disks (default 1; 0 gives an empty file) to\n"
    "OUT. A blank disk is a 688-byte header alone: name \"BlankDisk\", not\n"
    "write-protected, media 2D, size 688, as the window's New disk makes it.\n"
    "\n"
    "  --force    replace OUT when it exists\n"
    "  --backup   keep OUT's old contents in its .bak copy\n";

struct Entry {
    const char* name;
    const char* text;
};

const Entry kEntries[] = {
    {"list", kList},     {"extract", kExtract}, {"join", kJoin},     {"rename", kRename},
    {"protect", kProtect}, {"move", kMove},     {"delete", kDelete}, {"new", kNew},
};

}  // namespace

const char* GeneralHelp() { return kGeneral; }

const char* CommandHelp(const std::string& command) {
    if (const char* text = CollectionHelp(command)) return text;
    for (size_t i = 0; i < sizeof kEntries / sizeof kEntries[0]; ++i) {
        if (command == kEntries[i].name) return kEntries[i].text;
    }
    return nullptr;
}

}  // namespace d88cli
