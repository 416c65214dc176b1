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

FsFinding MissingSector(uint32_t pos, uint32_t track, const std::string& what) {
    FsFinding f = {"fs-sector-missing", true, pos ? pos : 0x20 + 4 * track, what};
    return f;
}

std::string NonsenseWhy(const std::string& where, uint32_t nonsense) {
    return "a FAT at " + where + ", but " + std::to_string(nonsense) + " directory entr" +
           (nonsense == 1 ? "y makes" : "ies make") + " no sense";
}

bool ReadRun(SectorView& view, uint8_t c, uint8_t h, uint8_t first, uint8_t last, uint32_t size,
             std::vector<uint8_t>* out, std::vector<uint32_t>* pos,
             std::vector<FsFinding>* findings, std::vector<bool>* bad) {
    const size_t count = static_cast<size_t>(last - first + 1);
    out->assign(count * size, 0);
    pos->assign(count, 0);
    if (bad) bad->assign(count, false);
    std::vector<SectorResult> results(count, kSectorOk);
    for (size_t k = 0; k < count; ++k) {
        const uint8_t r = static_cast<uint8_t>(first + k);
        results[k] = ReadSector(view, TrackOf(c, h), c, h, r, size, &(*out)[k * size], &(*pos)[k]);
        if (results[k] == kSectorIoFailed) return false;
        if (bad) (*bad)[k] = results[k] != kSectorOk;
    }
    // One finding for each run of sectors that fail alike.
    for (size_t k = 0; k < count;) {
        size_t end = k + 1;
        while (end < count && results[end] == results[k]) ++end;
        if (results[k] != kSectorOk) {
            const std::string text =
                SectorProblem(results[k], c, h, static_cast<uint8_t>(first + k),
                              static_cast<uint8_t>(first + end - 1));
            findings->push_back(
                MissingSector((*pos)[k], TrackOf(c, h), "the file system's " + text));
        }
        k = end;
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
