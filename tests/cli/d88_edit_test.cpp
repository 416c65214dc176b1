// d88 rename, protect, move and delete: the file rewritten in place.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <sstream>

#include "tests/cli/cli_test_support.h"
#include "tests/support/fault_files.h"
#include "tests/support/fault_memory.h"

// Allocations counted from 1 while armed; the one numbered `failNewAt`
// fails as the system's memory running out does.
int failNewAt = 0;
int newCalls = 0;

void* operator new(std::size_t n) {
    if (failNewAt && ++newCalls == failNewAt) throw std::bad_alloc();
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

class D88Edit : public ::testing::Test {
protected:
    Scratch dir;
    std::string file = dir.File("GAME.D88");

    // Images V W X Y Z of different sizes, each with nonzero bytes 22-25.
    Bytes Five() {
        std::vector<Bytes> parts;
        const char* names[] = {"V", "W", "X", "Y", "Z"};
        for (int i = 0; i < 5; ++i) {
            Bytes img = MakeImage(688 + 100 * i, names[i], static_cast<uint8_t>(0x40 + i));
            WriteLe32(&img[kOffSortKey], 0xA0B0C0D0u + i);
            parts.push_back(img);
        }
        return Cat(parts);
    }
    // The names of the images of `f` in file order.
    std::string Order(const std::string& f) {
        Bytes b = GetFile(f);
        std::string names;
        size_t p = 0;
        while (p + kHeaderSize <= b.size()) {
            names += reinterpret_cast<const char*>(&b[p]);
            p += ReadLe32(&b[p + kOffDiskSize]);
        }
        return names;
    }
    std::string Header(const std::string& f, size_t at, size_t n) {
        Bytes b = GetFile(f);
        return std::string(reinterpret_cast<char*>(&b[at]), n);
    }
};

TEST_F(D88Edit, RenameKeepsTheBytesAfterTheNul) {
    PutFile(file, Cat({MakeImage(688, "BlankDisk"), MakeImage(688, "OTHER")}));
    Bytes before = GetFile(file);
    Outcome o = D88({"rename", file, "0", "AB"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "");
    Bytes after = GetFile(file);
    const uint8_t expect[17] = {'A', 'B', 0, 'n', 'k', 'D', 'i', 's', 'k', 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(&after[0], expect, 17));
    std::memcpy(&before[0], expect, 17);
    EXPECT_EQ(after, before);  // nothing else changed
}

TEST_F(D88Edit, DoubleByteNamesEndingIn5CRoundTrip) {
    PutFile(file, Cat({MakeImage(688, "ONE"), MakeImage(688, "TWO")}));
    ASSERT_EQ(D88({"rename", file, "1", U8_HYOU U8_SO "\\" U8_HYOU}).status, 0);
    EXPECT_EQ(Header(file, 688, 8), std::string(CP_HYOU CP_SO "\\" CP_HYOU) + std::string(1, '\0'));
    Outcome o = D88({"list", file});
    EXPECT_NE(o.out.find("    1         688  " U8_HYOU U8_SO "\\" U8_HYOU "  No "),
              std::string::npos)
        << o.out;
    EXPECT_NE(
        D88({"list", "--json", file}).out.find("\"name\": \"" U8_HYOU U8_SO "\\\\" U8_HYOU "\""),
        std::string::npos);
    // 表 and ソ in 16 bytes exactly, half-width katakana taking one byte each.
    std::string sixteen =
        U8_HYOU U8_SO U8_HYOU U8_SO U8_HYOU U8_SO U8_HYOU "\xEF\xBD\xB1\xEF\xBD\xB2";
    ASSERT_EQ(D88({"rename", file, "0", sixteen}).status, 0);
    EXPECT_EQ(Header(file, 0, 17),
              std::string(CP_HYOU CP_SO CP_HYOU CP_SO CP_HYOU CP_SO CP_HYOU "\xB1\xB2") +
                  std::string(1, '\0'));
    EXPECT_NE(D88({"list", file}).out.find(sixteen + "  No "), std::string::npos);
}

TEST_F(D88Edit, NamesThatDoNotFitAreRefused) {
    PutFile(file, MakeImage(688, "KEEP"));
    Bytes before = GetFile(file);
    // Nine double-byte characters: 18 bytes.
    Outcome o = D88({"rename", file, "0", U8_A U8_A U8_A U8_A U8_A U8_A U8_A U8_A U8_A});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("takes 18 bytes in CP932; a disk name holds at most 16"),
              std::string::npos)
        << o.err;
    EXPECT_NE(o.err.find(file), std::string::npos);
    o = D88({"rename", file, "0", "ABCDEFGHIJKLMNOPQ"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("takes 17 bytes"), std::string::npos);
    o = D88({"rename", file, "0", "caf\xC3\xA9"});  // é is not in CP932
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("does not convert to CP932"), std::string::npos);
    o = D88({"rename", file, "0", "\xFF\xFE"});  // not UTF-8
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(GetFile(file), before);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"GAME.D88"});
}

TEST_F(D88Edit, EmptyNamesAndNamesStartingWithADash) {
    PutFile(file, MakeImage(688, "NAME"));
    ASSERT_EQ(D88({"rename", file, "0", ""}).status, 0);
    EXPECT_EQ(GetFile(file)[0], 0);
    EXPECT_EQ(GetFile(file)[1], 'A');
    ASSERT_EQ(D88({"rename", "--", file, "0", "-X-"}).status, 0);
    EXPECT_EQ(Header(file, 0, 4), std::string("-X-\0", 4));
    ASSERT_EQ(D88({"rename", file, "0", "--", "-Y-"}).status, 0);
    EXPECT_EQ(Header(file, 0, 4), std::string("-Y-\0", 4));
    ASSERT_EQ(D88({"rename", file, "0", "list"}).status, 0);  // a command's name is a NAME here
    EXPECT_EQ(Header(file, 0, 5), std::string("list\0", 5));
}

TEST_F(D88Edit, BadIndexesChangeNothing) {
    PutFile(file, Cat({MakeImage(688, "A"), MakeImage(688, "B")}));
    Bytes before = GetFile(file);
    Outcome o = D88({"rename", file, "2", "X"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("d88: " + file + ": no image 2: the images are numbered 0 to 1"),
              std::string::npos)
        << o.err;
    EXPECT_EQ(D88({"rename", file, "-1", "X"}).status, 1);
    EXPECT_EQ(D88({"protect", file, "x", "on"}).status, 1);
    EXPECT_EQ(D88({"delete", file, "0", "9"}).status, 1);
    EXPECT_EQ(D88({"move", file, "0", "--to", "3"}).status, 1);
    EXPECT_EQ(D88({"move", file, "5", "--to", "0"}).status, 1);
    EXPECT_EQ(GetFile(file), before);
}

TEST_F(D88Edit, ProtectOnAndOff) {
    PutFile(file, Cat({MakeImage(688, "A"), MakeImage(688, "B", 0, 0x01)}));
    Bytes before = GetFile(file);
    ASSERT_EQ(D88({"protect", file, "0", "on"}).status, 0);
    EXPECT_EQ(GetFile(file)[kOffWriteProtect], 0x10);
    ASSERT_EQ(D88({"protect", file, "1", "on"}).status, 0);
    EXPECT_EQ(GetFile(file)[688 + kOffWriteProtect], 0x10);
    EXPECT_NE(D88({"list", file}).out.find("B     Yes"), std::string::npos);
    ASSERT_EQ(D88({"protect", file, "0", "off"}).status, 0);
    ASSERT_EQ(D88({"protect", file, "1", "off"}).status, 0);
    Bytes after = GetFile(file);
    before[688 + kOffWriteProtect] = 0;
    EXPECT_EQ(after, before);
}

TEST_F(D88Edit, MoveFollowsTheOrderOfDragging) {
    struct Case {
        std::vector<std::string> from;
        const char* to;
        const char* order;
    } cases[] = {
        {{"1", "3"}, "3", "VXWYZ"}, {{"1", "3"}, "0", "WYVXZ"},
        {{"3", "1"}, "5", "VXZWY"}, {{"1", "3"}, "2", "VWYXZ"},
        {{"1", "3"}, "4", "VXWYZ"}, {{"2"}, "2", "VWXYZ"},
        {{"2"}, "3", "VWXYZ"},      {{"2"}, "0", "XVWYZ"},
        {{"2"}, "5", "VWYZX"},      {{"0", "1", "2", "3", "4"}, "1", "VWXYZ"},
    };
    for (const Case& c : cases) {
        Bytes five = Five();
        PutFile(file, five);
        std::vector<std::string> args = {"move", file};
        args.insert(args.end(), c.from.begin(), c.from.end());
        args.push_back("--to");
        args.push_back(c.to);
        Outcome o = D88(args);
        ASSERT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(Order(file), c.order) << "--to " << c.to;
        // Bytes 22-25 are 0 in every header; nothing else changed.
        Bytes after = GetFile(file);
        ASSERT_EQ(after.size(), five.size());
        size_t p = 0;
        while (p < after.size()) {
            EXPECT_EQ(ReadLe32(&after[p + kOffSortKey]), 0u);
            uint32_t size = ReadLe32(&after[p + kOffDiskSize]);
            int i = after[p] - 'V';
            size_t q = 0;
            for (int k = 0; k < i; ++k) q += 688 + 100 * k;
            Bytes original(five.begin() + q, five.begin() + q + size);
            WriteLe32(&original[kOffSortKey], 0);
            EXPECT_TRUE(std::equal(original.begin(), original.end(), after.begin() + p));
            p += size;
        }
    }
    EXPECT_EQ(D88({"move", file, "0", "--to=1"}).status, 0);
}

// A tiny image of `size` bytes (below 28) followed by a 688-byte one whose
// bytes hold the tiny image's size field where it falls.
Bytes TinyThenNext(uint32_t size, const std::string& nextName, Bytes* next) {
    Bytes tiny = MakeImage(size, "T");
    *next = MakeImage(688, nextName);
    WriteLe32(&(*next)[kOffDiskSize - size], size);
    return tiny;
}

TEST_F(D88Edit, MoveLeavesTheSortBytesOfTooShortImagesAlone) {
    // A 20-byte image: its bytes 22-25 are bytes 2-5 of the next image.
    Bytes next;
    Bytes tiny = TinyThenNext(20, "NEXTNAM", &next);
    Bytes first = MakeImage(688, "FIRST");
    WriteLe32(&first[kOffSortKey], 7);
    PutFile(file, Cat({first, tiny, next}));
    ASSERT_NE(D88({"list", file}).out.find("    1         688  T "), std::string::npos);
    // FIRST to the end: the tiny image stays in front of the same image.
    Outcome o = D88({"move", file, "0", "--to", "3"});
    ASSERT_EQ(o.status, 0) << o.err;
    WriteLe32(&first[kOffSortKey], 0);
    EXPECT_EQ(GetFile(file), Cat({tiny, next, first}));
    EXPECT_NE(D88({"list", file}).out.find("NEXTNAM"), std::string::npos);
}

TEST_F(D88Edit, AChangeThatWouldChangeWhereImagesBeginIsRefused) {
    Bytes next;
    Bytes tiny = TinyThenNext(20, "NEXT", &next);
    Bytes first = MakeImage(688, "FIRST");
    Bytes all = Cat({first, tiny, next});
    PutFile(file, all);
    // NEXT to the front: the tiny image would end the file, its size field
    // past the end.
    Outcome o = D88({"move", file, "2", "--to", "0"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("would not read back as the same disk images"), std::string::npos);
    EXPECT_NE(o.err.find("image 1 is only 20 bytes long"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("nothing was written"), std::string::npos);
    EXPECT_EQ(GetFile(file), all);
    // Deleting the image after it likewise.
    EXPECT_EQ(D88({"delete", file, "2"}).status, 1);
    // Its write-protect byte is the next image's.
    o = D88({"protect", file, "1", "on"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("image 1 holds only 20 bytes and has no write-protect byte of its own"),
              std::string::npos)
        << o.err;
    EXPECT_EQ(GetFile(file), all);

    // A 12-byte image has no room for a name of 12 bytes and its NUL.
    Bytes next12;
    Bytes tiny12 = TinyThenNext(12, "NEXT", &next12);
    Bytes all12 = Cat({first, tiny12, next12});
    PutFile(file, all12);
    o = D88({"rename", file, "1", "ABCDEFGHIJKL"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("image 1 holds only 12 bytes"), std::string::npos) << o.err;
    EXPECT_EQ(GetFile(file), all12);
    EXPECT_EQ(D88({"rename", file, "1", "ABCDEFGHIJK"}).status, 0);
}

TEST_F(D88Edit, DeleteWritesTheOthersInTheirOrder) {
    Bytes five = Five();
    PutFile(file, five);
    ASSERT_EQ(D88({"delete", file, "3", "1", "3"}).status, 0);
    EXPECT_EQ(Order(file), "VXZ");
    Bytes after = GetFile(file);
    EXPECT_EQ(after.size(), five.size() - 788 - 988);
    // Images keep every byte, their sort bytes included.
    EXPECT_EQ(ReadLe32(&after[kOffSortKey]), 0xA0B0C0D0u);
    ASSERT_EQ(D88({"delete", file, "0", "1", "2"}).status, 0);
    EXPECT_EQ(GetFile(file).size(), 0u);
    EXPECT_TRUE(Exists(file));
    EXPECT_EQ(D88({"list", "--json", file}).out, "[]\n");
}

TEST_F(D88Edit, BackupKeepsTheOldContents) {
    PutFile(file, MakeImage(688, "OLD"));
    Bytes before = GetFile(file);
    PutFile(dir.File("GAME.bak"), Bytes(3, 'x'));
    ASSERT_EQ(D88({"rename", "--backup", file, "0", "NEW"}).status, 0);
    EXPECT_EQ(GetFile(dir.File("GAME.bak")), before);
    EXPECT_EQ(Header(file, 0, 4), std::string("NEW\0", 4));
    // Without --backup the backup copy is not touched.
    ASSERT_EQ(D88({"protect", file, "0", "on"}).status, 0);
    EXPECT_EQ(GetFile(dir.File("GAME.bak")), before);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"GAME.D88", "GAME.bak"}));
}

TEST_F(D88Edit, AFailedWriteChangesNothingAndLeavesNoBackup) {
    PutFile(file, Cat({MakeImage(5000, "A"), MakeImage(5000, "B")}));
    Bytes before = GetFile(file);
    FaultFiles files;
    files.failWriteAfter = 6000;
    FaultMemory memory;
    Outcome o = D88({"rename", "--backup", file, "1", "X"}, files, memory);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("d88: " + file + ": writing the file failed; nothing was changed"),
              std::string::npos)
        << o.err;
    EXPECT_EQ(GetFile(file), before);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"GAME.D88"});
    EXPECT_EQ(files.openHandles(), 0u);
    EXPECT_EQ(memory.liveBlocks(), 0u);
    EXPECT_EQ(memory.heldLocks(), 0u);
    EXPECT_TRUE(memory.errors().empty());

    // With the system's reason, as a full disk gives it.
    files.systemError = ENOSPC;
    o = D88({"delete", file, "0"}, files, memory);
    EXPECT_NE(o.err.find(": writing the file failed: " + std::string(std::strerror(ENOSPC)) +
                         "; nothing was changed"),
              std::string::npos)
        << o.err;
    EXPECT_EQ(GetFile(file), before);

    FaultFiles refuse;
    refuse.failReplace = true;
    o = D88({"move", file, "1", "--to", "0"}, refuse, memory);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(GetFile(file), before);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"GAME.D88"});

    // A replace that takes the old file away and fails: the new file stays,
    // where the message says.
    FaultFiles lose;
    lose.replaceLosesTarget = true;
    o = D88({"delete", file, "0"}, lose, memory);
    EXPECT_EQ(o.status, 1);
    ASSERT_EQ(1u, dir.Names().size());
    const std::string kept = dir.File(dir.Names()[0]);
    EXPECT_NE(o.err.find("the old file is gone, and what was written is kept as " + kept),
              std::string::npos)
        << o.err;
    EXPECT_EQ(GetFile(kept), MakeImage(5000, "B"));
}

// Whatever goes wrong between the walk and the new name, the file and its
// older backup are as they were, or the old contents are kept where the
// message says, and nothing else is left in the folder.
TEST_F(D88Edit, NoImageIsLostWhenThingsGoWrong) {
    const Bytes old = Cat({MakeImage(5000, "A"), MakeImage(3000, "B")});
    const Bytes other = MakeImage(688, "OTHER");
    const std::string bak = dir.File("GAME.bak"), out = dir.File("OUT.D88");
    // Another program saves over `path` when d88 opens the container the
    // second time, to copy from it.
    auto saveOverAt = [&](FaultFiles& f, std::string path) {
        auto count = std::make_shared<int>(0);
        std::string container = file;
        f.beforeOpen = [=](const std::string& p) {
            if (p == container && ++*count == 2) {
                PutFile(path + ".new", other);
                rename((path + ".new").c_str(), path.c_str());
            }
        };
    };
    const struct {
        const char* what;
        std::vector<std::string> command;
        std::function<void(FaultFiles&)> fault;
        const char* message;
        Bytes fileAfter;
        std::vector<std::string> names;
    } cases[] = {
        {"the backup copy cannot be made",
         {"rename", "--backup", file, "1", "X"},
         [](FaultFiles& f) { f.failCreateAt = 2; },
         "GAME.D88: its backup copy ",
         old,
         {"GAME.D88", "GAME.bak"}},
        {"the file is replaced by another program after the walk",
         {"rename", file, "1", "X"},
         [&](FaultFiles& f) { saveOverAt(f, file); },
         "GAME.D88: the file changed while d88 was reading it",
         other,
         {"GAME.D88", "GAME.bak"}},
        {"its header changes where times are too coarse to show it",
         {"protect", "--backup", file, "0", "on"},
         [&](FaultFiles& f) {
             f.frozenStamps = true;
             saveOverAt(f, file);
         },
         "the file changed while d88 was reading it",
         other,
         {"GAME.D88", "GAME.bak"}},
        {"a file of the target's name appears during a join",
         {"join", out, file},
         [&](FaultFiles& f) { saveOverAt(f, out); },
         "OUT.D88: the file exists; give --force to replace it",
         old,
         {"GAME.D88", "GAME.bak", "OUT.D88"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PutFile(file, old);
        PutFile(bak, Bytes(3, 'x'));
        unlink(out.c_str());
        FaultFiles f;
        FaultMemory memory;
        c.fault(f);
        Outcome o = D88(c.command, f, memory);
        EXPECT_EQ(o.status, 1);
        EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
        EXPECT_EQ(GetFile(file), c.fileAfter);
        EXPECT_EQ(GetFile(bak), Bytes(3, 'x'));
        EXPECT_EQ(dir.Names(), c.names);
        EXPECT_EQ(f.openHandles(), 0u);
    }
    // The backup copy made but not named: the change stands, and the old
    // contents are where the message says.
    PutFile(file, old);
    FaultFiles f;
    FaultMemory memory;
    f.failRenameAt = 2;
    Outcome o = D88({"rename", "--backup", file, "1", "X"}, f, memory);
    EXPECT_EQ(o.status, 1);
    size_t kept = o.err.find("they are kept in ");
    ASSERT_NE(kept, std::string::npos) << o.err;
    std::string copy = o.err.substr(kept + 17, o.err.find('\n', kept) - kept - 17);
    EXPECT_EQ(GetFile(copy), old);
    EXPECT_EQ(Header(file, 5000, 2), std::string("X\0", 2));
}

TEST_F(D88Edit, ABackupThatDoesNotFitStopsTheChange) {
    SmallDisk disk(dir.File("disk"), "2600k");
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    // The new file fits beside the old one, its backup copy does not.
    std::string game = dir.File("disk/GAME.D88"), target = dir.File("disk/GAME OLD.D88");
    Bytes old = MakeImage(1000 * 1000, "OLD");
    PutFile(game, old);
    Outcome o = D88({"rename", "--backup", game, "0", "NEW"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("GAME.bak could not be made: " + std::string(std::strerror(ENOSPC))),
              std::string::npos)
        << o.err;
    EXPECT_EQ(GetFile(game), old);
    EXPECT_EQ(disk.Names(), std::vector<std::string>{"GAME.D88"});
    // The same for an extract over a file that exists.
    old = MakeImage(700 * 1000, "OLD");
    PutFile(game, old);
    PutFile(target, old);
    o = D88({"extract", "--backup", "--force", game, "-o", dir.File("disk")});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("GAME OLD.bak could not be made: " + std::string(std::strerror(ENOSPC))),
              std::string::npos)
        << o.err;
    EXPECT_EQ(disk.Names(), (std::vector<std::string>{"GAME OLD.D88", "GAME.D88"}));
}

// A file's mode and extended attributes (its ACLs among them) stay with it.
TEST_F(D88Edit, TheReplacedFileKeepsWhatTheUserSetOnIt) {
    PutFile(file, MakeImage(688, "A"));
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    bool xattrs = setxattr(file.c_str(), "user.orvanel", "kept", 4, 0) == 0;
    ASSERT_EQ(D88({"rename", file, "0", "B"}).status, 0);
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (!xattrs) GTEST_SKIP() << "this file system keeps no user attributes";
    char value[8] = {0};
    EXPECT_EQ(getxattr(file.c_str(), "user.orvanel", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
}

// Memory that runs out at any allocation of a command ends it with a
// message, the file as it was and nothing left beside it.
TEST_F(D88Edit, RunningOutOfMemoryAnywhereChangesNothing) {
    const Bytes old = Five();
    const std::string all = dir.File("ALL.D88");
    for (auto command : {std::vector<std::string>{"move", "--backup", file, "0", "--to", "3"},
                         {"join", all, file, file}}) {
        bool done = false;
        for (int n = 1; !done && n < 100000; ++n) {
            PutFile(file, old);
            std::ostringstream out, err;
            newCalls = 0;
            failNewAt = n;
            int status = d88cli::RunD88(command, out, err);
            done = newCalls < n;
            failNewAt = 0;
            if (done) break;
            ASSERT_EQ(status, 1) << command[0] << " " << n;
            ASSERT_NE(err.str().find("not enough memory"), std::string::npos) << err.str();
            ASSERT_EQ(GetFile(file), old) << n;
            ASSERT_EQ(dir.Names(), std::vector<std::string>{"GAME.D88"}) << n;
        }
        EXPECT_TRUE(done) << command[0];
        EXPECT_NE(GetFile(command[0] == "join" ? all : file), old) << command[0];
        unlink(dir.File("GAME.bak").c_str());
    }
}

TEST_F(D88Edit, MemoryUseIsSound) {
    PutFile(file, Five());
    FaultMemory memory(512);
    FaultFiles files;
    for (std::vector<std::string> cmd : {std::vector<std::string>{"list", file},
                                         {"rename", file, "2", "R"},
                                         {"protect", file, "4", "on"},
                                         {"move", file, "0", "4", "--to", "2"},
                                         {"delete", file, "1"},
                                         {"extract", file, "-o", dir.path(), "0"}}) {
        Outcome o = D88(cmd, files, memory);
        EXPECT_EQ(o.status, 0) << cmd[0] << ": " << o.err;
        EXPECT_EQ(memory.liveBlocks(), 0u) << cmd[0];
        EXPECT_EQ(memory.heldLocks(), 0u) << cmd[0];
        EXPECT_TRUE(memory.errors().empty()) << cmd[0];
    }
    EXPECT_EQ(files.openHandles(), 0u);
    memory.RefuseAllAllocations(true);
    Bytes before = GetFile(file);
    Outcome o = D88({"rename", file, "0", "M"}, files, memory);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("not enough memory"), std::string::npos);
    EXPECT_EQ(GetFile(file), before);
}

TEST_F(D88Edit, ALinkedContainerIsRewrittenThroughItsLink) {
    PutFile(file, MakeImage(688, "LINKED"));
    std::string link = dir.File("link.d88");
    ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);
    ASSERT_EQ(D88({"rename", link, "0", "VIA"}).status, 0);
    struct stat st;
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Header(file, 0, 4), std::string("VIA\0", 4));
}

TEST_F(D88Edit, ThroughTheProgram) {
    PutFile(file, Cat({MakeImage(688, "A"), MakeImage(688, "B")}));
    Outcome o = RunProgram(dir, D88_PROGRAM, {"rename", file, "1", U8_SO});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(Header(file, 688, 3), std::string(CP_SO "\0", 3));
    o = RunProgram(dir, D88_PROGRAM, {"rename", file, "1", "12345678901234567"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find(file), std::string::npos);
}

}  // namespace
