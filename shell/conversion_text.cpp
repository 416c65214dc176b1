#include "shell/conversion_text.h"

#include <cstdio>

#include "shell/texts.h"
#include "store/d88.h"

namespace {

// What each kind of loss concerns, in the order of the kinds; the three
// kinds with values of their own are worded apart.
const char* const kLossTexts[kLossKinds] = {
    TXT_LOSS_IDS,      TXT_LOSS_ORDER,         TXT_LOSS_DUPLICATES,  TXT_LOSS_MIXED_SIZES,
    TXT_LOSS_SIZE_CODE, TXT_LOSS_DENSITY,      TXT_LOSS_DELETED,     TXT_LOSS_STATUS,
    TXT_LOSS_DATA_SIZE, TXT_LOSS_FIELD_BYTES,  TXT_LOSS_ADDED,       TXT_LOSS_UNFORMATTED,
    TXT_LOSS_TRACKS,    TXT_LOSS_TRACK_LENGTH, TXT_LOSS_SOURCE_CUT,  TXT_LOSS_LAYOUT,
    TXT_LOSS_NAME,      TXT_LOSS_RESERVED,     TXT_WRITE_PROTECT,    TXT_COL_MEDIA,
    TXT_LOSS_COMMENT,   TXT_LOSS_RATE,         TXT_LOSS_HEADER,
};

typedef unsigned long Ul;

bool CountsSectors(LossKind kind) { return kind <= kLossAdded; }
bool CountsTracks(LossKind kind) { return kind > kLossAdded && kind < kLossName; }

// A media byte as the list shows a disk's (any other value as 2D).
const char* MediaOf(uint32_t v) { return MediaByteName(v) ? MediaByteName(v) : "2D"; }

std::string LossText(const Loss& loss) {
    char text[256];
    if (CountsSectors(loss.kind) && loss.hasSector) {
        std::snprintf(text, sizeof text, TXT_REPORT_SECTORS, kLossTexts[loss.kind],
                      static_cast<Ul>(loss.count), loss.c, loss.h, loss.r, loss.n,
                      static_cast<Ul>(loss.track));
    } else if (CountsSectors(loss.kind) || CountsTracks(loss.kind)) {
        std::snprintf(text, sizeof text, TXT_REPORT_TRACKS, kLossTexts[loss.kind],
                      static_cast<Ul>(loss.count), static_cast<Ul>(loss.track),
                      static_cast<Ul>(loss.track / 2), static_cast<Ul>(loss.track % 2));
    } else if (loss.kind == kLossProtect) {
        std::snprintf(text, sizeof text, TXT_REPORT_PROTECT, static_cast<unsigned>(loss.value));
    } else if (loss.kind == kLossMedia) {
        std::snprintf(text, sizeof text, TXT_REPORT_MEDIA, static_cast<unsigned>(loss.value & 0xFF),
                      MediaOf(loss.value), static_cast<unsigned>(loss.other & 0xFF),
                      MediaOf(loss.other));
    } else {
        return kLossTexts[loss.kind];
    }
    return text;
}

std::vector<std::string> ChoiceTexts(const ConvertReport& report) {
    std::vector<std::string> lines;
    char text[256];
    if (report.format == kFormatRaw || report.format == kFormatFdi) {
        std::snprintf(text, sizeof text, TXT_WRITTEN_GEOMETRY, GeometryText(report.geometry).c_str());
        lines.push_back(text);
        if (report.format == kFormatRaw && report.geometriesOfSize != 1)
            lines.push_back(report.geometriesOfSize ? TXT_WRITTEN_AMBIGUOUS : TXT_WRITTEN_NO_SIZE);
    }
    if (report.format != kFormatHfe) return lines;
    const HfeChoices& k = report.hfe;
    std::snprintf(text, sizeof text, TXT_WRITTEN_HFE, static_cast<Ul>(k.kbps),
                  static_cast<Ul>(k.rpm), static_cast<Ul>(k.sideBytes),
                  static_cast<Ul>(k.cylinders), static_cast<Ul>(k.sides));
    lines.push_back(text);
    std::snprintf(text, sizeof text, TXT_WRITTEN_HFE_CELLS, k.encoding ? "FM" : "MFM");
    lines.push_back(text);
    lines.push_back(TXT_WRITTEN_HFE_DRIVE);
    if (k.fortyTracks) lines.push_back(k.doubleStep ? TXT_WRITTEN_HFE_DOUBLE : TXT_WRITTEN_HFE_SINGLE);
    return lines;
}

void Section(const char* heading, const std::vector<std::string>& items,
             std::vector<std::string>* lines) {
    if (items.empty()) return;
    lines->push_back(heading);
    for (size_t i = 0; i < items.size(); ++i) lines->push_back("- " + items[i]);
}

const char* FormatText(ImageFormat format) {
    return format == kFormatRaw ? TXT_RAW_NAME : FormatName(format);
}

}  // namespace

std::vector<std::string> ConversionReportLines(const ConvertReport& report) {
    std::vector<std::string> losses, lines;
    std::vector<Loss> items = report.losses.Items();
    for (size_t i = 0; i < items.size(); ++i) losses.push_back(LossText(items[i]));
    Section(TXT_REPORT_LOST, losses, &lines);
    Section(TXT_REPORT_WRITTEN, ChoiceTexts(report), &lines);
    return lines;
}

std::string ConversionReportText(const ConvertReport& report) {
    std::vector<std::string> lines = ConversionReportLines(report);
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) text += lines[i] + "\r\n";
    return text;
}

std::string GeometryChoiceText(const Geometry& g) {
    char shape[48], text[256];
    std::snprintf(shape, sizeof shape, "%lu/%lu/%lu/%lu", static_cast<Ul>(g.cylinders),
                  static_cast<Ul>(g.heads), static_cast<Ul>(g.sectors), static_cast<Ul>(g.bytes));
    std::snprintf(text, sizeof text, TXT_GEOMETRY_CHOICE, shape, static_cast<Ul>(g.cylinders),
                  static_cast<Ul>(g.heads), static_cast<Ul>(g.sectors), static_cast<Ul>(g.bytes));
    return std::string(text) + (g.fmTrack0 ? TXT_GEOMETRY_FM_TRACK0 : "");
}

std::string FormatFailureText(const FormatError& e) {
    char text[256];
    const char* name = FormatText(e.format);
    switch (e.problem) {
        case kFormatTruncated:
            std::snprintf(text, sizeof text, TXT_WHY_TRUNCATED, static_cast<Ul>(e.expected),
                          static_cast<Ul>(e.actual));
            return text;
        case kFormatBadField:
            std::snprintf(text, sizeof text, TXT_WHY_BAD_FIELD, name);
            return text;
        case kFormatUndecodable:
            std::snprintf(text, sizeof text, TXT_WHY_UNDECODABLE, static_cast<Ul>(e.track));
            return text;
        case kFormatNeedGeometry:
        case kFormatUnknownSize:
            std::snprintf(text, sizeof text, TXT_WHY_UNKNOWN_SIZE, static_cast<Ul>(e.actual));
            return text;
        case kFormatSizeMismatch:
            return TXT_WHY_SIZE_MISMATCH;
        case kFormatTooLarge:
            return TXT_WHY_TOO_LARGE;
        case kFormatUnsupported:
            std::snprintf(text, sizeof text, TXT_WHY_UNSUPPORTED, name);
            return text;
        case kFormatReadFailed:
            return TXT_WHY_READ_FAILED;
        case kFormatNoMemory:
            return TXT_NO_MEMORY;
        case kFormatNoTracks:
            return TXT_WHY_NO_TRACKS;
        default:
            std::snprintf(text, sizeof text, TXT_WHY_NOT_THIS, name);
            return text;
    }
}
