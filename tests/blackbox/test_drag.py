"""Putting the disks in a new order by dragging them with the mouse, in each
of the four views: the insert position comes from where the button is
released, the selected disks move as one block, and Ctrl+S then writes the
images in the new order with the sort key bytes 22 to 25 of every header
cleared."""

import harness

NAMES = "VWXYZ"
FILE = "five.d88"
TITLE = FILE + " - Orvanel"

# View menu mnemonic and list view style bits of each view.
LARGE, SMALL, LIST, DETAILS = ("i", 0), ("s", 2), ("l", 3), ("r", 1)


def make_image(index, name):
    """An image with something in every reserved byte (bytes 22 to 25, the
    sort key, included) and track data of its own."""
    size = (1000, 1200, 688, 2048, 1500)[index]
    media = (0x00, 0x10, 0x20, 0x00, 0x30)[index]
    return harness.d88_image(name, size, media_type=media, fill=0x41 + index, first_track=688,
                             reserved=bytes(0xA0 + 16 * index + k for k in range(9)))


IMAGES = {name: make_image(i, name) for i, name in enumerate(NAMES)}


def cleared(image):
    """The image as a reorder leaves it: bytes 22 to 25 zero, all else kept."""
    return image[:22] + bytes(4) + image[26:]


def moved(order, selected, at):
    """The order after the selected disks moved to insert position `at`."""
    return ([n for i, n in enumerate(order) if n not in selected and i < at]
            + [n for n in order if n in selected]
            + [n for i, n in enumerate(order) if n not in selected and i >= at])


class DragTest(harness.OrvanelTestCase):

    def open_five(self, view):
        """The five disks V W X Y Z opened from the command line, shown in
        the view chosen from the View menu with the keyboard."""
        self.file = self.write_file(FILE, b"".join(IMAGES[n] for n in NAMES))
        self.start(harness.to_windows_path(self.file))
        self.wait_for(lambda i: i["title"] == TITLE and i["list"]["count"] == 5,
                      what="five disks listed")
        mnemonic, bits = view
        self.activate(TITLE)
        self.keys("alt+v", mnemonic)
        return self.wait_for(lambda i: i["list"]["view"] == bits, what="view bits %d" % bits)

    @staticmethod
    def names(info):
        return [i["texts"][0] for i in info["list"]["items"]]

    def item(self, info, name):
        return info["list"]["items"][self.names(info).index(name)]

    def select(self, *names):
        """A click on the first disk, Ctrl+click on each other one."""
        info = self.info()
        self.tap(*self.item_point(self.item(info, names[0])))
        for name in names[1:]:
            self.ctrl_click(*self.item_point(self.item(info, name)))
        return self.wait_for(
            lambda i: sorted(n for n, it in zip(self.names(i), i["list"]["items"]) if it["selected"])
            == sorted(names), what="%s selected" % (names,))

    def drag(self, grab, target, shot=None):
        """Drags the selection by disk `grab` to the screen point `target`."""
        info = self.info()
        self.press_and_move(self.item_point(self.item(info, grab)), target)
        if shot:
            self.screenshot(shot)
        self.release_button()

    def expect(self, order, selected):
        """The list shows this order with these disks still selected, and
        Ctrl+S writes exactly these images in this order."""
        info = self.wait_for(lambda i: self.names(i) == list(order), what="the order %s" % (order,))
        self.assertEqual([n for n, it in zip(self.names(info), info["list"]["items"]) if it["selected"]],
                         [n for n in order if n in selected])
        saved = self.save_with_ctrl_s(self.file, b"".join(cleared(IMAGES[n]) for n in order))
        for image in self.split_images(saved):
            self.assertEqual(image[22:26], bytes(4))
        return info

    def quit(self):
        """Ctrl+Q ends the program without a question: the last save left
        nothing unsaved."""
        self.screenshot()
        self.keys("ctrl+q")
        if not self.wait_exit():
            self.fail("Ctrl+Q did not end the program; state: %s" % self.info())

    # Icon views: the left half of an icon's bounds inserts before it, the
    # right half after it.

    @staticmethod
    def icon_side(item, right):
        left, top, right_edge, bottom = item["bounds"]
        return (right_edge - 4 if right else left + 4, (top + bottom) // 2)

    def test_large_icons(self):
        self.open_five(LARGE)
        order = list(NAMES)

        # W and Y onto the right half of X: insert position 3.
        info = self.select("W", "Y")
        self.assertEqual(info["status"]["text"], "2 個のｲﾒｰｼﾞを選択")
        self.drag("Y", self.icon_side(self.item(info, "X"), right=True))
        order = moved(order, "WY", 3)
        self.assertEqual(order, list("VXWYZ"))
        self.expect(order, "WY")

        # Z alone onto the left half of V: to the front.
        info = self.select("Z")
        self.drag("Z", self.icon_side(self.item(info, "V"), right=False))
        order = moved(order, "Z", 0)
        self.assertEqual(order, list("ZVXWY"))
        self.expect(order, "Z")
        self.quit()

    def test_small_icons(self):
        self.open_five(SMALL)
        order = list(NAMES)

        # X alone onto the right half of the last disk: to the end.
        info = self.select("X")
        self.drag("X", self.icon_side(self.item(info, "Z"), right=True))
        order = moved(order, "X", 5)
        self.assertEqual(order, list("VWYZX"))
        self.expect(order, "X")

        # W and X (not next to each other) onto the left half of V.
        info = self.select("W", "X")
        self.drag("W", self.icon_side(self.item(info, "V"), right=False))
        order = moved(order, "WX", 0)
        self.assertEqual(order, list("WXVYZ"))
        self.expect(order, "WX")
        self.quit()

    # List and details views: the upper half of a row inserts before it,
    # the lower half after it; the horizontal position plays no part.

    @staticmethod
    def row_half(item, lower):
        left, top, right, bottom = item["bounds"]
        return ((left + right) // 2, bottom - 3 if lower else top + 3)

    def test_list(self):
        self.open_five(LIST)
        order = list(NAMES)

        # V onto the lower half of Y's row: insert position 4.
        info = self.select("V")
        self.drag("V", self.row_half(self.item(info, "Y"), lower=True))
        order = moved(order, "V", 4)
        self.assertEqual(order, list("WXYVZ"))
        self.expect(order, "V")

        # X and V below the last row, far to the right: to the end.
        info = self.select("X", "V")
        last = info["list"]["items"][-1]["bounds"]
        self.drag("X", (info["list"]["client"][2] - 10, last[3] + 20))
        order = moved(order, "XV", 5)
        self.assertEqual(order, list("WYZXV"))
        self.expect(order, "XV")
        self.quit()

    def test_details(self):
        self.open_five(DETAILS)
        order = list(NAMES)

        # W and Y onto the upper half of V's row: both to the front. The
        # drag picture of both rows follows the pointer until the release.
        info = self.select("W", "Y")
        self.drag("W", self.row_half(self.item(info, "V"), lower=False), shot="_during_drag")
        order = moved(order, "WY", 0)
        self.assertEqual(order, list("WYVXZ"))
        self.expect(order, "WY")

        # Released over the column headers, or over the status bar below
        # the list: the drag ends and nothing moves or counts as changed.
        info = self.info()
        client = info["list"]["client"]
        header_point = ((client[0] + client[2]) // 2, client[1] + 6)
        self.assertLess(header_point[1], info["list"]["items"][0]["bounds"][1])
        self.drag("W", header_point)
        status = info["status"]["rect"]
        self.drag("W", ((status[0] + status[2]) // 2, (status[1] + status[3]) // 2))
        info = self.wait_for(lambda i: self.names(i) == order, what="the order unchanged")
        self.assertFalse(info["list"]["editing"])
        self.assert_not_modified(self.file)

        # Into the selection: the lower half of X's row (position 3) gathers
        # W and Y before Z.
        self.drag("W", self.row_half(self.item(info, "X"), lower=True))
        order = moved(order, "WY", 4)
        self.assertEqual(order, list("VXWYZ"))
        self.expect(order, "WY")
        self.quit()


if __name__ == "__main__":
    harness.main()
