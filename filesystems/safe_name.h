// A file's stored name as a name a file of its own can take on Windows and
// on POSIX systems, and the same text to show the name by. The stored
// bytes are read as JIS X 0201 (one byte a character: ASCII and half-width
// katakana, as the BASICs keep names) or as Shift-JIS (MS-DOS); the result
// is CP932, as every text of the program, and always converts to UTF-16
// and UTF-8. What no name may hold becomes %XX, one for each byte:
// bytes that are no character, control characters, < > : " / \ | ? *,
// and dots and spaces at the end. A device name (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9, with any extension) gets '_' after its base name, and an
// empty name is "_".
#ifndef ORVANEL_FILESYSTEMS_SAFE_NAME_H
#define ORVANEL_FILESYSTEMS_SAFE_NAME_H

#include <string>

#include "filesystems/disk_files.h"

struct SafeName {
    std::string text;  // CP932
    bool changed;      // not the stored bytes
    std::string why;   // what was changed, for the message; empty when nothing
};
SafeName MakeSafeName(const std::string& stored, NameCharset charset);

#endif
