// The collection commands: their help and their options.
#include <string>

#include "cli/d88_collection.h"
#include "collection/image_check.h"

namespace d88cli {

namespace {

const char kPaths[] =
    "PATH is a file (read whatever its extension), FILE@N for image N of it\n"
    "(numbered from 0, as 'd88 list' shows), or a folder: every D88 file below\n"
    "it (.d88, .88d, .d77, .d68, .d98, .98d, .1dd, in any letter case),\n"
    "subfolders included, in name order. An image reached twice (FILE and\n"
    "FILE@0, a file and its folder, a link) is read once. Only files of data\n"
    "are opened: a named pipe or a device is reported and passed over, and so\n"
    "is anything in a folder that cannot be looked at (a subfolder that cannot\n"
    "be entered, a link to nothing named like a D88 file); the exit status then\n"
    "says that not all was read. On a terminal a line on standard error shows\n"
    "the files and bytes read so far; --quiet leaves it out.\n";

const char kQuiet[] = "no progress line";

const char kCheckText[] =
    "Checks every image: its header, its track table and the sector headers of\n"
    "each track, and prints each finding on a line of its own:\n"
    "\n"
    "  FILE@N: error|warning CODE at offset OFFSET: one sentence\n"
    "\n"
    "then a line with the number of images, errors and warnings (or that no\n"
    "file was read). An error is something another reader will misread; a\n"
    "warning is unusual but readable. OFFSET is the byte the finding is about,\n"
    "counted from the start of the file. Nothing is changed: every image 'd88\n"
    "list' shows is checked, and a file with findings still lists and extracts\n"
    "as before.\n"
    "\n"
    "Codes (docs/collections.md says more of each):\n";

const char kCheckNotes[] =
    "\n"
    "Exit status: 0 no findings, 1 warnings only, 2 errors (a file that cannot\n"
    "be read counts as one), and 2 for a wrong command line.\n";

const char kHashText[] =
    "Prints the CRC32, MD5 and SHA-1 of every image, twice: of the image as a\n"
    "file of its own (\"raw\": the bytes 'd88 extract' writes), and of its\n"
    "normalised form, the same bytes with the name and the reserved header\n"
    "bytes zeroed, the write protection 0x00 and the size field set to the\n"
    "image's length, so that the same disk under another name or protection\n"
    "gives the same digests. One pass over the bytes computes all of them.\n";

const char kIdentifyText[] =
    "Names every image that an entry of DATFILE lists: a Logiqx XML DAT or a\n"
    "ClrMamePro text DAT. A file of an entry is matched by the strongest digest\n"
    "it gives: its SHA-1, else its MD5, else its CRC32 together with its size;\n"
    "the raw form of the image is tried before the normalised one (see 'd88\n"
    "hash'). Each image gets a line\n"
    "\n"
    "  FILE@N  NAME: ENTRY [FILE OF THE ENTRY] (raw|normalised, SHA-1|MD5|CRC32)\n"
    "\n"
    "for every file of an entry that matches it, by whichever digest (those by\n"
    "SHA-1 first, then by MD5, then by CRC32), or \"NAME: unknown\"; then a line\n"
    "with the numbers of known and unknown images.\n";

const char kDatText[] =
    "Writes a Logiqx XML DAT of the images: one entry per image, named\n"
    "FILE@N after the file it is in (its path below the folder given), with the\n"
    "disk's name as its description and one file: the name 'd88 extract' gives\n"
    "the image, its size, and the CRC32, MD5 and SHA-1 of its raw form. 'd88\n"
    "identify --dat DATFILE' then names every one of them.\n";

const char kDatNotes[] =
    "DATFILE is written as a new file beside it that takes its name when it is\n"
    "complete; when a file cannot be read nothing is written, and DATFILE may\n"
    "not be one of the files read. The DAT is UTF-8: a file name that is not\n"
    "(Shift-JIS names from old archives) is read as CP932 where it decodes, and\n"
    "a byte that does not becomes %XX (its value in hexadecimal).\n"
    "\n";

const char kDupesText[] =
    "Finds the images that are the same disk: it groups the images of every file\n"
    "by the SHA-1 of their normalised form (see 'd88 hash'), so that copies\n"
    "under other names or protection are found, and prints each group of two\n"
    "or more, as FILE@N with the disk's name, then a line with the counts.\n"
    "Images without a byte in their file (a disk size of 0) are never grouped.\n";

// The check's help with the list of codes from the checks themselves.
std::string CheckText() {
    std::string text = kCheckText;
    size_t count = 0;
    const FindingCode* list = FindingCodes(&count);
    for (size_t i = 0; i < count; ++i) {
        text += std::string("  ") + list[i].code +
                (list[i].severity == kError ? " (error)\n" : " (warning)\n") + "      " +
                list[i].meaning + "\n";
    }
    return text;
}

}  // namespace

const std::vector<Command>& CollectionCommands() {
    static const OptionRow quiet = Flag("--quiet", &Options::quiet, kQuiet);
    static const std::vector<Command> commands = {
        {"check",
         "[--json] [--quiet] PATH...",
         "report what is wrong with images, and where",
         CheckText(),
         std::string(kPaths) + kCheckNotes,
         {Flag("--json", &Options::json,
               "print one JSON array instead, one element per finding: \"file\",\n"
               "\"index\", \"offset\", \"severity\", \"code\", \"message\""),
          quiet},
         Check},
        {"hash",
         "[--json] [--quiet] PATH...",
         "CRC32, MD5 and SHA-1 of images, raw and normalised",
         kHashText,
         kPaths,
         {Flag("--json", &Options::json,
               "print one JSON array, one element per image: \"file\", \"index\",\n"
               "\"offset\", \"name\", \"size\", and \"raw\" and \"normalised\", each\n"
               "with \"crc32\", \"md5\" and \"sha1\" in hexadecimal"),
          quiet},
         Hash},
        {"identify",
         "--dat DATFILE [--json] [--quiet] PATH...",
         "name images from a Logiqx or ClrMamePro DAT",
         kIdentifyText,
         kPaths,
         {Value("--dat", "DATFILE", &Options::dat, "the DAT to match against (required)"),
          Flag("--json", &Options::json,
               "print one JSON array, one element per image: \"file\",\n"
               "\"index\", \"name\", \"matches\" (each \"entry\", \"file\",\n"
               "\"form\", \"digest\")"),
          quiet},
         Identify},
        {"dat",
         "[--force] [--quiet] PATH... -o DATFILE",
         "write a Logiqx DAT of images",
         kDatText,
         std::string(kDatNotes) + kPaths,
         {Value("-o,--output", "DATFILE", &Options::output, "the DAT to write (required)"),
          Flag("--force", &Options::force, "replace DATFILE when it exists"), quiet},
         MakeDat},
        {"dupes",
         "[--raw] [--json] [--quiet] PATH...",
         "find images that are the same disk",
         kDupesText,
         kPaths,
         {Flag("--raw", &Options::raw,
               "group by the SHA-1 of the raw form instead: byte-identical images"),
          Flag("--json", &Options::json,
               "print one JSON array, one element per group: \"sha1\", \"form\",\n"
               "\"images\" (each \"file\", \"index\", \"name\")"),
          quiet},
         Dupes},
    };
    return commands;
}

}  // namespace d88cli
