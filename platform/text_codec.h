// Text between the program's byte strings and the system's: CP932 (the
// code page of the program's texts and of disk names), UTF-8, and the
// system's own encoding of paths. Every conversion is exact: a character
// that has no form on the other side makes it fail, nothing is replaced.
// The conversions are the system's (MultiByteToWideChar on Windows, iconv
// elsewhere); the rest of the program keeps bytes.
#ifndef ORVANEL_PLATFORM_TEXT_CODEC_H
#define ORVANEL_PLATFORM_TEXT_CODEC_H

#include <string>

bool Cp932ToUtf8(const std::string& cp932, std::string* utf8);
bool Utf8ToCp932(const std::string& utf8, std::string* cp932);

#endif
