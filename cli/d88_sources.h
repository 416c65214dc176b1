// Where the collection commands find their images: FILE@N (image N of a
// file), folders taken recursively, and the progress line they show on a
// terminal while they read.
#ifndef ORVANEL_CLI_D88_SOURCES_H
#define ORVANEL_CLI_D88_SOURCES_H

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class FileApi;

namespace d88cli {

// An argument that names a file, or image N of it ("GAME.D88@2", numbered
// from 0 as 'd88 list' numbers them). A path that exists as it is written
// is a path, even when it ends in @ and digits.
struct ImageRef {
    std::string path;
    bool hasIndex;
    uint32_t index;
};
ImageRef ParseImageRef(FileApi& files, const std::string& arg);

// One container file to read, found from an argument.
struct Source {
    std::string path;      // as it is opened and shown
    std::string relative;  // below the folder it was found in; a file given itself: its name
    bool hasIndex;         // only image `index` of it
    uint32_t index;
    uint64_t size;  // its length when it was found
    uint64_t volume, fileIndex;  // which file it is (PathFacts)
};

// The files the arguments name: a file as it is (whatever its extension,
// with @N), a folder as every file below it with an extension of the D88
// family (HasD88FamilyExtension), in name order, subfolders included. A
// file named twice is read once, and FILE@N not at all beside FILE. Only
// files of data are taken. What names nothing readable (an argument, or an
// entry of a folder that cannot be looked at, or a link to nothing named
// like a D88 file) is reported on `err`; false when there was one.
bool ExpandPaths(FileApi& files, const std::vector<std::string>& args, std::vector<Source>* out,
                 std::ostream& err);

// The line "files and bytes done, of the total" on standard error while a
// command reads, redrawn at most ten times a second and wiped before
// anything else is printed and at the end. Shown only when `on`.
class Progress {
public:
    Progress(std::ostream& err, bool on, const std::vector<Source>& sources);
    ~Progress() { Wipe(); }
    void Add(uint64_t bytes);
    void FileDone(uint64_t fileSize);
    // Clears the line (before other output; it comes back with the next Add).
    void Wipe();

private:
    void Draw(bool now);
    std::ostream& err_;
    bool on_;
    size_t files_ = 0, totalFiles_ = 0;
    uint64_t bytes_ = 0, fileBytes_ = 0, totalBytes_ = 0;
    size_t shown_ = 0;  // width of the line on screen, 0 when none
    std::chrono::steady_clock::time_point last_;
};

// Whether the stream is the process's standard error and that is a terminal.
bool IsTerminalErr(const std::ostream& err);

}  // namespace d88cli

#endif
