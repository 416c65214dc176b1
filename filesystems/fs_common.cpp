// Pieces the readers share: name fields, runs of directory sectors, the
// end mark of ASCII files.
#include <cstring>

#include "filesystems/fs_readers.h"

std::string TrimmedField(const uint8_t* p, size_t n) {
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0x00)) --n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

std::string JoinName(const std::string& base, const std::string& ext) {
    return ext.empty() ? base : base + "." + ext;
}

bool PlausibleName(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = p[i];
        if (!((b >= 0x20 && b < 0x7F) || (b >= 0xA1 && b <= 0xDF))) return false;
    }
    return true;
}

bool ReadRun(SectorView& view, uint8_t c, uint8_t h, uint8_t first, uint8_t last, uint32_t size,
             std::vector<uint8_t>* out, std::vector<uint32_t>* pos,
             std::vector<FsFinding>* findings, std::vector<bool>* bad) {
    out->assign(static_cast<size_t>(last - first + 1) * size, 0);
    pos->assign(static_cast<size_t>(last - first + 1), 0);
    if (bad) bad->assign(static_cast<size_t>(last - first + 1), false);
    for (uint32_t r = first; r <= last; ++r) {
        const size_t k = r - first;
        SectorResult result = ReadSector(view, TrackOf(c, h), c, h, static_cast<uint8_t>(r), size,
                                         &(*out)[k * size], &(*pos)[k]);
        if (result == kSectorIoFailed) return false;
        if (result == kSectorOk) continue;
        if (bad) (*bad)[k] = true;
        // A sector cut short still tells where it lies; a missing one is
        // said at its track's entry in the table.
        FsFinding f = {"fs-sector-missing", true, (*pos)[k],
                       "the file system's " + SectorProblem(result, c, h, static_cast<uint8_t>(r))};
        if (f.pos == 0) f.pos = 0x20 + 4 * TrackOf(c, h);
        findings->push_back(f);
    }
    return true;
}

bool EndsAtMark(FsKind kind, const DiskFile& file) {
    return (kind == kN88Basic || kind == kFBasic) && file.kind == kFileAscii;
}

uint32_t MarkEnd(const std::vector<uint8_t>& data) {
    const void* mark = data.empty() ? nullptr : std::memchr(&data[0], 0x1A, data.size());
    return mark ? static_cast<uint32_t>(static_cast<const uint8_t*>(mark) - &data[0])
                : static_cast<uint32_t>(data.size());
}
