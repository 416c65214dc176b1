// Document commands in process: open, add, save and save as, new, blank
// disks and the save question, with their dialogs answered by the watcher
// and faults made real through the memory and file interfaces.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "doc_helpers_win.h"
#include "document/document_win.h"
#include "fault_files.h"
#include "fault_memory.h"
#include "list/disk_list_win.h"
#include "modal_watcher_win.h"
#include "platform/file_api.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "window_fixture_win.h"

namespace {

class Document : public MainWindowTest {
protected:

    Bytes TwoImages() { return Join({MakeImage("GAME A", 1000), MakeImage("GAME B", 688, 0x10, 0x10)}); }

    TempFolder folder_;
};

TEST_F(Document, CommandLineOpensAPathWithOrWithoutQuotes) {
    std::string path = folder_.Write("GAME.D88", TwoImages());
    ASSERT_TRUE(OpenFromCommandLine(main(), path.c_str()));
    EXPECT_EQ((std::vector<std::string>{"GAME A", "GAME B"}), names());
    EXPECT_EQ("GAME.D88 - Orvanel", WindowText(main()));
    EXPECT_EQ(folder_.path(), std::string(params()->lastDir));
    EXPECT_EQ(1688u, params()->bufferSize);
    EXPECT_EQ(0, params()->modified);

    NewDocument(main());
    std::string quoted = "\"" + path + "\"";
    ASSERT_TRUE(OpenFromCommandLine(main(), quoted.c_str()));
    EXPECT_EQ(2u, names().size());
}

// "GAME.D88" and "C:GAME.D88" (a drive, no backslash) both lie in the
// current folder, which becomes lastDir; a load given no folder part keeps
// lastDir as it was.
TEST_F(Document, CommandLineNamesWithoutABackslashAreTakenFromTheCurrentFolder) {
    std::string path = folder_.Write("GAME.D88", TwoImages());
    char before[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.path().c_str()));
    std::string onDrive = folder_.path().substr(0, 2) + "GAME.D88";
    bool bare = OpenFromCommandLine(main(), "GAME.D88") != 0;
    std::string bareDir = params()->lastDir;
    lstrcpyA(params()->lastDir, "C:\\ELSEWHERE");
    bool drive = OpenFromCommandLine(main(), onDrive.c_str()) != 0;
    std::string driveDir = params()->lastDir;
    std::string drivePath = params()->filePath;
    lstrcpyA(params()->lastDir, "C:\\ELSEWHERE");
    bool noFolder = LoadDocumentFile(main(), "GAME.D88", "GAME.D88", 0) != 0;
    SetCurrentDirectoryA(before);
    EXPECT_TRUE(bare);
    EXPECT_EQ(folder_.path(), bareDir);
    ASSERT_TRUE(drive) << onDrive;
    EXPECT_EQ(folder_.path(), driveDir);
    EXPECT_EQ(path, drivePath);
    EXPECT_EQ("GAME.D88 - Orvanel", WindowText(main()));
    EXPECT_TRUE(noFolder);
    EXPECT_STREQ("C:\\ELSEWHERE", params()->lastDir);
}

TEST_F(Document, CommandLineAsksAboutOtherExtensions) {
    std::string path = folder_.Write("NOTES.TXT", MakeImage("TEXT", 688));
    {
        ModalWatcher watcher;
        watcher.Expect("NOTES.TXT", IDNO);
        watcher.Start();
        EXPECT_TRUE(OpenFromCommandLine(main(), path.c_str()));
        ASSERT_TRUE(watcher.Finish()) << watcher.Report();
        EXPECT_EQ(std::string(TXT_FILE_CHECK), watcher.seen()[0].caption);
        EXPECT_TRUE(names().empty());
    }
    ModalWatcher watcher;
    watcher.Expect("NOTES.TXT", IDYES);
    watcher.Start();
    EXPECT_TRUE(OpenFromCommandLine(main(), path.c_str()));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ((std::vector<std::string>{"TEXT"}), names());
}

TEST_F(Document, OpenFailuresKeepTheDocument) {
    std::string good = folder_.Write("GOOD.D88", TwoImages());
    ASSERT_TRUE(LoadDocumentFile(main(), good.c_str(), "GOOD.D88", folder_.path().size() + 1));
    FaultFiles files;  // a read that delivers 100 bytes of the 1688 asked for
    files.shortReadAt = 1;
    files.shortReadBytes = 100;
    ModalWatcher watcher;
    watcher.Expect("SHORT.D88", IDOK);
    watcher.Expect("MISSING.D88", IDOK);
    watcher.Start();
    params()->files = &files;
    EXPECT_FALSE(LoadDocumentFile(main(), good.c_str(), "SHORT.D88", folder_.path().size() + 1));
    params()->files = &SystemFiles();
    std::string missing = folder_.File("MISSING.D88");
    EXPECT_FALSE(LoadDocumentFile(main(), missing.c_str(), "MISSING.D88", folder_.path().size() + 1));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(std::string(TXT_APP_CAPTION), watcher.seen()[0].caption);
    EXPECT_EQ(Format(TXT_READ_FAILED, "SHORT.D88"), watcher.seen()[0].text);
    EXPECT_EQ((std::vector<std::string>{"GAME A", "GAME B"}), names());
    EXPECT_EQ("GOOD.D88 - Orvanel", WindowText(main()));
    EXPECT_EQ(1688u, params()->bufferSize);
    // A file of 0 bytes (a container without disks) opens as an empty document.
    std::string empty = folder_.Write("EMPTY.D88", Bytes());
    EXPECT_TRUE(LoadDocumentFile(main(), empty.c_str(), "EMPTY.D88", folder_.path().size() + 1));
    EXPECT_TRUE(names().empty());
    EXPECT_EQ("EMPTY.D88 - Orvanel", WindowText(main()));
}

TEST_F(Document, ContainerOfFourGigabytesOrMoreIsRefused) {
    std::string big = folder_.File("BIG.D88");
    HANDLE h = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    LARGE_INTEGER at;
    at.QuadPart = 5LL << 30;
    ASSERT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
    ModalWatcher watcher;
    watcher.Expect(TXT_NO_MEMORY, IDOK);
    watcher.Expect(TXT_NO_MEMORY, IDOK);
    watcher.Start();
    EXPECT_FALSE(LoadDocumentFile(main(), big.c_str(), "BIG.D88", folder_.path().size() + 1));
    EXPECT_FALSE(AppendImageFile(main(), big.c_str()));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_TRUE(params()->buffer == nullptr);
}

TEST_F(Document, AddAppendsAfterTheListedImagesAndKeepsOffsets) {
    AppendBlankDisk(main());
    std::string path = folder_.Write("TWO.D88", TwoImages());
    ASSERT_TRUE(AppendImageFile(main(), path.c_str()));
    EXPECT_EQ((std::vector<std::string>{"BlankDisk", "GAME A", "GAME B"}), names());
    EXPECT_EQ(688u, GetItemImageOffset(list(), 1));
    EXPECT_EQ(1688u, GetItemImageOffset(list(), 2));
    EXPECT_EQ(1, params()->modified);
    EXPECT_EQ("\x90\x56\x8b\x4b\xc3\xde\xa8\xbd\xb8\xb2\xd2\xb0\xbc\xde - Orvanel", WindowText(main()));
}

// A zero-size image ends the walk: the images after it are not listed, so a
// save would drop them. Open and add say so instead of keeping quiet.
TEST_F(Document, AZeroSizeImageIsReportedOnOpenAndAdd) {
    Bytes stopped = Join({MakeImage("FIRST", 688), MakeImage("EMPTY", 688), MakeImage("LOST", 688)});
    stopped[688 + 28] = 0;
    stopped[688 + 29] = 0;
    std::string path = folder_.Write("STOP.D88", stopped);
    std::string good = folder_.Write("GOOD.D88", TwoImages());

    ModalWatcher watcher;
    watcher.Expect("STOP.D88\n", IDOK);
    watcher.Expect("STOP.D88\n", IDOK);
    watcher.Start();
    EXPECT_EQ(0, OpenFromCommandLine(main(), path.c_str()));
    // Loaded with what was found, titled, not modified.
    EXPECT_EQ((std::vector<std::string>{"FIRST", "EMPTY"}), names());
    EXPECT_EQ("STOP.D88 - Orvanel", WindowText(main()));
    EXPECT_EQ(0, params()->modified);

    ASSERT_TRUE(OpenFromCommandLine(main(), good.c_str()));
    EXPECT_EQ(1, AppendImageFile(main(), path.c_str()));
    EXPECT_EQ((std::vector<std::string>{"GAME A", "GAME B", "FIRST", "EMPTY"}), names());
    EXPECT_EQ(1, params()->modified);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    ASSERT_EQ(2u, watcher.seen().size());
    EXPECT_EQ(std::string(TXT_APP_CAPTION), watcher.seen()[0].caption);
    char expected[512];
    std::snprintf(expected, sizeof expected, TXT_WALK_STOPPED, "STOP.D88");
    EXPECT_EQ(std::string(expected), watcher.seen()[0].text);
    EXPECT_EQ(0u, watcher.seen()[1].text.find(path + "\n"));

    // A file that walks to its end asks nothing.
    ASSERT_TRUE(OpenFromCommandLine(main(), good.c_str()));
}

// A disk whose size runs past the end of its file holds the bytes it came
// with. The open says so; a save that would put another disk after it,
// which it would take in, is refused naming it; at the end it is saved as
// it came.
TEST_F(Document, ADiskCutShortIsToldOfAndNeverHidesTheDisksAfterIt) {
    Bytes cut = MakeImage("GAME B", 5000);
    cut.resize(1000);
    std::string path = folder_.Write("CUT.D88", Join({MakeImage("GAME A", 688), cut}));
    char opened[512], refused[512];
    std::snprintf(opened, sizeof opened, TXT_CUT_SHORT_OPEN, 2ul, "GAME B", 5000ul, 1000ul);
    std::snprintf(refused, sizeof refused, TXT_CUT_SHORT_SAVE, 2ul, "GAME B", 5000ul, 1000ul);
    ModalWatcher watcher;
    watcher.Expect(opened + std::string("CUT.D88"), IDOK);
    watcher.Expect(refused + path, IDOK);
    watcher.Start();
    ASSERT_TRUE(OpenFromCommandLine(main(), path.c_str()));
    AppendBlankDisk(main());
    EXPECT_FALSE(SaveDocument(main()));
    SelectOnly(list(), {2});
    ASSERT_TRUE(MoveSelectedDisks(list(), 1));
    EXPECT_TRUE(SaveDocument(main()));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(std::string(TXT_APP_CAPTION), watcher.seen()[1].caption);
    Bytes saved;
    ASSERT_TRUE(ReadAll(path, &saved));
    EXPECT_TRUE(saved == Join({MakeImage("GAME A", 688), MakeImage("BlankDisk", 688), cut}));
}

TEST_F(Document, AddFailuresLeaveEverythingAsItWas) {
    AppendBlankDisk(main());
    FaultMemory memory;
    FaultFiles files;
    std::string path = folder_.Write("TWO.D88", TwoImages());
    MemoryApi* realMemory = params()->memory;
    uint8_t* before = params()->buffer;
    ModalWatcher watcher;
    watcher.Expect(TXT_NO_MEMORY, IDOK);
    watcher.Expect("TWO.D88", IDOK);  // read failed
    watcher.Expect("TWO.D88", IDOK);  // a read that delivers nothing
    watcher.Start();
    params()->memory = &memory;
    memory.RefuseAllAllocations(true);
    EXPECT_FALSE(AppendImageFile(main(), path.c_str()));
    memory.RefuseAllAllocations(false);
    params()->memory = realMemory;
    params()->files = &files;
    files.failReadAt = 1;
    EXPECT_FALSE(AppendImageFile(main(), path.c_str()));
    files.failReadAt = 0;
    files.emptyReadAt = files.reads + 2;
    files.emptyReadsFrom = true;
    EXPECT_FALSE(AppendImageFile(main(), path.c_str()));
    params()->files = &SystemFiles();
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(std::string(TXT_READ_FAILED).substr(0, 10), watcher.seen()[1].text.substr(0, 10));
    EXPECT_EQ(before, params()->buffer);
    EXPECT_EQ(688u, params()->bufferSize);
    EXPECT_EQ((std::vector<std::string>{"BlankDisk"}), names());
    EXPECT_EQ(0u, files.openHandles());
}

TEST_F(Document, SaveAsWritesTheListedImagesAndTakesTheNewName) {
    std::string source = folder_.Write("GAME.D88", TwoImages());
    ASSERT_TRUE(OpenFromCommandLine(main(), source.c_str()));
    std::string target = folder_.File("COPY.D88");
    ModalWatcher watcher;
    watcher.Expect("", IDOK).SetText(kFileNameBox, target);
    watcher.Start();
    EXPECT_TRUE(SaveDocumentAs(main()));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    Bytes a, b;
    ASSERT_TRUE(ReadAll(source, &a));
    ASSERT_TRUE(ReadAll(target, &b));
    EXPECT_TRUE(a == b) << "an unchanged document saved under another name is byte-identical";
    EXPECT_EQ("COPY.D88 - Orvanel", WindowText(main()));
    EXPECT_EQ(target, std::string(params()->filePath));
}

TEST_F(Document, SaveWritesListOrderAndKeepsTheOldFileAsTheBackup) {
    std::string path = folder_.Write("GAME.D88", TwoImages());
    ASSERT_TRUE(OpenFromCommandLine(main(), path.c_str()));
    AppendBlankDisk(main());
    params()->flags |= FLAG_MAKE_BACKUP;
    // The saved file keeps what the user set on it.
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(SaveDocument(main()));
    EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN, GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    Bytes saved, backup;
    ASSERT_TRUE(ReadAll(path, &saved));
    ASSERT_TRUE(ReadAll(folder_.File("GAME.bak"), &backup));
    EXPECT_TRUE(backup == TwoImages());
    Bytes expected = Join({TwoImages(), MakeImage("BlankDisk", 688)});
    EXPECT_TRUE(saved == expected);
    EXPECT_EQ(0, params()->modified);
    // Nothing to save: nothing is written, even when the file went away.
    DeleteFileA(path.c_str());
    EXPECT_TRUE(SaveDocument(main()));
    EXPECT_FALSE(Exists(path));
}

TEST_F(Document, FailedSavesLeaveTheTargetAsItWas) {
    std::string path = folder_.Write("GAME.D88", TwoImages());
    Bytes older = MakeImage("OLDER", 700);
    std::string backup = folder_.Write("GAME.bak", older);
    ASSERT_TRUE(OpenFromCommandLine(main(), path.c_str()));
    AppendBlankDisk(main());
    params()->flags |= FLAG_MAKE_BACKUP;  // the older backup copy stays as it is too
    FaultFiles files;
    params()->files = &files;
    ModalWatcher watcher;
    watcher.Expect("GAME.D88", IDOK);  // write fails half way
    watcher.Expect("GAME.D88", IDOK);  // a write that reports 0 bytes
    watcher.Expect("GAME.D88", IDOK);  // read-only target
    watcher.Start();
    files.failWriteAfter = 1000;
    EXPECT_FALSE(SaveDocument(main()));
    files.failWriteAfter = -1;
    files.zeroWriteAt = files.writes + 1;
    EXPECT_FALSE(SaveDocument(main()));
    files.zeroWriteAt = 0;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(SaveDocument(main()));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(std::string(TXT_WRITE_FAILED).substr(0, 12), watcher.seen()[0].text.substr(0, 12));
    EXPECT_EQ(std::string(TXT_CANNOT_OPEN).substr(0, 12), watcher.seen()[2].text.substr(0, 12));
    Bytes now, kept;
    ASSERT_TRUE(ReadAll(path, &now));
    EXPECT_TRUE(now == TwoImages());
    EXPECT_EQ(1, params()->modified);
    // A backup copy that cannot be made (the disk fills while the old file
    // is copied) is passed over without a word, and costs the older none.
    files.failWriteAfter = static_cast<int64_t>(files.bytesWritten) + 2376 + 1000;
    EXPECT_TRUE(SaveDocument(main()));
    ASSERT_TRUE(ReadAll(backup, &kept));
    EXPECT_TRUE(kept == older);
    for (const std::string& temp : files.tempsCreated) EXPECT_FALSE(Exists(temp)) << temp;
}

// Another program (an emulator saving into its disk) wrote the file since
// it was opened: the save asks first, and No leaves that program's file.
TEST_F(Document, SavingOverAFileChangedSinceItWasOpenedAsksFirst) {
    std::string path = folder_.Write("GAME.D88", TwoImages());
    ASSERT_TRUE(OpenFromCommandLine(main(), path.c_str()));
    Bytes theirs = Join({TwoImages(), MakeImage("THEIRS", 700)});
    folder_.Write("GAME.D88", theirs);
    AppendBlankDisk(main());
    ModalWatcher watcher;
    watcher.Expect(Format(TXT_CHANGED_ELSEWHERE, path), IDNO);
    watcher.Expect(Format(TXT_CHANGED_ELSEWHERE, path), IDYES);
    watcher.Start();
    EXPECT_FALSE(SaveDocument(main()));
    Bytes now;
    ASSERT_TRUE(ReadAll(path, &now));
    EXPECT_TRUE(now == theirs);
    EXPECT_TRUE(SaveDocument(main()));
    AppendBlankDisk(main());
    EXPECT_TRUE(SaveDocument(main()));  // over its own save: no question
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(std::string(TXT_OVERWRITE_CAPTION), watcher.seen()[0].caption);
    ASSERT_TRUE(ReadAll(path, &now));
    Bytes blank = MakeImage("BlankDisk", 688);
    EXPECT_TRUE(now == Join({TwoImages(), blank, blank}));
}

// A replace that took the old file away and then failed: the new file is
// all that is left, and stays under its own name, which the message gives.
TEST_F(Document, AReplaceThatLosesTheOldFileKeepsTheNewOne) {
    std::string path = folder_.Write("GAME.D88", TwoImages());
    ASSERT_TRUE(OpenFromCommandLine(main(), path.c_str()));
    AppendBlankDisk(main());
    FaultFiles files;
    files.replaceLosesTarget = true;
    params()->files = &files;
    ModalWatcher watcher;
    watcher.Expect(TXT_APP_CAPTION, IDOK);
    watcher.Start();
    EXPECT_FALSE(SaveDocument(main()));
    params()->files = &SystemFiles();
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    ASSERT_EQ(1u, files.tempsCreated.size());
    EXPECT_EQ(Format(TXT_KEPT_ASIDE, path) + files.tempsCreated[0], watcher.seen()[0].text);
    Bytes kept;
    ASSERT_TRUE(ReadAll(files.tempsCreated[0], &kept));
    EXPECT_TRUE(kept == Join({TwoImages(), MakeImage("BlankDisk", 688)}));
    EXPECT_EQ(1, params()->modified);
}

TEST_F(Document, SaveIntoAFolderOf250Bytes) {
    // GetTempFileName refuses folders of more than 246 bytes; a target of
    // 256 bytes there is saved all the same, through a new file beside it.
    std::string deep = folder_.path() + "\\";
    deep += std::string(250 - deep.size(), 'F');
    ASSERT_EQ(250u, deep.size());
    std::wstring wide = L"\\\\?\\" + std::wstring(deep.begin(), deep.end());
    ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    std::string target = deep + "\\A.D88";
    std::string path = folder_.Write("GAME.D88", TwoImages());
    ASSERT_TRUE(OpenFromCommandLine(main(), path.c_str()));
    AppendBlankDisk(main());
    lstrcpynA(params()->filePath, target.c_str(), sizeof params()->filePath);
    params()->flags |= FLAG_MAKE_BACKUP;
    ModalWatcher watcher;  // no message is due: one that comes is closed and counted
    watcher.Start();
    EXPECT_TRUE(SaveDocument(main()));
    Bytes saved;
    ASSERT_TRUE(ReadAll(target, &saved));
    EXPECT_TRUE(saved == Join({TwoImages(), MakeImage("BlankDisk", 688)}));
    // Again over the file now there: the backup copy beside it, nothing else.
    params()->modified = 1;
    EXPECT_TRUE(SaveDocument(main()));
    EXPECT_TRUE(Exists(deep + "\\A.bak"));
    EXPECT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_TRUE(watcher.seen().empty()) << watcher.Report();
    // Only the target and its backup copy: no new file is left beside them.
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((deep + "\\*").c_str(), &found);
    int files = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                ++files;
                DeleteFileA((deep + "\\" + found.cFileName).c_str());
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    EXPECT_EQ(2, files);  // A.D88 and A.bak
    RemoveDirectoryA(deep.c_str());
}

TEST_F(Document, SaveQuestionGuardsNewAndClose) {
    AppendBlankDisk(main());
    {
        ModalWatcher watcher;
        watcher.Expect(TXT_SAVE_CAPTION, IDCANCEL);
        watcher.Start();
        SendMessageA(main(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(watcher.Finish()) << watcher.Report();
        EXPECT_NE(std::string::npos, watcher.seen()[0].text.find(TXT_NEW_TITLE));
        EXPECT_TRUE(IsWindow(main()));
        EXPECT_EQ(1, params()->modified);
    }
    {
        // Yes on a document without a file brings Save As; cancelling it keeps everything.
        ModalWatcher watcher;
        watcher.Expect(TXT_SAVE_CAPTION, IDYES);
        watcher.Expect("", IDCANCEL);
        watcher.Start();
        EXPECT_EQ(FALSE, SendMessageA(main(), WM_QUERYENDSESSION, 0, 0));
        ASSERT_TRUE(watcher.Finish()) << watcher.Report();
        EXPECT_EQ(1u, names().size());
    }
    {
        ModalWatcher watcher;
        watcher.Expect(TXT_SAVE_CAPTION, IDNO);
        watcher.Start();
        EXPECT_TRUE(NewDocument(main()));
        ASSERT_TRUE(watcher.Finish()) << watcher.Report();
        EXPECT_TRUE(names().empty());
        EXPECT_TRUE(params()->buffer == nullptr);
        EXPECT_EQ(0, params()->modified);
    }
}

TEST_F(Document, BlankDisksAreHeadersAloneAndRefusedMemoryChangesNothing) {
    AppendBlankDisk(main());
    AppendBlankDisk(main());
    EXPECT_EQ(1376u, params()->bufferSize);
    EXPECT_EQ(688u, GetItemImageOffset(list(), 1));
    EXPECT_TRUE(Bytes(params()->buffer, params()->buffer + 688) == MakeImage("BlankDisk", 688));
    FaultMemory memory;
    MemoryApi* real = params()->memory;
    params()->memory = &memory;
    memory.RefuseAllAllocations(true);
    ModalWatcher watcher;
    watcher.Expect(TXT_NO_MEMORY, IDOK);
    watcher.Start();
    EXPECT_FALSE(AppendBlankDisk(main()));
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    params()->memory = real;
    EXPECT_EQ(1376u, params()->bufferSize);
    EXPECT_EQ(2u, names().size());
}

}  // namespace
