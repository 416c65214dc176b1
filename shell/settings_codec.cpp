// The settings file's value encodings.
#include "shell/settings_codec.h"

#include <cstdio>
#include <cstring>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void PutHex(uint8_t b, char* out) {
    static const char kDigits[] = "0123456789ABCDEF";
    out[0] = kDigits[b >> 4];
    out[1] = kDigits[b & 0x0F];
}

}  // namespace

void EncodeStruct(const uint8_t* bytes, size_t n, char* out) {
    uint8_t sum = 0;
    for (size_t i = 0; i < n; ++i) {
        PutHex(bytes[i], out + 2 * i);
        sum = static_cast<uint8_t>(sum + bytes[i]);
    }
    PutHex(sum, out + 2 * n);
    out[2 * n + 2] = '\0';
}

bool DecodeStruct(const char* text, uint8_t* bytes, size_t n) {
    if (!text || std::strlen(text) != 2 * n + 2) return false;
    // Checked whole before anything is stored, so a bad value leaves the
    // bytes as they were.
    uint8_t sum = 0;
    for (size_t i = 0; i <= n; ++i) {
        int hi = HexValue(text[2 * i]);
        int lo = HexValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        uint8_t b = static_cast<uint8_t>(hi * 16 + lo);
        if (i < n) {
            sum = static_cast<uint8_t>(sum + b);
        } else if (b != sum) {
            return false;
        }
    }
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<uint8_t>(HexValue(text[2 * i]) * 16 + HexValue(text[2 * i + 1]));
    }
    return true;
}

void FormatFlags(uint32_t flags, char out[16]) {
    // The two's-complement reading of the word, computed without relying on
    // how a conversion to a signed type wraps.
    int32_t value;
    if (flags <= 0x7FFFFFFFu) {
        value = static_cast<int32_t>(flags);
    } else {
        value = static_cast<int32_t>(flags - 0x80000000u) - 0x7FFFFFFF - 1;
    }
    std::snprintf(out, 16, "%d", static_cast<int>(value));
}

uint32_t ParseFlags(const char* text, uint32_t fallback) {
    if (!text) return fallback;
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    if (*p < '0' || *p > '9') return fallback;
    uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    }
    return negative ? 0u - value : value;
}

namespace {

const char kUtf8Marker[] = "*utf-8*";

}  // namespace

std::string EncodeLastDir(const std::string& utf8, bool fits) {
    if (fits) return utf8;
    std::string out = kUtf8Marker;
    for (size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x20 && c < 0x7F && c != '%') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string DecodeLastDir(const std::string& stored) {
    const size_t marker = sizeof kUtf8Marker - 1;
    if (stored.compare(0, marker, kUtf8Marker) != 0) return stored;
    std::string out;
    for (size_t i = marker; i < stored.size(); ++i) {
        bool escape = stored[i] == '%' && i + 2 < stored.size();
        int high = escape ? HexValue(stored[i + 1]) : -1;
        int low = escape ? HexValue(stored[i + 2]) : -1;
        if (high >= 0 && low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += stored[i];
        }
    }
    return out;
}
