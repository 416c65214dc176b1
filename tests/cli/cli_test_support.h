// Helpers of the d88 tests: a scratch folder per test, container bytes built
// in the test, and running the tool in process or as the built program.
#ifndef ORVANEL_TESTS_CLI_CLI_TEST_SUPPORT_H
#define ORVANEL_TESTS_CLI_CLI_TEST_SUPPORT_H

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/d88_cli.h"
#include "store/d88.h"
#include "tests/support/small_disk.h"
#include "tests/unit/test_images.h"

typedef std::vector<uint8_t> Bytes;

// Text written with escapes, so that the compiler's execution character set
// (CP932 for this project) does not touch it.
// UTF-8 of 表 (CP932 95 5C), ソ (83 5C), あ (82 A0).
#define U8_HYOU "\xE8\xA1\xA8"
#define U8_SO "\xE3\x82\xBD"
#define U8_A "\xE3\x81\x82"
#define CP_HYOU "\x95\x5C"
#define CP_SO "\x83\x5C"
#define CP_A "\x82\xA0"

class Scratch {
public:
    Scratch() {
        char name[] = "/tmp/d88-test-XXXXXX";
        path_ = mkdtemp(name) ? name : "";
    }
    ~Scratch() {
        if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
    }
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Names in the folder (or a folder below it), sorted, "." and ".." left out.
    std::vector<std::string> Names(const std::string& sub = std::string()) const {
        std::vector<std::string> out;
        DIR* d = opendir((sub.empty() ? path_ : File(sub)).c_str());
        if (!d) return out;
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") out.push_back(n);
        }
        closedir(d);
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    std::string path_;
};

inline void PutFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes GetFile(const std::string& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

inline Bytes Cat(const std::vector<Bytes>& parts) {
    Bytes out;
    for (size_t i = 0; i < parts.size(); ++i) out.insert(out.end(), parts[i].begin(), parts[i].end());
    return out;
}

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Runs the commands in process with the system's files and memory.
inline Outcome D88(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    Outcome o;
    o.status = d88cli::RunD88(args, out, err);
    o.out = out.str();
    o.err = err.str();
    return o;
}

inline Outcome D88(const std::vector<std::string>& args, FileApi& files, MemoryApi& memory) {
    std::ostringstream out, err;
    Outcome o;
    o.status = d88cli::RunD88(args, out, err, files, memory);
    o.out = out.str();
    o.err = err.str();
    return o;
}

// Runs a program with its output and errors caught in files of `scratch`.
inline Outcome RunProgram(const Scratch& scratch, const std::string& program,
                          const std::vector<std::string>& args) {
    std::string outPath = scratch.File(".stdout"), errPath = scratch.File(".stderr");
    Outcome o;
    o.status = -1;
    pid_t pid = fork();
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0) _exit(127);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (size_t i = 0; i < args.size(); ++i) argv.push_back(const_cast<char*>(args[i].c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int wstatus = 0;
    if (pid > 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus))
        o.status = WEXITSTATUS(wstatus);
    Bytes out = GetFile(outPath), err = GetFile(errPath);
    o.out.assign(out.begin(), out.end());
    o.err.assign(err.begin(), err.end());
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return o;
}

// The path of a program found on PATH, or empty.
inline std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return std::string();
}

#endif
