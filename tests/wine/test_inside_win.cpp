// The files window and the check window in process: Enter on a disk lists
// its files, which go through the browser and the overwrite prompt to the
// folder asked for (a tokenised program as its listing, a broken file not
// at all), failures as messages, findings and the marks of the disks with
// errors; and nothing a look does changes the document.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doc_helpers_win.h"
#include "document/document_win.h"
#include "fault_files.h"
#include "modal_watcher_win.h"
#include "platform/text_wide_win.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/texts.h"
#include "tests/unit/filesystems/test_disk.h"
#include "window_fixture_win.h"

namespace {

const Bytes kHello = {0x16, 0x00, 0x0A, 0x00, 0x91, 0x20, 0x22, 'h',  'e',  'l',  'l', 'o',
                      ' ',  'w',  'o',  'r',  'l',  'd',  '!',  0x22, 0x00, 0x00, 0x00};

// An N88-BASIC disk named `name`: a tokenised program and an ASCII file,
// and with `broken` a third file whose chain loops.
Bytes N88Image(const char* name, bool broken) {
    N88Disk d;
    d.Add("HELLO BAS", 0x80, {0}, kHello);
    d.Add("READMETXT", 0x00, {1}, Text("TEXT\x1A"));
    if (broken) d.Add("LOOP  BAS", 0x80, {2}, Bytes(256, 7));
    if (broken) d.fat[2] = 2;
    Bytes image = d.Image();
    std::fill(image.begin(), image.begin() + 17, 0);
    std::copy(name, name + strlen(name), image.begin());
    return image;
}

std::string Clipboard() {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* chars = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (chars && Cp932FromWide(chars, &text)) GlobalUnlock(data);
    CloseClipboard();
    return text;
}

// The steps of a files window whose rows' names go to `names`, which
// selects every file and extracts them.
void ExtractAll(ModalWatcher& watcher, std::vector<std::string>* names) {
    watcher.Expect(ModalStep::Calling([names](HWND files) {
        *names = ListColumn(GetDlgItem(files, IDC_FILES_LIST), 0);
        SendMessageA(files, WM_COMMAND, IDC_FILES_SELECT_ALL, 0);
        SendMessageA(GetDlgItem(files, IDC_FILES_AS_TEXT), BM_SETCHECK, BST_CHECKED, 0);
        PostMessageA(files, WM_COMMAND, IDC_FILES_EXTRACT, 0);
    }));
    watcher.Expect("抽出先ﾌｫﾙﾀﾞ", IDOK);
}

class Inside : public MainWindowTest {
protected:
    void Open(const std::vector<Bytes>& images) {
        std::string path = source_.Write("GAME.D88", Join(images));
        LoadDocumentFile(main(), path.c_str(), "GAME.D88",
                         static_cast<unsigned>(source_.path().size() + 1));
        lstrcpynA(params()->lastDir, out_.path().c_str(), kPathBytes);
        held_.assign(params()->buffer, params()->buffer + params()->bufferSize);
    }
    // Opens the files of disk `index` by Enter in the disk list.
    void PressEnterOn(int index, ModalWatcher& watcher) {
        SelectOnly(list(), {index});
        LVITEMA focus = {};
        focus.stateMask = focus.state = LVIS_FOCUSED;
        SendMessageA(list(), LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&focus));
        watcher.Start();
        SendMessageA(list(), WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_TRUE(watcher.WaitDone(60000)) << watcher.Report();
    }
    void ExpectDocumentUnchanged() {
        EXPECT_EQ(0, params()->modified);
        EXPECT_TRUE(Bytes(params()->buffer, params()->buffer + params()->bufferSize) == held_);
    }
    TempFolder source_, out_;
    Bytes held_;
};

TEST_F(Inside, EnterListsTheFilesAndExtractWritesTheSelectedOnes) {
    Open({N88Image("N88", true)});
    out_.Write("README.TXT", Text("old"));
    std::vector<std::string> names;
    ModalWatcher watcher;
    ExtractAll(watcher, &names);
    watcher.Expect(TXT_OVERWRITE_CAPTION, IDC_ALLYES);  // README.TXT is there
    watcher.Expect("LOOP.BAS", IDOK);                   // its chain loops
    watcher.Expect(ModalStep::Calling([](HWND files) {
        SendMessageA(files, WM_COMMAND, IDC_FILES_COPY, 0);
        PostMessageA(files, WM_COMMAND, IDCANCEL, 0);
    }));
    PressEnterOn(0, watcher);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ((std::vector<std::string>{"HELLO.BAS", "README.TXT", "LOOP.BAS"}), names);
    Bytes hello, readme;
    EXPECT_TRUE(ReadAll(out_.File("HELLO.BAS"), &hello));
    EXPECT_EQ("10 PRINT \"hello world!\"\r\n", std::string(hello.begin(), hello.end()));
    EXPECT_TRUE(ReadAll(out_.File("README.TXT"), &readme) && readme == Text("TEXT"));
    EXPECT_FALSE(Exists(out_.File("LOOP.BAS")));
    EXPECT_EQ(0u, Clipboard().find("HELLO.BAS\tBASIC(中間ｺｰﾄﾞ)\t1 ｾｸﾀ\r\nREADME.TXT\t"))
        << Clipboard();
    EXPECT_EQ(out_.path(), std::string(params()->lastDir));
    ExpectDocumentUnchanged();
}

TEST_F(Inside, AFailedWriteIsReportedAndEndsTheRun) {
    Open({N88Image("N88", false)});
    FaultFiles files;
    files.failWriteAfter = 0;
    params()->files = &files;
    std::vector<std::string> names;
    ModalWatcher watcher;
    ExtractAll(watcher, &names);
    watcher.Expect(TXT_APP_CAPTION, IDOK);
    watcher.Expect(
        ModalStep::Calling([](HWND files) { PostMessageA(files, WM_COMMAND, IDCANCEL, 0); }));
    PressEnterOn(0, watcher);
    bool finished = watcher.Finish();
    params()->files = &SystemFiles();
    ASSERT_TRUE(finished) << watcher.Report();
    std::string failed = TXT_WRITE_FAILED;
    failed.replace(failed.find("%s"), 2, out_.File("HELLO.BAS"));
    EXPECT_EQ(failed, watcher.seen()[2].text);
    EXPECT_EQ(0u, files.openHandles());
    EXPECT_FALSE(Exists(out_.File("HELLO.BAS")));
    EXPECT_FALSE(Exists(out_.File("README.TXT"))) << "the run ends at a failure";
}

TEST_F(Inside, ADiskWithoutAFileSystemSaysSoInTheWindow) {
    Open({MakeImage("BLANK", 688)});
    std::string heading;
    int rows = -1;
    ModalWatcher watcher;
    watcher.Expect(ModalStep::Calling([&](HWND files) {
        heading = ModalWatcher::TextOf(GetDlgItem(files, IDC_FILES_SYSTEM));
        rows = static_cast<int>(
            SendMessageA(GetDlgItem(files, IDC_FILES_LIST), LVM_GETITEMCOUNT, 0, 0));
        PostMessageA(files, WM_COMMAND, IDCANCEL, 0);
    }));
    PressEnterOn(0, watcher);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_NE(std::string::npos, heading.find(TXT_FILES_NO_SYSTEM)) << heading;
    EXPECT_EQ(0, rows);
    EXPECT_EQ(1u, watcher.seen().size()) << "no error box";
}

TEST_F(Inside, CheckShowsTheFindingsAndMarksTheDisksWithErrors) {
    Open({N88Image("GOOD", false), N88Image("BAD", true), MakeImage("BLANK", 688, 0x10)});
    SelectOnly(list(), {0, 1, 2});
    std::string summary;
    ModalWatcher watcher;
    watcher.Expect(ModalStep::Calling([&summary](HWND check) {
        summary = ModalWatcher::TextOf(GetDlgItem(check, IDC_CHECK_SUMMARY));
        OpenClipboard(nullptr);  // held by this thread: the copy cannot have it
        PostMessageA(check, WM_COMMAND, IDC_CHECK_COPY, 0);
    }));
    watcher
        .Expect(ModalStep::Calling([](HWND box) {
            CloseClipboard();
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }))
        .expect = TXT_APP_CAPTION;
    watcher.Expect(ModalStep::Calling([](HWND check) {
        SendMessageA(check, WM_COMMAND, IDC_CHECK_COPY, 0);
        PostMessageA(check, WM_COMMAND, IDCANCEL, 0);
    }));
    watcher.Start();
    SendMessageA(main(), WM_COMMAND, IDM_CHECK, 0);
    ASSERT_TRUE(watcher.Finish()) << watcher.Report();
    EXPECT_EQ(std::string(TXT_CLIPBOARD_FAILED), watcher.seen()[1].text);
    EXPECT_EQ("3 個のﾃﾞｨｽｸを検査しました.ｴﾗｰ 1 件,警告 1 件が見つかりました.", summary);
    std::string copied = Clipboard();
    EXPECT_EQ(0u, copied.find("2: BAD\tｴﾗｰ\tfs-chain-loop\t")) << copied;
    EXPECT_NE(std::string::npos, copied.find("\r\n3: BLANK\t警告\tunformatted\t")) << copied;
    const int images[] = {0, 0, 1}, marks[] = {0, 1, 0};
    for (int i = 0; i < 3; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE | LVIF_STATE;
        item.iItem = i;
        item.stateMask = LVIS_OVERLAYMASK;
        SendMessageA(list(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(images[i], item.iImage) << i;
        EXPECT_EQ(static_cast<UINT>(INDEXTOOVERLAYMASK(marks[i])), item.state) << i;
    }
    ExpectDocumentUnchanged();
}

}  // namespace
