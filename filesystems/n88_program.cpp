// The listing of a tokenised N88-BASIC program, line by line.
#include "filesystems/n88_program.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "platform/text_codec.h"

namespace {

// Statements and operators, from 0x81.
const char* const kStatements[] = {
    "END",   "FOR",   "NEXT",  "DATA",    "INPUT",  "DIM",    "READ",    "LET",    // 81-88
    "GOTO",  "RUN",   "IF",    "RESTORE", "GOSUB",  "RETURN", "REM",     "STOP",   // 89-90
    "PRINT", "CLEAR", "LIST",  "NEW",     "ON",     "WAIT",   "DEF",     "POKE",   // 91-98
    "CONT",  nullptr, nullptr, "OUT",     "LPRINT", "LLIST",  "CONSOLE", "WIDTH",  // 99-A0
    "ELSE",  "TRON",  "TROFF", "SWAP",    "ERASE",                                 // A1-A5
};
const char* const kOperators[] = {">",   "=",  "<",   "+",   "-",   "*",   "/", "^",  // F0-F7
                                  "AND", "OR", "XOR", "EQV", "IMP", "MOD", "\\"};     // F8-FE
// Functions after 0xFF, from 0x81.
const char* const kFunctions[] = {
    "LEFT$", "RIGHT$", "MID$", "SGN",  "INT",  "ABS",  "SQR",  "RND",     // 81-88
    "SIN",   "LOG",    "EXP",  "COS",  "TAN",  "ATN",  "FRE",  "INP",     // 89-90
    "POS",   "LEN",    "STR$", "VAL",  "ASC",  "CHR$", "PEEK", "SPACE$",  // 91-98
    "OCT$",  "HEX$",   "LPOS", "CINT", "CSNG", "CDBL", "FIX",             // 99-9F
};

const uint8_t kRem = 0x8F, kData = 0x84, kElse = 0xA1;

const char* Statement(uint8_t b, BasicVersion) {
    if (b >= 0x81 && b < 0x81 + sizeof kStatements / sizeof kStatements[0])
        return kStatements[b - 0x81];
    if (b >= 0xF0 && b <= 0xFE) return kOperators[b - 0xF0];
    return nullptr;
}

const char* Function(uint8_t b, BasicVersion) {
    if (b >= 0x81 && b < 0x81 + sizeof kFunctions / sizeof kFunctions[0])
        return kFunctions[b - 0x81];
    return nullptr;
}

void Put(std::string* out, const char* format, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    *out += text;
}

// A float as LIST shows it: ".5", "1.5E+10"; a single that reads as a
// whole number gets '!', a double of 7 digits or fewer '#'.
void PutFloat(std::string* out, double value, bool dbl) {
    char text[40];
    std::snprintf(text, sizeof text, dbl ? "%.16G" : "%.7G", value);
    std::string s = text;
    if (s.compare(0, 2, "0.") == 0) s.erase(0, 1);
    if (s.compare(0, 3, "-0.") == 0) s.erase(1, 1);
    size_t e = s.find('E');
    size_t digits = 0;
    for (size_t i = 0; i < (e == std::string::npos ? s.size() : e); ++i)
        if (s[i] >= '0' && s[i] <= '9') ++digits;
    if (dbl && e != std::string::npos) s[e] = 'D';
    if (!dbl && s.find_first_of(".E") == std::string::npos) s += '!';
    if (dbl && (digits <= 7 || s.find_first_of(".D") == std::string::npos) &&
        s.find('D') == std::string::npos)
        s += '#';
    *out += s;
}

// Microsoft's binary float: the exponent last (0: zero), the sign in the
// top bit of the byte before it, the mantissa's top bit implied.
double Mbf(const uint8_t* p, size_t bytes) {
    const uint8_t exponent = p[bytes - 1];
    if (exponent == 0) return 0.0;
    double mantissa = 0x80 | p[bytes - 2];
    for (size_t i = bytes - 2; i-- > 0;) mantissa = mantissa * 256.0 + p[i];
    double value = std::ldexp(mantissa, static_cast<int>(exponent) - 128 - 8 * (int)(bytes - 1));
    return (p[bytes - 2] & 0x80) ? -value : value;
}

// The bytes that follow a code as its operand: a constant may hold 0x00,
// so a line's end is found by stepping over them.
size_t Operand(uint8_t b) {
    switch (b) {
        case 0x0F:
        case 0xFF:
            return 1;
        case 0x0B:
        case 0x0C:
        case 0x0D:
        case 0x0E:
        case 0x1C:
            return 2;
        case 0x1D:
            return 4;
        case 0x1F:
            return 8;
        default:
            return 0;
    }
}

// The 0x00 that ends the line whose tokens start at `i` (p.size() when the
// bytes stop first). Strings, REM and DATA hold no constants.
size_t LineEnd(const std::vector<uint8_t>& p, size_t i) {
    bool quoted = false, verbatim = false, data = false;
    for (; i < p.size() && p[i] != 0; ++i) {
        const uint8_t b = p[i];
        if (b == '"') quoted = !quoted;
        if (quoted || verbatim || b == '"') continue;
        if (data) {
            data = b != ':';
            continue;
        }
        if (b == kRem) verbatim = true;
        if (b == kData) data = true;
        i += Operand(b);
    }
    return i < p.size() ? i : p.size();
}

struct Line {
    size_t start, body, end;  // the link, the tokens, the byte after the 0x00
    unsigned number;
};

}  // namespace

bool ParseBasicVersion(const std::string& text, BasicVersion* out) {
    if (text == "V1" || text == "v1")
        *out = kBasicV1;
    else if (text == "V2" || text == "v2")
        *out = kBasicV2;
    else if (text == "86" || text == "(86)")
        *out = kBasic86;
    else
        return false;
    return true;
}

BasicListing ListN88Program(const std::vector<uint8_t>& p, BasicVersion version) {
    BasicListing listing;
    listing.lines = 0;
    listing.complete = true;
    // The lines first, so that a line's address can be named by its number.
    std::vector<Line> lines;
    size_t at = 0;
    for (;;) {
        if (at + 2 > p.size()) {
            listing.complete = false;
            listing.problem = "the program has no end mark";
            break;
        }
        if ((p[at] | p[at + 1]) == 0) break;
        Line line = {at, at + 4, 0, 0};
        const size_t end = LineEnd(p, line.body);
        if (end >= p.size()) {
            listing.complete = false;
            listing.problem = at + 4 > p.size()
                                  ? "the last line is cut short"
                                  : "line " + std::to_string(p[at + 2] | (p[at + 3] << 8)) +
                                        " runs past the end of the file";
            break;
        }
        line.number = p[at + 2] | (p[at + 3] << 8);
        line.end = end + 1;
        lines.push_back(line);
        at = line.end;
    }
    std::map<unsigned, unsigned> numberAt;  // a line's address (and the byte before it)
    if (!lines.empty()) {
        const unsigned base = (p[0] | (p[1] << 8)) - static_cast<unsigned>(lines[0].end);
        for (size_t i = 0; i < lines.size(); ++i) {
            numberAt[(base + lines[i].start) & 0xFFFF] = lines[i].number;
            numberAt[(base + lines[i].start - 1) & 0xFFFF] = lines[i].number;
        }
    }
    std::string& out = listing.text;
    for (size_t k = 0; k < lines.size(); ++k) {
        const Line& line = lines[k];
        Put(&out, "%u ", line.number);
        bool quoted = false, verbatim = false, data = false;
        for (size_t i = line.body; i + 1 < line.end; ++i) {
            const uint8_t b = p[i];
            const size_t left = line.end - 1 - i;  // bytes of the line from here
            if (verbatim || (quoted && b != '"') || (data && b != ':' && b != '"')) {
                out += static_cast<char>(b);
                continue;
            }
            if (b == '"') {
                quoted = !quoted;
                out += '"';
            } else if (b == ':' && left > 1 && p[i + 1] == kElse) {
                data = false;  // ELSE is stored after a ':' that LIST leaves out
            } else if (b >= 0x20 && b < 0x7F) {
                if (b == ':') data = false;
                out += static_cast<char>(b);
            } else if (b >= 0x11 && b <= 0x1A) {
                out += static_cast<char>('0' + b - 0x11);
            } else if (b == 0x0F && left >= 2) {
                Put(&out, "%u", p[++i]);
            } else if ((b == 0x0B || b == 0x0C || b == 0x0E || b == 0x1C || b == 0x0D) &&
                       left >= 3) {
                const unsigned v = p[i + 1] | (p[i + 2] << 8);
                i += 2;
                if (b == 0x0B) Put(&out, "&O%o", v);
                if (b == 0x0C) Put(&out, "&H%X", v);
                if (b == 0x0E) Put(&out, "%u", v);
                if (b == 0x1C) out += std::to_string(static_cast<int16_t>(v));
                if (b == 0x0D) {
                    std::map<unsigned, unsigned>::const_iterator n = numberAt.find(v);
                    if (n != numberAt.end())
                        Put(&out, "%u", n->second);
                    else
                        Put(&out, "{0D %04X}", v);
                }
            } else if ((b == 0x1D && left >= 5) || (b == 0x1F && left >= 9)) {
                const size_t bytes = b == 0x1D ? 4 : 8;
                PutFloat(&out, Mbf(&p[i + 1], bytes), b == 0x1F);
                i += bytes;
            } else if (b == 0xFF && left >= 2) {
                const char* name = Function(p[++i], version);
                if (name)
                    out += name;
                else
                    Put(&out, "{FF %02X}", p[i]);
            } else if (const char* name = b >= 0x80 ? Statement(b, version) : nullptr) {
                out += name;
                if (b == kRem) verbatim = true;
                if (b == kData) data = true;
            } else {
                Put(&out, "{%02X}", b);
            }
        }
        out += "\r\n";
        ++listing.lines;
    }
    return listing;
}

std::string ListingToUtf8(const std::string& cp932) {
    std::string whole;
    if (Cp932ToUtf8(cp932, &whole)) return whole;
    std::string out;
    for (size_t i = 0; i < cp932.size(); ++i) {
        const uint8_t b = static_cast<uint8_t>(cp932[i]);
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        std::string one = cp932.substr(i, lead && i + 1 < cp932.size() ? 2 : 1), utf8;
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if (Cp932ToUtf8(one, &utf8)) {
            out += utf8;
            i += one.size() - 1;
        } else {
            Put(&out, "{%02X}", b);
        }
    }
    return out;
}
