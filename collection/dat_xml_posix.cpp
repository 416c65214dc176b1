// Logiqx XML read with expat, the native build's XML reader. expat reads no
// external DTD (the one a Logiqx DOCTYPE names is not fetched) and limits
// entity expansion by itself. It knows UTF-8, UTF-16, ISO-8859-1 and
// US-ASCII; a DAT declared in another encoding whose characters are one or
// two bytes (Shift_JIS above all) is read through a table iconv makes.
#include <errno.h>
#include <expat.h>
#include <iconv.h>

#include <cstring>
#include <new>
#include <vector>

#include "collection/dat.h"

namespace {

// The Unicode scalar of every character of a single- and double-byte
// encoding: map as expat takes it (a byte's character, -1, or -2 for the
// first byte of two), and for each first byte of two its second bytes'.
struct DoubleByteTable {
    int map[256];
    std::vector<uint16_t> second;  // 256 per first byte, in order; 0: none
    int firstIndex[256];
};

// The scalar of one character's bytes: >= 0, -1 where they are none, -2
// where they are the start of a longer one.
long Scalar(iconv_t cd, const char* bytes, size_t n) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[2];
    std::memcpy(in, bytes, n);
    unsigned char out[8];
    char* src = in;
    char* dst = reinterpret_cast<char*>(out);
    size_t srcLeft = n, dstLeft = sizeof out;
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1))
        return errno == EINVAL ? -2 : -1;
    if (sizeof out - dstLeft != 4) return -1;  // no character, or more than one
    return out[0] | (out[1] << 8) | (static_cast<long>(out[2]) << 16) |
           (static_cast<long>(out[3]) << 24);
}

bool MakeTable(const char* name, DoubleByteTable* table) {
    iconv_t cd = iconv_open("UTF-32LE", IsShiftJisName(name) ? "CP932" : name);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    for (int b = 0; b < 256; ++b) {
        char one = static_cast<char>(b);
        long c = Scalar(cd, &one, 1);
        table->map[b] = c > 0xFFFF ? -1 : static_cast<int>(c);
        table->firstIndex[b] = -1;
        if (c != -2) continue;
        table->firstIndex[b] = static_cast<int>(table->second.size() / 256);
        table->second.resize(table->second.size() + 256, 0);
        for (int t = 0; t < 256; ++t) {
            char two[2] = {one, static_cast<char>(t)};
            long d = Scalar(cd, two, 2);
            // expat takes only characters of one UTF-16 unit, and none of 0
            if (d > 0 && d <= 0xFFFF)
                table->second[table->second.size() - 256 + t] = static_cast<uint16_t>(d);
        }
    }
    iconv_close(cd);
    return true;
}

int XMLCALL Convert(void* data, const char* s) {
    const DoubleByteTable* table = static_cast<const DoubleByteTable*>(data);
    int first = table->firstIndex[static_cast<unsigned char>(s[0])];
    uint16_t c = first < 0 ? 0 : table->second[256 * first + static_cast<unsigned char>(s[1])];
    return c ? c : -1;
}

void XMLCALL Release(void* data) { delete static_cast<DoubleByteTable*>(data); }

struct Reading {
    XML_Parser parser;
    LogiqxBuilder* builder;
    bool noMemory;
};

// Nothing may be thrown through expat's C frames: a refused allocation
// stops the parser and is thrown again once it has returned.
template <typename Step>
void Guarded(void* data, Step step) {
    Reading* r = static_cast<Reading*>(data);
    try {
        step(*r->builder);
    } catch (const std::bad_alloc&) {
        r->noMemory = true;
        XML_StopParser(r->parser, XML_FALSE);
    }
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    Guarded(data, [&](LogiqxBuilder& builder) {
        XmlAttributes list;
        for (size_t i = 0; attributes[i] && attributes[i + 1]; i += 2)
            list.push_back(
                std::make_pair(std::string(attributes[i]), std::string(attributes[i + 1])));
        builder.Start(name, list);
    });
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
    Guarded(data, [&](LogiqxBuilder& builder) { builder.End(name); });
}

void XMLCALL OnText(void* data, const XML_Char* text, int n) {
    Guarded(data, [&](LogiqxBuilder& builder) { builder.Text(text, static_cast<size_t>(n)); });
}

int XMLCALL OnUnknownEncoding(void* data, const XML_Char* name, XML_Encoding* info) {
    DoubleByteTable* table = nullptr;
    try {
        table = new DoubleByteTable;
        if (!MakeTable(name, table)) {
            delete table;
            return XML_STATUS_ERROR;
        }
    } catch (const std::bad_alloc&) {
        delete table;
        static_cast<Reading*>(data)->noMemory = true;
        return XML_STATUS_ERROR;
    }
    std::memcpy(info->map, table->map, sizeof info->map);
    info->data = table;
    info->convert = Convert;
    info->release = Release;
    return XML_STATUS_OK;
}

}  // namespace

bool ParseLogiqx(const std::string& text, Dat* out, uint32_t* line, std::string* why) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser) throw std::bad_alloc();
    LogiqxBuilder builder(out);
    Reading reading = {parser, &builder, false};
    XML_SetUserData(parser, &reading);
    XML_SetElementHandler(parser, OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser, OnText);
    XML_SetUnknownEncodingHandler(parser, OnUnknownEncoding, &reading);
    bool ok =
        XML_Parse(parser, text.data(), static_cast<int>(text.size()), XML_TRUE) == XML_STATUS_OK;
    if (!ok && !reading.noMemory) {
        *line = static_cast<uint32_t>(XML_GetCurrentLineNumber(parser));
        *why = std::string("it is not well-formed XML (") +
               XML_ErrorString(XML_GetErrorCode(parser)) + ")";
    }
    XML_ParserFree(parser);
    if (reading.noMemory) throw std::bad_alloc();
    return ok && builder.Finish(why);
}
