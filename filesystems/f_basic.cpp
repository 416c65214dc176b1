// F-BASIC (Fujitsu FM-7 family) 2D disks: cylinder 0 holds the IPL and the
// disk ID ("SYS" or "S  " in sector 3); cylinder 1 head 0 sector 1 the FAT,
// one byte per cluster from byte 5; sectors 4-16 of that side and all of
// head 1 the directory, 32-byte entries. The 152 clusters of 8 sectors
// start at cylinder 2. A last cluster is 0xC0 + x with x + 1 sectors used.
#include <cstdio>
#include <cstring>

#include "filesystems/fs_readers.h"

namespace {

const uint32_t kSector = 256;
const uint32_t kClusters = 152;
const uint32_t kFatStart = 5;
const uint32_t kEntry = 32;

ClusterLink Decode(uint8_t v, uint32_t pos) {
    ClusterLink l = {kLinkInvalid, 0, 0, v, pos};
    if (v < 0xA0) {
        l.kind = kLinkNext;
        l.next = v;
    } else if (v >= 0xC0 && v <= 0xC7) {
        l.kind = kLinkLast;
        l.used = v - 0xC0 + 1u;
    } else if (v == 0xFE) {
        l.kind = kLinkReserved;
    } else if (v == 0xFF) {
        l.kind = kLinkFree;
    }
    return l;
}

FileKind KindOf(uint8_t type, uint8_t ascii) {
    if (type == 2) return kFileMachine;
    if (ascii == 0xFF) return kFileAscii;
    return type == 0 ? kFileBasic : kFileData;
}

}  // namespace

bool ProbeFBasic(SectorView& view, FsVolume* out) {
    const TrackGeometry& g = out->geometry;
    out->probe.kind = kFBasic;
    out->probe.certainty = kProbeNo;
    if (g.sectorSize != kSector || g.sectorsPerTrack != 16 || g.heads != 2 || g.cylinders < 35 ||
        g.cylinders > 42) {
        out->probe.why = "not a 2D disk of 16 sectors of 256 bytes";
        return true;
    }
    std::vector<uint8_t> id(kSector), fat(kSector);
    uint32_t fatPos = 0;
    SectorResult idRead = ReadSector(view, 0, 0, 0, 3, kSector, &id[0]);
    SectorResult fatRead = ReadSector(view, 2, 1, 0, 1, kSector, &fat[0], &fatPos);
    if (idRead == kSectorIoFailed || fatRead == kSectorIoFailed) return false;
    if (fatRead != kSectorOk) {
        out->probe.why = "no FAT sector at C 1 H 0 R 1";
        return true;
    }
    ClusterLayout layout = {16, 2, kSector, 8, 0, kClusters, 4 * 16};
    out->table.layout = layout;
    out->table.links.clear();
    uint32_t invalid = 0, used = 0;
    for (uint32_t n = 0; n < kClusters; ++n) {
        ClusterLink l = Decode(fat[kFatStart + n], fatPos + kFatStart + n);
        if (l.kind == kLinkInvalid || (l.kind == kLinkNext && l.next >= kClusters)) ++invalid;
        if (l.kind == kLinkNext || l.kind == kLinkLast) ++used;
        out->table.links.push_back(l);
    }
    const bool signed_ = idRead == kSectorOk &&
                         (std::memcmp(&id[0], "SYS", 3) == 0 || std::memcmp(&id[0], "S  ", 3) == 0);
    // A few values of no meaning are damage to report; more, and it is
    // no FAT at all.
    if (invalid > (signed_ ? 4u : 0u)) {
        char why[100];
        std::snprintf(why, sizeof why, "the FAT at C 1 H 0 R 1 holds %u values with no meaning",
                      static_cast<unsigned>(invalid));
        out->probe.why = why;
        return true;
    }
    std::vector<uint8_t> side0, side1;
    std::vector<uint32_t> pos0, pos1;
    if (!ReadRun(view, 1, 0, 4, 16, kSector, &side0, &pos0, &out->opened) ||
        !ReadRun(view, 1, 1, 1, 16, kSector, &side1, &pos1, &out->opened))
        return false;
    side0.insert(side0.end(), side1.begin(), side1.end());
    pos0.insert(pos0.end(), pos1.begin(), pos1.end());
    uint32_t nonsense = 0;
    for (uint32_t e = 0; e * kEntry < side0.size(); ++e) {
        const uint8_t* p = &side0[e * kEntry];
        if (p[0] == 0xFF) continue;
        DiskFile f = DiskFile();
        f.deleted = p[0] == 0x00;
        if (f.deleted && (p[1] == 0x00 || !PlausibleName(p + 1, 7))) continue;
        std::string name = TrimmedField(p, 8);
        if (f.deleted) name = "?" + TrimmedField(p + 1, 7);
        if ((!f.deleted &&
             !PlausibleName(reinterpret_cast<const uint8_t*>(name.data()), name.size())) ||
            p[0x0E] >= kClusters || p[0x0B] > 2) {
            ++nonsense;
            continue;
        }
        f.name = name;
        f.charset = kNameJisX0201;
        f.attribute = p[0x0B];
        f.kind = KindOf(p[0x0B], p[0x0C]);
        f.firstCluster = p[0x0E];
        f.entryPos = pos0[e * kEntry / kSector] + (e * kEntry) % kSector;
        out->files.push_back(f);
    }
    char why[200];
    if (nonsense) {
        out->probe.certainty = kProbeWeak;
        std::snprintf(why, sizeof why, "%s", NonsenseWhy("C 1 H 0 R 1", nonsense).c_str());
    } else if (signed_) {
        out->probe.certainty = invalid ? kProbeLikely : kProbeSure;
        std::snprintf(why, sizeof why,
                      "the disk ID \"%.3s\" at C 0 H 0 R 3, a FAT %s and a directory that "
                      "parses",
                      reinterpret_cast<const char*>(&id[0]),
                      invalid ? "with values of no meaning" : "with valid codes");
    } else {
        // Without the ID, an empty FAT and directory are what any blank
        // area looks like.
        out->probe.certainty = used ? kProbeLikely : kProbeWeak;
        std::snprintf(why, sizeof why,
                      "a FAT at C 1 H 0 R 1 with valid codes (%u clusters used) and a directory "
                      "that parses, but no disk ID at C 0 H 0 R 3",
                      static_cast<unsigned>(used));
    }
    out->probe.why = why;
    return true;
}

MeasureNeed FBasicMeasure(const DiskFile& file) {
    return file.kind == kFileAscii || file.kind == kFileMachine ? kMeasureWhole : kMeasureNothing;
}

// Machine code is 0x00, its length and load address (big-endian), the
// code, then 0xFF 0x00 0x00, the start address and 0x1A.
void FBasicMeasured(const std::vector<uint8_t>& data, DiskFile* file) {
    if (file->kind != kFileMachine || data.size() < 5 || data[0] != 0x00) return;
    const uint32_t length = (data[1] << 8) | data[2];
    file->hasLoad = true;
    file->load = (data[3] << 8) | data[4];
    const size_t tail = 5 + static_cast<size_t>(length);
    if (tail + 6 <= data.size() && data[tail] == 0xFF && data[tail + 1] == 0 &&
        data[tail + 2] == 0 && data[tail + 5] == 0x1A) {
        file->hasExec = true;
        file->exec = (data[tail + 3] << 8) | data[tail + 4];
        file->sizeInBytes = true;
        file->size = static_cast<uint32_t>(tail + 6);
    }
}
