// Reading a DAT file whole, the Logiqx structure both XML readers share,
// the Logiqx writer and the index by digest.
#include "collection/dat.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/file_api.h"
#include "platform/text_codec.h"

namespace {

const uint64_t kLargestDat = 256u << 20;

IoStatus Status(IoResult result, const SystemError& error) {
    return IoFailure(result, error, std::string());
}

IoStatus Status(IoResult result, int) {
    return result == kIoOk ? IoSuccess() : IoFailure(result, std::string());
}

bool IsOneOf(const std::string& name, const char* const* names) {
    for (; *names; ++names) {
        if (name == *names) return true;
    }
    return false;
}

const char* const kGameElements[] = {"game", "machine", "software", nullptr};

// A digest as the index keeps it: lower-case hexadecimal of exactly
// `digits` digits, else empty.
std::string HexDigest(const std::string& text, size_t digits) {
    std::string out = text;
    if (out.size() != digits) return std::string();
    for (size_t i = 0; i < out.size(); ++i) {
        char c = out[i];
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::string();
        out[i] = c;
    }
    return out;
}

void SetSize(DatRom* rom, const std::string& text) {
    uint64_t v = 0;
    if (text.empty() || text.size() > 19) return;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return;
        v = v * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    rom->hasSize = true;
    rom->size = v;
}

// XML text with the five special characters as entities, and the control
// characters that XML 1.0 cannot hold as U+FFFD.
std::string Escape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
                    out += "\xEF\xBF\xBD";
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

}  // namespace

bool IsShiftJisName(const std::string& name) {
    const char* const kNames[] = {"shift_jis",  "shift-jis",   "sjis",         "x-sjis", "ms_kanji",
                                  "csshiftjis", "windows-31j", "cswindows31j", "cp932",  nullptr};
    std::string lower = name;
    for (size_t i = 0; i < lower.size(); ++i) {
        if (lower[i] >= 'A' && lower[i] <= 'Z') lower[i] = static_cast<char>(lower[i] - 'A' + 'a');
    }
    return IsOneOf(lower, kNames);
}

bool ShiftJisXmlToUtf8(const std::string& text, std::string* utf8, bool* undecodable) {
    *undecodable = false;
    // <?xml version="1.0" encoding="Shift_JIS"?>, at the very start.
    size_t end = text.compare(0, 5, "<?xml") == 0 ? text.find("?>") : std::string::npos;
    size_t key = end == std::string::npos ? end : text.find("encoding", 5);
    if (key == std::string::npos || key > end) return false;
    size_t eq = text.find_first_not_of(" \t\r\n", key + 8);
    size_t quote =
        eq < end && text[eq] == '=' ? text.find_first_not_of(" \t\r\n", eq + 1) : std::string::npos;
    if (quote >= end || (text[quote] != '"' && text[quote] != '\'')) return false;
    size_t close = text.find(text[quote], quote + 1);
    if (close >= end || !IsShiftJisName(text.substr(quote + 1, close - quote - 1))) return false;
    if (!Cp932ToUtf8(text, utf8)) {
        *undecodable = true;
        return false;
    }
    // The declaration is ASCII, at the same place in both.
    utf8->replace(quote + 1, close - quote - 1, "UTF-8");
    return true;
}

void SetRomField(DatRom* rom, const std::string& key, const std::string& value) {
    if (key == "name") rom->name = value;
    if (key == "size") SetSize(rom, value);
    // A CRC written without its leading zeros.
    if (key == "crc")
        rom->crc32 = HexDigest(
            !value.empty() && value.size() < 8 ? std::string(8 - value.size(), '0') + value : value,
            8);
    if (key == "md5") rom->md5 = HexDigest(value, 32);
    if (key == "sha1") rom->sha1 = HexDigest(value, 40);
}

DatStatus ReadDatFile(FileApi& files, const char* path, Dat* out, DatFormat* format) {
    DatStatus status;
    status.io = Status(kIoOk, 0);
    status.line = 0;
    *out = Dat();
    FileApi::Handle h = files.OpenRead(path);
    if (!h) {
        status.io = Status(kIoOpenFailed, files.LastError());
        return status;
    }
    std::string text;
    uint64_t size = 0;
    if (!files.Size(h, &size)) {
        status.io = Status(kIoSizeFailed, files.LastError());
    } else if (size >= kLargestDat) {
        status.io = Status(kIoTooLarge, 0);
    } else {
        try {
            text.resize(static_cast<size_t>(size));
        } catch (const std::bad_alloc&) {
            status.io = Status(kIoNoMemory, 0);
        }
    }
    uint32_t done = 0;
    while (status.io.result == kIoOk && done < text.size()) {
        uint32_t got = 0;
        uint32_t want = static_cast<uint32_t>(text.size()) - done;
        if (!files.ReadAt(h, done, reinterpret_cast<uint8_t*>(&text[done]), want, &got))
            status.io = Status(kIoReadFailed, files.LastError());
        else if (got == 0)
            status.io = Status(kIoReadFailed, 0);
        done += got < want ? got : want;
    }
    files.Close(h);
    if (status.io.result != kIoOk) return status;

    size_t first = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    first = text.find_first_not_of(" \t\r\n", first);
    bool xml = first != std::string::npos && text[first] == '<';
    *format = xml ? kDatLogiqx : kDatClrMamePro;
    try {
        bool ok = xml ? ParseLogiqx(text, out, &status.line, &status.why)
                      : ParseClrMamePro(text, out, &status.line, &status.why);
        if (!ok && status.why.empty()) status.why = "it is no DAT";
    } catch (const std::bad_alloc&) {
        *out = Dat();
        status.io = Status(kIoNoMemory, 0);
    }
    return status;
}

void LogiqxBuilder::Start(const std::string& element, const XmlAttributes& attributes) {
    if (open_.empty() && element == "datafile") datafile_ = true;
    text_ = nullptr;
    if (IsOneOf(element, kGameElements) && !inGame_) {
        inGame_ = true;
        gameDepth_ = open_.size();
        out_->games.push_back(DatGame());
        for (size_t i = 0; i < attributes.size(); ++i) {
            if (attributes[i].first == "name") out_->games.back().name = attributes[i].second;
        }
    } else if (inGame_ && element == "rom") {
        DatRom rom;
        for (size_t i = 0; i < attributes.size(); ++i)
            SetRomField(&rom, attributes[i].first, attributes[i].second);
        out_->games.back().roms.push_back(rom);
    } else if (inGame_ && element == "description" && IsOneOf(open_.back(), kGameElements)) {
        text_ = &out_->games.back().description;
    } else if (!inGame_ && !open_.empty() && open_.back() == "header") {
        if (element == "name") text_ = &out_->name;
        if (element == "description") text_ = &out_->description;
    }
    open_.push_back(element);
}

void LogiqxBuilder::End(const std::string& element) {
    text_ = nullptr;
    if (!open_.empty()) open_.pop_back();
    // The entry ends with its own element, whatever is nested in it.
    if (inGame_ && open_.size() == gameDepth_) inGame_ = false;
}

void LogiqxBuilder::Text(const char* text, size_t n) {
    if (text_) text_->append(text, n);
}

bool LogiqxBuilder::Finish(std::string* why) const {
    if (!datafile_ && out_->games.empty()) {
        *why = "it is XML, but no DAT: it holds no datafile element and no entries";
        return false;
    }
    return true;
}

std::string LogiqxHead(const std::string& name, const std::string& description) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE datafile PUBLIC \"-//Logiqx//DTD ROM Management Datafile//EN\" "
           "\"http://www.logiqx.com/Dats/datafile.dtd\">\n"
           "<datafile>\n"
           "\t<header>\n"
           "\t\t<name>" +
           Escape(name) + "</name>\n\t\t<description>" + Escape(description) +
           "</description>\n\t</header>\n";
}

std::string LogiqxGame(const DatGame& game) {
    std::string out = "\t<game name=\"" + Escape(game.name) + "\">\n\t\t<description>" +
                      Escape(game.description) + "</description>\n";
    for (size_t i = 0; i < game.roms.size(); ++i) {
        const DatRom& rom = game.roms[i];
        out += "\t\t<rom name=\"" + Escape(rom.name) + "\"";
        if (rom.hasSize) {
            char size[24];
            std::snprintf(size, sizeof size, "%llu", static_cast<unsigned long long>(rom.size));
            out += std::string(" size=\"") + size + "\"";
        }
        if (!rom.crc32.empty()) out += " crc=\"" + rom.crc32 + "\"";
        if (!rom.md5.empty()) out += " md5=\"" + rom.md5 + "\"";
        if (!rom.sha1.empty()) out += " sha1=\"" + rom.sha1 + "\"";
        out += "/>\n";
    }
    return out + "\t</game>\n";
}

std::string LogiqxTail() { return "</datafile>\n"; }

DatIndex::DatIndex(const Dat& dat) : dat_(dat) {
    for (size_t g = 0; g < dat.games.size(); ++g) {
        for (size_t r = 0; r < dat.games[g].roms.size(); ++r) {
            const DatRom& rom = dat.games[g].roms[r];
            Key key = {std::string(), g, r};
            if (!rom.sha1.empty()) {
                key.digest = rom.sha1;
                keys_[kBySha1].push_back(key);
                algorithms_ |= kDigestSha1;
            } else if (!rom.md5.empty()) {
                key.digest = rom.md5;
                keys_[kByMd5].push_back(key);
                algorithms_ |= kDigestMd5;
            } else if (!rom.crc32.empty() && rom.hasSize) {
                key.digest = rom.crc32;
                keys_[kByCrc32].push_back(key);
                algorithms_ |= kDigestCrc32;
            }
        }
    }
    for (int by = 0; by < 3; ++by) std::stable_sort(keys_[by].begin(), keys_[by].end());
}

std::vector<DatMatch> DatIndex::Find(const DigestSet& raw, const DigestSet& normalised,
                                     uint64_t size) const {
    std::vector<DatMatch> found;
    const unsigned bits[] = {kDigestSha1, kDigestMd5, kDigestCrc32};
    const DigestSet* forms[] = {&raw, &normalised};
    // Every file is keyed by one digest, so none is found twice but by both
    // forms, and then only the raw one counts.
    for (int by = 0; by < 3; ++by) {
        size_t ofThisDigest = found.size();
        for (int f = 0; f < 2; ++f) {
            const DigestSet& d = *forms[f];
            if (!(d.algorithms & bits[by])) continue;
            Key probe;
            probe.digest = by == kBySha1  ? HexOf(d.sha1, sizeof d.sha1)
                           : by == kByMd5 ? HexOf(d.md5, sizeof d.md5)
                                          : HexOf(d.crc32, sizeof d.crc32);
            std::pair<std::vector<Key>::const_iterator, std::vector<Key>::const_iterator> range =
                std::equal_range(keys_[by].begin(), keys_[by].end(), probe);
            for (std::vector<Key>::const_iterator k = range.first; k != range.second; ++k) {
                const DatRom& rom = dat_.games[k->game].roms[k->rom];
                if (rom.hasSize && rom.size != size) continue;
                bool twice = false;
                for (size_t i = ofThisDigest; i < found.size() && !twice; ++i)
                    twice = found[i].game == k->game && found[i].rom == k->rom;
                DatMatch m = {k->game, k->rom, static_cast<MatchBy>(by), f == 1};
                if (!twice) found.push_back(m);
            }
        }
    }
    return found;
}

const char* MatchByText(MatchBy by) {
    return by == kBySha1 ? "SHA-1" : by == kByMd5 ? "MD5" : "CRC32";
}
