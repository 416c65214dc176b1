// FILE@N, the recursive expansion of folders, and the progress line.
#include "cli/d88_sources.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <set>
#include <utility>

#include "document/paths.h"
#include "platform/file_api.h"
#include "store/d88.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace d88cli {

namespace {

const int kDeepest = 64;  // folders below an argument, against loops of links

#ifdef _WIN32
const char kSeparator = '\\';
#else
const char kSeparator = '/';
#endif

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    // A backslash that ends a double-byte character (表) is no separator.
    bool ends = folder[folder.size() - 1] == '/' ||
                (kSeparator == '\\' &&
                 LastBackslash(folder.c_str()) == static_cast<int>(folder.size()) - 1);
    if (ends) return folder + name;
    return folder + kSeparator + name;
}

// Whether a name that was just listed in its folder leads nowhere: a link
// to nothing, or a file removed meanwhile.
bool LeadsNowhere(const SystemError& error) {
    return (error.kind == kErrnoCode && error.code == ENOENT) ||
           (error.kind == kWindowsCode && (error.code == 2 || error.code == 3));
}

const char kNotData[] = "not opened: it is no file of data (a named pipe, a device or a socket)";

class Expander {
public:
    Expander(FileApi& files, std::vector<Source>* out, std::ostream& err)
        : files_(files), out_(out), err_(err) {}

    void Argument(const std::string& arg) {
        ImageRef ref = ParseImageRef(files_, arg);
        PathFacts facts;
        if (!files_.Inspect(ref.path.c_str(), &facts)) {
            SystemError error = files_.LastError();
            return Fail(ref.path, files_.Exists(ref.path.c_str()) ? SystemErrorText(error)
                                                                  : "no such file or folder");
        }
        if (facts.folder) {
            if (ref.hasIndex) return Fail(arg, "a folder holds no images of its own");
            return Folder(ref.path, std::string(), facts, 0);
        }
        if (!facts.regular) return Fail(ref.path, kNotData);
        size_t title = FolderPartLength(ref.path.c_str(), kSystemPaths);
        Take(ref.path, ref.path.substr(title), ref, facts);
    }

    bool failed = false;

private:
    void Fail(const std::string& path, const std::string& why) {
        err_ << "d88: " << path << ": " << why << "\n";
        failed = true;
    }

    void Take(const std::string& path, const std::string& relative, const ImageRef& ref,
              const PathFacts& facts) {
        // The same file reached twice (a folder and a file in it, a link) is
        // read once, and so is an image of a file that is read whole.
        std::string file = path;
        if (facts.index != 0)
            file = std::to_string(facts.volume) + ":" + std::to_string(facts.index);
        if (whole_.count(file)) return;
        if (!ref.hasIndex) {
            whole_.insert(file);
            for (size_t i = out_->size(); i-- > 0;) {
                if (fileOf_[i] != file) continue;
                out_->erase(out_->begin() + i);
                fileOf_.erase(fileOf_.begin() + i);
            }
        } else if (!seen_.insert(file + "@" + std::to_string(ref.index)).second) {
            return;
        }
        Source s = {path, relative, ref.hasIndex, ref.index, facts.size, facts.volume, facts.index};
        out_->push_back(s);
        fileOf_.push_back(file);
    }

    void Folder(const std::string& path, const std::string& relative, const PathFacts& facts,
                int depth) {
        std::pair<uint64_t, uint64_t> id(facts.volume, facts.index);
        if (depth > kDeepest || (facts.index != 0 && open_.count(id))) {
            return Fail(path,
                        "the folders below it loop back (through a link), or go deeper than " +
                            std::to_string(kDeepest));
        }
        std::vector<std::string> names;
        if (!files_.ListFolder(path.c_str(), &names, false))
            return Fail(path, SystemErrorText(files_.LastError()));
        std::sort(names.begin(), names.end());
        open_.insert(id);
        ImageRef whole = {std::string(), false, 0};
        for (size_t i = 0; i < names.size(); ++i) {
            std::string child = Join(path, names[i]);
            std::string rel = relative.empty() ? names[i] : relative + "/" + names[i];
            PathFacts cf;
            bool named = HasD88FamilyExtension(names[i].c_str());
            if (!files_.Inspect(child.c_str(), &cf)) {
                // What cannot be looked at might be a folder or a D88 file;
                // a link to nothing is one only by its name.
                SystemError error = files_.LastError();
                if (!LeadsNowhere(error))
                    Fail(child, "cannot look at it: " + SystemErrorText(error));
                else if (named)
                    Fail(child, "a link to nothing (what it named is gone)");
            } else if (cf.folder) {
                Folder(child, rel, cf, depth + 1);
            } else if (named) {
                if (cf.regular)
                    Take(child, rel, whole, cf);
                else
                    Fail(child, kNotData);
            }
        }
        open_.erase(id);
    }

    FileApi& files_;
    std::vector<Source>* out_;
    std::ostream& err_;
    std::set<std::string> seen_;       // file@index of the images taken alone
    std::set<std::string> whole_;      // the files read whole
    std::vector<std::string> fileOf_;  // the file of each source taken
    std::set<std::pair<uint64_t, uint64_t> > open_;
};

std::string Mib(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

}  // namespace

ImageRef ParseImageRef(FileApi& files, const std::string& arg) {
    ImageRef ref = {arg, false, 0};
    size_t at = arg.rfind('@');
    if (at == std::string::npos || at == 0 || at + 1 == arg.size() || arg.size() - at - 1 > 10)
        return ref;
    uint64_t v = 0;
    for (size_t i = at + 1; i < arg.size(); ++i) {
        if (arg[i] < '0' || arg[i] > '9') return ref;
        v = v * 10 + static_cast<uint64_t>(arg[i] - '0');
    }
    if (v > 0xFFFFFFFFu || files.Exists(arg.c_str())) return ref;
    ref.path = arg.substr(0, at);
    ref.hasIndex = true;
    ref.index = static_cast<uint32_t>(v);
    return ref;
}

bool ExpandPaths(FileApi& files, const std::vector<std::string>& args, std::vector<Source>* out,
                 std::ostream& err) {
    Expander expander(files, out, err);
    for (size_t i = 0; i < args.size(); ++i) expander.Argument(args[i]);
    return !expander.failed;
}

Progress::Progress(std::ostream& err, bool on, const std::vector<Source>& sources)
    : err_(err), on_(on), totalFiles_(sources.size()) {
    for (size_t i = 0; i < sources.size(); ++i) totalBytes_ += sources[i].size;
}

void Progress::Add(uint64_t bytes) {
    bytes_ += bytes;
    Draw(false);
}

void Progress::FileDone(uint64_t fileSize) {
    ++files_;
    fileBytes_ += fileSize;
    bytes_ = fileBytes_;
    Draw(false);
}

void Progress::Draw(bool now) {
    if (!on_) return;
    std::chrono::steady_clock::time_point t = std::chrono::steady_clock::now();
    if (!now && shown_ && t - last_ < std::chrono::milliseconds(100)) return;
    last_ = t;
    std::string line = "d88: " + std::to_string(files_) + " of " + std::to_string(totalFiles_) +
                       " files, " + Mib(bytes_) + " of " + Mib(totalBytes_) + " MiB";
    err_ << "\r" << line;
    if (line.size() < shown_) err_ << std::string(shown_ - line.size(), ' ') << "\r" << line;
    err_.flush();
    shown_ = line.size();
}

void Progress::Wipe() {
    if (!on_ || !shown_) return;
    err_ << "\r" << std::string(shown_, ' ') << "\r";
    err_.flush();
    shown_ = 0;
}

bool IsTerminalErr(const std::ostream& err) {
    if (&err != &std::cerr) return false;
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(2) != 0;
#endif
}

}  // namespace d88cli
