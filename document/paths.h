// Byte-level path rules shared by the settings file, backups, extraction and
// opening. Paths are multibyte strings (Shift-JIS): a backslash or a '.' is
// only recognised where it is a character of its own, never as the second
// byte of a double-byte character (表 and ソ end in 0x5C).
#ifndef ORVANEL_DOCUMENT_PATHS_H
#define ORVANEL_DOCUMENT_PATHS_H

#include <cstddef>

const size_t kPathMax = 260;  // path buffers, NUL included

bool IsLeadByte(unsigned char c);

// Index of the last backslash of the path, or -1.
int LastBackslash(const char* path);
// Index of the '.' that starts the extension of the last path component,
// or -1 when that component has none.
int ExtensionDot(const char* path);
// Removes one trailing backslash in place (not one that ends a double-byte
// character). True when one was removed.
bool TrimTrailingBackslash(char* path);
// Whether two folder paths name the same folder as text: one trailing
// backslash on either side does not count ("A:" is "A:\"), and letters of
// single-byte characters match in either case (double-byte characters
// match byte for byte).
bool SameFolder(const char* a, const char* b);

// Cuts `path` at the '.' of its extension (or keeps it whole) and appends
// `ext`, into out of outSize bytes. A path whose last component starts with
// its only '.' loses that component's name. False when it does not fit.
bool ReplaceExtension(const char* path, const char* ext, char* out, size_t outSize);

// The backup name of a file: ReplaceExtension with ".bak" (520 bytes room).
bool BackupName(const char* path, char* out, size_t outSize);

// The name of the file an extracted disk is written to:
// folder + '\' (unless it ends in one) + fileTitle with its extension dot
// turned into a space and the rest cut + diskName + ".D88".
// False when the result would be longer than 259 bytes; out then holds the
// name cut to fit (at a character boundary), for the message.
bool BuildExtractTarget(const char* folder, const char* fileTitle, const char* diskName,
                        char* out, size_t outSize);

// The text after the program's own name on a command line (the name may be
// quoted), with the blanks and tabs after it skipped.
const char* SkipProgramName(const char* commandLine);
// A command-line path: copied to at most 259 bytes; a path wholly enclosed
// in one pair of double quotes loses them.
void CommandLinePath(const char* tail, char out[kPathMax]);

#endif
