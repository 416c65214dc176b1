// Treats the input as a container file and takes it through the document's
// byte work: open, walk, header reads and edits, an appended copy, a move of
// some items, a save, a save that fails, and a second open of the saved file,
// which must list the saved images again. The same bytes also go through
// d88's streaming path (list, and a rename), which must find the images the
// window finds and write what the window writes.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "cli/d88_cli.h"
#include "document/document_io.h"
#include "document/reorder.h"
#include "platform/file_api.h"
#include "store/d88.h"
#include "store/image_buffer.h"
#include "tests/support/fault_files.h"
#include "tests/support/fault_memory.h"

namespace {

#define CHECK(cond)                                                                       \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

std::string& FolderName() {
    static std::string folder;
    return folder;
}

void RemoveFolder() {
    const std::string& folder = FolderName();
    const char* names[] = {"/in.d88", "/out.d88", "/out.bak", "/d88.d88", "/win.d88"};
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) unlink((folder + names[i]).c_str());
    rmdir(folder.c_str());
}

// One folder per run of the fuzzer, removed when it ends; in memory where
// the system has a file system there, as every save flushes to the disk.
const std::string& Folder() {
    std::string& folder = FolderName();
    if (folder.empty()) {
        char name[] = "/dev/shm/orvanel-fuzz-XXXXXX";
        char fallback[] = "/tmp/orvanel-fuzz-XXXXXX";
        char* made = mkdtemp(name);
        if (!made) made = mkdtemp(fallback);
        CHECK(made != nullptr);
        folder = made;
        std::atexit(RemoveFolder);
    }
    return folder;
}

void PutFile(const std::string& path, const uint8_t* data, size_t n) {
    FILE* f = std::fopen(path.c_str(), "wb");
    CHECK(f != nullptr);
    CHECK(n == 0 || std::fwrite(data, 1, n, f) == n);
    CHECK(std::fclose(f) == 0);
}

std::vector<uint8_t> GetFile(const std::string& path) {
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    CHECK(f != nullptr);
    uint8_t chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        out.insert(out.end(), chunk, chunk + got);
    std::fclose(f);
    return out;
}

struct Walk {
    MemoryApi* mem;
    const uint8_t* base;
    uint32_t size;
    std::vector<uint32_t> offsets;
};

uint32_t Step(void* ctx, uint32_t off) {
    Walk* w = static_cast<Walk*>(ctx);
    HeaderFields f;
    if (!ReadHeader(*w->mem, w->base, w->size, off, &f)) return 0;
    w->offsets.push_back(off);
    return f.diskSize;
}

bool IsLead(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// A display name is at most 17 bytes and never ends inside a character.
void CheckDisplayName(const char* name) {
    size_t n = std::strlen(name);
    CHECK(n <= kNameField);
    size_t i = 0;
    while (i < n) i += IsLead(static_cast<uint8_t>(name[i])) ? 2 : 1;
    CHECK(i == n);
}

// The size field of the header at off, read straight from the bytes, with
// the bytes past the buffer as 0.
uint32_t RawDiskSize(const uint8_t* base, uint32_t size, uint32_t off) {
    uint8_t b[4] = {0, 0, 0, 0};
    for (uint32_t k = 0; k < 4; ++k) {
        uint64_t at = static_cast<uint64_t>(off) + kOffDiskSize + k;
        if (at < size) b[k] = base[at];
    }
    return ReadLe32(b);
}

// The offsets `d88 list --json` prints.
std::vector<uint32_t> ListedOffsets(const std::string& json) {
    std::vector<uint32_t> offsets;
    const std::string key = "\"offset\": ";
    for (size_t at = json.find(key); at != std::string::npos; at = json.find(key, at + 1))
        offsets.push_back(
            static_cast<uint32_t>(std::strtoul(json.c_str() + at + key.size(), nullptr, 10)));
    return offsets;
}

int D88(const std::vector<std::string>& args, std::string* out) {
    std::ostringstream o, e;
    int status = d88cli::RunD88(args, o, e);
    *out = o.str();
    return status;
}

struct Saved {
    uint32_t extent;
    bool regular;  // the walk of the saved file will find the next image
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 16)) return 0;
    const std::string in = Folder() + "/in.d88";
    const std::string out = Folder() + "/out.d88";
    PutFile(in, data, size);

    FaultMemory mem(64u << (data[0] >> 6));
    FileApi& files = SystemFiles();
    const uint32_t n = static_cast<uint32_t>(size);

    // Open.
    uint8_t* first = nullptr;
    uint32_t firstSize = 0;
    bool opened = false;
    CHECK(ReadWholeFile(files, mem, in.c_str(), &first, &firstSize, &opened).ok());
    CHECK(opened && firstSize == n && std::memcmp(first, data, n) == 0);
    Walk w1 = {&mem, first, n, {}};
    bool reached1 = WalkImages(0, n, Step, &w1);

    // d88 lists the images the window found, and its rename of the first
    // writes what the window saves after the same rename, or changes nothing.
    std::string listed;
    CHECK(D88({"list", "--json", in}, &listed) == 0);
    CHECK(ListedOffsets(listed) == w1.offsets);
    if (!w1.offsets.empty()) {
        std::string name;
        for (size_t i = 1; i < n && name.size() < (data[0] & 15); ++i)
            name += static_cast<char>('A' + data[i] % 26);
        const std::string streamed = Folder() + "/d88.d88", windowed = Folder() + "/win.d88";
        PutFile(streamed, data, n);
        std::string ignored;
        int status = D88({"rename", streamed, "0", name}, &ignored);
        if (status == 0) {
            uint8_t* copy = mem.Allocate(n);
            CHECK(copy != nullptr);
            std::memcpy(copy, first, n);
            CHECK(WriteHeaderName(mem, copy, n, 0, name.c_str()));
            CHECK(WriteImages(files, mem, copy, n, w1.offsets.data(), w1.offsets.size(),
                              windowed.c_str(), false)
                      .ok());
            CHECK(GetFile(streamed) == GetFile(windowed));
            ReleaseBlock(mem, copy, n);
        } else {
            CHECK(status == 1 && GetFile(streamed) == std::vector<uint8_t>(data, data + n));
        }
    }

    // Add a copy of the same file.
    uint8_t* buf = nullptr;
    uint32_t added = 0;
    CHECK(ReadFileAppended(files, mem, in.c_str(), first, n, &buf, &added).ok());
    CHECK(added == n);
    CHECK(std::memcmp(buf, first, n) == 0 && std::memcmp(buf + n, data, n) == 0);
    ReleaseBlock(mem, first, n);
    const uint32_t total = 2 * n;
    Walk w2 = {&mem, buf, total, {}};
    bool reached2 = WalkImages(n, total, Step, &w2);
    CHECK(reached1 == reached2 && w1.offsets.size() == w2.offsets.size());
    for (size_t i = 0; i < w1.offsets.size(); ++i) CHECK(w2.offsets[i] == w1.offsets[i] + n);

    std::vector<uint32_t> items = w1.offsets;
    items.insert(items.end(), w2.offsets.begin(), w2.offsets.end());

    // Header fields and edits, names taken from the input.
    for (size_t i = 0; i < items.size(); ++i) {
        uint32_t off = items[i];
        HeaderFields f;
        CHECK(ReadHeader(mem, buf, total, off, &f));
        CheckDisplayName(f.name);
        uint8_t pick = data[(i * 13) % n];
        if (pick & 1) {
            char name[24];
            size_t from = (i * 7 + 1) % n;
            size_t len = std::min<size_t>(n - from, 20);
            std::memcpy(name, data + from, len);
            name[len] = '\0';
            char clamped[kNameMax + 1];
            ClampName(name, clamped);
            size_t cl = std::strlen(clamped);
            bool inside = static_cast<uint64_t>(off) + cl + 1 <= total;
            uint8_t after = 0;
            bool hasAfter = off + cl + 1 < total && cl + 1 < kNameField;
            if (hasAfter) after = buf[off + cl + 1];
            CHECK(WriteHeaderName(mem, buf, total, off, name) == inside);
            if (inside) {
                CHECK(ReadHeader(mem, buf, total, off, &f));
                CHECK(std::strcmp(f.name, clamped) == 0);
                if (hasAfter) CHECK(buf[off + cl + 1] == after);
            }
        }
        if (pick & 2) {
            uint8_t before = off + kOffWriteProtect < total ? buf[off + kOffWriteProtect] : 0;
            uint8_t now = 0;
            bool inside = off + kOffWriteProtect < total;
            CHECK(FlipWriteProtect(mem, buf, total, off, &now) == inside);
            if (inside) {
                CHECK(now == (before ^ kProtectBit));
                CHECK(FlipWriteProtect(mem, buf, total, off, &now) && now == before);
            }
        }
    }

    // Move the items whose input byte is odd to an insert position taken
    // from the input; the sort keys go through the headers and back to 0.
    struct Item {
        uint32_t pos;
        bool sel;
        uint32_t off;
    };
    std::vector<Item> list;
    for (size_t i = 0; i < items.size(); ++i) {
        Item it = {static_cast<uint32_t>(i), (data[(i * 5 + 3) % n] & 0x10) != 0, items[i]};
        list.push_back(it);
        WriteSortKey(mem, buf, total, items[i], static_cast<uint32_t>(i));
    }
    const uint32_t insertAt = static_cast<uint32_t>(data[n - 1] % (list.size() + 1));
    std::vector<Item> sorted = list;
    std::sort(sorted.begin(), sorted.end(), [insertAt](const Item& a, const Item& b) {
        return CompareForMoveKeys(a.pos, a.sel, b.pos, b.sel, insertAt) < 0;
    });
    std::vector<Item> expectOrder;
    for (int group = 0; group < 3; ++group) {
        for (size_t i = 0; i < list.size(); ++i) {
            int g = list[i].sel ? 1 : (list[i].pos < insertAt ? 0 : 2);
            if (g == group) expectOrder.push_back(list[i]);
        }
    }
    for (size_t i = 0; i < list.size(); ++i) CHECK(sorted[i].pos == expectOrder[i].pos);
    for (size_t i = 0; i < items.size(); ++i) WriteSortKey(mem, buf, total, items[i], 0);
    for (size_t i = 0; i < items.size(); ++i) {
        HeaderFields f;
        CHECK(ReadHeader(mem, buf, total, items[i], &f) && f.sortKey == 0);
    }

    // What the save must write, worked out from the bytes themselves.
    std::vector<uint32_t> order;
    std::vector<uint8_t> expected;
    std::vector<Saved> saved;
    for (size_t i = 0; i < sorted.size(); ++i) {
        uint32_t off = sorted[i].off;
        order.push_back(off);
        if (i % 5 == 4) order.push_back(kNoImage);
        uint32_t disk = RawDiskSize(buf, total, off);
        uint32_t extent = std::min(disk, total - off);
        if (extent == 0) continue;
        expected.insert(expected.end(), buf + off, buf + off + extent);
        Saved s = {extent, extent == disk && disk >= kOffDiskSize + 4};
        saved.push_back(s);
    }
    CHECK(WriteImages(files, mem, buf, total, order.data(), order.size(), out.c_str(),
                      (data[0] & 1) != 0)
              .ok());
    CHECK(GetFile(out) == expected);

    // A save that fails part way leaves the saved file as it is.
    if (!expected.empty()) {
        FaultFiles faulty;
        faulty.failWriteAfter = data[0] % 4 == 0 ? 0 : static_cast<int64_t>(expected.size() / 2);
        CHECK(WriteImages(faulty, mem, buf, total, order.data(), order.size(), out.c_str(), false)
                  .result == kIoWriteFailed);
        CHECK(faulty.openHandles() == 0);
        CHECK(GetFile(out) == expected);
    }

    // Open the saved file again: the same images, in the saved order.
    uint8_t* again = nullptr;
    uint32_t againSize = 0;
    IoResult r = ReadWholeFile(files, mem, out.c_str(), &again, &againSize, &opened).result;
    if (expected.empty()) {
        CHECK(r == kIoEmptyFile && again == nullptr);
    } else {
        CHECK(r == kIoOk && againSize == expected.size());
        CHECK(std::memcmp(again, expected.data(), againSize) == 0);
        Walk w3 = {&mem, again, againSize, {}};
        bool reached3 = WalkImages(0, againSize, Step, &w3);
        uint32_t at = 0;
        size_t i = 0;
        for (; i < saved.size(); ++i) {
            // Listed where it was written; after an image whose size field
            // lies outside its own bytes, the walk goes its own way.
            CHECK(i < w3.offsets.size() && w3.offsets[i] == at);
            if (!saved[i].regular) break;
            at += saved[i].extent;
        }
        if (i == saved.size()) CHECK(reached3 && w3.offsets.size() == saved.size());
        ReleaseBlock(mem, again, againSize);
    }

    ReleaseBlock(mem, buf, total);
    CHECK(mem.liveBlocks() == 0);
    CHECK(mem.heldLocks() == 0);
    CHECK(mem.errors().empty());
    return 0;
}
