// The engine the file systems share: where a disk's clusters lie, how its
// allocation table links them, and the walk along a file's chain. N88-BASIC,
// F-BASIC and Hu-BASIC keep one byte per cluster (the "FAT8" family), MS-DOS
// twelve bits; each reader decodes its table into ClusterLinks and its
// directory into files, and everything after that is done here once: a
// file's bytes, and the findings of a chain that loops, crosses another
// file, runs past the cluster area or reaches a free cluster.
//
// Sectors are found by their IDs through the sector view: logical sector L
// of a layout lies on side s = L / sectorsPerTrack (C = s / heads, H =
// s % heads), R = 1 + L % sectorsPerTrack, and in the track table's entry
// C * 2 + H, as D88 numbers tracks on disks of one side too.
#ifndef ORVANEL_FILESYSTEMS_CLUSTER_CHAIN_H
#define ORVANEL_FILESYSTEMS_CLUSTER_CHAIN_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/sector_view.h"

// A finding of the file system for `check`: a stable code, whether another
// reader will misread the data (error) or it is only unusual (warning), the
// byte of the image it is about, and one sentence.
struct FsFinding {
    const char* code;
    bool error;
    uint32_t pos;  // in the image, from its header
    std::string text;
};

struct ClusterLayout {
    uint32_t sectorsPerTrack;
    uint32_t heads;
    uint32_t sectorSize;         // the bytes of each sector that belong to the file system
    uint32_t sectorsPerCluster;  // at most 255
    uint32_t firstCluster;       // the number of the area's first cluster (2 on MS-DOS)
    uint32_t clusters;           // clusters firstCluster .. firstCluster + clusters - 1
    uint32_t dataStart;          // logical sector of the first cluster
};

// Where logical sector L lies.
struct LogicalPlace {
    uint32_t track;  // the track table's entry
    uint8_t c, h, r;
};
LogicalPlace PlaceOfSector(const ClusterLayout& layout, uint32_t logical);
// The logical sector of sector `index` of cluster n.
uint32_t ClusterSector(const ClusterLayout& layout, uint32_t n, uint32_t index);
// "cluster 12 (C 3 H 0 R 1)": a cluster and where it starts, for messages.
std::string ClusterText(const ClusterLayout& layout, uint32_t n);

enum LinkKind {
    kLinkFree,
    kLinkNext,      // `next` is the following cluster (maybe outside the area)
    kLinkLast,      // the chain ends here, with `used` sectors of it (0: all)
    kLinkReserved,  // the file system's own (system track, IPL) or marked bad
    kLinkInvalid    // a value the table has no meaning for
};

struct ClusterLink {
    LinkKind kind;
    uint32_t next;
    uint32_t used;
    uint32_t value;  // as stored, for messages
    uint32_t pos;    // where the entry lies in the image
};

// A decoded table: links[n] for every cluster number below firstCluster +
// clusters (the ones below firstCluster are the table's own and unused).
struct ClusterTable {
    ClusterLayout layout;
    std::vector<ClusterLink> links;
    bool Has(uint32_t n) const {
        return n >= layout.firstCluster && n - layout.firstCluster < layout.clusters &&
               n < links.size();
    }
};

// One sector by ID: its first `size` bytes to dst, and where they lie in
// the image to *pos. A sector that is missing, twice on its track or holds
// fewer bytes is said so (dst then holds what there was, zeros after it);
// kSectorIoFailed when the image's bytes could not be read.
enum SectorResult { kSectorOk, kSectorAbsent, kSectorTwice, kSectorShort, kSectorIoFailed };
SectorResult ReadSector(SectorView& view, uint32_t track, uint8_t c, uint8_t h, uint8_t r,
                        uint32_t size, uint8_t* dst, uint32_t* pos = nullptr);
SectorResult ReadLogical(SectorView& view, const ClusterLayout& layout, uint32_t logical,
                         uint8_t* dst, uint32_t* pos = nullptr);
// "sector C 18 H 1 R 14 is missing" and the like; with `last`, of the run
// of sectors R r to last ("sectors C 1 H 1 R 1-16 are missing").
std::string SectorProblem(SectorResult result, uint8_t c, uint8_t h, uint8_t r, uint8_t last = 0);

// How a walk along a chain ended.
enum ChainEnd {
    kChainComplete,
    kChainLoop,      // came back to a cluster of its own
    kChainCross,     // reached a cluster another file's chain holds too
    kChainPast,      // led to a number outside the cluster area
    kChainFree,      // reached a free cluster
    kChainReserved,  // reached a reserved cluster or a value with no meaning
    kChainTooLong    // holds more clusters than its size can (MS-DOS)
};

struct Chain {
    std::vector<uint32_t> clusters;  // the clusters read, in order
    uint32_t lastUsed;               // sectors of the last cluster that hold data (0: all)
    ChainEnd end;
    uint32_t at;    // the cluster number where it went wrong
    uint32_t from;  // the cluster that led there (at itself for the first one)
};

// Follows the chain from `first`, at most `limit` clusters (0: no limit).
Chain FollowChain(const ClusterTable& table, uint32_t first, uint32_t limit = 0);

// The owner of each cluster over the chains of several files, so that a
// chain that runs into another file's clusters is known as such.
class ClusterOwners {
public:
    static const int kNobody = -1;
    static const int kShared = -2;
    ClusterOwners() {}
    explicit ClusterOwners(size_t clusters)
        : owner_(clusters, kNobody), first_(clusters, kNobody), other_(clusters, kNobody) {}
    // Claims the clusters of `chain` for file `file`.
    void Claim(int file, const Chain& chain);
    int Owner(uint32_t n) const { return n < owner_.size() ? owner_[n] : kNobody; }
    // Of a shared cluster, a file other than `file` that holds it.
    int OtherThan(uint32_t n, int file) const {
        if (n >= owner_.size()) return kNobody;
        return first_[n] != file ? first_[n] : other_[n];
    }

private:
    std::vector<int> owner_;
    std::vector<int> first_;  // the file that claimed it first
    std::vector<int> other_;  // the last other file that claimed it
};

// The text of a chain's end, naming where it went wrong; `other` names the
// file it runs into (CP932, as every text of the program).
std::string ChainProblem(const ClusterLayout& layout, const Chain& chain,
                         const std::string& other = std::string());

// Reads the sectors of `chain` in order to *out (the last cluster's
// `lastUsed` sectors only). *problem gets why it stopped early (a missing
// sector, named). False when the image could not be read.
bool ReadChain(SectorView& view, const ClusterLayout& layout, const Chain& chain,
               std::vector<uint8_t>* out, std::string* problem);

#endif
