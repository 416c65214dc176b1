// The names of a folder read once, compared as its file system compares them.
#include "platform/folder_names.h"

#include <gtest/gtest.h>

#include "tests/support/fault_files.h"
#include "tests/unit/scratch_dir.h"

namespace {

TEST(FolderNames, ReadOnceComparedAsTheFolderComparesAndKeptCurrent) {
    ScratchDir dir;
    PutFile(dir.File("Game Disk.D88"), Bytes(1, 0));
    FaultFiles files;
    files.foldsCase = 1;
    files.countLookups = true;
    FolderNames names(files, dir.File("x"));
    EXPECT_TRUE(names.Has(dir.File("GAME DISK.d88")));
    EXPECT_FALSE(names.Has(dir.File("OTHER.D88")));
    names.Add(dir.File("Other.d88"));
    EXPECT_TRUE(names.Has(dir.File("OTHER.D88")));
    EXPECT_EQ(1, files.folderReads);
    EXPECT_TRUE(files.missingLookups.empty()) << "nothing was asked of the system";
    // A path in another folder is asked of the system, and so is every one
    // when the folder cannot be read.
    EXPECT_FALSE(names.Has(dir.File("sub/OTHER.D88")));
    EXPECT_EQ(1u, files.missingLookups.size());
    files.failListFolder = true;
    FolderNames unread(files, dir.File("x"));
    EXPECT_TRUE(unread.Has(dir.File("Game Disk.D88")));
    EXPECT_FALSE(unread.Has(dir.File("Other.d88")));
}

}  // namespace
