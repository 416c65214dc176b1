#include "formats/loss_text.h"

#include <cstdio>

#include "store/d88.h"

namespace {

struct KindText {
    const char* what;  // what is lost
    const char* unit;  // what the count counts: "sector", "track"; null for the disk's fields
};

const KindText kKinds[kLossKinds] = {
    {"sector IDs other than their track's C and H and R 1 to n", "sector"},
    {"the order of sectors not in the order 1 to n", "sector"},
    {"sectors whose ID comes twice in a track (the later ones)", "sector"},
    {"sizes other than the one of their track or disk (written as that size)", "sector"},
    {"size codes the format has no room for", "sector"},
    {"densities other than the one of their track or the format", "sector"},
    {"deleted-data marks", "sector"},
    {"controller statuses the format cannot hold", "sector"},
    {"data of other than 128 << N bytes", "sector"},
    {"density or deleted bytes of values other than 0x00 and 0x40, 0x00 and 0x10", "sector"},
    {"sectors the disk does not have (written as zeros)", "sector"},
    {"unformatted tracks (written formatted, as zeros)", "track"},
    {"tracks past what the target holds", "track"},
    {"tracks longer than one turn at the chosen rate (written longer)", "track"},
    {"tracks the source holds only in part", "track"},
    {"the layout of the bit cells (gaps, sync, timing, whatever lies between the sectors)",
     "track"},
    {"the disk's name", nullptr},
    {"the header's reserved bytes", nullptr},
    {"write protection", nullptr},
    {"the media byte", nullptr},
    {"the IMD comment", nullptr},
    {"a data rate of 300 kbit/s, which no media byte says", nullptr},
    {"fields of the source's header", nullptr},
};

std::string Counted(uint32_t n, const char* unit) {
    return std::to_string(n) + " " + unit + (n == 1 ? "" : "s");
}

const char* Media(uint32_t v) { return MediaByteName(v) ? MediaByteName(v) : "unknown"; }

std::string Hex(uint32_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(v & 0xFF));
    return text;
}

}  // namespace

std::string LossLine(const Loss& loss) {
    const KindText& k = kKinds[loss.kind];
    std::string line = std::string("lost: ") + k.what;
    if (k.unit) {
        line += ": " + Counted(loss.count, k.unit) + ", the first ";
        char where[64];
        if (loss.hasSector)
            std::snprintf(where, sizeof where, "C %u H %u R %u N %u (track %u)", loss.c, loss.h,
                          loss.r, loss.n, static_cast<unsigned>(loss.track));
        else
            std::snprintf(where, sizeof where, "track %u (C %u H %u)",
                          static_cast<unsigned>(loss.track), static_cast<unsigned>(loss.track / 2),
                          static_cast<unsigned>(loss.track % 2));
        return line + where;
    }
    if (loss.kind == kLossProtect) return line + " (" + Hex(loss.value) + ")";
    if (loss.kind == kLossMedia)
        return line + " " + Hex(loss.value) + " (" + Media(loss.value) + "), read back as " +
               Hex(loss.other) + " (" + Media(loss.other) + ")";
    return line;
}

std::vector<std::string> LossLines(const ConvertReport& report) {
    std::vector<std::string> lines;
    std::vector<Loss> items = report.losses.Items();
    for (size_t i = 0; i < items.size(); ++i) lines.push_back(LossLine(items[i]));
    return lines;
}

std::vector<std::string> ChoiceLines(const ConvertReport& report) {
    std::vector<std::string> lines;
    const std::string w = "written with: ";
    if (report.format == kFormatRaw || report.format == kFormatFdi) {
        lines.push_back(w + "the geometry " + GeometryText(report.geometry));
        if (report.format == kFormatRaw && report.geometriesOfSize != 1)
            lines.push_back(w +
                            (report.geometriesOfSize ? "a size that fits more than one geometry"
                                                     : "a size no geometry is known by") +
                            ": reading it back needs --geometry " + GeometryText(report.geometry));
    }
    if (report.format != kFormatHfe) return lines;
    const HfeChoices& k = report.hfe;
    char text[160];
    std::snprintf(text, sizeof text, "%u kbit/s, %u rpm (%u bytes of cells a turn), %u %s, %u %s",
                  static_cast<unsigned>(k.kbps), static_cast<unsigned>(k.rpm),
                  static_cast<unsigned>(k.sideBytes), static_cast<unsigned>(k.cylinders),
                  k.cylinders == 1 ? "cylinder" : "cylinders", static_cast<unsigned>(k.sides),
                  k.sides == 1 ? "side" : "sides");
    lines.push_back(w + text);
    lines.push_back(w + "each sector in its own density (" + (k.encoding ? "FM" : "MFM") +
                    " in the header), the gaps of IBM System 34 (MFM) and 3740 (FM)");
    lines.push_back(w + "the interface mode of a generic Shugart drive (7)");
    if (k.fortyTracks)
        lines.push_back(w + (k.doubleStep ? "double steps: for a drive of 80 tracks, which "
                                            "steps twice from cylinder to cylinder"
                                          : "single steps: for a drive of 40 tracks "
                                            "(--double-step for one of 80)"));
    return lines;
}
