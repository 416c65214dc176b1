// The readers tried in turn, the surest kept; then what every file system
// has in common: sizes from chains, a file's bytes, the findings of chains.
#include "filesystems/disk_files.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

#include "filesystems/fs_readers.h"
#include "filesystems/safe_name.h"

const char* FsName(FsKind kind) {
    switch (kind) {
        case kN88Basic:
            return "N88-BASIC";
        case kFat12:
            return "FAT12";
        case kHuBasic:
            return "Hu-BASIC";
        case kFBasic:
            return "F-BASIC";
        default:
            return "no recognised file system";
    }
}

const char* CertaintyText(ProbeCertainty c) {
    static const char* const texts[] = {"no", "weak", "likely", "sure"};
    return texts[c];
}

const char* FileKindText(FileKind kind) {
    static const char* const texts[] = {"ASCII", "BASIC", "machine code", "data", "folder"};
    return texts[kind];
}

std::string TrackGeometryText(const TrackGeometry& g) {
    char text[96];
    int n =
        std::snprintf(text, sizeof text, "%u x %u x %u x %u", static_cast<unsigned>(g.cylinders),
                      static_cast<unsigned>(g.heads), static_cast<unsigned>(g.sectorsPerTrack),
                      static_cast<unsigned>(g.sectorSize));
    if (g.fmTrack0 && n > 0)
        std::snprintf(text + n, sizeof text - n, ", track 0 FM %u x %u",
                      static_cast<unsigned>(g.sectorsPerTrack),
                      static_cast<unsigned>(g.track0Size));
    return text;
}

std::string DisplayName(const DiskFile& file) {
    // A deleted entry lost its first character; its '?' is shown as is.
    if (file.deleted && !file.name.empty() && file.name[0] == '?') {
        DiskFile rest = file;
        rest.deleted = false;
        rest.name = file.name.substr(1);
        return "?" + DisplayName(rest);
    }
    std::string shown;
    size_t from = 0;
    while (from < file.folder.size()) {
        size_t slash = file.folder.find('/', from);
        shown += MakeSafeName(file.folder.substr(from, slash - from), file.charset).text + "/";
        from = slash + 1;
    }
    return shown + MakeSafeName(file.name, file.charset).text;
}

namespace {

bool ReadGeometry(SectorView& view, TrackGeometry* g) {
    *g = TrackGeometry();
    // D88 numbers tracks C * 2 + H whatever the media byte says; a disk
    // of one side leaves the odd entries empty. A dump cut short still
    // lists the tracks it lost: they count for the shape, and their
    // sectors are missing when read.
    uint32_t last = 0;
    g->heads = 1;
    for (uint32_t t = 0; t < view.TrackEntries(); ++t) {
        const uint32_t listed = view.TrackOffset(t);
        if (!view.HasTrack(t) && !(listed >= 0x2A0 && listed < view.diskSize())) continue;
        ++g->tracks;
        last = t;
        if (t & 1) g->heads = 2;
    }
    if (g->tracks == 0) return true;
    g->cylinders = last / 2 + 1;
    TrackSectors first;
    if (!view.ReadTrack(0, &first)) return false;
    if (first.sectors.empty()) return true;
    g->track0Size = first.sectors[0].dataSize;
    g->fmTrack0 = first.sectors[0].density == 0x40;
    g->sectorsPerTrack = static_cast<uint32_t>(first.sectors.size());
    g->sectorSize = g->track0Size;
    if (g->fmTrack0) {
        TrackSectors second;
        if (!view.ReadTrack(g->heads == 2 ? 1 : 2, &second)) return false;
        if (!second.sectors.empty()) {
            g->sectorsPerTrack = static_cast<uint32_t>(second.sectors.size());
            g->sectorSize = second.sectors[0].dataSize;
        }
    }
    return true;
}

bool Recorded(const FsVolume& v, const DiskFile& f) {
    return v.probe.kind == kFat12 || v.probe.kind == kHuBasic;
}

bool Unread(const DiskFile& f) { return f.deleted || f.kind == kFileFolder; }

// The clusters a recorded size needs, for chains that may not run longer.
uint32_t Needed(const FsVolume& v, const DiskFile& f) {
    const uint32_t bytes = v.table.layout.sectorsPerCluster * v.table.layout.sectorSize;
    return f.size == 0 ? 0 : (f.size - 1) / bytes + 1;
}

bool Empty(const FsVolume& v, const DiskFile& f) {
    return v.probe.kind == kFat12 && f.kind != kFileFolder && f.size == 0 && f.firstCluster == 0;
}

// A file's chain; one whose size is recorded is read no further than its
// size needs (`whole`: all of it, as it holds the clusters).
Chain ChainOf(const FsVolume& v, const DiskFile& f, bool whole = false) {
    const bool limited = !whole && Recorded(v, f) && f.kind != kFileFolder;
    return FollowChain(v.table, f.firstCluster, limited ? std::max(1u, Needed(v, f)) : 0);
}

ClusterOwners OwnersOf(const FsVolume& v) {
    ClusterOwners owners(v.table.links.size());
    for (size_t i = 0; i < v.files.size(); ++i) {
        if (!v.files[i].deleted && !Empty(v, v.files[i]))
            owners.Claim(static_cast<int>(i), ChainOf(v, v.files[i], true));
    }
    return owners;
}

// Cuts a chain at the first cluster it shares with another file.
std::string CutAtCross(const FsVolume& v, const ClusterOwners& owners, int file, Chain* chain) {
    for (size_t i = 0; i < chain->clusters.size(); ++i) {
        const uint32_t n = chain->clusters[i];
        if (owners.Owner(n) != ClusterOwners::kShared) continue;
        const int other = owners.OtherThan(n, file);
        chain->from = i ? chain->clusters[i - 1] : n;
        chain->at = n;
        chain->end = kChainCross;
        chain->clusters.resize(i);
        chain->lastUsed = 0;  // the clusters before it are whole
        return other >= 0 ? DisplayName(v.files[static_cast<size_t>(other)]) : std::string();
    }
    return std::string();
}

void Measure(SectorView& view, FsVolume* v, size_t i, bool* failed) {
    DiskFile& f = v->files[i];
    MeasureNeed need = v->probe.kind == kN88Basic ? N88Measure(f)
                       : v->probe.kind == kFBasic ? FBasicMeasure(f)
                                                  : kMeasureNothing;
    if (need == kMeasureNothing) return;
    std::vector<uint8_t> data;
    std::string problem;
    Chain chain = ChainOf(*v, f);
    if (need == kMeasureHead && chain.clusters.size() > 1) {
        chain.clusters.erase(chain.clusters.begin() + 1, chain.clusters.end());
        chain.lastUsed = 0;  // its first cluster is whole
    }
    if (!ReadChain(view, v->table.layout, chain, &data, &problem)) {
        *failed = true;
        return;
    }
    if (!problem.empty()) return;
    if (EndsAtMark(v->probe.kind, f) && chain.end == kChainComplete) {
        f.sizeInBytes = true;
        f.size = MarkEnd(data);
    }
    if (v->probe.kind == kN88Basic) N88Measured(data, &f);
    if (v->probe.kind == kFBasic) FBasicMeasured(data, &f);
}

}  // namespace

FsStatus OpenDiskFiles(SectorView& view, FsVolume* out, bool measure) {
    *out = FsVolume();
    if (!ReadGeometry(view, &out->geometry)) return kFsIoFailed;
    typedef bool (*Probe)(SectorView&, FsVolume*);
    static const Probe probes[] = {ProbeFat12, ProbeN88Basic, ProbeHuBasic, ProbeFBasic};
    FsVolume best = *out;
    best.probe.kind = kNoFileSystem;
    best.probe.certainty = kProbeNo;
    std::string reasons;
    for (size_t k = 0; k < sizeof probes / sizeof probes[0]; ++k) {
        FsVolume tried;
        tried.geometry = out->geometry;
        if (!probes[k](view, &tried)) return kFsIoFailed;
        // A weak probe (an empty table where any blank area would pass) is
        // told, not taken.
        if (tried.probe.certainty <= kProbeWeak)
            reasons += std::string(reasons.empty() ? "" : "; ") + FsName(tried.probe.kind) +
                       (tried.probe.certainty == kProbeWeak ? " (weak): " : ": ") + tried.probe.why;
        else if (tried.probe.certainty > best.probe.certainty)
            best = tried;
        if (best.probe.certainty == kProbeSure) break;
    }
    if (best.probe.certainty == kProbeNo) {
        out->probe = best.probe;
        out->probe.why = out->geometry.tracks ? reasons : "the image holds no tracks";
        return kFsOk;
    }
    *out = best;
    out->owners = OwnersOf(*out);
    for (size_t i = 0; i < out->files.size(); ++i) {
        DiskFile& f = out->files[i];
        if (Unread(f) || f.sizeInBytes) continue;
        Chain chain = ChainOf(*out, f);
        const uint32_t k = out->table.layout.sectorsPerCluster;
        f.size = chain.clusters.empty() ? 0
                                        : static_cast<uint32_t>(chain.clusters.size() - 1) * k +
                                              (chain.lastUsed ? chain.lastUsed : k);
    }
    bool failed = false;
    for (size_t i = 0; measure && i < out->files.size() && !failed; ++i) {
        if (!Unread(out->files[i])) Measure(view, out, i, &failed);
    }
    return failed ? kFsIoFailed : kFsOk;
}

FsStatus ReadDiskFile(SectorView& view, const FsVolume& v, size_t index, std::vector<uint8_t>* out,
                      std::string* problem) {
    out->clear();
    problem->clear();
    const DiskFile& f = v.files[index];
    if (Unread(f)) {
        *problem = f.deleted ? "a deleted entry is not read" : "a folder is not read as a file";
        return kFsBroken;
    }
    if (Empty(v, f)) return kFsOk;
    Chain chain = ChainOf(v, f);
    const std::string other = CutAtCross(v, v.owners, static_cast<int>(index), &chain);
    if (!ReadChain(view, v.table.layout, chain, out, problem)) return kFsIoFailed;
    if (!problem->empty()) return kFsBroken;
    if (chain.end != kChainComplete && chain.end != kChainTooLong) {
        *problem = ChainProblem(v.table.layout, chain, other);
        return kFsBroken;
    }
    if (EndsAtMark(v.probe.kind, f)) out->resize(MarkEnd(*out));
    if (f.sizeInBytes && f.size < out->size()) out->resize(f.size);
    if (f.sizeInBytes && f.size > out->size()) {
        char text[120];
        std::snprintf(text, sizeof text,
                      "the chain holds %u bytes, fewer than the file's size of %u",
                      static_cast<unsigned>(out->size()), static_cast<unsigned>(f.size));
        *problem = text;
        return kFsBroken;
    }
    return kFsOk;
}

const FsFindingCode* FsFindingCodes(size_t* count) {
    static const FsFindingCode codes[] = {
        {"fs-sector-missing", true,
         "a sector the file system keeps its FAT or directory in is missing, on its track twice, "
         "or cut short"},
        {"fs-fat-copies", true,
         "the copies of the FAT differ: readers that take another copy see other files (the "
         "sentence says which copy was read)"},
        {"fs-entry-free", true, "a directory entry's first cluster is marked free"},
        {"fs-chain-past", true,
         "a chain, or an entry's first cluster, leads to a number outside the cluster area"},
        {"fs-chain-free", true, "a chain reaches a cluster marked free"},
        {"fs-chain-reserved", true,
         "a chain reaches a cluster marked reserved or bad, or one whose FAT value has no meaning"},
        {"fs-chain-loop", true, "a chain comes back to a cluster of its own"},
        {"fs-chain-cross", true, "two files' chains run into the same cluster"},
        {"fs-chain-short", true, "a chain holds fewer clusters than the entry's size needs"},
        {"fs-chain-long", false, "a chain holds more clusters than the entry's size needs"},
        {"fs-lost-clusters", false, "clusters are marked used, but no file's chain reaches them"},
    };
    *count = sizeof codes / sizeof codes[0];
    return codes;
}

namespace {

FsFinding Make(const char* code, uint32_t pos, const std::string& text) {
    size_t count = 0;
    const FsFindingCode* codes = FsFindingCodes(&count);
    bool error = true;
    for (size_t k = 0; k < count; ++k)
        if (std::string(codes[k].code) == code) error = codes[k].error;
    FsFinding f = {code, error, pos, text};
    return f;
}

const char* CodeOf(ChainEnd end, bool first) {
    switch (end) {
        case kChainLoop:
            return "fs-chain-loop";
        case kChainPast:
            return "fs-chain-past";
        case kChainFree:
            return first ? "fs-entry-free" : "fs-chain-free";
        case kChainReserved:
            return "fs-chain-reserved";
        default:
            return "fs-chain-long";
    }
}

bool ByPos(const FsFinding& a, const FsFinding& b) { return a.pos < b.pos; }

}  // namespace

void CheckDiskFiles(const FsVolume& v, std::vector<FsFinding>* out) {
    std::vector<FsFinding> found = v.opened;
    const ClusterLayout& l = v.table.layout;
    ClusterOwners owners(v.table.links.size());
    for (size_t i = 0; i < v.files.size(); ++i) {
        const DiskFile& f = v.files[i];
        if (f.deleted || Empty(v, f)) continue;
        const std::string name = DisplayName(f);
        Chain chain = ChainOf(v, f);
        owners.Claim(static_cast<int>(i), ChainOf(v, f, true));
        const bool first = chain.clusters.empty();
        const uint32_t at = first ? f.entryPos : v.table.links[chain.from].pos;
        if (chain.end == kChainComplete && Recorded(v, f) && f.kind != kFileFolder &&
            chain.clusters.size() < Needed(v, f)) {
            char text[160];
            std::snprintf(text, sizeof text, "%u of the %u clusters its size of %u bytes needs",
                          static_cast<unsigned>(chain.clusters.size()),
                          static_cast<unsigned>(Needed(v, f)), static_cast<unsigned>(f.size));
            found.push_back(Make("fs-chain-short", v.table.links[chain.clusters.back()].pos,
                                 name + ": the chain holds only " + text));
        } else if (chain.end != kChainComplete) {
            found.push_back(Make(CodeOf(chain.end, first),
                                 chain.end == kChainTooLong ? v.table.links[chain.at].pos : at,
                                 name + ": " + ChainProblem(l, chain)));
        }
    }
    std::set<std::pair<int, int> > pairs;
    uint32_t lost = 0, firstLost = 0;
    for (uint32_t n = l.firstCluster; n < v.table.links.size(); ++n) {
        const LinkKind kind = v.table.links[n].kind;
        if (owners.Owner(n) == ClusterOwners::kNobody && (kind == kLinkNext || kind == kLinkLast)) {
            if (lost++ == 0) firstLost = n;
        }
        if (owners.Owner(n) != ClusterOwners::kShared) continue;
        int a = owners.OtherThan(n, -1), b = owners.OtherThan(n, a);
        if (!pairs.insert(std::make_pair(a, b)).second) continue;
        found.push_back(Make("fs-chain-cross", v.table.links[n].pos,
                             DisplayName(v.files[a]) + " and " + DisplayName(v.files[b]) +
                                 " both hold " + ClusterText(l, n)));
    }
    if (lost) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "%u cluster%s marked used that no file's chain reaches, the first %s",
                      static_cast<unsigned>(lost), lost == 1 ? " is" : "s are",
                      ClusterText(l, firstLost).c_str());
        found.push_back(Make("fs-lost-clusters", v.table.links[firstLost].pos, text));
    }
    std::stable_sort(found.begin(), found.end(), ByPos);
    out->insert(out->end(), found.begin(), found.end());
}
