// The real main window in process: its children, columns and image lists,
// the items it lists, its layout, command routing, settings and teardown.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "doc_helpers_win.h"
#include "document/document_win.h"
#include "fault_memory.h"
#include "list/disk_list_win.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/settings_codec.h"
#include "shell/shell_win.h"
#include "shell/texts.h"
#include "window_fixture_win.h"

namespace {

class MainWindow : public MainWindowTest {};

TEST_F(MainWindow, CreationBuildsChildrenColumnsAndImageLists) {
    char cls[64];
    GetClassNameA(main(), cls, sizeof cls);
    EXPECT_STREQ(MAIN_WINDOW_CLASS, cls);
    EXPECT_EQ(TXT_NEW_WINDOW_TITLE, WindowText(main()));
    EXPECT_EQ(list(), GetDlgItem(main(), IDC_DISKLIST));
    EXPECT_EQ(params()->statusBar, GetDlgItem(main(), IDC_STATUSBAR));
    GetClassNameA(list(), cls, sizeof cls);
    EXPECT_STREQ("SysListView32", cls);

    const char* captions[4] = {TXT_COL_DISK, TXT_COL_PROTECT, TXT_COL_MEDIA, TXT_COL_SIZE};
    for (int c = 0; c < 4; ++c) {
        char text[64] = "";
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_FMT;
        col.pszText = text;
        col.cchTextMax = sizeof text;
        ASSERT_TRUE(SendMessageA(list(), LVM_GETCOLUMNA, c, reinterpret_cast<LPARAM>(&col))) << c;
        EXPECT_STREQ(captions[c], text) << c;
        EXPECT_EQ(c == 3 ? LVCFMT_RIGHT : LVCFMT_LEFT, col.fmt & LVCFMT_JUSTIFYMASK) << c;
    }
    HIMAGELIST large = reinterpret_cast<HIMAGELIST>(SendMessageA(list(), LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
    HIMAGELIST small = reinterpret_cast<HIMAGELIST>(SendMessageA(list(), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    EXPECT_EQ(params()->largeImages, large);
    EXPECT_EQ(params()->smallImages, small);
    // The two pictures of a disk, and the errors mark drawn over them.
    EXPECT_EQ(3, ImageList_GetImageCount(large));
    EXPECT_EQ(3, ImageList_GetImageCount(small));
    int cx = 0, cy = 0;
    ImageList_GetIconSize(small, &cx, &cy);
    EXPECT_EQ(16, cx);
    EXPECT_EQ(kDefaultFlags, params()->flags);
    EXPECT_STREQ(".", params()->lastDir);
    EXPECT_EQ(0, params()->modified);
    EXPECT_TRUE(params()->buffer == nullptr);
}

TEST_F(MainWindow, AddDiskItemShowsLabelImageAndColumnsFromTheHeader) {
    Bytes buffer = Join({MakeImage("PLAIN", 1023, 0x00, 0x00), MakeImage("PROT", 737280, 0x01, 0x10),
                         MakeImage("HD", 1500, 0x00, 0x20), MakeImage("ODD", 1024, 0x00, 0x30)});
    // A name with no NUL in its 17 bytes shows those 17 bytes only.
    Bytes full = MakeImage("", 688);
    for (int i = 0; i < 17; ++i) full[i] = 'A' + i;
    buffer.insert(buffer.end(), full.begin(), full.end());
    uint32_t at = 0;
    std::vector<uint32_t> offsets;
    while (at < buffer.size()) {
        offsets.push_back(at);
        uint32_t size = AddDiskItem(list(), &buffer[0], static_cast<uint32_t>(buffer.size()), at);
        ASSERT_NE(0u, size);
        at += size;
    }
    EXPECT_EQ((std::vector<std::string>{"PLAIN", "PROT", "HD", "ODD", "ABCDEFGHIJKLMNOPQ"}), ListColumn(list(), 0));
    EXPECT_EQ((std::vector<std::string>{"No", "Yes", "No", "No", "No"}), ListColumn(list(), 1));
    EXPECT_EQ((std::vector<std::string>{"2D", "2DD", "2HD", "2D", "2D"}), ListColumn(list(), 2));
    EXPECT_EQ((std::vector<std::string>{"1023Bytes", "720KB", "1KB", "1KB", "688Bytes"}), ListColumn(list(), 3));
    for (int i = 0; i < 5; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE | LVIF_PARAM;
        item.iItem = i;
        SendMessageA(list(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(i == 1 ? 1 : 0, item.iImage) << i;
        EXPECT_EQ(offsets[i], GetItemImageOffset(list(), i)) << i;
    }
    EXPECT_EQ(0xFFFFFFFFu, GetItemImageOffset(list(), 99));
}

TEST_F(MainWindow, HeaderCutShortAtTheBufferEndIsListedWithZeros) {
    Bytes buffer = MakeImage("TAIL", 688);
    buffer.resize(30);  // diskSize half there
    EXPECT_EQ(688u, AddDiskItem(list(), &buffer[0], 30, 0));
    EXPECT_EQ((std::vector<std::string>{"688Bytes"}), ListColumn(list(), 3));
}

// Listing turns drawing off while the items go in; the list must come out
// of it shown, with its items laid out and waiting to be drawn.
TEST_F(MainWindow, ListingLeavesTheListDrawnAgain) {
    Bytes buffer;
    for (int i = 0; i < 40; ++i) {
        Bytes image = MakeImage("DISK", 700);
        buffer.insert(buffer.end(), image.begin(), image.end());
    }
    ASSERT_TRUE(IsWindowVisible(list()));
    UpdateWindow(list());
    ASSERT_TRUE(ListImages(list(), &buffer[0], static_cast<uint32_t>(buffer.size()), 0,
                           static_cast<uint32_t>(buffer.size())));
    EXPECT_EQ(40, ListView_GetItemCount(list()));
    EXPECT_TRUE(IsWindowVisible(list()));
    RECT pending;
    EXPECT_TRUE(GetUpdateRect(list(), &pending, FALSE)) << "nothing left to draw";
    RECT last;
    EXPECT_TRUE(ListView_GetItemRect(list(), 39, &last, LVIR_BOUNDS));
    EXPECT_GT(last.bottom - last.top, 0);
    // A later single insertion still draws.
    UpdateWindow(list());
    AddDiskItem(list(), &buffer[0], static_cast<uint32_t>(buffer.size()), 0);
    EXPECT_EQ(41, ListView_GetItemCount(list()));
    EXPECT_TRUE(IsWindowVisible(list()));
}

TEST_F(MainWindow, LayoutGivesTheListTheClientAreaAboveTheStatusBar) {
    RECT client, listRect, barRect;
    auto measure = [&]() {
        GetClientRect(main(), &client);
        GetWindowRect(list(), &listRect);
        GetWindowRect(params()->statusBar, &barRect);
    };
    measure();
    int barHeight = barRect.bottom - barRect.top;
    EXPECT_GT(barHeight, 0);
    EXPECT_EQ(client.bottom - barHeight, listRect.bottom - listRect.top);
    EXPECT_EQ(client.right, listRect.right - listRect.left);

    DispatchCommand(main(), IDM_STATUSBAR);
    measure();
    EXPECT_FALSE(IsWindowVisible(params()->statusBar));
    EXPECT_EQ(client.bottom, listRect.bottom - listRect.top);
    EXPECT_EQ(0u, params()->flags & FLAG_STATUSBAR);

    DispatchCommand(main(), IDM_STATUSBAR);
    measure();
    EXPECT_EQ(client.bottom - barHeight, listRect.bottom - listRect.top);
    EXPECT_NE(0u, params()->flags & FLAG_STATUSBAR);
}

TEST_F(MainWindow, UnknownCommandsAndForeignNotificationsChangeNothing) {
    AppendBlankDisk(main());
    uint32_t size = params()->bufferSize;
    EXPECT_EQ(0, SendMessageA(main(), WM_COMMAND, 4242, 0));
    NMHDR fromBar = {params()->statusBar, IDC_STATUSBAR, static_cast<UINT>(NM_RCLICK)};
    EXPECT_EQ(0, SendMessageA(main(), WM_NOTIFY, IDC_STATUSBAR, reinterpret_cast<LPARAM>(&fromBar)));
    EXPECT_EQ(size, params()->bufferSize);
    EXPECT_EQ(1, static_cast<int>(SendMessageA(list(), LVM_GETITEMCOUNT, 0, 0)));
}

TEST_F(MainWindow, ViewCommandsSetTheListStyleAndFitColumnsInDetails) {
    DispatchCommand(main(), IDM_DETAILS);
    EXPECT_EQ(LVS_REPORT, GetWindowLongA(list(), GWL_STYLE) & LVS_TYPEMASK);
    EXPECT_EQ(1u, params()->flags & FLAG_VIEW_MASK);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(32, SendMessageA(list(), LVM_GETCOLUMNWIDTH, c, 0)) << c;
    AppendBlankDisk(main());
    DispatchCommand(main(), IDM_LIST);
    DispatchCommand(main(), IDM_DETAILS);
    EXPECT_GT(SendMessageA(list(), LVM_GETCOLUMNWIDTH, 0, 0), 32);
    DispatchCommand(main(), IDM_SMALLICON);
    EXPECT_EQ(2u, params()->flags & FLAG_VIEW_MASK);
}

TEST_F(MainWindow, MenuStateFollowsTheDocumentAndTheSelection) {
    HMENU bar = GetMenu(main());
    auto grayed = [&](int id) { return (GetMenuState(bar, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
    auto checked = [&](int id) { return (GetMenuState(bar, id, MF_BYCOMMAND) & MF_CHECKED) != 0; };
    SendMessageA(main(), WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
    EXPECT_TRUE(grayed(IDM_SAVE));
    EXPECT_TRUE(grayed(IDM_SAVEAS));
    EXPECT_TRUE(grayed(IDM_DELETEDISK));
    EXPECT_TRUE(checked(IDM_STATUSBAR));
    EXPECT_TRUE(checked(IDM_LARGEICON));

    AppendBlankDisk(main());
    AppendBlankDisk(main());
    SelectOnly(list(), {0, 1});
    SendMessageA(main(), WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
    EXPECT_FALSE(grayed(IDM_SAVE));
    EXPECT_FALSE(grayed(IDM_SAVEAS));
    EXPECT_FALSE(grayed(IDM_DELETEDISK));
    EXPECT_FALSE(grayed(IDM_EXTRACT));
    EXPECT_TRUE(grayed(IDM_RENAME));
    EXPECT_TRUE(grayed(IDM_WRITEPROTECT));
    EXPECT_FALSE(checked(IDM_WRITEPROTECT));

    SelectOnly(list(), {1});
    ToggleWriteProtect(main());
    SendMessageA(main(), WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
    EXPECT_FALSE(grayed(IDM_PROPERTIES));
    EXPECT_TRUE(checked(IDM_WRITEPROTECT));
}

TEST_F(MainWindow, StatusTextDescribesTheSelection) {
    Bytes image = MakeImage("ONE", 348848);
    TempFolder folder;
    std::string path = folder.Write("ONE.D88", Join({image, MakeImage("TWO", 688, 0x10)}));
    ASSERT_TRUE(AppendImageFile(main(), path.c_str()));
    auto status = [&]() {
        char text[256] = "";
        // In simple mode the one text area reads back as part 0.
        SendMessageA(params()->statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return std::string(text);
    };
    SelectOnly(list(), {0});
    EXPECT_EQ(std::string("1 個のｲﾒｰｼﾞを選択    2D(340KB) "), status());
    SelectOnly(list(), {1});
    EXPECT_EQ(std::string("1 個のｲﾒｰｼﾞを選択    2D(688Bytes) ﾗｲﾄﾌﾟﾛﾃｸﾄ"), status());
    SelectOnly(list(), {0, 1});
    EXPECT_EQ(std::string("2 個のｲﾒｰｼﾞを選択"), status());
    SelectOnly(list(), {});
    EXPECT_EQ(std::string("2 個のｲﾒｰｼﾞ"), status());
}

WNDPROC g_barProc = nullptr;
int g_barTexts = 0;
LRESULT CALLBACK CountingBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == SB_SETTEXTA || message == SB_SETTEXTW) ++g_barTexts;
    return CallWindowProcA(g_barProc, bar, message, wParam, lParam);
}

TEST_F(MainWindow, SelectingAllOf1000DisksGivesTheStatusBarOneTextBeforeTheCallReturns) {
    TempFolder folder;
    std::string path =
        folder.Write("MANY.D88", Join(std::vector<Bytes>(1000, MakeImage("D", 688))));
    ASSERT_TRUE(AppendImageFile(main(), path.c_str()));
    HWND bar = params()->statusBar;
    g_barProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingBarProc)));
    g_barTexts = 0;
    LVITEMA all = {};
    all.stateMask = all.state = LVIS_SELECTED;
    SendMessageA(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
    char text[256] = "";
    SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_barProc));
    EXPECT_EQ(std::string("1000 個のｲﾒｰｼﾞを選択"), text);
    EXPECT_EQ(1, g_barTexts) << "one text for the 1,000 changes";
}

TEST_F(MainWindow, SettingsSurviveARestartWithUnknownBits) {
    params()->flags = FLAG_MAKE_BACKUP | FLAG_STATUSBAR | 0x100;
    lstrcpyA(params()->lastDir, "C:\\DISKS");
    DestroyMain();
    std::string text = ReadSettingsText();
    EXPECT_NE(std::string::npos, text.find("Flags=-2147479296")) << text;
    EXPECT_NE(std::string::npos, text.find("LastDir=C:\\DISKS")) << text;
    CreateMain();
    EXPECT_EQ(FLAG_MAKE_BACKUP | FLAG_STATUSBAR | 0x100u, params()->flags);
    EXPECT_STREQ("C:\\DISKS", params()->lastDir);
}

TEST_F(MainWindow, DestructionReleasesTheImageBuffer) {
    FaultMemory memory;
    params()->memory = &memory;
    AppendBlankDisk(main());
    AppendBlankDisk(main());
    EXPECT_EQ(1u, memory.liveBlocks());
    DestroyMain();
    EXPECT_EQ(0u, memory.liveBlocks());
}

// The image lists are COM objects: two references of the test's own on
// each, and destroying the window may give back exactly the one that
// creation made. A list destroyed twice would be left with one.
TEST_F(MainWindow, DestructionDestroysEachImageListOnce) {
    typedef HRESULT(WINAPI * QueryFn)(HIMAGELIST, REFIID, void**);
    QueryFn query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("comctl32.dll"), "HIMAGELIST_QueryInterface")));
    if (!query) GTEST_SKIP() << "this comctl32 has no HIMAGELIST_QueryInterface";
    const GUID kUnknown = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    HIMAGELIST lists[2] = {params()->largeImages, params()->smallImages};
    IUnknown* held[2] = {};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(S_OK, query(lists[i], kUnknown, reinterpret_cast<void**>(&held[i])));
        held[i]->AddRef();
    }
    DestroyMain();
    for (int i = 0; i < 2; ++i) {
        ULONG left = held[i]->Release();
        EXPECT_EQ(1u, left) << (i ? "small" : "large") << " image list";
        if (left) held[i]->Release();
    }
}

void* RefuseRecord(size_t) { return nullptr; }

TEST_F(MainWindow, RecordThatCannotBeAllocatedFailsCreationAndWritesNoSettings) {
    DestroyMain();
    DeleteSettings();
    MainWindowServices services = {};
    services.allocateRecord = RefuseRecord;
    EXPECT_TRUE(CreateMainWindowWith(instance(), &services) == nullptr);
    Pump();
    EXPECT_FALSE(SettingsExist());
}

TEST_F(MainWindow, MessagesWithoutARecordDoNothing) {
    HWND bare = CreateWindowExA(0, MAIN_WINDOW_CLASS, "x", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, instance(), nullptr);
    ASSERT_TRUE(bare != nullptr);
    MainWindowParams* record = GetParams(bare);
    ASSERT_TRUE(record != nullptr);
    // Take the record away as destruction would, then send what may arrive late.
    RemovePropA(bare, PROP_MAIN_PARAMS);
    EXPECT_EQ(0, SendMessageA(bare, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)));
    EXPECT_EQ(0, SendMessageA(bare, WM_LBUTTONUP, 0, MAKELPARAM(5, 5)));
    EXPECT_EQ(0, SendMessageA(bare, WM_INITMENU, 0, 0));
    EXPECT_EQ(0, LayoutChildren(bare));
    SetPropA(bare, PROP_MAIN_PARAMS, record);
    DestroyWindow(bare);
    Pump();
}

}  // namespace
