// The convert command: its help and its options.
#include "cli/d88_convert.h"

namespace d88cli {

namespace {

const char kConvertText[] =
    "Writes the disk of IN in another format to OUT: D88 (.d88 .d77 .88d .d68\n"
    ".d98 .98d .1dd), raw sectors (.hdm .2hd .xdf .2d .2dd .img .ima .hdb), FDI\n"
    "(.fdi), IMD (.imd) or HFE (.hfe). The formats come from the names' extensions\n"
    "(IN's also from its bytes), or from --from and --to. IN@N converts image N of\n"
    "a container; a container of several images to another format than D88 needs\n"
    "a folder as OUT, where each image goes to a file of its own named as extract\n"
    "names them (\"GAME DISK A.HFE\"). An OUT that is a folder gets such names for\n"
    "one image too.\n"
    "\n"
    "Before anything is written the report lists, for each image, what the target\n"
    "cannot hold, by kind, with how many sectors or tracks and the first of them\n"
    "(\"lost: ...\"), and what it is written with (\"written with: ...\": raw's\n"
    "geometry; HFE's data rate, turn, encoding, gaps and steps). A conversion that\n"
    "loses anything is refused, with the report and the exit status 1, unless\n"
    "--lossy is given.\n";

const char kConvertNotes[] =
    "A raw image's geometry comes from its size; a size that fits several\n"
    "(655,360: 80/2/16/256 or 80/2/8/512) or none needs --geometry, and a raw\n"
    "image or FDI is written with the disk's own geometry unless --geometry\n"
    "says another. HFE is written at 250 kbit/s and 300 rpm for 2D and 2DD, 500\n"
    "kbit/s and 360 rpm for 2HD (300 where its tracks need the longer turn, as\n"
    "1.44 MB do), each sector in its own density (MFM, or FM), deleted marks as\n"
    "deleted data marks and ID and data errors as wrong CRCs; a disk of at most 42\n"
    "cylinders is written for a drive of 40 tracks unless --double-step is given.\n"
    "An HFE is read by decoding its cells; one whose cells are no MFM or FM is\n"
    "refused, with the cylinder named.\n"
    "\n"
    "OUT is written as every file of d88: a new file beside it, named OUT only\n"
    "when it is complete (all of them, for a file per image); never an existing\n"
    "file without --force, never IN itself. IN is never changed. The exit status\n"
    "is 0 when written (or, with --dry-run, when it would be), 1 when refused or\n"
    "failed, 2 for a wrong command line.\n";

}  // namespace

const std::vector<Command>& ConvertCommands() {
    static const std::vector<Command> commands = {
        {"convert",
         "[options] IN OUT",
         "write a disk image in another format (raw, FDI, IMD, HFE, D88)",
         kConvertText,
         kConvertNotes,
         {Value("--from", "FORMAT", &Options::from,
                "read IN as d88, raw, fdi, imd or hfe, whatever its name says"),
          Value("--to", "FORMAT", &Options::to, "write OUT as d88, raw, fdi, imd or hfe"),
          Value("--geometry", "C/H/S/BYTES", &Options::geometry,
                "cylinders, heads, sectors a track and their bytes of a raw\n"
                "image (read or written) or an FDI (written), such as 80/2/8/512"),
          Flag("--double-step", &Options::doubleStep,
               "HFE of a disk of at most 42 cylinders: for a drive of 80\n"
               "tracks, which steps twice from cylinder to cylinder"),
          Value("--kbps", "N", &Options::kbps, "HFE: the data rate of MFM, in kbit/s (50-1000)"),
          Value("--rpm", "N", &Options::rpm, "HFE: the turns a minute (100-1000)"),
          Flag("--lossy", &Options::lossy,
               "convert even what loses something (the report says what)"),
          Flag("--dry-run", &Options::dryRun, "print the report only; write nothing"),
          Flag("--force", &Options::force, "replace OUT (or files in it) when they exist")},
         Convert},
    };
    return commands;
}

}  // namespace d88cli
