// Byte-level path rules shared by the settings file, backups, extraction and
// opening. Paths are multibyte strings (Shift-JIS): a backslash or a '.' is
// only recognised where it is a character of its own, never as the second
// byte of a double-byte character (表 and ソ end in 0x5C).
#ifndef ORVANEL_DOCUMENT_PATHS_H
#define ORVANEL_DOCUMENT_PATHS_H

#include <cstddef>
#include <cstdint>

const size_t kPathMax = 260;  // path buffers, NUL included

// How the bytes of a path are read. Windows paths are in the ANSI code page
// (Shift-JIS), where the second byte of a character may be 0x5C or '.', and
// separate folders with '\' or '/'; POSIX paths are UTF-8, where no byte of
// a longer character is ASCII, and separate folders with '/' alone. The
// window's paths are Windows paths everywhere; d88 uses the system's.
enum PathStyle { kWindowsPaths, kPosixPaths };
#ifdef _WIN32
const PathStyle kSystemPaths = kWindowsPaths;
#else
const PathStyle kSystemPaths = kPosixPaths;
#endif

bool IsLeadByte(unsigned char c);

// Index of the last backslash of the path, or -1.
int LastBackslash(const char* path);
// Index of the '.' that starts the extension of the last path component,
// or -1 when that component has none.
int ExtensionDot(const char* path, PathStyle style = kWindowsPaths);
// Length of the folder part of a path, its last separator included (on
// Windows also a drive's "C:"); 0 for a name alone.
size_t FolderPartLength(const char* path, PathStyle style = kWindowsPaths);
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
bool ReplaceExtension(const char* path, const char* ext, char* out, size_t outSize,
                      PathStyle style = kWindowsPaths);

// The backup name of a file: ReplaceExtension with ".bak" (520 bytes room).
bool BackupName(const char* path, char* out, size_t outSize, PathStyle style = kWindowsPaths);

// A name for a new file in the folder of `target`, the `attempt`-th of a
// series that `seed` starts: the folder part, then "~orv", eight hex digits
// and ".tmp", or, where the folder leaves less room, "~orv" and as many hex
// digits as fit (at least one), so that the whole stays within 259 bytes
// (Windows) or outSize - 1 bytes. False when not even that fits. The caller
// creates it only if nothing has that name (CREATE_NEW, O_EXCL).
bool NewFileNameBeside(const char* target, uint32_t seed, uint32_t attempt, char* out,
                       size_t outSize, PathStyle style = kWindowsPaths);

// The name of the file an extracted disk is written to:
// folder + '\' (unless it ends in one) + fileTitle with its extension dot
// turned into a space and the rest cut + diskName + ".D88". The disk's name
// is its ExtractNamePart. POSIX paths take '/' for the separator.
// False when the result would be longer than 259 bytes (Windows) or
// outSize - 1 bytes; out then holds the name cut to fit (at a character
// boundary), for the message.
bool BuildExtractTarget(const char* folder, const char* fileTitle, const char* diskName,
                        char* out, size_t outSize, PathStyle style = kWindowsPaths);

// The text after the program's own name on a command line (the name may be
// quoted), with the blanks and tabs after it skipped.
const char* SkipProgramName(const char* commandLine);
// A command-line path: copied to at most 259 bytes; a path wholly enclosed
// in one pair of double quotes loses them.
void CommandLinePath(const char* tail, char out[kPathMax]);

#endif
