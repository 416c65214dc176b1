// A tmpfs of a given size mounted on a folder for the time of a test: a full
// disk and a read-only one made real. Mounting needs root; a test that
// cannot mount reports itself skipped.
#ifndef ORVANEL_TESTS_SUPPORT_SMALL_DISK_H
#define ORVANEL_TESTS_SUPPORT_SMALL_DISK_H

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

// Mounts a tmpfs of a given size on a folder for the time of a test.
class SmallDisk {
public:
    SmallDisk(const std::string& where, const char* size) : where_(where) {
        mkdir(where.c_str(), 0755);
        std::string cmd =
            "mount -t tmpfs -o size=" + std::string(size) + " tmpfs '" + where + "' 2>/dev/null";
        mounted_ = std::system(cmd.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) std::system(("umount '" + where_ + "'").c_str());
    }
    bool mounted() const { return mounted_; }
    bool Remount(const char* how) {
        return std::system(
                   ("mount -o remount," + std::string(how) + " '" + where_ + "'").c_str()) == 0;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        DIR* d = opendir(where_.c_str());
        while (dirent* e = d ? readdir(d) : nullptr) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        if (d) closedir(d);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string where_;
    bool mounted_;
};

#endif
