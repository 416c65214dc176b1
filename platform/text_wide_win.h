// The wide-character side of the text codec, for the code that calls the
// system's W functions: paths (UTF-8 in the program) and the program's texts
// and disk names (CP932) as UTF-16, and back.
#ifndef ORVANEL_PLATFORM_TEXT_WIDE_WIN_H
#define ORVANEL_PLATFORM_TEXT_WIDE_WIN_H

#include <string>

// A path as the system's W functions take it.
std::wstring WideFromUtf8(const std::string& utf8);
// A path the system gave, as the program keeps it.
std::string Utf8FromWide(const wchar_t* wide);
// A text of the program, or a disk name, as shown (a byte that is no
// CP932 character shows as the system's replacement).
std::wstring WideFromCp932(const std::string& cp932);
// Text the user typed, as CP932: false when a character has no CP932 form.
bool Cp932FromWide(const wchar_t* wide, std::string* cp932);
// Whether the system's ANSI code page holds every character of the text.
bool FitsSystemCodePage(const std::wstring& wide);

#endif
