#include "formats/disk.h"

#include <algorithm>
#include <cstring>

#include "store/d88.h"
#include "store/sector_view.h"

namespace {

const uint32_t kTableStart = 0x20;
const uint32_t kSectorHeader = 16;
// A 2D or 2DD track holds at most about this many bytes of data.
const uint32_t kMostDoubleDensityTrack = 6500;

void PutLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

uint32_t SizeOfCode(uint8_t n) { return n > 24 ? 0x80000000u : 128u << n; }

Disk::Disk() : writeProtect(0), media(0), dataHeld(0), sectorsHeld(0) {
    std::memset(name, 0, sizeof name);
    std::memset(reserved, 0, sizeof reserved);
}

Track& Disk::At(uint32_t t) {
    if (tracks.size() <= t) tracks.resize(t + 1);
    return tracks[t];
}

uint32_t Disk::TrackEnd() const {
    for (size_t t = tracks.size(); t > 0; --t) {
        if (!tracks[t - 1].sectors.empty()) return static_cast<uint32_t>(t);
    }
    return 0;
}

bool AddSector(Disk* disk, Track* track, const Sector& sector) {
    if (disk->sectorsHeld >= kMaxDiskSectors || disk->dataHeld + sector.data.size() > kMaxDiskData)
        return false;
    track->sectors.push_back(sector);
    disk->dataHeld += sector.data.size();
    ++disk->sectorsHeld;
    return true;
}

uint8_t MediumOf(const Disk& disk) {
    uint32_t most = 0;
    for (size_t t = 0; t < disk.tracks.size(); ++t) {
        uint32_t bytes = 0;
        const std::vector<Sector>& sectors = disk.tracks[t].sectors;
        // An FM byte takes the time of two MFM bytes.
        for (size_t s = 0; s < sectors.size(); ++s)
            bytes += SizeOfCode(std::min<uint8_t>(sectors[s].n, 7)) * (sectors[s].fm() ? 2 : 1);
        most = std::max(most, bytes);
    }
    if (most > kMostDoubleDensityTrack || disk.media == kMediaHD) return kMediaHD;
    if (disk.Cylinders() > 42 || disk.media == kMediaDD) return kMediaDD;
    return kMedia2D;
}

uint8_t MediaForRate(uint32_t kbps, uint32_t cylinders) {
    if (kbps >= 400) return kMediaHD;
    return cylinders > 42 ? kMediaDD : kMedia2D;
}

FormatError ReadD88(ImageSource& source, Disk* disk) {
    *disk = Disk();
    SectorView view(source);
    uint8_t header[kHeaderAccess];
    std::memset(header, 0, sizeof header);
    uint32_t have = std::min(source.Extent(), kHeaderAccess);
    if (!view.Open() || !source.Read(0, header, have))
        return FormatFailure(kFormatReadFailed, kFormatD88);
    std::memcpy(disk->name, header, sizeof disk->name);
    std::memcpy(disk->reserved, header + sizeof disk->name, sizeof disk->reserved);
    disk->writeProtect = header[kOffWriteProtect];
    disk->media = header[kOffMediaType];
    TrackSectors track;
    for (uint32_t t = 0; t < view.TrackEntries(); ++t) {
        if (!view.ReadTrack(t, &track)) return FormatFailure(kFormatReadFailed, kFormatD88);
        if (track.state == kTrackBadEntry || track.cut) disk->readLosses.Track(kLossSourceCut, t);
        for (size_t k = 0; k < track.sectors.size(); ++k) {
            const SectorHeader& h = track.sectors[k];
            Sector s;
            s.c = h.c;
            s.h = h.h;
            s.r = h.r;
            s.n = h.n;
            s.density = h.density;
            s.deleted = h.deleted;
            s.status = h.status;
            if (disk->dataHeld + h.available > kMaxDiskData)
                return FormatFailure(kFormatTooLarge, kFormatD88);
            s.data.resize(h.available);
            uint32_t got = 0;
            if (h.available && !view.ReadData(h, &s.data[0], h.available, &got))
                return FormatFailure(kFormatReadFailed, kFormatD88);
            if (!AddSector(disk, &disk->At(t), s))
                return FormatFailure(kFormatTooLarge, kFormatD88);
        }
    }
    return FormatOk();
}

uint32_t D88Size(const Disk& disk) {
    uint64_t size = kHeaderSize;
    uint32_t end = std::min(disk.TrackEnd(), kDiskTracks);
    for (uint32_t t = 0; t < end; ++t) {
        const std::vector<Sector>& sectors = disk.tracks[t].sectors;
        for (size_t s = 0; s < sectors.size(); ++s)
            size += kSectorHeader + std::min<size_t>(sectors[s].data.size(), 0xFFFF);
    }
    return static_cast<uint32_t>(size);
}

void WriteD88(const Disk& disk, uint8_t* out) {
    std::memset(out, 0, kHeaderSize);
    std::memcpy(out, disk.name, sizeof disk.name);
    std::memcpy(out + sizeof disk.name, disk.reserved, sizeof disk.reserved);
    out[kOffWriteProtect] = disk.writeProtect;
    out[kOffMediaType] = disk.media;
    WriteLe32(out + kOffDiskSize, D88Size(disk));
    uint32_t pos = kHeaderSize;
    uint32_t end = std::min(disk.TrackEnd(), kDiskTracks);
    for (uint32_t t = 0; t < end; ++t) {
        const std::vector<Sector>& sectors = disk.tracks[t].sectors;
        if (sectors.empty()) continue;
        WriteLe32(out + kTableStart + 4 * t, pos);
        for (size_t k = 0; k < sectors.size(); ++k) {
            const Sector& s = sectors[k];
            uint8_t* h = out + pos;
            uint32_t size = static_cast<uint32_t>(std::min<size_t>(s.data.size(), 0xFFFF));
            std::memset(h, 0, kSectorHeader);
            h[0] = s.c;
            h[1] = s.h;
            h[2] = s.r;
            h[3] = s.n;
            PutLe16(h + 4, static_cast<uint32_t>(sectors.size()));
            h[6] = s.density;
            h[7] = s.deleted;
            h[8] = s.status;
            PutLe16(h + 14, size);
            if (size) std::memcpy(h + kSectorHeader, &s.data[0], size);
            pos += kSectorHeader + size;
        }
    }
}
