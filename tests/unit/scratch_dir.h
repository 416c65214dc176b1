// A fresh folder for one test, removed with everything in it afterwards,
// and small helpers to put bytes into files and take them out again.
#ifndef ORVANEL_TESTS_UNIT_SCRATCH_DIR_H
#define ORVANEL_TESTS_UNIT_SCRATCH_DIR_H

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/small_disk.h"

typedef std::vector<uint8_t> Bytes;

class ScratchDir {
public:
    ScratchDir() {
        char name[] = "/tmp/orvanel-test-XXXXXX";
        path_ = mkdtemp(name) ? name : "";
    }
    ~ScratchDir() {
        if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
    }
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Names in the folder, "." and ".." left out.
    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        DIR* d = opendir(path_.c_str());
        if (!d) return out;
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") out.push_back(n);
        }
        closedir(d);
        return out;
    }

private:
    std::string path_;
};

inline void PutFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

inline bool GetFile(const std::string& path, Bytes* bytes) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

#endif
