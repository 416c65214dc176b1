// Text work of the d88 command-line tool: disk names between the CP932 of
// the header and the user's text, names for file names, and paths as text.
// The user's text is UTF-8 on every system (on Windows d88 takes its
// arguments from the wide-character command line and writes UTF-8), and
// is converted by the core's text codec.
#ifndef ORVANEL_CLI_D88_TEXT_H
#define ORVANEL_CLI_D88_TEXT_H

#include <cstddef>
#include <string>

namespace d88cli {

// CP932 bytes as UTF-8. A character without a UTF-8 form (a byte that is no
// CP932 character) becomes U+FFFD and *exact, when given, becomes false.
std::string Cp932ToUtf8(const std::string& cp932, bool* exact);

// A disk name (CP932) as shown on the terminal, in UTF-8. Control bytes,
// and bytes that are no character, are shown as \xNN. *columns gets the
// width on the terminal.
std::string NameForTerminal(const std::string& cp932, size_t* columns);

// A disk name typed by the user, as the CP932 bytes to store. False with a
// reason when it does not convert or takes more than 16 bytes.
bool NameFromArgument(const std::string& arg, std::string* cp932, std::string* why);

// A disk name (CP932) as a part of a file name, in UTF-8. False with a
// reason when it does not convert or holds a folder separator.
bool NameForFileName(const std::string& cp932, std::string* out, std::string* why);

// A path as UTF-8 text, each of its parts between '/' as it is when it is
// UTF-8, else read as CP932, a byte that is no CP932 character becoming
// %XX (its value in hexadecimal; a backslash would be a separator in a
// DAT's file name): the names of files on a POSIX system are any bytes.
std::string PathText(const std::string& path);

// Bytes as lower-case hexadecimal, two digits each, no separators.
std::string HexBytes(const std::string& bytes);

}  // namespace d88cli

#endif
