// Byte-level path rules shared by the settings file, backups, extraction and
// opening. Paths are UTF-8 on every system: no byte of a longer character
// is ASCII, so a separator or a '.' is always a character of its own. The
// window and d88 turn them into the system's own form only where they meet
// the system (the wide-character functions on Windows).
#ifndef ORVANEL_DOCUMENT_PATHS_H
#define ORVANEL_DOCUMENT_PATHS_H

#include <cstddef>
#include <cstdint>

// The system's limit on Windows: a path of at most 259 characters (UTF-16
// units) and its NUL.
const size_t kPathMax = 260;
// A buffer that holds any such path in UTF-8, NUL included.
const size_t kPathBytes = 3 * (kPathMax - 1) + 1;

// How a path is read. Windows paths separate folders with '\' or '/' and
// may start with a drive ("C:"), and hold at most 259 characters; POSIX
// paths separate folders with '/' alone. The window's paths are Windows
// paths everywhere; d88 uses the system's.
enum PathStyle { kWindowsPaths, kPosixPaths };
#ifdef _WIN32
const PathStyle kSystemPaths = kWindowsPaths;
#else
const PathStyle kSystemPaths = kPosixPaths;
#endif

// Whether a byte starts a double-byte character of CP932 (disk names).
bool IsLeadByte(unsigned char c);

// The number of UTF-16 units the UTF-8 text takes (a byte that is no UTF-8
// counts as one).
size_t Utf16Length(const char* utf8);

// Index of the last backslash of the path, or -1.
int LastBackslash(const char* path);
// Index of the '.' that starts the extension of the last path component,
// or -1 when that component has none.
int ExtensionDot(const char* path, PathStyle style = kWindowsPaths);
// Length of the folder part of a path, its last separator included (on
// Windows also a drive's "C:"); 0 for a name alone.
size_t FolderPartLength(const char* path, PathStyle style = kWindowsPaths);
// Removes one trailing backslash in place. True when one was removed.
bool TrimTrailingBackslash(char* path);

// Cuts `path` at the '.' of its extension (or keeps it whole) and appends
// `ext`, into out of outSize bytes. A path whose last component starts with
// its only '.' loses that component's name. False when it does not fit.
bool ReplaceExtension(const char* path, const char* ext, char* out, size_t outSize,
                      PathStyle style = kWindowsPaths);

// The backup name of a file: ReplaceExtension with ".bak".
bool BackupName(const char* path, char* out, size_t outSize, PathStyle style = kWindowsPaths);

// A name for a new file in the folder of `target`, the `attempt`-th of a
// series that `seed` starts: the folder part, then "~orv", eight hex digits
// and ".tmp", or, where the folder leaves less room, "~orv" and as many hex
// digits as fit (at least one), so that the whole stays within 259
// characters (Windows) and outSize - 1 bytes. False when not even that
// fits. The caller creates it only if nothing has that name (CREATE_NEW,
// O_EXCL).
bool NewFileNameBeside(const char* target, uint32_t seed, uint32_t attempt, char* out,
                       size_t outSize, PathStyle style = kWindowsPaths);

// The name of the file an extracted disk is written to:
// folder + '\' (unless it ends in one) + fileTitle with its extension dot
// turned into a space and the rest cut + diskName + ".D88". diskName is the
// disk's ExtractNamePart as UTF-8. POSIX paths take '/' for the separator.
// False when the result would be longer than 259 characters (Windows) or
// outSize - 1 bytes; out then holds the name cut to fit (at a character
// boundary), for the message.
bool BuildExtractTarget(const char* folder, const char* fileTitle, const char* diskName, char* out,
                        size_t outSize, PathStyle style = kWindowsPaths);

// The text after the program's own name on a command line (the name may be
// quoted), with the blanks and tabs after it skipped.
const char* SkipProgramName(const char* commandLine);
// A command-line path: copied to at most 259 characters; a path wholly
// enclosed in one pair of double quotes loses them.
void CommandLinePath(const char* tail, char out[kPathBytes]);

#endif
