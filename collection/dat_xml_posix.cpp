// Logiqx XML read with expat, the native build's XML reader. expat reads no
// external DTD (the one a Logiqx DOCTYPE names is not fetched) and limits
// entity expansion by itself.
#include <expat.h>

#include <new>

#include "collection/dat.h"

namespace {

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

}  // namespace

bool ParseLogiqx(const std::string& text, Dat* out, uint32_t* line, std::string* why) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser) throw std::bad_alloc();
    LogiqxBuilder builder(out);
    Reading reading = {parser, &builder, false};
    XML_SetUserData(parser, &reading);
    XML_SetElementHandler(parser, OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser, OnText);
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
