// MS-DOS FAT12 (PC-98, FM Towns, MSX-DOS, 1.44 MB): the file system's
// parameters from the BPB of the boot sector, the geometry from the D88
// tracks (NEC's DOS leaves the BPB's heads and sectors per track unset).
// A disk is FAT12 when its BPB is plausible (256, 512 or 1,024 bytes a
// sector, a power-of-two cluster, one or two FATs, fewer than 4,085
// clusters) and its FAT starts with the media byte and 0xFF 0xFF; no
// 0x55AA is asked for (MSX-DOS has none). Subfolders are followed through
// their chains; a folder met twice is not entered again.
#include <cstdio>
#include <cstring>

#include "filesystems/fs_readers.h"

namespace {

const uint32_t kEntry = 32;
const uint32_t kMaxClusters = 4084;

uint32_t Le16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return Le16(p) | (Le16(p + 2) << 16); }

struct Bpb {
    uint32_t bytes, perCluster, reserved, fats, rootEntries, total, media, perFat;
};

bool PlausibleBpb(const uint8_t* b, Bpb* out, std::string* why) {
    Bpb p;
    p.bytes = Le16(b + 0x0B);
    p.perCluster = b[0x0D];
    p.reserved = Le16(b + 0x0E);
    p.fats = b[0x10];
    p.rootEntries = Le16(b + 0x11);
    p.total = Le16(b + 0x13) ? Le16(b + 0x13) : Le32(b + 0x20);
    p.media = b[0x15];
    p.perFat = Le16(b + 0x16);
    *out = p;
    if (p.bytes != 256 && p.bytes != 512 && p.bytes != 1024) {
        *why = "the boot sector holds no BPB (bytes per sector " + std::to_string(p.bytes) + ")";
        return false;
    }
    if (p.perCluster == 0 || (p.perCluster & (p.perCluster - 1)) != 0 || p.reserved == 0 ||
        p.fats < 1 || p.fats > 2 || p.rootEntries == 0 || p.perFat == 0 || p.media < 0xF0) {
        *why = "the BPB's cluster, FAT or root directory fields make no sense";
        return false;
    }
    return true;
}

ClusterLink Decode(uint32_t v, uint32_t pos) {
    ClusterLink l = {kLinkNext, v, 0, v, pos};
    if (v == 0) l.kind = kLinkFree;
    if (v == 1) l.kind = kLinkInvalid;
    if (v >= 0xFF0 && v <= 0xFF7) l.kind = kLinkReserved;  // 0xFF7: a bad cluster
    if (v >= 0xFF8) l.kind = kLinkLast;
    return l;
}

uint32_t Entry12(const std::vector<uint8_t>& fat, uint32_t n) {
    const size_t at = n + n / 2;
    const uint32_t v = fat[at] | (fat[at + 1] << 8);
    return (n & 1) ? v >> 4 : v & 0xFFF;
}

class Reader {
public:
    Reader(SectorView& view, FsVolume* out) : view_(view), out_(out) {}
    bool Root(uint32_t first, uint32_t count);
    bool Folder(const DiskFile& folder);

private:
    bool Entries(const std::vector<uint32_t>& sectors, const std::string& path, bool root);
    SectorView& view_;
    FsVolume* out_;
    // Clusters already read as a folder's: each is read once, so that
    // folders whose chains run together cost no more than the disk holds.
    std::vector<bool> read_;
};

bool Reader::Root(uint32_t first, uint32_t count) {
    std::vector<uint32_t> sectors;
    for (uint32_t k = 0; k < count; ++k) sectors.push_back(first + k);
    if (!Entries(sectors, std::string(), true)) return false;
    // Folders are appended as they are found, so this reaches every level.
    for (size_t i = 0; i < out_->files.size(); ++i) {
        const DiskFile f = out_->files[i];
        if (f.kind == kFileFolder && !f.deleted && !Folder(f)) return false;
    }
    return true;
}

bool Reader::Folder(const DiskFile& folder) {
    const ClusterLayout& l = out_->table.layout;
    read_.resize(out_->table.links.size(), false);
    Chain chain = FollowChain(out_->table, folder.firstCluster);
    std::vector<uint32_t> sectors;
    for (size_t i = 0; i < chain.clusters.size() && !read_[chain.clusters[i]]; ++i) {
        read_[chain.clusters[i]] = true;
        for (uint32_t k = 0; k < l.sectorsPerCluster; ++k)
            sectors.push_back(ClusterSector(l, chain.clusters[i], k));
    }
    return Entries(sectors, folder.folder + folder.name + "/", false);
}

bool Reader::Entries(const std::vector<uint32_t>& sectors, const std::string& path, bool root) {
    const ClusterLayout& l = out_->table.layout;
    std::vector<uint8_t> data(l.sectorSize);
    // Tracks that the table lists more than once could show the same
    // entries again and again: no more are kept than the image has room for.
    const size_t room = view_.source().Extent() / kEntry;
    for (size_t s = 0; s < sectors.size() && out_->files.size() < room; ++s) {
        uint32_t pos = 0;
        SectorResult r = ReadLogical(view_, l, sectors[s], &data[0], &pos);
        if (r == kSectorIoFailed) return false;
        if (r != kSectorOk) {
            LogicalPlace p = PlaceOfSector(l, sectors[s]);
            out_->opened.push_back(
                MissingSector(pos, p.track,
                              std::string(root ? "the root folder's " : "the folder's ") +
                                  SectorProblem(r, p.c, p.h, p.r)));
            continue;
        }
        for (uint32_t e = 0; e < l.sectorSize / kEntry; ++e) {
            const uint8_t* p = &data[e * kEntry];
            if (p[0] == 0x00) return true;  // the end of the folder
            const uint8_t attr = p[0x0B];
            if (attr == 0x0F) continue;  // a long name's piece
            if (attr & 0x08) {
                if (root && !(attr & 0x10) && p[0] != 0xE5) out_->label = TrimmedField(p, 11);
                continue;
            }
            if (p[0] == '.' && (attr & 0x10)) continue;
            DiskFile f = DiskFile();
            f.deleted = p[0] == 0xE5;
            std::string base = TrimmedField(p, 8);
            if (!base.empty() && p[0] == 0x05) base[0] = static_cast<char>(0xE5);
            if (f.deleted) base[0] = '?';
            f.name = JoinName(base, TrimmedField(p + 8, 3));
            f.folder = path;
            f.charset = kNameCp932;
            f.attribute = attr;
            f.kind = (attr & 0x10) ? kFileFolder : kFileData;
            f.protectedFile = (attr & 0x01) != 0;
            f.hidden = (attr & 0x02) != 0;
            f.firstCluster = Le16(p + 0x1A);
            if (f.kind != kFileFolder) {
                f.sizeInBytes = true;
                f.size = Le32(p + 0x1C);
            }
            f.entryPos = pos + e * kEntry;
            out_->files.push_back(f);
        }
    }
    return true;
}

}  // namespace

bool ProbeFat12(SectorView& view, FsVolume* out) {
    const TrackGeometry& g = out->geometry;
    out->probe.kind = kFat12;
    out->probe.certainty = kProbeNo;
    if (g.track0Size < 256 || g.track0Size > 1024 || g.fmTrack0 || g.sectorsPerTrack == 0) {
        out->probe.why = "track 0 holds no sectors a BPB could be in";
        return true;
    }
    std::vector<uint8_t> boot(g.track0Size);
    SectorResult r = ReadSector(view, 0, 0, 0, 1, g.track0Size, &boot[0]);
    if (r == kSectorIoFailed) return false;
    Bpb b;
    if (r != kSectorOk) {
        out->probe.why = "no boot sector at C 0 H 0 R 1";
        return true;
    }
    if (!PlausibleBpb(&boot[0], &b, &out->probe.why)) return true;
    if (b.bytes != g.track0Size || b.bytes != g.sectorSize) {
        out->probe.why = "the BPB's sector size differs from the disk's";
        return true;
    }
    const uint32_t rootSectors = (b.rootEntries * kEntry + b.bytes - 1) / b.bytes;
    const uint32_t dataStart = b.reserved + b.fats * b.perFat + rootSectors;
    if (b.total <= dataStart || (b.total - dataStart) / b.perCluster > kMaxClusters) {
        out->probe.why = "the BPB's sizes leave no FAT12 cluster area";
        return true;
    }
    ClusterLayout layout = {g.sectorsPerTrack, g.heads, b.bytes,
                            b.perCluster,      2,       (b.total - dataStart) / b.perCluster,
                            dataStart};
    // The table must hold an entry for every cluster.
    const uint32_t entries = layout.clusters + 2, tableBytes = entries + entries / 2 + 1;
    if (tableBytes > b.perFat * b.bytes) {
        out->probe.why = "the BPB's FAT is too small for its clusters";
        return true;
    }
    // Only the sectors that hold the clusters' entries are read, however
    // large the BPB says the FAT is.
    const uint32_t used = (tableBytes + b.bytes - 1) / b.bytes;
    std::vector<std::vector<uint8_t> > fats(b.fats, std::vector<uint8_t>(used * b.bytes));
    std::vector<std::vector<uint32_t> > fatPos(b.fats, std::vector<uint32_t>(used, 0));
    std::vector<bool> whole(b.fats, true);
    for (uint32_t k = 0; k < b.fats; ++k) {
        for (uint32_t s = 0; s < used; ++s) {
            const uint32_t logical = b.reserved + k * b.perFat + s;
            r = ReadLogical(view, layout, logical, &fats[k][s * b.bytes], &fatPos[k][s]);
            if (r == kSectorIoFailed) return false;
            if (r == kSectorOk) continue;
            if (k == 0) {
                out->probe.why = "the first FAT cannot be read whole";
                return true;
            }
            if (whole[k]) {
                LogicalPlace p = PlaceOfSector(layout, logical);
                out->opened.push_back(MissingSector(fatPos[k][s], p.track,
                                                    "FAT copy " + std::to_string(k + 1) + ": " +
                                                        SectorProblem(r, p.c, p.h, p.r) +
                                                        "; copy 1 was read"));
            }
            whole[k] = false;
        }
    }
    const std::vector<uint8_t>& fat = fats[0];
    if (fat[0] != b.media || fat[1] != 0xFF || fat[2] != 0xFF) {
        out->probe.why = "the FAT does not start with the media byte and 0xFF 0xFF";
        return true;
    }
    for (uint32_t k = 1; k < b.fats; ++k) {
        if (whole[k] && std::memcmp(&fats[k][0], &fat[0], tableBytes) != 0) {
            uint32_t at = 0;
            while (fats[k][at] == fat[at]) ++at;
            FsFinding f = {"fs-fat-copies", true, fatPos[k][at / b.bytes] + at % b.bytes,
                           "FAT copy " + std::to_string(k + 1) +
                               " differs from copy 1 (from byte " + std::to_string(at) +
                               "); copy 1 was read"};
            out->opened.push_back(f);
        }
    }
    out->table.layout = layout;
    out->table.links.clear();
    for (uint32_t n = 0; n < entries; ++n) {
        const uint32_t at = n + n / 2;
        out->table.links.push_back(Decode(Entry12(fat, n), fatPos[0][at / b.bytes] + at % b.bytes));
    }
    out->table.links[0].kind = out->table.links[1].kind = kLinkReserved;
    Reader reader(view, out);
    if (!reader.Root(b.reserved + b.fats * b.perFat, rootSectors)) return false;
    char why[160];
    std::snprintf(why, sizeof why,
                  "a BPB of %u-byte sectors, %u per cluster, %u FAT%s and %u root entries, and a "
                  "FAT that starts with its media byte 0x%02X",
                  static_cast<unsigned>(b.bytes), static_cast<unsigned>(b.perCluster),
                  static_cast<unsigned>(b.fats), b.fats == 1 ? "" : "s",
                  static_cast<unsigned>(b.rootEntries), static_cast<unsigned>(b.media));
    out->probe.why = why;
    out->probe.certainty = kProbeSure;
    return true;
}
