// Hu-BASIC (Sharp X1). Sectors are counted from 0 across the disk (16 a
// track on 2D, 26 on 2HD) and a cluster is 16 of them. 2D: the FAT is
// sector 14 (one byte per cluster, 80 clusters), the directory sectors
// 16-31. 2HD: the FAT is sectors 28-29 (each sector: the low seven bits of
// 128 entries, then their high bits), the directory sectors 32-47, 250
// clusters. 0x00 is free, 0x80-0x8F ends a chain with the low four bits one
// less than the sectors used; the first clusters are the file system's own.
// A directory entry is 32 bytes: mode, name (13), extension (3), password,
// size, load and start addresses, date, and the first cluster (high byte at
// 0x1D, low at 0x1E, middle at 0x1F). The 2HD table's split was not
// checked on a real disk.
#include <cstdio>

#include "filesystems/fs_readers.h"

namespace {

const uint32_t kSector = 256;
const uint32_t kEntry = 32;

struct Shape {
    uint32_t spt, clusters, fatSector, fatSectors, dirSector, reserved;
};

ClusterLink Link2D(uint8_t v, uint32_t pos) {
    ClusterLink l = {kLinkNext, v, 0, v, pos};
    if (v == 0x00) l.kind = kLinkFree;
    if (v >= 0x80) l.kind = v <= 0x8F ? kLinkLast : kLinkInvalid;
    if (l.kind == kLinkLast) l.used = (v & 0x0F) + 1u;
    return l;
}

ClusterLink Link2HD(uint8_t low, uint8_t high, uint32_t pos) {
    const uint32_t lo = low, hi = high;
    ClusterLink l = {kLinkNext, lo | (hi << 7), 0, lo | (hi << 8), pos};
    if (low & 0x80) {
        l.kind = low <= 0x8F ? kLinkLast : kLinkInvalid;
        l.used = (low & 0x0F) + 1u;
    } else if (l.next == 0) {
        l.kind = kLinkFree;
    }
    return l;
}

FileKind KindOf(uint8_t mode) {
    if (mode & 0x80) return kFileFolder;
    if (mode & 0x01) return kFileMachine;
    if (mode & 0x02) return kFileBasic;
    return (mode & 0x0C) ? kFileAscii : kFileData;
}

}  // namespace

bool ProbeHuBasic(SectorView& view, FsVolume* out) {
    const TrackGeometry& g = out->geometry;
    out->probe.kind = kHuBasic;
    out->probe.certainty = kProbeNo;
    Shape s;
    if (g.sectorSize == kSector && g.heads == 2 && g.sectorsPerTrack == 16 && g.cylinders >= 35 &&
        g.cylinders <= 42) {
        Shape two = {16, 80, 14, 1, 16, 2};
        s = two;
    } else if (g.sectorSize == kSector && g.heads == 2 && g.sectorsPerTrack == 26 &&
               g.cylinders >= 77 && g.cylinders <= 82) {
        Shape hd = {26, 250, 28, 2, 32, 3};
        s = hd;
    } else {
        out->probe.why = "not a 2D or 2HD disk of 256-byte sectors";
        return true;
    }
    ClusterLayout layout = {s.spt, 2, kSector, 16, 0, s.clusters, 0};
    out->table.layout = layout;
    std::vector<uint8_t> fat(kSector * s.fatSectors);
    std::vector<uint32_t> fatPos(s.fatSectors, 0);
    for (uint32_t k = 0; k < s.fatSectors; ++k) {
        SectorResult r = ReadLogical(view, layout, s.fatSector + k, &fat[k * kSector], &fatPos[k]);
        if (r == kSectorIoFailed) return false;
        if (r != kSectorOk) {
            out->probe.why = "no FAT sector at sector " + std::to_string(s.fatSector + k);
            return true;
        }
    }
    out->table.links.clear();
    uint32_t invalid = 0;
    for (uint32_t n = 0; n < s.clusters; ++n) {
        ClusterLink l;
        if (s.fatSectors == 1) {
            l = Link2D(fat[n], fatPos[0] + n);
        } else {
            const uint32_t k = n / 128, i = n % 128;
            l = Link2HD(fat[k * kSector + i], fat[k * kSector + 128 + i], fatPos[k] + i);
        }
        if (n < s.reserved) {
            if (l.kind == kLinkFree || l.kind == kLinkInvalid) ++invalid;
            l.kind = kLinkReserved;
        }
        if (l.kind == kLinkInvalid || (l.kind == kLinkNext && l.next >= s.clusters)) ++invalid;
        out->table.links.push_back(l);
    }
    const bool signature = fat[0] == 0x01 && (s.fatSectors == 2 || fat[1] == 0x8F);
    if (invalid || !signature) {
        char why[120];
        std::snprintf(why, sizeof why, "the FAT at sector %u %s",
                      static_cast<unsigned>(s.fatSector),
                      signature ? "holds values with no meaning"
                                : "does not reserve the first clusters (01 8F)");
        out->probe.why = why;
        return true;
    }
    // The 16 directory sectors lie on one track side, on 2D and on 2HD.
    std::vector<uint8_t> dir;
    std::vector<uint32_t> dirPos;
    const LogicalPlace d = PlaceOfSector(layout, s.dirSector);
    if (!ReadRun(view, d.c, d.h, d.r, static_cast<uint8_t>(d.r + 15), kSector, &dir, &dirPos,
                 &out->opened))
        return false;
    uint32_t nonsense = 0;
    for (uint32_t e = 0; e * kEntry < dir.size(); ++e) {
        const uint8_t* p = &dir[e * kEntry];
        if (p[0] == 0xFF) break;
        DiskFile f = DiskFile();
        f.deleted = p[0] == 0x00;
        if (f.deleted && !PlausibleName(p + 1, 16)) continue;  // never a name there
        f.firstCluster = p[0x1E] | (p[0x1F] << 8) | (p[0x1D] << 16);
        if ((!f.deleted && !PlausibleName(p + 1, 16)) || f.firstCluster >= s.clusters) {
            ++nonsense;
            continue;
        }
        f.name = JoinName(TrimmedField(p + 1, 13), TrimmedField(p + 0x0E, 3));
        f.charset = kNameJisX0201;
        f.attribute = p[0];
        f.kind = KindOf(p[0]);
        f.protectedFile = (p[0] & 0x40) != 0;
        f.hidden = (p[0] & 0x10) != 0;
        if (f.kind != kFileFolder) {
            f.sizeInBytes = true;
            f.size = p[0x12] | (p[0x13] << 8);
        }
        if (f.kind == kFileMachine) {
            f.hasLoad = f.hasExec = true;
            f.load = p[0x14] | (p[0x15] << 8);
            f.exec = p[0x16] | (p[0x17] << 8);
        }
        f.entryPos = dirPos[e * kEntry / kSector] + (e * kEntry) % kSector;
        out->files.push_back(f);
    }
    const std::string where = "sector " + std::to_string(s.fatSector);
    out->probe.certainty = nonsense ? kProbeWeak : invalid ? kProbeLikely : kProbeSure;
    out->probe.why = nonsense ? NonsenseWhy(where, nonsense)
                              : "a FAT at " + where + " that reserves the first clusters, " +
                                    (invalid ? "with values of no meaning" : "with valid codes") +
                                    ", and a directory that parses";
    return true;
}
