// The sector view: the track table read once, each track's chain of sector
// headers read when it is first asked for and kept, data read when asked.
#include "store/sector_view.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/memory.h"
#include "store/d88.h"

namespace {

const uint32_t kTableStart = 0x20;
const uint32_t kTableEntries = 164;
const uint32_t kShortHeader = 0x2A0;  // a header of 160 entries
const uint32_t kShortEntries = 160;
const uint32_t kSectorHeaderSize = 16;
const uint32_t kFileWindow = 16 * 1024;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool InImage(uint32_t pos, uint32_t n, uint32_t extent) {
    return pos <= extent && n <= extent - pos;
}

}  // namespace

MemoryImage::MemoryImage(MemoryApi& mem, const uint8_t* base, uint32_t offset, uint32_t extent)
    : mem_(mem), base_(base), offset_(offset), extent_(base ? extent : 0) {}

bool MemoryImage::Read(uint32_t pos, uint8_t* dst, uint32_t n) {
    if (!InImage(pos, n, extent_)) return false;
    if (n == 0) return true;
    const uint8_t* from = base_ + offset_ + pos;
    bool locked = mem_.Lock(from, n);  // residency only: a refused lock is passed over
    std::memcpy(dst, from, n);
    if (locked) mem_.Unlock(from, n);
    return true;
}

FileImage::FileImage(FileApi& files, FileApi::Handle file, uint64_t offset, uint32_t extent)
    : files_(files), file_(file), offset_(offset), extent_(extent) {}

bool FileImage::Fill(uint32_t pos) {
    uint32_t n = std::min(kFileWindow, extent_ - pos);
    window_.resize(kFileWindow);
    windowLength_ = 0;
    uint32_t done = 0;
    while (done < n) {
        uint32_t got = 0;
        if (!files_.ReadAt(file_, offset_ + pos + done, &window_[done], n - done, &got)) {
            error_ = files_.LastError();
            return false;
        }
        if (got == 0) {  // the file is shorter than when it was walked
            error_.code = 0;
            error_.kind = kNoSystemCode;
            return false;
        }
        done += std::min(got, n - done);
    }
    bytesRead_ += n;
    windowStart_ = pos;
    windowLength_ = n;
    return true;
}

bool FileImage::Read(uint32_t pos, uint8_t* dst, uint32_t n) {
    if (!InImage(pos, n, extent_)) return false;
    while (n > 0) {
        if (pos < windowStart_ || pos >= windowStart_ + windowLength_) {
            if (!Fill(pos)) return false;
        }
        uint32_t m = std::min(n, windowStart_ + windowLength_ - pos);
        std::memcpy(dst, &window_[pos - windowStart_], m);
        dst += m;
        pos += m;
        n -= m;
    }
    return true;
}

SectorView::SectorView(ImageSource& source) : source_(source) {}

bool SectorView::Open() {
    uint8_t header[kHeaderSize];
    std::memset(header, 0, sizeof header);
    uint32_t have = std::min(source_.Extent(), kHeaderSize);
    if (!source_.Read(0, header, have)) return false;
    media_ = header[kOffMediaType];
    diskSize_ = ReadLe32(header + kOffDiskSize);
    limit_ = std::min(diskSize_, source_.Extent());
    entries_ = 0;
    headerSize_ = kHeaderSize;
    table_.clear();
    cache_.clear();
    cacheIndex_.clear();
    cachedSectors_ = 0;
    if (diskSize_ < kHeaderSize) return true;  // no track table of its own
    while (entries_ < kTableEntries && kTableStart + 4 * (entries_ + 1) <= have) ++entries_;
    uint32_t lowest = 0xFFFFFFFFu;
    for (uint32_t t = 0; t < entries_ && t < kShortEntries; ++t) {
        uint32_t v = ReadLe32(header + kTableStart + 4 * t);
        if (v != 0 && v < lowest) lowest = v;
    }
    if (lowest == kShortHeader) {
        headerSize_ = kShortHeader;
        entries_ = std::min(entries_, kShortEntries);
    }
    for (uint32_t t = 0; t < entries_; ++t)
        table_.push_back(ReadLe32(header + kTableStart + 4 * t));
    cacheIndex_.assign(entries_, -1);
    return true;
}

bool SectorView::Parse(uint32_t t, TrackSectors* out) {
    out->track = t;
    out->offset = table_[t];
    out->cut = false;
    out->sectors.clear();
    const uint32_t v = table_[t];
    if (v == 0) {
        out->state = kNoTrack;
        return true;
    }
    if (v < headerSize_ || v >= limit_) {
        out->state = kTrackBadEntry;
        return true;
    }
    out->state = kTrackRead;
    uint8_t h[kSectorHeaderSize];
    uint64_t pos = v;
    uint32_t count = 1;
    for (uint32_t k = 0; k < count; ++k) {
        if (pos + kSectorHeaderSize > limit_) {
            out->cut = true;
            break;
        }
        if (!source_.Read(static_cast<uint32_t>(pos), h, kSectorHeaderSize)) return false;
        if (k == 0) {
            uint16_t stated = Le16(h + 4);
            // One converter wrote the count with its bytes swapped.
            count = stated > 0xFF && (stated & 0xFF) == 0 ? stated >> 8 : stated;
            if (count == 0) break;
        }
        SectorHeader s;
        s.c = h[0];
        s.h = h[1];
        s.r = h[2];
        s.n = h[3];
        s.count = Le16(h + 4);
        s.density = h[6];
        s.deleted = h[7];
        s.status = h[8];
        s.dataSize = Le16(h + 14);
        s.dataPos = static_cast<uint32_t>(pos + kSectorHeaderSize);
        s.available = std::min<uint32_t>(s.dataSize, limit_ - s.dataPos);
        s.place = k;
        out->sectors.push_back(s);
        pos += kSectorHeaderSize + s.dataSize;
        if (s.available < s.dataSize) {
            out->cut = true;
            break;
        }
    }
    return true;
}

const TrackSectors* SectorView::Cached(uint32_t t) {
    if (t >= entries_) return nullptr;
    if (cacheIndex_[t] >= 0) return &cache_[static_cast<size_t>(cacheIndex_[t])];
    TrackSectors track;
    if (!Parse(t, &track)) return nullptr;
    // Every sector header takes 16 bytes of the image, so tracks that are
    // really there never hold more than this; tables that point many
    // entries at the same long chain are read again instead of kept.
    const size_t room = limit_ / kSectorHeaderSize + kTableEntries;
    if (cachedSectors_ + track.sectors.size() > room) {
        cache_.clear();
        cacheIndex_.assign(entries_, -1);
        cachedSectors_ = 0;
    }
    cachedSectors_ += track.sectors.size();
    cacheIndex_[t] = static_cast<int>(cache_.size());
    cache_.push_back(track);
    return &cache_.back();
}

bool SectorView::ReadTrack(uint32_t t, TrackSectors* out) {
    if (t >= entries_) {
        out->track = t;
        out->state = kNoTrack;
        out->offset = 0;
        out->cut = false;
        out->sectors.clear();
        return true;
    }
    const TrackSectors* track = Cached(t);
    if (!track) return false;
    *out = *track;
    return true;
}

SectorFind SectorView::Find(uint32_t t, uint8_t c, uint8_t h, uint8_t r, SectorHeader* out) {
    if (t >= entries_) return kSectorMissing;
    const TrackSectors* track = Cached(t);
    if (!track) return kSectorReadFailed;
    int found = 0;
    for (size_t i = 0; i < track->sectors.size(); ++i) {
        const SectorHeader& s = track->sectors[i];
        if (s.c != c || s.h != h || s.r != r) continue;
        if (found++ == 0) *out = s;
    }
    if (found == 0) return kSectorMissing;
    return found == 1 ? kSectorFound : kSectorDuplicate;
}

bool SectorView::ReadData(const SectorHeader& sector, uint8_t* dst, uint32_t n, uint32_t* got) {
    *got = 0;
    uint32_t want = std::min(n, sector.available);
    if (!InImage(sector.dataPos, want, source_.Extent())) return false;
    if (!source_.Read(sector.dataPos, dst, want)) return false;
    *got = want;
    return true;
}

std::string SectorPlace(uint8_t c, uint8_t h, uint8_t r) {
    char text[40];
    std::snprintf(text, sizeof text, "C %u H %u R %u", static_cast<unsigned>(c),
                  static_cast<unsigned>(h), static_cast<unsigned>(r));
    return text;
}
