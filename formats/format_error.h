// Why a disk image in another format could not be read or written: a plain
// record, worded by FormatErrorText for d88 (the window words it itself).
#ifndef ORVANEL_FORMATS_FORMAT_ERROR_H
#define ORVANEL_FORMATS_FORMAT_ERROR_H

#include <cstdint>
#include <string>

enum ImageFormat { kFormatUnknown, kFormatD88, kFormatRaw, kFormatFdi, kFormatImd, kFormatHfe };

enum FormatProblem {
    kFormatOk,
    kFormatNotThis,       // the bytes are not of this format (detail: what is missing)
    kFormatTruncated,     // the file ends at `actual`, before `expected`
    kFormatBadField,      // a field holds a value the format does not have (detail, value)
    kFormatUndecodable,   // a track's bit cells are neither MFM nor FM
    kFormatNeedGeometry,  // a raw size that fits several geometries (detail: them)
    kFormatUnknownSize,   // a raw size that fits none
    kFormatSizeMismatch,  // the stated geometry makes `expected` bytes, the file has `actual`
    kFormatTooLarge,      // more sector data than any floppy disk holds
    kFormatUnsupported,   // a version of the format that is not read (detail)
    kFormatReadFailed,    // the system could not read the bytes
    kFormatNoMemory,
    kFormatNoTracks  // nothing to write: the disk has no formatted track
};

const uint32_t kNoPlace = 0xFFFFFFFFu;

struct FormatError {
    FormatProblem problem;
    ImageFormat format;
    uint32_t track;  // the cylinder concerned, or kNoPlace
    uint32_t side;   // and its side, or kNoPlace (the whole cylinder)
    uint64_t expected, actual;
    uint32_t value;
    std::string detail;
    bool ok() const { return problem == kFormatOk; }
};

inline FormatError FormatOk() {
    FormatError e = {kFormatOk, kFormatUnknown, kNoPlace, kNoPlace, 0, 0, 0, std::string()};
    return e;
}
inline FormatError FormatFailure(FormatProblem problem, ImageFormat format,
                                 const std::string& detail = std::string(),
                                 uint32_t track = kNoPlace) {
    FormatError e = {problem, format, track, kNoPlace, 0, 0, 0, detail};
    return e;
}
inline FormatError Truncated(ImageFormat format, uint64_t expected, uint64_t actual,
                             uint32_t track = kNoPlace, const std::string& detail = std::string()) {
    FormatError e = {kFormatTruncated, format, track, kNoPlace, expected, actual, 0, detail};
    return e;
}

// The format's name as d88 writes it: "D88", "raw", "FDI", "IMD", "HFE".
const char* FormatName(ImageFormat format);

// One sentence, without the file's name: "not an HFE image: it does not
// begin with HXCPICFE", "truncated: track 12 needs the bytes up to ...".
std::string FormatErrorText(const FormatError& error);

#endif
