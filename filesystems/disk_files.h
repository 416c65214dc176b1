// The files inside one disk image: which file system it holds (each reader
// probes, and says how sure it is and why), the disk's geometry as its
// tracks give it, the directory, a file's bytes, and the file system's
// findings for `check`. Read-only: nothing here changes a byte of the image.
//
// Everything works through a SectorView, so the same calls serve the
// window's buffer (MemoryImage) and an image where it lies in a file
// (FileImage), of which only the sectors asked for are read.
#ifndef ORVANEL_FILESYSTEMS_DISK_FILES_H
#define ORVANEL_FILESYSTEMS_DISK_FILES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "filesystems/cluster_chain.h"
#include "store/sector_view.h"

enum FsKind { kNoFileSystem, kN88Basic, kFat12, kHuBasic, kFBasic };
// "N88-BASIC", "FAT12", "Hu-BASIC", "F-BASIC", "no recognised file system".
const char* FsName(FsKind kind);

// How sure a probe is.
enum ProbeCertainty { kProbeNo = 0, kProbeWeak, kProbeLikely, kProbeSure };
const char* CertaintyText(ProbeCertainty certainty);  // "no", "weak", "likely", "sure"

struct ProbeResult {
    FsKind kind;
    ProbeCertainty certainty;
    std::string why;  // one plain sentence
};

// The disk as its tracks give it (the media byte is not trusted).
struct TrackGeometry {
    uint32_t cylinders;
    uint32_t heads;
    uint32_t sectorsPerTrack;  // of the second track where the first is FM
    uint32_t sectorSize;
    bool fmTrack0;        // track 0 is single density (as on PC-98 2HD)
    uint32_t track0Size;  // its sectors' size
    uint32_t tracks;      // table entries that hold a track
};
// "40 x 2 x 16 x 256" with ", track 0 FM 26 x 128" where it is.
std::string TrackGeometryText(const TrackGeometry& g);

enum FileKind { kFileAscii, kFileBasic, kFileMachine, kFileData, kFileFolder };
const char* FileKindText(FileKind kind);  // "ASCII", "BASIC", "machine code", "data", "folder"

// How the name's bytes are to be read.
enum NameCharset {
    kNameJisX0201,  // one byte a character: ASCII and half-width katakana
    kNameCp932      // Shift-JIS
};

struct DiskFile {
    std::string name;    // as stored, padding cut: NAME, or NAME.EXT where it has one
    std::string folder;  // MS-DOS: the stored names of the folders it is in, each with '/'
    NameCharset charset;
    FileKind kind;
    uint8_t attribute;   // the entry's attribute or mode byte as stored
    bool protectedFile;  // write-protected, read-only
    bool hidden;
    bool deleted;
    bool sizeInBytes;  // the size is in bytes; else in sectors
    uint32_t size;
    bool hasLoad, hasEnd, hasExec;  // machine code: where it loads, ends, starts
    uint32_t load, end, exec;
    uint32_t firstCluster;
    uint32_t entryPos;  // of its directory entry in the image
};

// What a reader made of the disk.
struct FsVolume {
    ProbeResult probe;
    TrackGeometry geometry;
    ClusterTable table;
    std::vector<DiskFile> files;    // in directory order, deleted ones flagged
    std::vector<FsFinding> opened;  // found while reading the tables (FAT copies that differ)
    std::string label;              // MS-DOS: the volume label, as stored
    ClusterOwners owners;           // of the live files' chains, by index in `files`
};

enum FsStatus {
    kFsOk,
    kFsBroken,   // the file's data could not be read whole: see the problem
    kFsIoFailed  // the image's bytes could not be read
};

// Probes every reader and keeps the surest; a weak probe is not enough. A
// disk none recognises gets kNoFileSystem with each reader's reason. The sizes of N88-BASIC and
// F-BASIC ASCII files and the addresses of machine code are read from their first and last sectors
// when `measure` is set.
FsStatus OpenDiskFiles(SectorView& view, FsVolume* out, bool measure = true);

// A file's bytes: its chain's sectors, cut to its size where the file
// system records one (or, for ASCII, to its end mark). kFsBroken when the
// chain stops early (it loops, runs out of the disk, crosses another file,
// reaches a free cluster, or a sector is missing): *problem names where,
// *out holds what came before. Deleted files and folders are not read.
FsStatus ReadDiskFile(SectorView& view, const FsVolume& volume, size_t index,
                      std::vector<uint8_t>* out, std::string* problem);

// The file system's findings, in the order of their positions.
struct FsFindingCode {
    const char* code;
    bool error;
    const char* meaning;
};
const FsFindingCode* FsFindingCodes(size_t* count);
void CheckDiskFiles(const FsVolume& volume, std::vector<FsFinding>* out);

// The display form of a file's name, folder included (UTF-8; bytes no
// system can hold escaped as %XX).
std::string DisplayName(const DiskFile& file);

#endif
