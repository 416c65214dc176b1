// Drag reordering on the real main window and disk list: the insert
// position under a point in every view, the move of the selected items, and
// drags that end by the button release, by a lost capture and by closing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "list/disk_list_win.h"
#include "list/listview_win.h"
#include "platform/memory.h"
#include "resources/resource.h"
#include "shell/params_win.h"
#include "shell/shell_win.h"
#include "store/d88.h"
#include "window_fixture_win.h"

namespace {

const char* const kNames[] = {"V", "W", "X", "Y", "Z"};
const int kDisks = 5;

// The pointer's display counter, left as it was.
int CursorCounter() {
    ShowCursor(TRUE);
    return ShowCursor(FALSE);
}

class DragTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (HasFatalFailure()) return;
        window_ = main();
        params_ = GetParams(window_);
        ASSERT_NE(params_, nullptr);
        list_ = params_->listView;
        ASSERT_NE(list_, nullptr);
        SetWindowPos(window_, nullptr, 0, 0, 640, 480, SWP_NOZORDER | SWP_NOMOVE);
        LayoutChildren(window_);
        Pump();
    }

    // Installs a buffer of five disks V W X Y Z and lists them. Every header
    // byte but the name and the size carries a pattern, the sort key bytes
    // included, so that a move can be checked to touch only those four.
    void InstallDisks() {
        ASSERT_EQ(params_->buffer, nullptr);
        uint32_t size = kDisks * kHeaderSize;
        uint8_t* block = params_->memory->Allocate(size);
        ASSERT_NE(block, nullptr);
        for (int i = 0; i < kDisks; ++i) {
            uint8_t* header = block + i * kHeaderSize;
            MakeBlankHeader(header);
            for (uint32_t j = kNameField; j < kHeaderSize; ++j) {
                if (j >= kOffDiskSize && j < kOffDiskSize + 4) continue;
                header[j] = static_cast<uint8_t>(i * 31 + j * 7 + 1);
            }
            header[kOffWriteProtect] = 0;
            ASSERT_TRUE(WriteHeaderName(*params_->memory, block, size, i * kHeaderSize, kNames[i]));
        }
        params_->buffer = block;
        params_->bufferSize = size;
        ASSERT_TRUE(ListImages(list_, block, size, 0, size));
        ASSERT_EQ(ListCount(list_), kDisks);
        before_.assign(block, block + size);
        RefitAfterLoad(list_);
        Pump();
    }

    std::string Labels() {
        std::string order;
        for (int i = 0; i < ListCount(list_); ++i) {
            char text[32];
            ListGetSubText(list_, i, 0, text, sizeof text);
            order += text;
        }
        return order;
    }

    void Select(const char* names) {
        ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
        for (int i = 0; i < ListCount(list_); ++i) {
            char text[32];
            ListGetSubText(list_, i, 0, text, sizeof text);
            if (std::strchr(names, text[0]))
                ListView_SetItemState(list_, i, LVIS_SELECTED, LVIS_SELECTED);
        }
    }

    // Every header as installed, except bytes 22 to 25, which must be 0.
    void ExpectHeadersClearedOnly() {
        for (int i = 0; i < kDisks; ++i) {
            for (uint32_t j = 0; j < kHeaderSize; ++j) {
                uint32_t at = i * kHeaderSize + j;
                bool key = j >= kOffSortKey && j < kOffSortKey + 4;
                EXPECT_EQ(params_->buffer[at], key ? 0 : before_[at])
                    << "disk " << i << " byte " << j;
            }
        }
    }

    RECT Bounds(int index) {
        RECT rect;
        EXPECT_TRUE(ListItemRect(list_, index, LVIR_BOUNDS, &rect));
        return rect;
    }

    int TargetAt(int x, int y) {
        POINT point = {x, y};
        return DropTargetIndex(list_, point);
    }

    // A begin-drag notification as the list sends it, on item `index`.
    void BeginDragOn(int index) {
        RECT icon;
        ASSERT_TRUE(ListItemRect(list_, index, LVIR_ICON, &icon));
        NMLISTVIEW start = {};
        start.hdr.hwndFrom = list_;
        start.hdr.idFrom = IDC_DISKLIST;
        start.hdr.code = LVN_BEGINDRAG;
        start.iItem = index;
        start.ptAction.x = (icon.left + icon.right) / 2;
        start.ptAction.y = (icon.top + icon.bottom) / 2;
        SendMessageA(window_, WM_NOTIFY, IDC_DISKLIST, reinterpret_cast<LPARAM>(&start));
    }

    // The list's own drag gesture on item `index`: the button goes down on
    // its icon and the pointer moves away with the button held, which makes
    // the list send its begin-drag notification.
    void GestureDragOn(int index) {
        RECT icon;
        ASSERT_TRUE(ListItemRect(list_, index, LVIR_ICON, &icon));
        int x = (icon.left + icon.right) / 2;
        int y = (icon.top + icon.bottom) / 2;
        SendMessageA(list_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(list_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 30, y + 30));
    }

    // A list client point in the main window's client coordinates.
    LPARAM MainPoint(int x, int y) {
        POINT point = {x, y};
        MapWindowPoints(list_, window_, &point, 1);
        return MAKELPARAM(point.x, point.y);
    }

    bool Dragging() { return GetPropA(list_, PROP_DRAG_INFO) != nullptr; }

    HWND window_ = nullptr;
    MainWindowParams* params_ = nullptr;
    HWND list_ = nullptr;
    std::vector<uint8_t> before_;
};

TEST_F(DragTest, DetailsViewRowsSplitAtTheirMiddle) {
    InstallDisks();
    SetViewMode(window_, LVS_REPORT);
    Pump();
    RECT client;
    GetClientRect(list_, &client);
    for (int r = 0; r < kDisks; ++r) {
        RECT row = Bounds(r);
        ASSERT_GT(row.bottom - row.top, 2);
        int mid = row.top + (row.bottom - row.top) / 2;
        EXPECT_EQ(TargetAt(5, row.top), r);
        EXPECT_EQ(TargetAt(5, mid - 1), r);
        EXPECT_EQ(TargetAt(5, mid), r + 1);
        EXPECT_EQ(TargetAt(5, row.bottom - 1), r + 1);
        // The horizontal position plays no part.
        EXPECT_EQ(TargetAt(client.right + 50, row.top), r);
    }
    RECT last = Bounds(kDisks - 1);
    ASSERT_LT(last.bottom + 1, client.bottom);
    EXPECT_EQ(TargetAt(5, last.bottom + 1), kDisks);
    // Over the column headers, above the first row.
    RECT first = Bounds(0);
    ASSERT_GT(first.top, 2);
    EXPECT_EQ(TargetAt(5, 1), -1);
    EXPECT_EQ(TargetAt(-1, first.top), -1);
    EXPECT_EQ(TargetAt(5, -1), -1);
    EXPECT_EQ(TargetAt(5, client.bottom), -1);
}

TEST_F(DragTest, ListViewRowsSplitAtTheirMiddle) {
    InstallDisks();
    SetViewMode(window_, LVS_LIST);
    Pump();
    for (int r = 0; r < kDisks; ++r) {
        RECT row = Bounds(r);
        ASSERT_GT(row.bottom - row.top, 2);
        int mid = row.top + (row.bottom - row.top) / 2;
        EXPECT_EQ(TargetAt(row.left + 1, row.top), r);
        EXPECT_EQ(TargetAt(row.left + 1, mid - 1), r);
        EXPECT_EQ(TargetAt(row.left + 1, mid), r + 1);
        EXPECT_EQ(TargetAt(row.left + 1, row.bottom - 1), r + 1);
    }
}

class DragIconTest : public DragTest, public ::testing::WithParamInterface<DWORD> {};

TEST_P(DragIconTest, IconsSplitAtTheirMiddle) {
    InstallDisks();
    SetViewMode(window_, GetParam());
    Pump();
    ASSERT_EQ(ListViewBits(list_), GetParam());
    for (int k = 0; k < kDisks; ++k) {
        RECT icon = Bounds(k);
        ASSERT_GT(icon.right - icon.left, 2);
        int mid = icon.left + (icon.right - icon.left) / 2;
        EXPECT_EQ(TargetAt(icon.left, icon.top), k) << "item " << k;
        EXPECT_EQ(TargetAt(mid - 1, icon.top + 1), k) << "item " << k;
        EXPECT_EQ(TargetAt(mid, icon.top + 1), k + 1) << "item " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(LargeAndSmall, DragIconTest,
                         ::testing::Values(static_cast<DWORD>(LVS_ICON),
                                           static_cast<DWORD>(LVS_SMALLICON)));

struct MoveCase {
    const char* selected;
    int insertAt;
    const char* order;
};

void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.selected << "_to_" << c.insertAt;
}

class MoveTest : public DragTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveTest, SelectedDisksMoveAsOneBlock) {
    InstallDisks();
    Select(GetParam().selected);
    ASSERT_EQ(params_->modified, 0);
    EXPECT_EQ(MoveSelectedDisks(list_, GetParam().insertAt), 1);
    EXPECT_EQ(Labels(), GetParam().order);
    EXPECT_EQ(params_->modified, 1);
    ExpectHeadersClearedOnly();
    // The items keep their selection.
    for (int i = 0; i < kDisks; ++i) {
        char text[32];
        ListGetSubText(list_, i, 0, text, sizeof text);
        EXPECT_EQ(ListIsSelected(list_, i), std::strchr(GetParam().selected, text[0]) != nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Orders, MoveTest,
    ::testing::Values(MoveCase{"WY", 0, "WYVXZ"}, MoveCase{"WY", 2, "VWYXZ"},
                      MoveCase{"WY", 3, "VXWYZ"}, MoveCase{"WY", 4, "VXWYZ"},
                      MoveCase{"WY", 5, "VXZWY"}, MoveCase{"X", 2, "VWXYZ"},
                      MoveCase{"X", 3, "VWXYZ"}, MoveCase{"X", 0, "XVWYZ"},
                      MoveCase{"X", 5, "VWYZX"}, MoveCase{"VWXYZ", 0, "VWXYZ"},
                      MoveCase{"VWXYZ", 3, "VWXYZ"}, MoveCase{"VWXYZ", 5, "VWXYZ"}));

TEST_F(DragTest, MoveInEveryViewGivesTheSameOrder) {
    const DWORD views[] = {LVS_ICON, LVS_REPORT, LVS_SMALLICON, LVS_LIST};
    InstallDisks();
    for (DWORD view : views) {
        SetViewMode(window_, view);
        Select("WY");
        EXPECT_EQ(MoveSelectedDisks(list_, 0), 1);
        EXPECT_EQ(Labels(), "WYVXZ") << "view " << view;
        // Back to V W X Y Z for the next view.
        Select("V");
        EXPECT_EQ(MoveSelectedDisks(list_, 0), 1);
        Select("X");
        EXPECT_EQ(MoveSelectedDisks(list_, 2), 1);
        ASSERT_EQ(Labels(), "VWXYZ");
    }
    ExpectHeadersClearedOnly();
}

TEST_F(DragTest, MultiItemPictureCoversTheSelectedItems) {
    InstallDisks();
    SetViewMode(window_, LVS_ICON);
    Pump();
    Select("WY");
    RECT all;
    SetRectEmpty(&all);
    for (int i : {1, 3}) {
        RECT icon, label;
        ASSERT_TRUE(ListItemRect(list_, i, LVIR_ICON, &icon));
        ASSERT_TRUE(ListItemRect(list_, i, LVIR_LABEL, &label));
        UnionRect(&all, &all, &icon);
        UnionRect(&all, &all, &label);
    }
    POINT origin = {-7, -7};
    HIMAGELIST picture = MakeMultiDragImage(list_, &origin);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(picture), 1);
    int width = 0, height = 0;
    ASSERT_TRUE(ImageList_GetIconSize(picture, &width, &height));
    EXPECT_EQ(width, all.right - all.left);
    EXPECT_EQ(height, all.bottom - all.top);
    EXPECT_EQ(origin.x, all.left);
    EXPECT_EQ(origin.y, all.top);
    ImageList_Destroy(picture);

    Select("");
    EXPECT_EQ(MakeMultiDragImage(list_, &origin), nullptr);
}

TEST_F(DragTest, NoDragStartsWithoutASelection) {
    InstallDisks();
    Select("");
    int counter = CursorCounter();
    BeginDragOn(1);
    EXPECT_FALSE(Dragging());
    EXPECT_NE(GetCapture(), window_);
    EXPECT_EQ(CursorCounter(), counter);
}

TEST_F(DragTest, ReleaseAtTheTopMovesTheSelectedDisks) {
    InstallDisks();
    SetViewMode(window_, LVS_REPORT);
    Pump();
    Select("WY");
    int counter = CursorCounter();
    BeginDragOn(1);
    ASSERT_TRUE(Dragging());
    EXPECT_EQ(GetCapture(), window_);
    EXPECT_EQ(CursorCounter(), counter - 1);

    RECT first = Bounds(0);
    SendMessageA(window_, WM_MOUSEMOVE, MK_LBUTTON, MainPoint(10, first.bottom + 3));
    SendMessageA(window_, WM_MOUSEMOVE, MK_LBUTTON, MainPoint(10, first.top + 1));
    EXPECT_TRUE(Dragging());
    EXPECT_EQ(Labels(), "VWXYZ");

    SendMessageA(window_, WM_LBUTTONUP, 0, MainPoint(10, first.top + 1));
    EXPECT_FALSE(Dragging());
    EXPECT_NE(GetCapture(), window_);
    EXPECT_EQ(CursorCounter(), counter);
    EXPECT_EQ(Labels(), "WYVXZ");
    EXPECT_EQ(params_->modified, 1);
    ExpectHeadersClearedOnly();
}

TEST_F(DragTest, OneSelectedDiskDragsWithTheListsOwnPicture) {
    InstallDisks();
    SetViewMode(window_, LVS_ICON);
    Pump();
    Select("X");
    int counter = CursorCounter();
    BeginDragOn(2);
    ASSERT_TRUE(Dragging());
    EXPECT_EQ(CursorCounter(), counter - 1);
    RECT last = Bounds(kDisks - 1);
    SendMessageA(window_, WM_LBUTTONUP, 0, MainPoint(last.right - 1, last.top + 1));
    EXPECT_FALSE(Dragging());
    EXPECT_EQ(CursorCounter(), counter);
    EXPECT_EQ(Labels(), "VWYZX");
    EXPECT_EQ(params_->modified, 1);
}

TEST_F(DragTest, TheListsOwnGestureStartsTheDrag) {
    InstallDisks();
    SetViewMode(window_, LVS_REPORT);
    Pump();
    Select("WY");
    int counter = CursorCounter();
    GestureDragOn(3);
    ASSERT_TRUE(Dragging());
    EXPECT_EQ(GetCapture(), window_);
    EXPECT_EQ(ListSelectedCount(list_), 2);
    EXPECT_EQ(CursorCounter(), counter - 1);
    Pump();
    RECT last = Bounds(kDisks - 1);
    SendMessageA(window_, WM_MOUSEMOVE, MK_LBUTTON, MainPoint(10, last.bottom + 2));
    SendMessageA(window_, WM_LBUTTONUP, 0, MainPoint(10, last.bottom + 2));
    EXPECT_FALSE(Dragging());
    EXPECT_EQ(CursorCounter(), counter);
    EXPECT_EQ(Labels(), "VXZWY");
    EXPECT_EQ(params_->modified, 1);
    ExpectHeadersClearedOnly();
}

TEST_F(DragTest, TheListsOwnGestureEndsCleanlyOnALostCapture) {
    InstallDisks();
    Select("WY");
    int counter = CursorCounter();
    GestureDragOn(1);
    ASSERT_TRUE(Dragging());
    EXPECT_EQ(CursorCounter(), counter - 1);
    SendMessageA(window_, WM_MOUSEMOVE, MK_LBUTTON, MainPoint(3, 3));
    ReleaseCapture();
    EXPECT_FALSE(Dragging());
    EXPECT_EQ(CursorCounter(), counter);
    EXPECT_EQ(Labels(), "VWXYZ");
    EXPECT_EQ(params_->modified, 0);
}

TEST_F(DragTest, ReleaseOutsideTheListMovesNothing) {
    InstallDisks();
    SetViewMode(window_, LVS_REPORT);
    Pump();
    Select("WY");
    int counter = CursorCounter();
    BeginDragOn(1);
    ASSERT_TRUE(Dragging());
    // Above the first row: over the column headers.
    SendMessageA(window_, WM_LBUTTONUP, 0, MainPoint(10, 1));
    EXPECT_FALSE(Dragging());
    EXPECT_EQ(CursorCounter(), counter);
    EXPECT_EQ(Labels(), "VWXYZ");
    EXPECT_EQ(params_->modified, 0);

    BeginDragOn(1);
    ASSERT_TRUE(Dragging());
    SendMessageA(window_, WM_LBUTTONUP, 0, MAKELPARAM(-20, -20));
    EXPECT_FALSE(Dragging());
    EXPECT_EQ(CursorCounter(), counter);
    EXPECT_EQ(Labels(), "VWXYZ");
    EXPECT_EQ(params_->modified, 0);
}

TEST_F(DragTest, LostCaptureEndsTheDragWithoutAMove) {
    InstallDisks();
    SetViewMode(window_, LVS_REPORT);
    Pump();
    Select("WY");
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    int counter = CursorCounter();
    BeginDragOn(1);
    ASSERT_TRUE(Dragging());
    RECT first = Bounds(0);
    SendMessageA(window_, WM_MOUSEMOVE, MK_LBUTTON, MainPoint(10, first.top + 1));

    SetCapture(other);
    EXPECT_FALSE(Dragging());
    EXPECT_EQ(GetCapture(), other);
    EXPECT_EQ(CursorCounter(), counter);
    EXPECT_EQ(Labels(), "VWXYZ");
    EXPECT_EQ(params_->modified, 0);

    // The release that follows finds no drag.
    SendMessageA(window_, WM_LBUTTONUP, 0, MainPoint(10, first.top + 1));
    EXPECT_EQ(Labels(), "VWXYZ");
    EXPECT_EQ(params_->modified, 0);
    EXPECT_EQ(CursorCounter(), counter);
    ReleaseCapture();
    DestroyWindow(other);

    // A lost capture without a drag changes nothing either.
    SendMessageA(window_, WM_CAPTURECHANGED, 0, 0);
    EXPECT_EQ(CursorCounter(), counter);
}

TEST_F(DragTest, ReleasingTheCaptureAloneEndsTheDrag) {
    InstallDisks();
    Select("WY");
    int counter = CursorCounter();
    BeginDragOn(3);
    ASSERT_TRUE(Dragging());
    ReleaseCapture();
    EXPECT_FALSE(Dragging());
    EXPECT_EQ(CursorCounter(), counter);
    EXPECT_EQ(Labels(), "VWXYZ");
    EXPECT_EQ(params_->modified, 0);
}

TEST_F(DragTest, ClosingTheWindowEndsTheDrag) {
    InstallDisks();
    Select("WY");
    int counter = CursorCounter();
    BeginDragOn(1);
    ASSERT_TRUE(Dragging());
    DestroyMain();
    EXPECT_EQ(CursorCounter(), counter);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(DragTest, MouseMessagesWithoutADragDoNothing) {
    InstallDisks();
    Select("WY");
    int counter = CursorCounter();
    SendMessageA(window_, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageA(window_, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(Labels(), "VWXYZ");
    EXPECT_EQ(params_->modified, 0);
    EXPECT_EQ(CursorCounter(), counter);
}



}  // namespace

namespace {

// An image shorter than the sort key bytes shares them with the next
// image's header: moving must not write into that header.
TEST_F(MainWindowTest, MovingATinyImageLeavesTheNextHeaderAlone) {
    MainWindowParams* params = GetParams(main());
    HWND list = params->listView;
    const uint32_t size = 20 + kHeaderSize;
    uint8_t* block = params->memory->Allocate(size);
    ASSERT_TRUE(block != nullptr);
    // The tiny image's diskSize (its bytes 28..31) is bytes 8..11 of the
    // next header, inside that header's name: "NEXTDISK" then 20.
    std::memcpy(block, "TINY", 4);
    uint8_t* next = block + 20;
    std::memcpy(next, "NEXTDISK", 8);
    WriteLe32(next + 8, 20);
    WriteLe32(next + kOffDiskSize, kHeaderSize);
    params->buffer = block;
    params->bufferSize = size;
    ASSERT_TRUE(ListImages(list, block, size, 0, size));
    ASSERT_EQ(2, ListCount(list));
    std::vector<uint8_t> before(block, block + size);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    ASSERT_EQ(1, MoveSelectedDisks(list, 0));
    char first[32];
    ListGetSubText(list, 0, 0, first, sizeof first);
    EXPECT_EQ(0, std::strncmp("NEXTDISK", first, 8)) << first;
    EXPECT_TRUE(std::vector<uint8_t>(block + 20, block + size) ==
                std::vector<uint8_t>(before.begin() + 20, before.end()))
        << "the next image's header was written into";
}

}  // namespace
