// The file-system tests' own disk builder: a D88 image made sector by
// sector from C/H/R, so that each test lays out its file system from the
// format's description and not from the readers' code. Also the way in
// for raw images written by mkfs.fat and mcopy.
#ifndef ORVANEL_TESTS_UNIT_FILESYSTEMS_TEST_DISK_H
#define ORVANEL_TESTS_UNIT_FILESYSTEMS_TEST_DISK_H

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "filesystems/disk_files.h"
#include "store/sector_view.h"
#include "tests/support/fault_memory.h"

typedef std::vector<uint8_t> Bytes;

class TestDisk {
public:
    // Every side of every cylinder with sectors R 1..spt of `size` bytes,
    // filled with `fill`; track 0 in FM with 26 x 128 where asked.
    TestDisk(unsigned cylinders, unsigned heads, unsigned spt, unsigned size, uint8_t fill = 0xFF,
             bool fmTrack0 = false) {
        for (unsigned c = 0; c < cylinders; ++c)
            for (unsigned h = 0; h < heads; ++h)
                for (unsigned r = 1; r <= spt; ++r) {
                    bool fm = fmTrack0 && c == 0 && h == 0;
                    sectors_[Key(c, h, r)] = Bytes(fm ? 128 : size, fill);
                    if (fm) fm_[Key(c, h, r)] = true;
                }
    }
    // The raw bytes of a disk, sector by sector in C, H, R order.
    static TestDisk FromRaw(const Bytes& raw, unsigned heads, unsigned spt, unsigned size) {
        const unsigned cylinders = static_cast<unsigned>(raw.size() / (heads * spt * size));
        TestDisk d(cylinders, heads, spt, size);
        for (size_t k = 0; k * size < raw.size(); ++k)
            std::memcpy(
                d.At(static_cast<unsigned>(k / spt / heads), static_cast<unsigned>(k / spt % heads),
                     static_cast<unsigned>(k % spt + 1)),
                &raw[k * size], size);
        return d;
    }
    uint8_t* At(unsigned c, unsigned h, unsigned r) { return &sectors_.at(Key(c, h, r))[0]; }
    void Put(unsigned c, unsigned h, unsigned r, unsigned offset, const Bytes& bytes) {
        std::memcpy(At(c, h, r) + offset, bytes.data(), bytes.size());
    }

    Bytes Image() const {
        Bytes img(688, 0);
        std::memcpy(&img[0], "TESTDISK", 8);
        std::map<unsigned, std::vector<std::pair<Key_, const Bytes*> > > tracks;
        for (std::map<Key_, Bytes>::const_iterator i = sectors_.begin(); i != sectors_.end(); ++i) {
            tracks[std::get<0>(i->first) * 2 + std::get<1>(i->first)].push_back(
                std::make_pair(i->first, &i->second));
        }
        for (auto& t : tracks) {
            Le32(&img[0x20 + 4 * t.first], static_cast<uint32_t>(img.size()));
            for (auto& s : t.second) {
                const Bytes& data = *s.second;
                uint8_t h[16] = {uint8_t(std::get<0>(s.first)),
                                 uint8_t(std::get<1>(s.first)),
                                 uint8_t(std::get<2>(s.first)),
                                 uint8_t(data.size() == 128   ? 0
                                         : data.size() == 256 ? 1
                                         : data.size() == 512 ? 2
                                                              : 3),
                                 uint8_t(t.second.size()),
                                 0,
                                 uint8_t(fm_.count(s.first) ? 0x40 : 0),
                                 0,
                                 0,
                                 0,
                                 0,
                                 0,
                                 0,
                                 0,
                                 uint8_t(data.size()),
                                 uint8_t(data.size() >> 8)};
                img.insert(img.end(), h, h + 16);
                img.insert(img.end(), data.begin(), data.end());
            }
        }
        Le32(&img[0x1C], static_cast<uint32_t>(img.size()));
        return img;
    }

private:
    typedef std::tuple<unsigned, unsigned, unsigned> Key_;
    static Key_ Key(unsigned c, unsigned h, unsigned r) { return Key_(c, h, r); }
    static void Le32(uint8_t* p, uint32_t v) {
        for (int k = 0; k < 4; ++k) p[k] = uint8_t(v >> (8 * k));
    }
    std::map<Key_, Bytes> sectors_;
    std::map<Key_, bool> fm_;
};

// An image opened for its files, from memory.
struct OpenedDisk {
    explicit OpenedDisk(const Bytes& image)
        : bytes(image),
          source(mem, bytes.data(), 0, static_cast<uint32_t>(bytes.size())),
          view(source) {
        view.Open();
        status = OpenDiskFiles(view, &volume);
    }
    // The file of that display name, or null.
    const DiskFile* File(const std::string& name, size_t* index = nullptr) const {
        for (size_t i = 0; i < volume.files.size(); ++i)
            if (DisplayName(volume.files[i]) == name) {
                if (index) *index = i;
                return &volume.files[i];
            }
        return nullptr;
    }
    // Its bytes, and the problem when it is broken.
    FsStatus Read(const std::string& name, Bytes* out, std::string* problem) {
        size_t i = 0;
        if (!File(name, &i)) return kFsIoFailed;
        return ReadDiskFile(view, volume, i, out, problem);
    }
    std::vector<std::string> Codes() const {
        std::vector<FsFinding> found;
        CheckDiskFiles(volume, &found);
        std::vector<std::string> codes;
        for (size_t i = 0; i < found.size(); ++i) codes.push_back(found[i].code);
        return codes;
    }
    Bytes bytes;
    FaultMemory mem;
    MemoryImage source;
    SectorView view;
    FsVolume volume;
    FsStatus status;
};

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// N88-BASIC as the format describes it: the system track holds the
// directory in R 1 to spt - 4 (16-byte entries) and three FATs in its last
// three sectors, one byte per cluster.
class N88Disk {
public:
    // 2D: 40 x 2 x 16, clusters of 8 sectors, system track C 18 H 1. Else
    // a cluster is a track side and the system track is `systemTrack`.
    N88Disk(unsigned cylinders = 40, unsigned spt = 16, unsigned systemTrack = 37)
        : disk(cylinders, 2, spt, 256, 0xFF, spt == 26),
          spt_(spt),
          perCluster_(spt == 16 && cylinders == 40 ? 8 : spt),
          system_(systemTrack) {
        fat.assign(256, 0xFF);
        for (unsigned k = 0; k < spt / perCluster_; ++k)
            fat[system_ * (spt / perCluster_) + k] = 0xFE;
    }
    void Sector(unsigned n, unsigned k, const uint8_t* data) {
        const unsigned side = n * perCluster_ / spt_, r = 1 + n * perCluster_ % spt_ + k;
        std::memcpy(disk.At(side / 2, side % 2, r), data, 256);
    }
    // A directory entry, and the data in `clusters` (FAT chained).
    void Add(const std::string& name9, uint8_t attr, const std::vector<unsigned>& clusters,
             const Bytes& data) {
        Bytes entry(16, 0xFF);
        std::memcpy(&entry[0], name9.data(), 9);
        entry[9] = attr;
        entry[10] = uint8_t(clusters.empty() ? 0 : clusters[0]);
        disk.Put(system_ / 2, system_ % 2, 1 + entries_ / 16, entries_ % 16 * 16, entry);
        ++entries_;
        Bytes padded = data;
        padded.resize((data.size() + 255) / 256 * 256, 0);
        for (size_t i = 0; i < clusters.size(); ++i) {
            unsigned used = 0;
            for (unsigned k = 0; k < perCluster_ && (i * perCluster_ + k) * 256 < padded.size();
                 ++k, ++used)
                Sector(clusters[i], k, &padded[(i * perCluster_ + k) * 256]);
            fat[clusters[i]] = uint8_t(i + 1 < clusters.size() ? clusters[i + 1] : 0xC0 + used);
        }
    }
    Bytes Image() {
        for (unsigned k = 0; k < 3; ++k) disk.Put(system_ / 2, system_ % 2, spt_ - 2 + k, 0, fat);
        return disk.Image();
    }
    TestDisk disk;
    Bytes fat;

private:
    unsigned spt_, perCluster_, system_, entries_ = 0;
};

#endif
