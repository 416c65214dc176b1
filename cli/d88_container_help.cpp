// The commands over container files: their help and their options.
#include "cli/d88_container.h"

namespace d88cli {

namespace {

const char kBackupHelp[] = "keep FILE's old contents in its .bak copy";

// Where d88 differs from the window on purpose.
const char kRefusesZeroSizeWalk[] =
    "Where d88 differs from the window on purpose: it refuses to rewrite a file\n"
    "whose list of images ends at a disk of size 0, so that the bytes after it\n"
    "are not lost (the window lists the images up to it, and saves only those).\n";

const char kListText[] =
    "Shows the disk images of each FILE, one line each: its index, the offset of\n"
    "its header in the file, its name, whether it is write-protected (Yes/No),\n"
    "its media (2D, 2DD or 2HD) and its size in bytes as its header gives it.\n"
    "With several files, each list follows a line with the file's path.\n"
    "\n"
    "The images are found as the window finds them: from the start of the file,\n"
    "each header's size leads to the next header. A disk whose size is 0 is\n"
    "listed and ends the list; the bytes from it on belong to no image, and a\n"
    "warning says so. An image whose size runs past the end of the file is listed\n"
    "with a warning. An empty file is a container without images. However many\n"
    "images a file holds, the list takes a few KiB of memory.\n";

const char kListJson[] =
    "print one JSON array of all images of all files instead; each\n"
    "element: \"file\" (the path), \"index\", \"offset\", \"name\" (UTF-8;\n"
    "a byte that is no CP932 character becomes U+FFFD), \"name_cp932\"\n"
    "(the name's bytes in hexadecimal), \"protect\" (true/false),\n"
    "\"protect_byte\", \"media\", \"media_byte\", \"size\" (from the\n"
    "header) and \"bytes_in_file\" (how much of the image the file holds)";

const char kListNotes[] =
    "A file that cannot be read is reported, and the other files are still\n"
    "listed; the exit status is then 1.\n";

const char kExtractText[] =
    "Writes the images INDEX... of FILE (all of them when no INDEX is given),\n"
    "each to a file of its own that holds exactly that image, in ascending\n"
    "order of index. The new file's name is DIR, a separator, FILE's name with\n"
    "the dot of its extension turned into a space and the rest cut, the disk's\n"
    "name and \".D88\": disk \"DISK A\" of GAME.D88 gives \"DIR/GAME DISK A.D88\".\n"
    "A file name without a dot keeps its whole name and gets no space.\n";

const char kExtractNotes[] =
    "Nothing at all is written when two disks would go to the same name as DIR\n"
    "compares names (in either letter case, where its file system does), unless\n"
    "--unique is given; when a name would replace FILE itself or its backup copy\n"
    "would (by any name: a link, another letter case); and, without --force,\n"
    "when any of the names exists. A disk name that holds a folder separator,\n"
    "or bytes with no UTF-8 form, is refused. All files are written first under\n"
    "names of their own in DIR and take their names only when every one of them\n"
    "is complete. The paths of the files written are printed.\n"
    "\n"
    "A disk whose size is 0 ends FILE's list of images and is not written; the\n"
    "bytes from it on are in no file written, and extract ends with a warning\n"
    "that says so and the exit status 1.\n";

const char kJoinText[] =
    "Writes the images of every FILE, file after file and in each file's order,\n"
    "to the container OUT: the bytes the window saves after adding the files to\n"
    "a new document. OUT may not be one of the FILEs (by whatever name), nor,\n"
    "with --backup, may its backup copy: they are never written over.\n";

const char kJoinNotes[] =
    "Refused when a FILE holds bytes that belong to no image (after a disk of\n"
    "size 0), or when an image that runs past the end of its file would take in\n"
    "the images after it. An empty FILE adds nothing.\n"
    "\n"
    "Where d88 differs from the window on purpose: the window adds a file whose\n"
    "list of images ends at a disk of size 0 and saves the images before it;\n"
    "d88 refuses, so that the bytes after that disk are not lost.\n";

const char kRenameText[] =
    "Gives image INDEX of FILE the name NAME and rewrites FILE. The name is\n"
    "stored in CP932 with its NUL; the bytes of the 17-byte field after that\n"
    "NUL are kept, as in the window. NAME may be empty. A NAME that does not\n"
    "convert to CP932, or takes more than 16 bytes in it, is refused. Use --\n"
    "before a NAME that starts with '-'.\n";

const char kProtectText[] =
    "Sets the write-protect byte of image INDEX of FILE: on writes 0x10, off\n"
    "writes 0x00 (as the window's properties dialog does), and rewrites FILE.\n";

const char kMoveText[] =
    "Moves the images FROM... of FILE, as one block in their old order, to the\n"
    "insert position T (0 to the number of images): they are put before the\n"
    "image that stood at T, or after the last one when T is the number of\n"
    "images. The result, as when dragging in the window: the other images\n"
    "before T, then the moved ones, then the other images from T on, each\n"
    "group in its old order. Afterwards bytes 22 to 25 of every header are 0\n"
    "(except in an image shorter than 26 bytes, where those bytes belong to\n"
    "the image after it). FILE is rewritten even when the order stays.\n";

const char kDeleteText[] =
    "Removes the images INDEX... from FILE and rewrites it with the others, in\n"
    "their order. Deleting every image leaves an empty file.\n";

const char kNewText[] =
    "Writes a container of N blank disks (default 1; 0 gives an empty file) to\n"
    "OUT. A blank disk is a 688-byte header alone: name \"BlankDisk\", not\n"
    "write-protected, media 2D, size 688, as the window's New disk makes it.\n";

}  // namespace

const std::vector<Command>& ContainerCommands() {
    static const OptionRow backup = Flag("--backup", &Options::backup, kBackupHelp);
    static const OptionRow backupOut =
        Flag("--backup", &Options::backup, "keep OUT's old contents in its .bak copy");
    static const OptionRow forceOut =
        Flag("--force", &Options::force, "replace OUT when it exists");
    static const std::vector<Command> commands = {
        {"list",
         "[--json] FILE...",
         "show the disk images of each file",
         kListText,
         kListNotes,
         {Flag("--json", &Options::json, kListJson)},
         List},
        {"extract",
         "FILE [-o DIR] [--force] [--backup] [--unique] [INDEX...]",
         "write disk images to files of their own",
         kExtractText,
         kExtractNotes,
         {Value("-o,--output", "DIR", &Options::output,
                "the folder to write to (it must exist); default ."),
          Flag("--force", &Options::force, "replace files that exist"),
          Flag("--backup", &Options::backup,
               "keep a replaced file's old contents in its .bak copy"),
          Flag("--unique", &Options::unique,
               "when disks share a name, number the later ones: the\n"
               "second \"DISK\" of GAME.D88 goes to \"GAME DISK (2).D88\",\n"
               "the third to \"GAME DISK (3).D88\" (the first number\n"
               "that no earlier name takes)")},
         Extract},
        {"join",
         "[--force] [--backup] OUT FILE...",
         "put the images of several files into one",
         kJoinText,
         kJoinNotes,
         {forceOut, backupOut},
         Join},
        {"rename",
         "[--backup] FILE INDEX NAME",
         "give an image a new name",
         kRenameText,
         kRefusesZeroSizeWalk,
         {backup},
         Rename},
        {"protect",
         "[--backup] FILE INDEX on|off",
         "switch an image's write protection",
         kProtectText,
         kRefusesZeroSizeWalk,
         {backup},
         Protect},
        {"move",
         "[--backup] FILE FROM... --to T",
         "move images, as one block, to position T",
         kMoveText,
         kRefusesZeroSizeWalk,
         {Value("--to", "T", &Options::to, "the insert position (required)"), backup},
         Move},
        {"delete",
         "[--backup] FILE INDEX...",
         "remove images",
         kDeleteText,
         kRefusesZeroSizeWalk,
         {backup},
         Delete},
        {"new",
         "[--force] [--backup] OUT [N]",
         "make a file of N blank disks (default 1)",
         kNewText,
         "",
         {forceOut, backupOut},
         New},
    };
    return commands;
}

}  // namespace d88cli
