// Disk names between CP932 and the user's text, and paths as text. The
// header's names are walked character by character with the CP932 lead-byte
// rule, so that the second byte of a double-byte character (0x5C in 表 and
// ソ) is never taken for a character of its own.
#include "cli/d88_text.h"

#include <cstdio>
#include <cstring>

#include "document/paths.h"
#include "platform/text_codec.h"
#include "store/d88.h"

namespace d88cli {

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// The length of the CP932 character at s[i] of a string of n bytes: 2 for a
// lead byte followed by another byte, else 1.
size_t CharWidth(const std::string& s, size_t i) {
    return (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string Escaped(unsigned char c) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", c);
    return text;
}

bool Cp932CharToUtf8(const std::string& ch, std::string* out) {
    // The printable ASCII bytes are themselves in CP932: most names are
    // made of them, and so are shown without a call of the converter.
    if (ch.size() == 1 && ch[0] >= 0x20 && ch[0] < 0x7F) {
        *out = ch;
        return true;
    }
    return ::Cp932ToUtf8(ch, out);
}

// The length of the valid UTF-8 sequence at s[i], or 0 when there is none.
size_t Utf8Length(const std::string& s, size_t i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) return 1;
    size_t n;
    unsigned long cp;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        unsigned char t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (t & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
    return n;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& cp932, bool* exact) {
    if (exact) *exact = true;
    std::string out;
    for (size_t i = 0; i < cp932.size();) {
        size_t w = CharWidth(cp932, i);
        std::string ch = cp932.substr(i, w);
        std::string utf8;
        if (Cp932CharToUtf8(ch, &utf8) && !utf8.empty()) {
            out += utf8;
        } else {
            out += kReplacement;
            if (exact) *exact = false;
        }
        i += w;
    }
    return out;
}

std::string NameForTerminal(const std::string& cp932, size_t* columns) {
    std::string out;
    size_t width = 0;
    for (size_t i = 0; i < cp932.size();) {
        size_t w = CharWidth(cp932, i);
        unsigned char c = static_cast<unsigned char>(cp932[i]);
        std::string ch = cp932.substr(i, w);
        std::string utf8;
        if (w == 1 && IsControl(c)) {
            out += Escaped(c);
            width += 4;
        } else if (Cp932CharToUtf8(ch, &utf8) && !utf8.empty()) {
            out += utf8;
            // In CP932 a character is as wide on the screen as it is long.
            width += w;
        } else {
            for (size_t k = 0; k < w; ++k) out += Escaped(static_cast<unsigned char>(ch[k]));
            width += 4 * w;
        }
        i += w;
    }
    if (columns) *columns = width;
    return out;
}

bool NameFromArgument(const std::string& arg, std::string* cp932, std::string* why) {
    std::string bytes;
    if (!Utf8ToCp932(arg, &bytes)) {
        *why =
            "does not convert to CP932 (it is not UTF-8, or holds a character CP932 does "
            "not have)";
        return false;
    }
    if (bytes.find('\0') != std::string::npos) {
        *why = "holds a NUL byte";
        return false;
    }
    char clamped[kNameMax + 1];
    ClampName(bytes.c_str(), clamped);
    if (bytes.size() > kNameMax) {
        char text[96];
        std::snprintf(text, sizeof text, "takes %u bytes in CP932; a disk name holds at most %u",
                      static_cast<unsigned>(bytes.size()), static_cast<unsigned>(kNameMax));
        *why = text;
        return false;
    }
    if (std::strlen(clamped) != bytes.size()) {
        *why = "ends in the first byte of a double-byte character";
        return false;
    }
    *cp932 = bytes;
    return true;
}

bool NameForFileName(const std::string& cp932, std::string* out, std::string* why) {
    // A separator only where it is a character of its own: the 0x5C of 表
    // or ソ is the second byte of a double-byte character.
    for (size_t i = 0; i < cp932.size(); i += CharWidth(cp932, i)) {
        if (CharWidth(cp932, i) != 1) continue;
#ifdef _WIN32
        if (cp932[i] == '/' || cp932[i] == '\\') {
            *why = "holds a folder separator ('\\' or '/')";
            return false;
        }
#else
        if (cp932[i] == '/') {
            *why = "holds '/', which cannot be part of a file name";
            return false;
        }
#endif
    }
    bool exact = true;
    *out = Cp932ToUtf8(cp932, &exact);
    if (!exact) {
        *why = "holds bytes that are no CP932 characters, so it has no UTF-8 form";
        return false;
    }
    return true;
}

std::string PathText(const std::string& path) {
    std::string out;
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        size_t valid = 0;
        while (valid < part.size() && Utf8Length(part, valid) != 0)
            valid += Utf8Length(part, valid);
        bool utf8 = valid == part.size();
        for (size_t i = 0; i < part.size() && !utf8;) {
            size_t w = CharWidth(part, i);
            std::string ch;
            if (Cp932CharToUtf8(part.substr(i, w), &ch) && !ch.empty()) {
                out += ch;
            } else {
                for (size_t k = 0; k < w; ++k) {
                    char hex[4];
                    std::snprintf(hex, sizeof hex, "%%%02X",
                                  static_cast<unsigned char>(part[i + k]));
                    out += hex;
                }
            }
            i += w;
        }
        if (utf8) out += part;
        if (end < path.size()) out += '/';
        start = end + 1;
    }
    return out;
}

std::string HexBytes(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

}  // namespace d88cli
