// The help texts of the collection commands.
#include <cstring>
#include <string>

#include "cli/d88_collection.h"
#include "collection/image_check.h"

namespace d88cli {

namespace {

#define D88_PATHS_PARAGRAPH                                                        \
    "PATH is a file (read whatever its extension), FILE@N for image N of it\n"     \
    "(numbered from 0, as 'd88 list' shows), or a folder: every .d88 and .88d\n"   \
    "file below it, subfolders included, in name order. On a terminal a line on\n" \
    "standard error shows the files and bytes read so far; --quiet leaves it out.\n"

const char kCheck[] =
    "Usage: d88 check [--json] [--quiet] PATH...\n"
    "\n"
    "Checks every image: its header, its track table and the sector headers of\n"
    "each track, and prints each finding on a line of its own:\n"
    "\n"
    "  FILE@N: error|warning CODE at offset OFFSET: one sentence\n"
    "\n"
    "then a line with the number of images, errors and warnings. An error is\n"
    "something another reader will misread; a warning is unusual but readable.\n"
    "OFFSET is the byte the finding is about, counted from the start of the\n"
    "file. Nothing is changed: every image 'd88 list' shows is checked, and a\n"
    "file with findings still lists and extracts as before.\n"
    "\n"
    "Codes (docs/collections.md says more of each):\n"
    "%CODES%"
    "\n"
    "  --json    print one JSON array instead, one element per finding: \"file\",\n"
    "            \"index\", \"offset\", \"severity\", \"code\", \"message\"\n"
    "  --quiet   no progress line\n"
    "\n" D88_PATHS_PARAGRAPH
    "\n"
    "Exit status: 0 no findings, 1 warnings only, 2 errors (a file that cannot\n"
    "be read counts as one), and 2 for a wrong command line.\n";

const char kHash[] =
    "Usage: d88 hash [--json] [--quiet] PATH...\n"
    "\n"
    "Prints the CRC32, MD5 and SHA-1 of every image, twice: of the image as a\n"
    "file of its own (\"raw\": the bytes 'd88 extract' writes), and of its\n"
    "normalised form, the same bytes with the name and the reserved header\n"
    "bytes zeroed, the write protection 0x00 and the size field set to the\n"
    "image's length, so that the same disk under another name or protection\n"
    "gives the same digests. One pass over the bytes computes all of them.\n"
    "\n"
    "  --json    print one JSON array, one element per image: \"file\", \"index\",\n"
    "            \"offset\", \"name\", \"size\", and \"raw\" and \"normalised\", each\n"
    "            with \"crc32\", \"md5\" and \"sha1\" in hexadecimal\n"
    "  --quiet   no progress line\n"
    "\n" D88_PATHS_PARAGRAPH;

const char kIdentify[] =
    "Usage: d88 identify --dat DATFILE [--json] [--quiet] PATH...\n"
    "\n"
    "Names every image that an entry of DATFILE lists: a Logiqx XML DAT or a\n"
    "ClrMamePro text DAT. A file of an entry matches by its SHA-1, else its MD5,\n"
    "else its CRC32 together with its size; the raw form of the image is tried\n"
    "before the normalised one (see 'd88 hash'). Each image gets a line\n"
    "\n"
    "  FILE@N  NAME: ENTRY [FILE OF THE ENTRY] (raw|normalised, SHA-1|MD5|CRC32)\n"
    "\n"
    "(one for each entry that matches), or \"NAME: unknown\"; then a line with\n"
    "the numbers of known and unknown images.\n"
    "\n"
    "  --dat DATFILE   the DAT to match against (required)\n"
    "  --json          print one JSON array, one element per image: \"file\",\n"
    "                  \"index\", \"name\", \"matches\" (each \"entry\", \"file\",\n"
    "                  \"form\", \"digest\")\n"
    "  --quiet         no progress line\n"
    "\n" D88_PATHS_PARAGRAPH;

const char kDat[] =
    "Usage: d88 dat [--force] [--quiet] PATH... -o DATFILE\n"
    "\n"
    "Writes a Logiqx XML DAT of the images: one entry per image, named\n"
    "FILE@N after the file it is in (its path below the folder given), with the\n"
    "disk's name as its description and one file: the name 'd88 extract' gives\n"
    "the image, its size, and the CRC32, MD5 and SHA-1 of its raw form. 'd88\n"
    "identify --dat DATFILE' then names every one of them.\n"
    "\n"
    "  -o DATFILE, --output DATFILE   the DAT to write (required)\n"
    "  --force                        replace DATFILE when it exists\n"
    "  --quiet                        no progress line\n"
    "\n"
    "DATFILE is written as a new file beside it that takes its name when it is\n"
    "complete; when a file cannot be read nothing is written.\n"
    "\n" D88_PATHS_PARAGRAPH;

const char kDupes[] =
    "Usage: d88 dupes [--raw] [--json] [--quiet] PATH...\n"
    "\n"
    "Finds the images that are the same disk: it groups the images of every file\n"
    "by the SHA-1 of their normalised form (see 'd88 hash'), so that copies\n"
    "under other names or protection are found, and prints each group of two\n"
    "or more, as FILE@N with the disk's name, then a line with the counts.\n"
    "\n"
    "  --raw     group by the SHA-1 of the raw form instead: byte-identical images\n"
    "  --json    print one JSON array, one element per group: \"sha1\", \"form\",\n"
    "            \"images\" (each \"file\", \"index\", \"name\")\n"
    "  --quiet   no progress line\n"
    "\n" D88_PATHS_PARAGRAPH;

struct Entry {
    const char* name;
    const char* text;
};

const Entry kEntries[] = {
    {"check", kCheck}, {"hash", kHash}, {"identify", kIdentify}, {"dat", kDat}, {"dupes", kDupes},
};

// The check's help with the list of codes from the checks themselves.
const char* CheckHelp() {
    static const std::string text = [] {
        std::string codes;
        size_t count = 0;
        const FindingCode* list = FindingCodes(&count);
        for (size_t i = 0; i < count; ++i) {
            codes += std::string("  ") + list[i].code +
                     (list[i].severity == kError ? " (error)\n" : " (warning)\n") + "      " +
                     list[i].meaning + "\n";
        }
        std::string help = kCheck;
        return help.replace(help.find("%CODES%"), 7, codes);
    }();
    return text.c_str();
}

}  // namespace

const char* CollectionHelp(const std::string& command) {
    if (command == "check") return CheckHelp();
    for (size_t i = 0; i < sizeof kEntries / sizeof kEntries[0]; ++i) {
        if (command == kEntries[i].name) return kEntries[i].text;
    }
    return nullptr;
}

bool IsCollectionCommand(const std::string& command) { return CollectionHelp(command) != nullptr; }

}  // namespace d88cli
