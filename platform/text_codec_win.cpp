// The conversions through the system's code page functions.
#include <windows.h>

#include <string>

#include "platform/text_codec.h"
#include "platform/text_wide_win.h"

namespace {

// Text in code page `from` as UTF-16; false when it is not valid there.
bool ToWide(UINT from, const std::string& in, std::wstring* out) {
    out->clear();
    if (in.empty()) return true;
    int n = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()),
                                nullptr, 0);
    if (n <= 0) return false;
    out->resize(static_cast<size_t>(n));
    return MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()),
                               &(*out)[0], n) == n;
}

// UTF-16 in code page `to`; false when a character has no exact form there.
bool FromWide(UINT to, const std::wstring& in, std::string* out) {
    out->clear();
    if (in.empty()) return true;
    BOOL usedDefault = FALSE;
    BOOL* flag = to == CP_UTF8 ? nullptr : &usedDefault;
    DWORD flags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(to, flags, in.data(), static_cast<int>(in.size()), nullptr, 0,
                                nullptr, flag);
    if (n <= 0 || usedDefault) return false;
    out->resize(static_cast<size_t>(n));
    n = WideCharToMultiByte(to, flags, in.data(), static_cast<int>(in.size()), &(*out)[0], n,
                            nullptr, flag);
    return n > 0 && !usedDefault;
}

bool Convert(UINT from, UINT to, const std::string& in, std::string* out) {
    std::wstring wide;
    return ToWide(from, in, &wide) && FromWide(to, wide, out);
}

}  // namespace

bool Cp932ToUtf8(const std::string& cp932, std::string* utf8) {
    return Convert(932, CP_UTF8, cp932, utf8);
}

bool Utf8ToCp932(const std::string& utf8, std::string* cp932) {
    return Convert(CP_UTF8, 932, utf8, cp932);
}

std::wstring WideFromUtf8(const std::string& utf8) {
    std::wstring wide;
    if (utf8.empty()) return wide;
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) return wide;
    wide.resize(static_cast<size_t>(n));
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
    return wide;
}

std::string Utf8FromWide(const wchar_t* wide) {
    std::string utf8;
    if (!wide || !*wide) return utf8;
    FromWide(CP_UTF8, wide, &utf8);
    return utf8;
}

std::wstring WideFromCp932(const std::string& cp932) {
    std::wstring wide;
    if (cp932.empty()) return wide;
    int n = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
    if (n <= 0) return wide;
    wide.resize(static_cast<size_t>(n));
    MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), &wide[0], n);
    return wide;
}

bool Cp932FromWide(const wchar_t* wide, std::string* cp932) {
    cp932->clear();
    return !wide || !*wide || FromWide(932, wide, cp932);
}

bool FitsSystemCodePage(const std::wstring& wide) {
    std::string ansi;
    return FromWide(CP_ACP, wide, &ansi);
}
