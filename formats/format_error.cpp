#include "formats/format_error.h"

#include <cstdio>

namespace {

std::string Number(uint64_t v) {
    // Thousands separated as the rest of d88's messages write sizes.
    std::string digits = std::to_string(v), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string Where(const FormatError& e) {
    if (e.track == kNoPlace) return std::string();
    char text[48];
    std::snprintf(text, sizeof text, "cylinder %u", static_cast<unsigned>(e.track));
    std::string where = text;
    if (e.side != kNoPlace) where += " side " + std::to_string(e.side);
    return where;
}

}  // namespace

const char* FormatName(ImageFormat format) {
    switch (format) {
        case kFormatD88:
            return "D88";
        case kFormatRaw:
            return "raw";
        case kFormatFdi:
            return "FDI";
        case kFormatImd:
            return "IMD";
        case kFormatHfe:
            return "HFE";
        default:
            return "unknown";
    }
}

std::string FormatErrorText(const FormatError& e) {
    std::string name = FormatName(e.format), where = Where(e);
    std::string an =
        e.format == kFormatFdi || e.format == kFormatImd || e.format == kFormatHfe ? "an " : "a ";
    switch (e.problem) {
        case kFormatOk:
            return "no error";
        case kFormatNotThis:
            return "not " + an + name + " image" + (e.detail.empty() ? "" : ": " + e.detail);
        case kFormatTruncated:
            return "truncated: " + (where.empty() ? e.detail : where) + " needs the bytes up to " +
                   Number(e.expected) + ", the file has " + Number(e.actual);
        case kFormatBadField: {
            char value[16];
            std::snprintf(value, sizeof value, "0x%02X", static_cast<unsigned>(e.value));
            return "not " + an + name + " image: " + (where.empty() ? "" : where + ": ") +
                   (e.detail == "the track twice" ? "the track comes twice"
                                                  : e.detail + " " + value + " is no value of it");
        }
        case kFormatUndecodable:
            return where + ": its bit cells are neither MFM nor FM, so they do not decode";
        case kFormatNeedGeometry:
            return Number(e.actual) + " bytes fit more than one geometry (" + e.detail +
                   "): say which with --geometry C/H/S/BYTES";
        case kFormatUnknownSize:
            return Number(e.actual) +
                   " bytes is no size of a raw image known by its size: say its geometry with "
                   "--geometry C/H/S/BYTES";
        case kFormatSizeMismatch:
            return "the geometry " + e.detail + " makes " + Number(e.expected) +
                   " bytes, the file has " + Number(e.actual);
        case kFormatTooLarge:
            return "it holds more sector data than any floppy disk (" + Number(16u << 20) +
                   " bytes)" + (where.empty() ? "" : ", at " + where);
        case kFormatUnsupported:
            if (e.detail == "HFE revision")
                return "HFE revision " + std::to_string(e.value) +
                       " is not read, only revision 0 (HFE v1)";
            return e.detail + " is not read" + (where.empty() ? "" : " (" + where + ")");
        case kFormatReadFailed:
            return "the file could not be read";
        case kFormatNoMemory:
            return "not enough memory";
        case kFormatNoTracks:
            return "the disk has no formatted track: " + an + name +
                   " image of it would hold nothing; say a geometry with --geometry";
    }
    return "unknown error";
}
