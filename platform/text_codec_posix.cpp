// The conversions through iconv.
#include <iconv.h>

#include <string>

#include "platform/text_codec.h"

namespace {

// Converts the whole of `in`; false on any character that does not convert,
// and on an incomplete sequence at the end.
bool Convert(const char* from, const char* to, const std::string& in, std::string* out) {
    out->clear();
    if (in.empty()) return true;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string source(in);
    char* src = &source[0];
    size_t srcLeft = source.size();
    std::string result(4 * in.size() + 16, '\0');
    char* dst = &result[0];
    size_t dstLeft = result.size();
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    bool ok = rc != static_cast<size_t>(-1) && srcLeft == 0;
    // Flushes any shift state (none in these code pages, but cheap).
    if (ok) ok = iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    if (!ok) return false;
    result.resize(result.size() - dstLeft);
    out->swap(result);
    return true;
}

}  // namespace

bool Cp932ToUtf8(const std::string& cp932, std::string* utf8) {
    return Convert("CP932", "UTF-8", cp932, utf8);
}

bool Utf8ToCp932(const std::string& utf8, std::string* cp932) {
    return Convert("UTF-8", "CP932", utf8, cp932);
}
