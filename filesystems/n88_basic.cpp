// N88-BASIC (PC-8801, PC-9801): one system track holds the directory
// (16-byte entries), an ID sector and three copies of a one-byte-per-
// cluster FAT. On 2D it is cylinder 18 head 1 and a cluster is half a track
// side; on 2DD and 2HD a cluster is a whole track side and the system
// track's place is found by looking: the track whose last three sectors
// are identical, valid FATs that reserve that track, with a directory that
// parses, starting from the middle of the disk.
#include <cstdio>
#include <cstring>

#include "filesystems/fs_readers.h"

namespace {

const uint8_t kFatFree = 0xFF;
const uint8_t kFatReserved = 0xFE;
const uint8_t kFatLast = 0xC0;
const uint32_t kEntry = 16;
const uint32_t kSector = 256;

struct Shape {
    uint32_t spt;
    uint32_t clusterSectors;
    uint32_t clusters;
    int track;  // the system track, or -1 where it is looked for
};

bool ShapeOf(const TrackGeometry& g, Shape* s) {
    if (g.sectorSize != kSector || g.heads != 2) return false;
    if (g.sectorsPerTrack == 16 && g.cylinders >= 35 && g.cylinders <= 42) {
        Shape two = {16, 8, 160, 37};
        *s = two;
        return true;
    }
    if ((g.sectorsPerTrack == 16 || g.sectorsPerTrack == 26) && g.cylinders >= 77 &&
        g.cylinders <= 84) {
        Shape big = {g.sectorsPerTrack, g.sectorsPerTrack, 0, -1};
        big.clusters = g.cylinders * 2 < 160 ? g.cylinders * 2 : 160;
        *s = big;
        return true;
    }
    return false;
}

ClusterLink Decode(uint8_t v, const Shape& s, uint32_t pos) {
    ClusterLink l = {kLinkInvalid, 0, 0, v, pos};
    if (v < 0xA0) {
        l.kind = kLinkNext;
        l.next = v;
    } else if (v > kFatLast && v <= kFatLast + s.clusterSectors) {
        l.kind = kLinkLast;
        l.used = v - kFatLast;
    } else if (v == kFatReserved) {
        l.kind = kLinkReserved;
    } else if (v == kFatFree) {
        l.kind = kLinkFree;
    }
    return l;
}

// A damaged table is still read, with findings, as long as only a few of
// its values have no meaning; more, and it is no FAT at all.
const uint32_t kFewInvalid = 4;

uint32_t Invalid(const uint8_t* fat, const Shape& s) {
    uint32_t invalid = 0;
    for (uint32_t n = 0; n < s.clusters; ++n) {
        ClusterLink l = Decode(fat[n], s, 0);
        if (l.kind == kLinkInvalid || (l.kind == kLinkNext && l.next >= s.clusters)) ++invalid;
    }
    return invalid;
}

// "with valid codes", or how many values have no meaning.
std::string Damage(uint32_t invalid) {
    return invalid ? "with " + std::to_string(invalid) + " values of no meaning"
                   : "with valid codes";
}

bool OwnTrackReserved(const uint8_t* fat, const Shape& s, uint32_t track) {
    uint32_t perTrack = s.spt / s.clusterSectors;
    for (uint32_t k = 0; k < perTrack; ++k) {
        uint32_t n = track * perTrack + k;
        if (n >= s.clusters || fat[n] != kFatReserved) return false;
    }
    return true;
}

// The volume from system track `track`; kProbeNo when it holds none.
bool TryTrack(SectorView& view, const Shape& s, uint32_t track, FsVolume* out) {
    out->opened.clear();
    out->files.clear();
    const uint8_t c = static_cast<uint8_t>(track / 2), h = static_cast<uint8_t>(track % 2);
    const uint8_t fatFirst = static_cast<uint8_t>(s.spt - 2),
                  dirLast = static_cast<uint8_t>(s.spt - 4);
    char where[48];
    std::snprintf(where, sizeof where, "C %u H %u", static_cast<unsigned>(c),
                  static_cast<unsigned>(h));
    std::vector<uint8_t> fats;
    std::vector<uint32_t> fatPos;
    std::vector<FsFinding> missing;
    std::vector<bool> bad;
    if (!ReadRun(view, c, h, fatFirst, static_cast<uint8_t>(s.spt), kSector, &fats, &fatPos,
                 &missing, &bad))
        return false;
    int chosen = -1;
    uint32_t invalid = kFewInvalid + 1;
    for (int k = 0; k < 3; ++k) {
        const uint8_t* fat = &fats[k * kSector];
        if (bad[k] || !OwnTrackReserved(fat, s, track) || Invalid(fat, s) >= invalid) continue;
        chosen = k;
        invalid = Invalid(fat, s);
    }
    out->probe.kind = kN88Basic;
    if (chosen < 0) {
        out->probe.certainty = kProbeNo;
        out->probe.why = std::string("no valid FAT that reserves its own track on ") + where;
        return true;
    }
    const uint8_t* fat = &fats[chosen * kSector];
    bool copiesDiffer = false;
    for (int k = 0; k < 3; ++k) {
        if (k != chosen && std::memcmp(&fats[k * kSector], fat, s.clusters) != 0) {
            copiesDiffer = true;
            FsFinding f = {"fs-fat-copies", true, fatPos[k] ? fatPos[k] : fatPos[chosen], ""};
            char text[200];
            std::snprintf(text, sizeof text,
                          "the FAT in sector %s differs from the one in %s, which was read",
                          SectorPlace(c, h, static_cast<uint8_t>(fatFirst + k)).c_str(),
                          SectorPlace(c, h, static_cast<uint8_t>(fatFirst + chosen)).c_str());
            f.text = text;
            out->opened.push_back(f);
        }
    }
    ClusterLayout layout = {s.spt, 2, kSector, s.clusterSectors, 0, s.clusters, 0};
    out->table.layout = layout;
    out->table.links.clear();
    for (uint32_t n = 0; n < s.clusters; ++n)
        out->table.links.push_back(Decode(fat[n], s, fatPos[chosen] + n));

    std::vector<uint8_t> dir;
    std::vector<uint32_t> dirPos;
    if (!ReadRun(view, c, h, 1, dirLast, kSector, &dir, &dirPos, &out->opened)) return false;
    uint32_t nonsense = 0;
    for (uint32_t e = 0; e * kEntry < dir.size(); ++e) {
        const uint8_t* p = &dir[e * kEntry];
        if (p[0] == 0xFF) continue;
        DiskFile f = DiskFile();
        f.deleted = p[0] == 0x00;
        if (f.deleted && !PlausibleName(p + 1, 8)) continue;  // never a name there
        if ((!f.deleted && !PlausibleName(p, 9)) || p[10] >= s.clusters) {
            ++nonsense;
            continue;
        }
        std::string base = TrimmedField(p, 6);
        if (f.deleted) base = "?" + TrimmedField(p + 1, 5);
        f.name = JoinName(base, TrimmedField(p + 6, 3));
        f.charset = kNameJisX0201;
        f.attribute = p[9];
        f.kind = (p[9] & 0x80) ? kFileBasic : (p[9] & 0x01) ? kFileMachine : kFileAscii;
        f.protectedFile = (p[9] & 0x10) != 0;
        f.firstCluster = p[10];
        f.entryPos = dirPos[e * kEntry / kSector] + (e * kEntry) % kSector;
        out->files.push_back(f);
    }
    char why[200];
    if (nonsense) {
        out->probe.certainty = kProbeWeak;
        std::snprintf(why, sizeof why, "%s", NonsenseWhy(where, nonsense).c_str());
    } else {
        out->probe.certainty = copiesDiffer || invalid ? kProbeLikely : kProbeSure;
        std::snprintf(why, sizeof why,
                      "%s FAT copies on %s (R %u-%u) that reserve the system track, %s, and a "
                      "directory that parses",
                      copiesDiffer ? "differing" : "three identical", where,
                      static_cast<unsigned>(fatFirst), static_cast<unsigned>(s.spt),
                      Damage(invalid).c_str());
    }
    out->probe.why = why;
    out->opened.insert(out->opened.end(), missing.begin(), missing.end());
    return true;
}

}  // namespace

bool ProbeN88Basic(SectorView& view, FsVolume* out) {
    Shape s;
    out->probe.kind = kN88Basic;
    out->probe.certainty = kProbeNo;
    if (!ShapeOf(out->geometry, &s)) {
        out->probe.why = "not a 2D, 2DD or 2HD disk of 256-byte sectors";
        return true;
    }
    if (s.track >= 0) return TryTrack(view, s, static_cast<uint32_t>(s.track), out);
    // From the middle to the end, then from the start: one sector read per
    // track, in the order the tracks lie, until a FAT that reserves its
    // own track turns up.
    const uint32_t tracks = out->geometry.cylinders * 2, mid = tracks / 2;
    FsVolume best = *out;
    best.probe.why = "no track holds a FAT that reserves it";
    std::vector<uint8_t> first(kSector);
    for (uint32_t k = 0; k < tracks; ++k) {
        const uint32_t t = (mid + k) % tracks;
        if (!view.HasTrack(t)) continue;
        SectorResult r =
            ReadSector(view, t, static_cast<uint8_t>(t / 2), static_cast<uint8_t>(t % 2),
                       static_cast<uint8_t>(s.spt - 2), kSector, &first[0]);
        if (r == kSectorIoFailed) return false;
        if (r != kSectorOk || !OwnTrackReserved(&first[0], s, t)) continue;
        FsVolume tried = *out;
        if (!TryTrack(view, s, t, &tried)) return false;
        if (tried.probe.certainty > best.probe.certainty) best = tried;
        if (best.probe.certainty >= kProbeLikely) break;
    }
    *out = best;
    return true;
}

MeasureNeed N88Measure(const DiskFile& file) {
    if (file.kind == kFileAscii) return kMeasureWhole;
    return file.kind == kFileMachine ? kMeasureHead : kMeasureNothing;
}

void N88Measured(const std::vector<uint8_t>& data, DiskFile* file) {
    if (file->kind != kFileMachine || data.size() < 4) return;
    file->hasLoad = file->hasEnd = true;
    file->load = data[0] | (data[1] << 8);
    file->end = data[2] | (data[3] << 8);
    const uint32_t held = file->size * kSector;
    if (file->end >= file->load && 4 + file->end - file->load + 1 <= held) {
        file->sizeInBytes = true;
        file->size = 4 + file->end - file->load + 1;
    }
}
