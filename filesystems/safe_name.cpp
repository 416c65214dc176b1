// Safe names: each character kept or escaped, then the rules of the whole
// name (its end, device names, emptiness).
#include "filesystems/safe_name.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/text_codec.h"

namespace {

void Escape(std::string* out, unsigned char b) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned>(b));
    *out += hex;
}

bool Forbidden(unsigned char b) {
    return b < 0x20 || b == 0x7F || std::strchr("<>:\"/\\|?*", b) != nullptr;
}

bool Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool Trail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

bool DeviceName(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base[base.size() - 1] == ' ') base.erase(base.size() - 1);
    for (size_t i = 0; i < base.size(); ++i)
        base[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(base[i])));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

}  // namespace

SafeName MakeSafeName(const std::string& stored, NameCharset charset) {
    SafeName out;
    out.changed = false;
    bool escaped = false;
    const size_t n = stored.size();
    // Where the name's trailing dots and spaces start.
    size_t tail = n;
    while (tail > 0 && (stored[tail - 1] == '.' || stored[tail - 1] == ' ')) --tail;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char b = static_cast<unsigned char>(stored[i]);
        if (charset == kNameCp932 && Lead(b) && i + 1 < n &&
            Trail(static_cast<unsigned char>(stored[i + 1]))) {
            std::string pair = stored.substr(i, 2), utf8;
            if (Cp932ToUtf8(pair, &utf8)) {
                out.text += pair;
            } else {
                Escape(&out.text, b);
                Escape(&out.text, static_cast<unsigned char>(stored[i + 1]));
                escaped = true;
            }
            ++i;
            continue;
        }
        const bool character = (b >= 0x20 && b < 0x7F) || (b >= 0xA1 && b <= 0xDF);
        if (!character || Forbidden(b) || i >= tail) {
            Escape(&out.text, b);
            escaped = true;
        } else {
            out.text += static_cast<char>(b);
        }
    }
    if (escaped) out.why = "characters a file name cannot hold were written as %XX";
    if (out.text.empty()) {
        out.text = "_";
        out.why = "the name is empty";
    } else if (DeviceName(out.text)) {
        size_t dot = out.text.find('.');
        out.text.insert(dot == std::string::npos ? out.text.size() : dot, "_");
        out.why = "the name is a device's on Windows";
    }
    out.changed = out.text != stored;
    return out;
}
