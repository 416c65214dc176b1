// Logiqx XML read with XmlLite, which Windows has had since XP SP3 (and Wine
// has too). MinGW-w64 ships its header but no import library, so
// CreateXmlReader is taken from xmllite.dll when a DAT is first read. The
// DOCTYPE of a Logiqx DAT is allowed; its external DTD is not fetched (no
// resolver is set), and XmlLite limits entity expansion by itself.
#include <objbase.h>
#include <windows.h>
#include <xmllite.h>

#include <cstdio>
#include <new>

#include "collection/dat.h"

namespace {

// IID_IXmlReader, defined here as there is no library that holds it.
const GUID kIidXmlReader = {
    0x7279fc81, 0x709d, 0x4095, {0xb6, 0x3d, 0x69, 0xfe, 0x4b, 0x0d, 0x90, 0x30}};

typedef HRESULT(WINAPI* CreateXmlReaderFn)(REFIID, void**, IMalloc*);

CreateXmlReaderFn CreateXmlReaderFromSystem() {
    static CreateXmlReaderFn create = [] {
        HMODULE dll = LoadLibraryA("xmllite.dll");
        return dll ? reinterpret_cast<CreateXmlReaderFn>(
                         reinterpret_cast<void*>(GetProcAddress(dll, "CreateXmlReader")))
                   : nullptr;
    }();
    return create;
}

// Releases a COM object when it goes out of scope.
template <typename T>
class Held {
public:
    Held() : p(nullptr) {}
    ~Held() {
        if (p) p->Release();
    }
    T* p;

private:
    Held(const Held&);
    Held& operator=(const Held&);
};

std::string Utf8(const WCHAR* text, UINT n) {
    if (!text || n == 0) return std::string();
    int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), &out[0], bytes, nullptr, nullptr);
    return out;
}

std::string LocalName(IXmlReader* reader) {
    const WCHAR* name = nullptr;
    UINT n = 0;
    if (FAILED(reader->GetLocalName(&name, &n))) return std::string();
    return Utf8(name, n);
}

std::string Value(IXmlReader* reader) {
    const WCHAR* value = nullptr;
    UINT n = 0;
    if (FAILED(reader->GetValue(&value, &n))) return std::string();
    return Utf8(value, n);
}

// A stream over a copy of the bytes, which the stream frees.
IStream* StreamOf(const std::string& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() ? text.size() : 1);
    if (!block) return nullptr;
    void* bytes = GlobalLock(block);
    if (bytes) {
        CopyMemory(bytes, text.data(), text.size());
        GlobalUnlock(block);
    }
    IStream* stream = nullptr;
    if (!bytes || FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return nullptr;
    }
    // The stream's size is the block's, which may be rounded up.
    ULARGE_INTEGER size;
    size.QuadPart = text.size();
    stream->SetSize(size);
    return stream;
}

}  // namespace

bool ParseLogiqx(const std::string& text, Dat* out, uint32_t* line, std::string* why) {
    CreateXmlReaderFn create = CreateXmlReaderFromSystem();
    if (!create) {
        *why = "the system's XML reader (CreateXmlReader of xmllite.dll) is not there";
        return false;
    }
    // Wine's XmlLite knows only the Unicode encodings and US-ASCII.
    std::string utf8;
    bool undecodable = false;
    bool converted = ShiftJisXmlToUtf8(text, &utf8, &undecodable);
    if (undecodable) {
        *why = "it is declared Shift_JIS, but holds bytes that are no Shift_JIS characters";
        return false;
    }
    Held<IStream> stream;
    Held<IXmlReader> reader;
    stream.p = StreamOf(converted ? utf8 : text);
    if (!stream.p) throw std::bad_alloc();
    if (FAILED(create(kIidXmlReader, reinterpret_cast<void**>(&reader.p), nullptr)) || !reader.p)
        throw std::bad_alloc();
    reader.p->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Parse);
    if (FAILED(reader.p->SetInput(stream.p))) {
        *why = "the system's XML reader refused the text";
        return false;
    }
    LogiqxBuilder builder(out);
    XmlNodeType type = XmlNodeType_None;
    HRESULT hr;
    while ((hr = reader.p->Read(&type)) == S_OK) {
        if (type == XmlNodeType_Element) {
            std::string name = LocalName(reader.p);
            bool empty = reader.p->IsEmptyElement() != FALSE;
            XmlAttributes attributes;
            for (HRESULT a = reader.p->MoveToFirstAttribute(); a == S_OK;
                 a = reader.p->MoveToNextAttribute())
                attributes.push_back(std::make_pair(LocalName(reader.p), Value(reader.p)));
            reader.p->MoveToElement();
            builder.Start(name, attributes);
            if (empty) builder.End(name);
        } else if (type == XmlNodeType_EndElement) {
            builder.End(LocalName(reader.p));
        } else if (type == XmlNodeType_Text || type == XmlNodeType_CDATA ||
                   type == XmlNodeType_Whitespace) {
            std::string value = Value(reader.p);
            builder.Text(value.data(), value.size());
        }
    }
    if (FAILED(hr)) {
        UINT at = 0;
        reader.p->GetLineNumber(&at);
        *line = at;
        char message[80];
        std::snprintf(message, sizeof message, "it is not well-formed XML (XmlLite error 0x%08lX)",
                      static_cast<unsigned long>(hr));
        *why = message;
        return false;
    }
    return builder.Finish(why);
}
