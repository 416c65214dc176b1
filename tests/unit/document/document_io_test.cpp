// Opening, adding and saving container files, with faults made real by the
// fault wrappers and, for a full disk, by a small tmpfs.
#include "document/document_io.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "document/container_io.h"
#include "document/file_writer.h"
#include "platform/file_api.h"
#include "store/d88.h"
#include "store/image_buffer.h"
#include "tests/support/fault_files.h"
#include "tests/support/fault_memory.h"
#include "tests/unit/scratch_dir.h"
#include "tests/unit/test_images.h"

namespace {

Bytes TwoImages() {
    Bytes file = MakeImage(1000, "ONE", 0x11);
    Append(&file, MakeImage(3000, "TWO", 0x22));
    return file;
}

class DocumentIo : public ::testing::Test {
protected:
    DocumentIo() : mem(256) {}
    void TearDown() override {
        EXPECT_TRUE(mem.errors().empty()) << mem.errors()[0];
        EXPECT_EQ(0u, mem.heldLocks());
        EXPECT_EQ(0u, files.openHandles());
    }
    // Every lock lay within one page of its block.
    void ExpectPageLocks() {
        for (size_t i = 0; i < mem.locks().size(); ++i) {
            EXPECT_LE(mem.locks()[i].n, mem.PageSize());
        }
    }
    std::vector<std::string> Names() {
        std::vector<std::string> n = dir.Names();
        std::sort(n.begin(), n.end());
        return n;
    }

    ScratchDir dir;
    FaultMemory mem;
    FaultFiles files;
};

// ---- open

TEST_F(DocumentIo, OpenReadsTheWholeFilePageByPage) {
    Bytes file = TwoImages();
    PutFile(dir.File("GAME.D88"), file);
    uint8_t* block = nullptr;
    uint32_t size = 0;
    bool opened = false;
    ASSERT_EQ(
        kIoOk,
        ReadWholeFile(files, mem, dir.File("GAME.D88").c_str(), &block, &size, &opened).result);
    EXPECT_TRUE(opened);
    ASSERT_EQ(file.size(), size);
    EXPECT_EQ(0, std::memcmp(file.data(), block, size));
    EXPECT_EQ(16, files.reads);  // 4000 bytes in pages of 256
    ExpectPageLocks();
    ReleaseBlock(mem, block, size);
    EXPECT_EQ(0u, mem.liveBlocks());
}

TEST_F(DocumentIo, OpenFailuresLeaveNothingAllocated) {
    PutFile(dir.File("EMPTY.D88"), Bytes());
    PutFile(dir.File("GAME.D88"), TwoImages());
    const std::string game = dir.File("GAME.D88");
    struct Case {
        const char* what;
        std::function<void(FaultFiles&, FaultMemory&)> fault;
        std::string path;
        IoResult result;
        bool opened;
    } cases[] = {
        {"missing file", [](FaultFiles&, FaultMemory&) {}, dir.File("NONE.D88"), kIoOpenFailed,
         false},
        {"a folder", [](FaultFiles&, FaultMemory&) {}, dir.path(), kIoOpenFailed, false},
        {"open refused", [](FaultFiles& f, FaultMemory&) { f.failOpen = true; }, game,
         kIoOpenFailed, false},
        {"size refused", [](FaultFiles& f, FaultMemory&) { f.failSize = true; }, game,
         kIoSizeFailed, true},
        {"empty file", [](FaultFiles&, FaultMemory&) {}, dir.File("EMPTY.D88"), kIoEmptyFile, true},
        {"4 GiB",
         [](FaultFiles& f, FaultMemory&) {
             f.overrideSize = true;
             f.reportedSize = 0x100000000ull;
         },
         game, kIoTooLarge, true},
        {"memory refused", [](FaultFiles&, FaultMemory& m) { m.RefuseAllAllocations(true); }, game,
         kIoNoMemory, true},
        {"second read fails", [](FaultFiles& f, FaultMemory&) { f.failReadAt = 2; }, game,
         kIoReadFailed, true},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        FaultFiles f;
        FaultMemory m(256);
        cases[i].fault(f, m);
        uint8_t* block = reinterpret_cast<uint8_t*>(1);
        uint32_t size = 77;
        bool opened = !cases[i].opened;
        EXPECT_EQ(cases[i].result,
                  ReadWholeFile(f, m, cases[i].path.c_str(), &block, &size, &opened).result)
            << cases[i].what;
        EXPECT_EQ(cases[i].opened, opened) << cases[i].what;
        EXPECT_EQ(nullptr, block) << cases[i].what;
        EXPECT_EQ(0u, size) << cases[i].what;
        EXPECT_EQ(0u, m.liveBlocks()) << cases[i].what;
        EXPECT_EQ(0u, f.openHandles()) << cases[i].what;
        EXPECT_TRUE(m.errors().empty()) << cases[i].what;
    }
}

// The file moved on by what the read delivered, the block by a page: the
// bytes after a short read would land at the wrong place.
TEST_F(DocumentIo, OpenEndsAtAShortRead) {
    Bytes file(1000, 0x33);
    PutFile(dir.File("GAME.D88"), file);
    files.shortReadAt = 1;
    files.shortReadBytes = 100;
    uint8_t* block = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(
        kIoReadFailed,
        ReadWholeFile(files, mem, dir.File("GAME.D88").c_str(), &block, &size, nullptr).result);
    EXPECT_EQ(nullptr, block);
    EXPECT_EQ(1, files.reads);
    EXPECT_EQ(0u, mem.liveBlocks());
}

// ---- add

TEST_F(DocumentIo, AddPutsTheFileAfterTheOldBytes) {
    Bytes file = TwoImages();
    PutFile(dir.File("ADD.D88"), file);
    uint8_t* old = mem.Allocate(1000);
    std::memset(old, 0x44, 1000);
    FaultMemory big(4096);
    uint8_t* bigOld = big.Allocate(1000);
    std::memset(bigOld, 0x44, 1000);

    uint8_t* grown = nullptr;
    uint32_t added = 0;
    ASSERT_EQ(kIoOk, ReadFileAppended(files, big, dir.File("ADD.D88").c_str(), bigOld, 1000, &grown,
                                      &added)
                         .result);
    EXPECT_EQ(4000u, added);
    EXPECT_EQ(0, std::memcmp(bigOld, grown, 1000));
    EXPECT_EQ(0, std::memcmp(file.data(), grown + 1000, 4000));
    // Up to the next 1 KiB boundary, then the rest, which is under a page.
    EXPECT_EQ(2, files.reads);
    EXPECT_TRUE(big.errors().empty());
    ReleaseBlock(big, grown, 5000);
    ReleaseBlock(big, bigOld, 1000);
    ReleaseBlock(mem, old, 1000);
    EXPECT_EQ(0u, big.liveBlocks());
}

TEST_F(DocumentIo, AddToAnEmptyDocumentAndAddAnEmptyFile) {
    PutFile(dir.File("EMPTY.D88"), Bytes());
    uint8_t* grown = nullptr;
    uint32_t added = 0;
    EXPECT_EQ(kIoEmptyFile, ReadFileAppended(files, mem, dir.File("EMPTY.D88").c_str(), nullptr, 0,
                                             &grown, &added)
                                .result);
    EXPECT_EQ(nullptr, grown);

    uint8_t* old = mem.Allocate(688);
    MakeBlankHeader(old);
    ASSERT_EQ(kIoOk,
              ReadFileAppended(files, mem, dir.File("EMPTY.D88").c_str(), old, 688, &grown, &added)
                  .result);
    EXPECT_EQ(0u, added);
    EXPECT_EQ(0, std::memcmp(old, grown, 688));
    ReleaseBlock(mem, grown, 688);
    ReleaseBlock(mem, old, 688);
    EXPECT_EQ(0u, mem.liveBlocks());
}

TEST_F(DocumentIo, AddFailuresKeepOnlyTheOldBlock) {
    PutFile(dir.File("ADD.D88"), TwoImages());
    const std::string add = dir.File("ADD.D88");
    struct Case {
        const char* what;
        std::function<void(FaultFiles&, FaultMemory&)> fault;
        IoResult result;
    } cases[] = {
        {"open refused", [](FaultFiles& f, FaultMemory&) { f.failOpen = true; }, kIoOpenFailed},
        {"size refused", [](FaultFiles& f, FaultMemory&) { f.failSize = true; }, kIoSizeFailed},
        {"4 GiB",
         [](FaultFiles& f, FaultMemory&) {
             f.overrideSize = true;
             f.reportedSize = 0x100000000ull;
         },
         kIoTooLarge},
        {"sizes past 32 bits",
         [](FaultFiles& f, FaultMemory&) {
             f.overrideSize = true;
             f.reportedSize = 0xFFFFFF00ull;
         },
         kIoTooLarge},
        {"memory refused", [](FaultFiles&, FaultMemory& m) { m.RefuseAllocation(2); }, kIoNoMemory},
        {"read fails", [](FaultFiles& f, FaultMemory&) { f.failReadAt = 3; }, kIoReadFailed},
        {"reads deliver nothing",
         [](FaultFiles& f, FaultMemory&) {
             f.emptyReadAt = 2;
             f.emptyReadsFrom = true;
         },
         kIoReadFailed},
        {"file shorter than announced",
         [](FaultFiles& f, FaultMemory&) {
             f.overrideSize = true;
             f.reportedSize = 9000;
         },
         kIoReadFailed},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        FaultFiles f;
        FaultMemory m(256);
        uint8_t* old = m.Allocate(1000);
        std::memset(old, 0x55, 1000);
        cases[i].fault(f, m);
        uint8_t* grown = nullptr;
        uint32_t added = 9;
        EXPECT_EQ(cases[i].result,
                  ReadFileAppended(f, m, add.c_str(), old, 1000, &grown, &added).result)
            << cases[i].what;
        EXPECT_EQ(nullptr, grown) << cases[i].what;
        EXPECT_EQ(0u, added) << cases[i].what;
        EXPECT_EQ(1u, m.liveBlocks()) << cases[i].what;
        EXPECT_EQ(0u, f.openHandles()) << cases[i].what;
        EXPECT_TRUE(m.errors().empty()) << cases[i].what;
        EXPECT_EQ(0x55, old[999]);
        ReleaseBlock(m, old, 1000);
        EXPECT_EQ(0u, m.liveBlocks()) << cases[i].what;
    }
}

TEST_F(DocumentIo, AddNeverReadsPastTheAnnouncedSize) {
    // The file holds more than it announced, as when it grows while read:
    // the reads stay inside the block (the sanitizer would see an overrun).
    PutFile(dir.File("ADD.D88"), Bytes(5000, 0x66));
    files.overrideSize = true;
    files.reportedSize = 10;
    uint8_t* old = mem.Allocate(1000);
    uint8_t* grown = nullptr;
    uint32_t added = 0;
    ASSERT_EQ(kIoOk,
              ReadFileAppended(files, mem, dir.File("ADD.D88").c_str(), old, 1000, &grown, &added)
                  .result);
    EXPECT_EQ(10u, added);
    EXPECT_EQ(0x66, grown[1009]);
    ReleaseBlock(mem, grown, 1010);
    ReleaseBlock(mem, old, 1000);
}

// ---- save

class SaveTest : public DocumentIo {
protected:
    void SetUp() override {
        // Images A (1000), B (688), C (0 bytes), D (runs past the end).
        Bytes doc = MakeImage(1000, "A", 0xA1);
        Append(&doc, MakeImage(688, "B", 0xB2));
        Bytes c = MakeImage(688, "C", 0xC3);
        WriteLe32(&c[kOffDiskSize], 0);
        Append(&doc, c);
        Bytes d = MakeImage(500, "D", 0xD4);
        WriteLe32(&d[kOffDiskSize], 900);
        Append(&doc, d);
        size = static_cast<uint32_t>(doc.size());
        base = mem.Allocate(size);
        std::memcpy(base, doc.data(), size);
        target = dir.File("GAME.D88");
        original = MakeImage(2000, "OLD", 0x0D);
        PutFile(target, original);
    }
    void TearDown() override {
        ReleaseBlock(mem, base, size);
        EXPECT_EQ(0u, mem.liveBlocks());
        DocumentIo::TearDown();
    }
    IoResult Save(const std::vector<uint32_t>& offsets, bool backup = false) {
        return WriteImages(files, mem, base, size, offsets.data(), offsets.size(), target.c_str(),
                           backup)
            .result;
    }
    Bytes Image(uint32_t off, uint32_t n) { return Bytes(base + off, base + off + n); }
    // B, A and the cut D of the buffer: what a save of {1000, 0, 2376} holds.
    Bytes BThenAThenCutD() {
        Bytes expected = Image(1000, 688);
        Append(&expected, Image(0, 1000));
        Append(&expected, Image(2376, 500));
        return expected;
    }
    void ExpectSaved(const Bytes& expected) {
        Bytes saved;
        ASSERT_TRUE(GetFile(target, &saved));
        EXPECT_TRUE(saved == expected);
    }
    void ExpectTargetUntouched() {
        Bytes now;
        ASSERT_TRUE(GetFile(target, &now));
        EXPECT_TRUE(now == original);
        EXPECT_EQ(std::vector<std::string>{"GAME.D88"}, Names());
    }

    uint8_t* base = nullptr;
    uint32_t size = 0;
    std::string target;
    Bytes original;
};

TEST_F(SaveTest, WritesTheListedImagesInListOrder) {
    // B, a deleted item, A, the empty C, D cut at the buffer end.
    ASSERT_EQ(kIoOk, Save({1000, kNoImage, 0, 1688, 2376}));
    ExpectSaved(BThenAThenCutD());
    EXPECT_EQ(std::vector<std::string>{"GAME.D88"}, Names());
    EXPECT_EQ(4 + 3 + 2, files.writes);  // pages of 256
    ExpectPageLocks();
    EXPECT_TRUE(files.copies.empty());
}

TEST_F(SaveTest, RefusedHeaderLocksLeaveNoImageOut) {
    // The locks only keep pages resident: a save (and an extract, which
    // writes through the same function) with every lock refused writes
    // every listed image all the same.
    mem.RefuseLocks(true);
    ASSERT_EQ(kIoOk, Save({1000, 0, 2376}));
    ExpectSaved(BThenAThenCutD());
}

TEST_F(SaveTest, AnEmptyListGivesAnEmptyFile) {
    ASSERT_EQ(kIoOk, Save({}));
    Bytes saved;
    ASSERT_TRUE(GetFile(target, &saved));
    EXPECT_TRUE(saved.empty());
}

TEST_F(SaveTest, TheBackupHoldsThePreviousContents) {
    PutFile(dir.File("GAME.bak"), Bytes(3, 0xEE));
    ASSERT_EQ(kIoOk, Save({0}, true));
    Bytes backup;
    ASSERT_TRUE(GetFile(dir.File("GAME.bak"), &backup));
    EXPECT_TRUE(backup == original);
    EXPECT_EQ((std::vector<std::string>{"GAME.D88", "GAME.bak"}), Names());

    // A new target has nothing to back up; the save still goes on.
    target = dir.File("NEW.D88");
    ASSERT_EQ(kIoOk, Save({0}, true));
    EXPECT_EQ((std::vector<std::string>{"GAME.D88", "GAME.bak", "NEW.D88"}), Names());
}

TEST_F(SaveTest, ATargetWithTheBackupExtensionIsNotCopiedOntoItself) {
    target = dir.File("GAME.BAK");
    PutFile(target, original);
    ASSERT_EQ(kIoOk, Save({0}, true));
    EXPECT_TRUE(files.copies.empty());
}

TEST_F(SaveTest, EveryWriteFaultLeavesTheTargetAsItWas) {
    struct Case {
        const char* what;
        std::function<void(FaultFiles&)> fault;
        IoResult result;
    } cases[] = {
        {"read-only folder: no new file", [](FaultFiles& f) { f.failCreate = true; },
         kIoCreateFailed},
        {"write fails half way", [](FaultFiles& f) { f.failWriteAfter = 1300; }, kIoWriteFailed},
        {"write fails at once", [](FaultFiles& f) { f.failWriteAfter = 0; }, kIoWriteFailed},
        {"write reports 0 bytes", [](FaultFiles& f) { f.zeroWriteAt = 2; }, kIoWriteFailed},
        {"flush fails", [](FaultFiles& f) { f.failFlush = true; }, kIoWriteFailed},
        {"close fails", [](FaultFiles& f) { f.failClose = true; }, kIoWriteFailed},
        {"replace fails", [](FaultFiles& f) { f.failReplace = true; }, kIoReplaceFailed},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(cases[i].what);
        FaultFiles f;
        cases[i].fault(f);
        EXPECT_EQ(cases[i].result,
                  WriteImages(f, mem, base, size, std::vector<uint32_t>{0, 1000}.data(), 2,
                              target.c_str(), false)
                      .result);
        EXPECT_EQ(0u, f.openHandles());
        ExpectTargetUntouched();
    }
    EXPECT_EQ(1u, mem.liveBlocks());
}

TEST_F(SaveTest, AFailedSaveKeepsTheBackup) {
    files.failWriteAfter = 10;
    EXPECT_EQ(kIoWriteFailed, Save({0}, true));
    Bytes backup;
    ASSERT_TRUE(GetFile(dir.File("GAME.bak"), &backup));
    EXPECT_TRUE(backup == original);
}

TEST_F(SaveTest, AFileMadeInAFolderOfTheCallersOwnTakesOnlyANameNothingHas) {
    std::string own;
    ASSERT_TRUE(files.MakeFolderBeside(target.c_str(), &own));
    uint32_t offset = 0;
    WriteJob job = ImagesJob(mem, base, size, &offset, 1, dir.File("NEW.D88").c_str(), false);
    job.replace = false;
    job.folder = own;
    EXPECT_EQ(kIoOk, WriteOneFile(files, mem, std::vector<SourceFile>(), job).result);
    ASSERT_EQ(1u, files.tempsCreated.size());
    EXPECT_EQ(own + "/", files.tempsCreated[0].substr(0, own.size() + 1));
    Bytes written;
    ASSERT_TRUE(GetFile(dir.File("NEW.D88"), &written));
    EXPECT_TRUE(written == Image(0, 1000));
    // The name is taken now: refused, with nothing left in either folder.
    job.target = target;
    EXPECT_EQ(kIoExists, WriteOneFile(files, mem, std::vector<SourceFile>(), job).result);
    ExpectSaved(original);
    std::vector<std::string> left;
    EXPECT_TRUE(files.ListFolder(own.c_str(), &left, false) && left.empty());
    EXPECT_TRUE(files.RemoveFolder(own.c_str()));
}

TEST_F(SaveTest, AMissingFolderOrAFolderAsTargetCannotBeOpened) {
    target = dir.File("NO/SUCH/GAME.D88");
    EXPECT_EQ(kIoCreateFailed, Save({0}));
    target = dir.path();
    EXPECT_EQ(kIoCreateFailed, Save({0}));
}

TEST_F(DocumentIo, AFullDiskFailsTheSaveAndKeepsTheTarget) {
    SmallDisk disk(dir.File("disk"), "256k");
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    std::string target = dir.File("disk/GAME.D88");
    Bytes original = MakeImage(100 * 1024, "OLD", 0x0D);
    PutFile(target, original);

    // 200 KiB beside the old 100 KiB do not fit in 256 KiB.
    FaultMemory big(4096);
    uint32_t size = 200 * 1024;
    uint8_t* base = big.Allocate(size);
    Bytes img = MakeImage(size, "NEW", 0x4E);
    std::memcpy(base, img.data(), size);
    uint32_t offsets[] = {0};
    EXPECT_EQ(kIoWriteFailed,
              WriteImages(files, big, base, size, offsets, 1, target.c_str(), false).result);
    Bytes now;
    ASSERT_TRUE(GetFile(target, &now));
    EXPECT_TRUE(now == original);
    std::vector<std::string> names;
    DIR* d = opendir(dir.File("disk").c_str());
    while (dirent* e = d ? readdir(d) : nullptr) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    if (d) closedir(d);
    EXPECT_EQ(std::vector<std::string>{"GAME.D88"}, names);
    ReleaseBlock(big, base, size);
    EXPECT_EQ(0u, big.liveBlocks());
    EXPECT_TRUE(big.errors().empty());
}

// ---- containers worked on where they lie (the d88 tool's way)

TEST_F(DocumentIo, TheWalkReadsOnly36BytesOfEachHeader) {
    Bytes file = TwoImages();
    Bytes zero = MakeImage(688, "Z", 0x5A);
    WriteLe32(&zero[kOffDiskSize], 0);
    Append(&file, zero);
    Append(&file, MakeImage(688, "LOST", 0));
    PutFile(dir.File("GAME.D88"), file);
    FileWalk walk;
    IoStatus s = WalkContainerFile(files, dir.File("GAME.D88").c_str(), &walk);
    ASSERT_EQ(kIoOk, s.result);
    EXPECT_FALSE(walk.complete);  // the zero size ends it
    ASSERT_EQ(3u, walk.images.size());
    EXPECT_EQ(4000u, walk.images[2].offset);
    EXPECT_EQ(3000u, WalkedExtent(walk.images[1], walk.fileSize));
    EXPECT_EQ(3, files.reads);

    PutFile(dir.File("EMPTY.D88"), Bytes());
    ASSERT_EQ(kIoOk, WalkContainerFile(files, dir.File("EMPTY.D88").c_str(), &walk).result);
    EXPECT_TRUE(walk.complete);
    EXPECT_TRUE(walk.images.empty());

    const struct {
        const char* what;
        std::function<void(FaultFiles&)> fault;
        const char* path;
        IoResult result;
    } cases[] = {
        {"missing", [](FaultFiles&) {}, "NONE.D88", kIoOpenFailed},
        {"a folder", [](FaultFiles&) {}, "", kIoOpenFailed},
        {"size", [](FaultFiles& f) { f.failSize = true; }, "GAME.D88", kIoSizeFailed},
        {"4 GiB",
         [](FaultFiles& f) {
             f.overrideSize = true;
             f.reportedSize = 0x100000000ull;
         },
         "GAME.D88", kIoTooLarge},
        {"second read", [](FaultFiles& f) { f.failReadAt = 2; }, "GAME.D88", kIoReadFailed},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        FaultFiles f;
        cases[i].fault(f);
        EXPECT_EQ(cases[i].result,
                  WalkContainerFile(f, dir.File(cases[i].path).c_str(), &walk).result)
            << cases[i].what;
        EXPECT_EQ(0u, f.openHandles()) << cases[i].what;
    }
    FaultFiles f;
    EXPECT_EQ(ENOENT, WalkContainerFile(f, dir.File("NONE.D88").c_str(), &walk).error.code);
    EXPECT_EQ(EISDIR, WalkContainerFile(f, dir.path().c_str(), &walk).error.code);
}

class PieceTest : public DocumentIo {
protected:
    void SetUp() override {
        source = MakeImage(3 * 1024 * 1024 + 5, "BIG", 0xB1);
        for (size_t i = 688; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 7);
        PutFile(dir.File("SRC.D88"), source);
        target = dir.File("GAME.D88");
        PutFile(target, Bytes(10, 'o'));
        path = dir.File("SRC.D88");
        Walked();
    }
    // The source as a walk finds it now.
    void Walked() {
        sources.assign(1, SourceFile());
        sources[0].path = path;
        sources[0].stamped = true;
        FileApi::Handle h = SystemFiles().OpenRead(path.c_str());
        ASSERT_TRUE(h && SystemFiles().Stamp(h, &sources[0].stamp));
        SystemFiles().Close(h);
    }
    // The whole source with a new name, then its first 1000 bytes again.
    WriteJob Job(BackupOrder backup = kNoBackup) {
        WriteJob job;
        job.target = target;
        job.backup = backup;
        job.replace = true;
        job.pieces.push_back(FilePiece(0, 0, static_cast<uint32_t>(source.size())));
        job.pieces.push_back(FilePiece(0, 0, 1000));
        job.pieces[0].headerLength = 36;
        std::memcpy(job.pieces[0].header, source.data(), 36);
        std::memcpy(job.pieces[0].header, "NEW", 4);
        return job;
    }
    IoStatus Write(FileApi& f, MemoryApi& m, BackupOrder backup = kNoBackup) {
        return WriteOneFile(f, m, sources, Job(backup));
    }
    Bytes Expected() {
        Bytes e = source;
        std::memcpy(e.data(), "NEW", 4);
        e.insert(e.end(), source.begin(), source.begin() + 1000);
        return e;
    }
    void ExpectUntouched() {
        Bytes now;
        ASSERT_TRUE(GetFile(target, &now));
        EXPECT_TRUE(now == Bytes(10, 'o'));
        EXPECT_EQ((std::vector<std::string>{"GAME.D88", "SRC.D88"}), Names());
    }
    Bytes source;
    std::string target, path;
    std::vector<SourceFile> sources;
};

TEST_F(PieceTest, ThroughChunksOrTheSystemsCopyTheSameBytes) {
    FaultMemory big(4096);
    ASSERT_EQ(kIoOk, Write(files, big).result);  // the fault wrapper declines the system's copy
    Bytes got;
    ASSERT_TRUE(GetFile(target, &got));
    EXPECT_TRUE(got == Expected());
    EXPECT_EQ(0u, big.liveBlocks());
    EXPECT_GE(files.writes, 5);  // chunks of 1 MiB
    files.kernelCopy = true;
    files.writes = 0;
    ASSERT_EQ(kIoOk, Write(files, big).result);
    ASSERT_TRUE(GetFile(target, &got));
    EXPECT_TRUE(got == Expected());
    EXPECT_EQ(1, big.allocations());  // the system's copy needs no chunk
    // A system copy that fails part way: the rest goes in chunks, from
    // where the copy stopped.
    files.kernelCopied = 0;
    files.kernelCopyFailAfter = 1536 * 1024;
    ASSERT_EQ(kIoOk, Write(files, big).result);
    ASSERT_TRUE(GetFile(target, &got));
    EXPECT_TRUE(got == Expected());
    EXPECT_EQ(1536u * 1024, files.kernelCopied);
}

TEST_F(PieceTest, FaultsLeaveTheTargetAsItWas) {
    const struct {
        const char* what;
        std::function<void(FaultFiles&, FaultMemory&)> fault;
        IoResult result;
    } cases[] = {
        {"no memory for the chunk",
         [](FaultFiles&, FaultMemory& m) { m.RefuseAllAllocations(true); }, kIoNoMemory},
        {"a source that got shorter",
         [](FaultFiles& f, FaultMemory&) {
             f.emptyReadAt = 3;
             f.emptyReadsFrom = true;
         },
         kIoSourceChanged},
        {"a failed read", [](FaultFiles& f, FaultMemory&) { f.failReadAt = 2; }, kIoReadFailed},
        {"no new file", [](FaultFiles& f, FaultMemory&) { f.failCreate = true; }, kIoCreateFailed},
        {"a write fails", [](FaultFiles& f, FaultMemory&) { f.failWriteAfter = 2000000; },
         kIoWriteFailed},
        {"the flush fails", [](FaultFiles& f, FaultMemory&) { f.failFlush = true; },
         kIoWriteFailed},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(cases[i].what);
        FaultFiles f;
        FaultMemory m(4096);
        cases[i].fault(f, m);
        EXPECT_EQ(cases[i].result, Write(f, m).result);
        EXPECT_EQ(0u, f.openHandles());
        EXPECT_EQ(0u, m.liveBlocks());
        ExpectUntouched();
    }
}

// Another program saves over the source while the new files are flushed:
// none takes its target's name, alone or in a run of several.
TEST_F(PieceTest, ASourceSavedOverDuringTheFlushReplacesNothing) {
    for (size_t n = 1; n <= 2; ++n) {
        FaultFiles f;
        f.duringFlush = [&] {
            PutFile(path, Bytes(5, 's'));
            f.duringFlush = nullptr;
        };
        std::vector<WriteJob> jobs(n, Job());
        if (n == 2) jobs[1].target = dir.File("TWO.D88");
        size_t placed = 1;
        EXPECT_EQ(kIoSourceChanged, WriteFiles(f, mem, sources, jobs, &placed).result) << n;
        EXPECT_EQ(0u, placed);
        EXPECT_EQ(nullptr, f.duringFlush) << "the flush came before the check";
        ExpectUntouched();
        PutFile(path, source);
        Walked();
    }
}

// A backup name that is the target's own, or a folder's, stops the write
// before a file is made; a name that differs only in case is another file
// where the folder tells them apart.
TEST_F(PieceTest, ABackupNameThatCannotBeTakenStopsTheWriteFirst) {
    ASSERT_EQ(0, mkdir(dir.File("FOLDER.bak").c_str(), 0755));
    const bool folds = SystemFiles().FoldsCase(target.c_str());
    for (const char* name : {"OWN.bak", "FOLDER.D88", "CASE.BAK"}) {
        SCOPED_TRACE(name);
        target = dir.File(name);
        PutFile(target, Bytes(10, 'o'));
        FaultFiles f;
        IoStatus s = Write(f, mem, kBackupStaged);
        Bytes now;
        if (std::string(name) == "CASE.BAK" && !folds) {
            EXPECT_EQ(kIoOk, s.result);
            EXPECT_TRUE(GetFile(dir.File("CASE.bak"), &now) && now == Bytes(10, 'o'));
            continue;
        }
        EXPECT_EQ(kIoBackupFailed, s.result);
        EXPECT_EQ(0, f.creates);
        EXPECT_EQ(target, s.path);
        EXPECT_EQ(dir.File(std::string(name) == "FOLDER.D88" ? "FOLDER.bak" : name), s.other);
        EXPECT_TRUE(GetFile(target, &now) && now == Bytes(10, 'o'));
    }
    std::vector<std::string> left = {"CASE.BAK", "FOLDER.D88", "FOLDER.bak",
                                     "GAME.D88", "OWN.bak",    "SRC.D88"};
    if (!folds) left.insert(left.begin() + 1, "CASE.bak");
    EXPECT_EQ(left, Names()) << "no new file is left";
}

TEST_F(PieceTest, AFullDiskAndAReadOnlyDisk) {
    SmallDisk disk(dir.File("disk"), "256k");
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    target = dir.File("disk/GAME.D88");
    PutFile(target, Bytes(10, 'o'));
    // 3 MiB do not fit in 256 KiB, whichever way they are copied.
    for (bool kernel : {true, false}) {
        SCOPED_TRACE(kernel ? "the system's copy" : "chunks");
        files.kernelCopy = kernel;
        FaultMemory m(4096);
        IoStatus s = Write(files, m);
        EXPECT_EQ(kIoWriteFailed, s.result);
        EXPECT_EQ(ENOSPC, s.error.code);
        Bytes now;
        ASSERT_TRUE(GetFile(target, &now));
        EXPECT_TRUE(now == Bytes(10, 'o'));
        EXPECT_EQ(std::vector<std::string>{"GAME.D88"}, disk.Names());
    }
    // Read-only: no new file can be made beside the target.
    ASSERT_TRUE(disk.Remount("ro"));
    IoStatus s = Write(files, mem);
    EXPECT_EQ(kIoCreateFailed, s.result);
    EXPECT_EQ(EROFS, s.error.code);
    EXPECT_EQ(std::vector<std::string>{"GAME.D88"}, disk.Names());
}

// ---- the system's files

TEST_F(DocumentIo, TheNewFileSitsInTheTargetsFolderWhicheverSeparator) {
    FileApi& sys = SystemFiles();
    std::string temp;
    FileApi::Handle h = sys.CreateTempBeside(dir.File("X.D88").c_str(), &temp);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(0, temp.compare(0, dir.path().size(), dir.path()));
    EXPECT_TRUE(sys.Close(h));
    EXPECT_TRUE(sys.Delete(temp.c_str()));
    // A backslash is a byte of the name on POSIX: the new file goes to the
    // folder that holds the file named "sub\X.D88".
    std::string mixed = dir.path() + "/sub\\X.D88";
    h = sys.CreateTempBeside(mixed.c_str(), &temp);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(dir.path() + "/", temp.substr(0, dir.path().size() + 1));
    EXPECT_EQ(std::string::npos, temp.find('\\'));
    EXPECT_TRUE(sys.Close(h));
    EXPECT_TRUE(sys.Delete(temp.c_str()));
    EXPECT_TRUE(Names().empty());
}

}  // namespace
