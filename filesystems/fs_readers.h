// The readers behind OpenDiskFiles, one file each. A reader probes the disk
// and, when it recognises it, fills the volume: the probe's certainty and
// reason, the cluster layout and decoded table, and the directory. Each
// returns false only when the image's bytes could not be read; a disk it
// does not recognise gets kProbeNo with the reason.
#ifndef ORVANEL_FILESYSTEMS_FS_READERS_H
#define ORVANEL_FILESYSTEMS_FS_READERS_H

#include <cstdint>
#include <string>
#include <vector>

#include "filesystems/disk_files.h"

bool ProbeFat12(SectorView& view, FsVolume* out);
bool ProbeN88Basic(SectorView& view, FsVolume* out);
bool ProbeHuBasic(SectorView& view, FsVolume* out);
bool ProbeFBasic(SectorView& view, FsVolume* out);

// What a reader learns of a file from its bytes: N88-BASIC and F-BASIC
// record no size and keep the addresses of machine code in the file.
enum MeasureNeed { kMeasureNothing, kMeasureHead, kMeasureWhole };
MeasureNeed N88Measure(const DiskFile& file);
void N88Measured(const std::vector<uint8_t>& data, DiskFile* file);
MeasureNeed FBasicMeasure(const DiskFile& file);
void FBasicMeasured(const std::vector<uint8_t>& data, DiskFile* file);

// Where a file's bytes end when its file system marks the end: ASCII files
// of N88-BASIC and F-BASIC end at their first 0x1A. `size` when there is
// no mark.
bool EndsAtMark(FsKind kind, const DiskFile& file);
uint32_t MarkEnd(const std::vector<uint8_t>& data);

// Shared pieces of the one-byte-per-cluster readers.
// Decodes a name field: its bytes with trailing spaces (and NULs) cut.
std::string TrimmedField(const uint8_t* p, size_t n);
// NAME, or NAME.EXT where the extension is not blank.
std::string JoinName(const std::string& base, const std::string& ext);
// Whether each byte of a stored name is a character of JIS X 0201 (ASCII
// and half-width katakana) that a BASIC lets a name hold.
bool PlausibleName(const uint8_t* p, size_t n);
// The track table's entry of C/H.
inline uint32_t TrackOf(uint32_t c, uint32_t h) { return c * 2 + h; }
// The finding fs-sector-missing: `what` (its sentence) at the sector's
// data, or at its track's entry in the table when it is not there at all.
FsFinding MissingSector(uint32_t pos, uint32_t track, const std::string& what);
// The reason of a weak probe: "a FAT at WHERE, but N directory entries make
// no sense".
std::string NonsenseWhy(const std::string& where, uint32_t nonsense);
// Reads the sectors R = first .. last of one track into consecutive
// `size`-byte blocks of *out; a sector that cannot be read whole adds a
// finding fs-sector-missing (its block then holds zeros and `bad` gets it).
bool ReadRun(SectorView& view, uint8_t c, uint8_t h, uint8_t first, uint8_t last, uint32_t size,
             std::vector<uint8_t>* out, std::vector<uint32_t>* pos,
             std::vector<FsFinding>* findings, std::vector<bool>* bad = nullptr);

#endif
