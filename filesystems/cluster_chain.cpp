// The shared engine: logical sectors found by ID, chains followed with
// every way they can go wrong told apart, and a chain's bytes read.
#include "filesystems/cluster_chain.h"

#include <cstdio>
#include <cstring>

LogicalPlace PlaceOfSector(const ClusterLayout& layout, uint32_t logical) {
    LogicalPlace p;
    const uint32_t side = logical / layout.sectorsPerTrack;
    p.c = static_cast<uint8_t>(side / layout.heads);
    p.h = static_cast<uint8_t>(side % layout.heads);
    p.track = p.c * 2u + p.h;
    p.r = static_cast<uint8_t>(1 + logical % layout.sectorsPerTrack);
    return p;
}

uint32_t ClusterSector(const ClusterLayout& layout, uint32_t n, uint32_t index) {
    return layout.dataStart + (n - layout.firstCluster) * layout.sectorsPerCluster + index;
}

std::string ClusterText(const ClusterLayout& layout, uint32_t n) {
    char text[64];
    if (n < layout.firstCluster || n - layout.firstCluster >= layout.clusters) {
        std::snprintf(text, sizeof text, "cluster %u", static_cast<unsigned>(n));
        return text;
    }
    LogicalPlace p = PlaceOfSector(layout, ClusterSector(layout, n, 0));
    std::snprintf(text, sizeof text, "cluster %u (%s)", static_cast<unsigned>(n),
                  SectorPlace(p.c, p.h, p.r).c_str());
    return text;
}

SectorResult ReadSector(SectorView& view, uint32_t track, uint8_t c, uint8_t h, uint8_t r,
                        uint32_t size, uint8_t* dst, uint32_t* pos) {
    std::memset(dst, 0, size);
    SectorHeader s;
    SectorFind found = view.Find(track, c, h, r, &s);
    if (found == kSectorReadFailed) return kSectorIoFailed;
    if (found == kSectorMissing) return kSectorAbsent;
    if (found == kSectorDuplicate) return kSectorTwice;
    uint32_t got = 0;
    if (!view.ReadData(s, dst, size, &got)) return kSectorIoFailed;
    if (pos) *pos = s.dataPos;
    return got < size ? kSectorShort : kSectorOk;
}

SectorResult ReadLogical(SectorView& view, const ClusterLayout& layout, uint32_t logical,
                         uint8_t* dst, uint32_t* pos) {
    LogicalPlace p = PlaceOfSector(layout, logical);
    return ReadSector(view, p.track, p.c, p.h, p.r, layout.sectorSize, dst, pos);
}

std::string SectorProblem(SectorResult result, uint8_t c, uint8_t h, uint8_t r, uint8_t last) {
    const bool run = last > r;
    const std::string place = (run ? "sectors " : "sector ") + SectorPlace(c, h, r) +
                              (run ? "-" + std::to_string(last) : std::string());
    switch (result) {
        case kSectorAbsent:
            return place + (run ? " are missing" : " is missing");
        case kSectorTwice:
            return place + (run ? " are" : " is") + " on their track more than once";
        case kSectorShort:
            return place + (run ? " hold" : " holds") + " fewer bytes than the file system needs";
        case kSectorIoFailed:
            return place + " could not be read";
        default:
            return std::string();
    }
}

Chain FollowChain(const ClusterTable& table, uint32_t first, uint32_t limit) {
    Chain chain;
    chain.lastUsed = 0;
    chain.end = kChainComplete;
    chain.at = first;
    chain.from = first;
    // A chain never holds more clusters than the area has: the walk
    // stops at a cluster it has met before.
    std::vector<bool> seen(table.links.size(), false);
    uint32_t n = first, from = first;
    for (;;) {
        chain.at = n;
        chain.from = from;
        if (!table.Has(n)) {
            chain.end = kChainPast;
            return chain;
        }
        if (seen[n]) {
            chain.end = kChainLoop;
            return chain;
        }
        const ClusterLink& link = table.links[n];
        if (link.kind == kLinkFree) {
            chain.end = kChainFree;
            return chain;
        }
        if (link.kind == kLinkReserved || link.kind == kLinkInvalid) {
            chain.end = kChainReserved;
            return chain;
        }
        if (limit != 0 && chain.clusters.size() == limit) {
            chain.end = kChainTooLong;
            return chain;
        }
        seen[n] = true;
        chain.clusters.push_back(n);
        if (link.kind == kLinkLast) {
            chain.lastUsed = link.used;
            chain.end = kChainComplete;
            return chain;
        }
        from = n;
        n = link.next;
    }
}

const int ClusterOwners::kNobody;
const int ClusterOwners::kShared;

void ClusterOwners::Claim(int file, const Chain& chain) {
    for (size_t i = 0; i < chain.clusters.size(); ++i) {
        uint32_t n = chain.clusters[i];
        if (n >= owner_.size()) continue;
        if (owner_[n] == kNobody) {
            owner_[n] = file;
            first_[n] = file;
        } else if (first_[n] != file) {
            owner_[n] = kShared;
            other_[n] = file;
        }
    }
}

std::string ChainProblem(const ClusterLayout& layout, const Chain& chain,
                         const std::string& other) {
    const std::string at = ClusterText(layout, chain.at);
    const std::string from = ClusterText(layout, chain.from);
    const bool first = chain.clusters.empty() && chain.at == chain.from;
    switch (chain.end) {
        case kChainLoop:
            return "the chain loops: " + from + " leads back to " + at;
        case kChainCross:
            return "the chain runs into " + (other.empty() ? "another file" : other) + " at " + at;
        case kChainPast:
            return first ? "the first cluster, " + at + ", lies outside the cluster area"
                         : "the chain leads past the cluster area: " + from + " leads to " + at;
        case kChainFree:
            return first ? "the first cluster, " + at + ", is marked free"
                         : "the chain reaches a free cluster: " + from + " leads to " + at;
        case kChainReserved:
            return first
                       ? "the first cluster, " + at + ", is marked reserved or holds no valid link"
                       : "the chain reaches a reserved cluster or one without a valid link: " +
                             from + " leads to " + at;
        case kChainTooLong:
            return "the chain holds more clusters than the file's size needs, from " + at;
        default:
            return std::string();
    }
}

bool ReadChain(SectorView& view, const ClusterLayout& layout, const Chain& chain,
               std::vector<uint8_t>* out, std::string* problem) {
    out->clear();
    problem->clear();
    std::vector<uint8_t> sector(layout.sectorSize);
    // No file holds more bytes than its image: a table that lists one
    // track many times cannot make it seem to.
    const uint32_t room = view.source().Extent();
    for (size_t i = 0; i < chain.clusters.size(); ++i) {
        uint32_t count = layout.sectorsPerCluster;
        if (i + 1 == chain.clusters.size() && chain.lastUsed != 0 && chain.lastUsed < count)
            count = chain.lastUsed;
        for (uint32_t k = 0; k < count; ++k) {
            uint32_t logical = ClusterSector(layout, chain.clusters[i], k);
            SectorResult r = ReadLogical(view, layout, logical, &sector[0]);
            if (r == kSectorIoFailed) return false;
            if (r != kSectorOk) {
                LogicalPlace p = PlaceOfSector(layout, logical);
                *problem = SectorProblem(r, p.c, p.h, p.r) + " (" +
                           ClusterText(layout, chain.clusters[i]) + ")";
                return true;
            }
            if (out->size() + sector.size() > room) {
                *problem = "the chain holds more bytes than the image (" +
                           ClusterText(layout, chain.clusters[i]) + ")";
                return true;
            }
            out->insert(out->end(), sector.begin(), sector.end());
        }
    }
    return true;
}
