"""Work on the disks of an open file, done as a person does it: the two
context menus, renaming in place, write protection, deleting with the
prompt dialog and the properties dialog; and what the window shows set
against what the saved file holds."""

import time

import harness

RESERVED = bytes(range(0x61, 0x6A))  # bytes 17-25: carried unchanged


def image(name, size, protect=0, media=0, name_field=None):
    """A D88 image with a recognisable header and track data. name_field
    gives all 17 name bytes, for bytes after the name's NUL."""
    return harness.d88_image(name, size, protect, media, name_field=name_field, reserved=RESERVED,
                             first_track=688, body=lambda n: bytes((size + k) % 251 for k in range(n)))


def name_of(img):
    """The disk name as the list shows it: the name field up to its NUL."""
    return img[:17].split(b"\0")[0].decode("cp932")


def media_text(img):
    return {0x10: "2DD", 0x20: "2HD"}.get(img[27], "2D")


def size_of(img):
    return int.from_bytes(img[28:32], "little")


def size_text(img):
    size = size_of(img)
    return "%dBytes" % size if size < 1024 else "%dKB" % (size >> 10)


def list_texts(img):
    """The four column texts of a disk's item."""
    return [name_of(img), "Yes" if img[26] else "No", media_text(img), size_text(img)]


def single_status(img):
    """The status bar text while this disk alone is selected."""
    size = size_of(img)
    amount = "%dBytes" % size if size < 1024 else "%dKB" % (size // 1024)
    return "1 個のｲﾒｰｼﾞを選択    %s(%s) %s" % (media_text(img), amount, "ﾗｲﾄﾌﾟﾛﾃｸﾄ" if img[26] else "")


def with_byte(img, offset, value):
    return img[:offset] + bytes([value]) + img[offset + 1:]


def with_name(img, name_bytes):
    """The image after a rename: the new name and its NUL over the start of
    the name field, the rest of the field kept."""
    field = bytes(name_bytes) + b"\0"
    return field + img[len(field):]


DELETE_CAPTION = "ﾃﾞｨｽｸの削除"
PROPERTIES_CAPTION = "プロパティ"


class DiskTest(harness.OrvanelTestCase):

    def open_file(self, images, file_name="disks.d88"):
        self.file = self.write_file(file_name, b"".join(images))
        self.title = file_name + " - Orvanel"
        self.start(harness.to_windows_path(self.file))
        info = self.wait_for(lambda i: i["title"] == self.title and i["list"]["count"] == len(images),
                             what="%d disks listed" % len(images))
        self.activate(self.title)
        return info

    def reopen(self):
        """Ctrl+Q (no question: everything is saved), then a new start with
        the same file."""
        self.quit()
        self.log.close()
        self.start(harness.to_windows_path(self.file))
        info = self.wait_for(lambda i: i["title"] == self.title, what="the file reopened")
        self.activate(self.title)
        return info

    def quit(self):
        self.screenshot("_before_quit")
        self.keys("ctrl+q")
        if not self.wait_exit():
            self.fail("Ctrl+Q did not end the program (something unsaved?); state: %s" % self.info())

    @staticmethod
    def names(info):
        return [i["texts"][0] for i in info["list"]["items"]]

    @staticmethod
    def selected(info):
        return [i["texts"][0] for i in info["list"]["items"] if i["selected"]]

    def select(self, *indexes):
        """A click on the first item, Ctrl+click on each further one."""
        items = self.info()["list"]["items"]
        self.tap(*self.item_point(items[indexes[0]]))
        for index in indexes[1:]:
            self.ctrl_click(*self.item_point(items[index]))
        want = sorted(items[i]["texts"][0] for i in indexes)
        return self.wait_for(lambda i: sorted(self.selected(i)) == want, what="%s selected" % want)

    def dialog(self, caption, timeout=10):
        """The open dialog, which must carry this caption; its texts as
        bytes are kept in self.raw_dialog."""
        answers = self.probe("waitdialog", str(int(timeout * 1000)), check=False)
        if not answers or not answers[-1].get("dialogs"):
            self.fail("no dialog appeared within %d s" % timeout)
        self.raw_dialog = answers[-1]["dialogs"][-1]
        dialog = harness.decode_tree(self.raw_dialog)
        self.assertEqual(dialog["caption"], caption)
        return dialog

    def raw_text(self, control_id):
        """The text of a control of the last dialog, as bytes."""
        return next(harness.decode_bytes(c["text"]) for c in self.raw_dialog["controls"]
                    if c["id"] == control_id)

    @staticmethod
    def control(dialog, control_id):
        return next(c for c in dialog["controls"] if c["id"] == control_id)

    def no_dialog(self):
        self.wait_for(lambda i: not i["dialogs"], what="no dialog open")

    def assert_no_dialog_appears(self):
        self.handled()
        self.assertEqual(self.info()["dialogs"], [], "a dialog appeared")

    def right_click(self, point):
        self.tap(*point, button=3)
        time.sleep(0.4)

    # ------------------------------------------------------------------

    def test_context_menus_by_right_click_and_mnemonic(self):
        images = [image(n, 688 + 64 * k) for k, n in enumerate("VWXYZ")]
        info = self.open_file(images)
        client = info["list"]["client"]
        empty = (client[2] - 15, client[3] - 15)

        # On a disk: the disk menu; W is Write protect there.
        self.right_click(self.item_point(info["list"]["items"][1]))
        self.screenshot("_item_menu")
        self.xdotool("key", "w")
        info = self.wait_for(lambda i: i["list"]["items"][1]["texts"][1] == "Yes", what="W protected")
        self.assertEqual(info["list"]["items"][1]["image"], 1)
        self.assertEqual(self.selected(info), ["W"])

        # R on the disk menu is Rename: the editor opens on the selected disk.
        self.right_click(self.item_point(info["list"]["items"][1]))
        self.xdotool("key", "r")
        info = self.wait_for(lambda i: i["list"]["editing"] == "W", what="the label editor on W")
        self.xdotool("key", "Escape")
        self.wait_for(lambda i: i["list"]["editing"] is None, what="the editor closed")

        # P is Properties: its dialog, closed again with Esc.
        self.right_click(self.item_point(info["list"]["items"][1]))
        self.xdotool("key", "p")
        dialog = self.dialog(PROPERTIES_CAPTION)
        self.assertEqual(self.control(dialog, 101)["text"], "W")
        self.keys("Escape")
        self.no_dialog()

        # On the empty area: the view menu; R is Details there.
        self.right_click(empty)
        self.screenshot("_empty_menu")
        self.xdotool("key", "r")
        info = self.wait_for(lambda i: i["list"]["view"] == 1, what="details view")
        self.assertEqual(self.names(info), list("VWXYZ"))

        # N is New disk: a blank disk at the end. Then S, small icons.
        client = info["list"]["client"]
        empty = ((client[0] + client[2]) // 2, client[3] - 15)
        self.assertGreater(empty[1], info["list"]["items"][-1]["bounds"][3])
        self.right_click(empty)
        self.xdotool("key", "n")
        info = self.wait_for(lambda i: i["list"]["count"] == 6, what="a sixth disk")
        self.assertEqual(info["list"]["items"][5]["texts"], ["BlankDisk", "No", "2D", "688Bytes"])
        self.right_click(empty)
        self.xdotool("key", "s")
        self.wait_for(lambda i: i["list"]["view"] == 2, what="small icons")

        blank = b"BlankDisk\0" + bytes(18) + (688).to_bytes(4, "little") + bytes(656)
        expected = images[:1] + [with_byte(images[1], 26, 0x10)] + images[2:] + [blank]
        self.save_with_ctrl_s(self.file, b"".join(expected))
        self.quit()

    def test_rename_in_place(self):
        images = [
            image("BlankDisk", 1000),
            image("W", 1100),
            image("X", 1200, name_field=b"X\0" + b"TAIL-OF-FIELD" + b"\0\0"),
            image("Y", 1300),
        ]
        self.open_file(images)

        # Nothing to rename with two disks selected.
        self.select(0, 1)
        self.keys("ctrl+r")
        self.handled()
        self.assertIsNone(self.info()["list"]["editing"])

        # Esc ends an edit without a change: nothing to save.
        self.select(3)
        self.keys("ctrl+r")
        self.wait_for(lambda i: i["list"]["editing"] == "Y", what="the editor on Y")
        self.xdotool("type", "--delay", "50", "QQ")
        self.wait_for(lambda i: i["list"]["editing"] == "QQ", what="QQ typed")
        self.xdotool("key", "Escape")
        info = self.wait_for(lambda i: i["list"]["editing"] is None, what="the editor closed")
        self.assertEqual(self.names(info), ["BlankDisk", "W", "X", "Y"])
        self.assert_not_modified(self.file)

        # BlankDisk to AB: the rest of the old name stays behind the NUL.
        self.select(0)
        self.keys("ctrl+r")
        self.wait_for(lambda i: i["list"]["editing"] == "BlankDisk", what="the editor on BlankDisk")
        self.xdotool("type", "--delay", "50", "AB")
        self.xdotool("key", "Return")
        info = self.wait_for(lambda i: i["list"]["items"][0]["texts"][0] == "AB", what="the label AB")
        self.assertEqual(info["list"]["editing"], None)

        # Twenty letters typed: the editor takes sixteen.
        self.select(1)
        self.keys("ctrl+r")
        self.wait_for(lambda i: i["list"]["editing"] == "W", what="the editor on W")
        self.xdotool("type", "--delay", "40", "ABCDEFGHIJKLMNOPQRST")
        self.wait_for(lambda i: i["list"]["editing"] == "ABCDEFGHIJKLMNOP", what="16 letters in the editor")
        self.xdotool("key", "Return")

        # The list's own gesture, a click on the label of the selected disk,
        # and a pasted Japanese name of 21 bytes: Wine's editor counts
        # characters, so all of it arrives; the name keeps 15 bytes, as the
        # 16th would be half of a character.
        info = self.select(2)
        time.sleep(1.0)  # longer than a double click
        self.tap(*self.center(info["list"]["items"][2]["label"]))
        self.wait_for(lambda i: i["list"]["editing"] == "X", timeout=5, what="the editor on X by a click")
        pasted = "ABCDEFG日本語ですよね"
        self.assertEqual(len(harness.cp932(pasted)), 21)
        self.probe("clipboard", "hex:" + harness.cp932(pasted).hex())
        self.xdotool("key", "ctrl+v")
        self.wait_for(lambda i: i["list"]["editing"] == pasted, what="the pasted name in the editor")
        self.xdotool("key", "Return")
        kept = harness.cp932("ABCDEFG日本語で")
        self.assertEqual(len(kept), 15)
        info = self.wait_for(lambda i: i["list"]["editing"] is None, what="the editor closed")
        raw = self.info_raw()["list"]["items"]
        self.assertEqual([harness.decode_bytes(i["texts"][0]) for i in raw],
                         [b"AB", b"ABCDEFGHIJKLMNOP", kept, b"Y"])

        expected = [
            with_name(images[0], b"AB"),
            with_name(images[1], b"ABCDEFGHIJKLMNOP"),
            with_name(images[2], kept),
            images[3],
        ]
        self.assertEqual(expected[0][:17], b"AB\0nkDisk\0" + bytes(7))
        self.assertEqual(expected[2][:17], kept + b"\0\0")
        saved = self.save_with_ctrl_s(self.file, b"".join(expected))

        # Reopened, the list shows the stored names.
        info = self.reopen()
        raw = self.info_raw()["list"]["items"]
        self.assertEqual([harness.decode_bytes(i["texts"][0]) for i in raw],
                         [b"AB", b"ABCDEFGHIJKLMNOP", kept, b"Y"])
        self.assertEqual([i[:17] for i in self.split_images(saved)], [i[:17] for i in expected])
        self.quit()

    def test_enter_on_an_unchanged_name_counts_as_a_change(self):
        images = [image("SAME", 1000)]
        self.open_file(images)
        self.select(0)
        self.keys("ctrl+r")
        self.wait_for(lambda i: i["list"]["editing"] == "SAME", what="the editor on SAME")
        self.xdotool("key", "Return")
        info = self.wait_for(lambda i: i["list"]["editing"] is None, what="the editor closed")
        self.assertEqual(self.names(info), ["SAME"])
        self.save_with_ctrl_s(self.file, b"".join(images))

    def test_a_name_being_typed_keeps_its_keys_and_is_stored_before_the_close(self):
        images = [image("OLD", 1000), image("KEEP", 700)]
        self.open_file(images)
        self.select(0)
        self.keys("ctrl+r")
        self.wait_for(lambda i: i["list"]["editing"] == "OLD", what="the editor on OLD")
        # Delete and the arrows edit the name: no question about deleting a disk.
        self.xdotool("type", "--delay", "50", "NEWX")
        self.xdotool("key", "--delay", "60", "Left", "Delete")
        self.wait_for(lambda i: i["list"]["editing"] == "NEW" and not i["dialogs"], what="NEW typed")
        # Alt+F4 before Enter: the name is stored, so the close asks.
        self.keys("alt+F4")
        box = self.message_box()
        self.assertEqual((box["caption"], box["text"]),
                         ("ﾌｧｲﾙ保存の確認", "disks.d88\nは更新されています.保存しますか?"))
        self.click_dialog_button(6)
        if not self.wait_exit():
            self.fail("Yes did not let the program end")
        with open(self.file, "rb") as f:
            self.assertEqual(f.read(), with_name(images[0], b"NEW") + images[1])

    def test_write_protect_toggle(self):
        images = [image("OPEN", 900), image("ODD", 1500, protect=0x01, media=0x20), image("SHUT", 2048, protect=0x10)]
        info = self.open_file(images)
        self.assertEqual([i["texts"][1] for i in info["list"]["items"]], ["No", "Yes", "Yes"])
        self.assertEqual([i["image"] for i in info["list"]["items"]], [0, 1, 1])

        # Two selected: Ctrl+P changes nothing.
        self.select(0, 2)
        self.keys("ctrl+p")
        self.handled()
        self.assertEqual([i["texts"][1] for i in self.info()["list"]["items"]], ["No", "Yes", "Yes"])
        self.assert_not_modified(self.file)

        # OPEN: 0x00 -> 0x10, shown as Yes with the protected icon.
        self.select(0)
        self.keys("ctrl+p")
        info = self.wait_for(lambda i: i["list"]["items"][0]["texts"][1] == "Yes", what="OPEN protected")
        self.assertEqual(info["list"]["items"][0]["image"], 1)
        self.screenshot("_protected")
        self.save_with_ctrl_s(self.file,
                              b"".join([with_byte(images[0], 26, 0x10)] + images[1:]))

        # Back to 0x00; ODD: 0x01 -> 0x11, still protected.
        self.keys("ctrl+p")
        info = self.wait_for(lambda i: i["list"]["items"][0]["texts"][1] == "No", what="OPEN unprotected")
        self.assertEqual(info["list"]["items"][0]["image"], 0)
        self.select(1)
        self.keys("ctrl+p")
        self.handled()
        info = self.info()
        self.assertEqual(info["list"]["items"][1]["texts"], ["ODD", "Yes", "2HD", "1KB"])
        self.assertEqual(info["list"]["items"][1]["image"], 1)
        self.save_with_ctrl_s(self.file,
                              b"".join([images[0], with_byte(images[1], 26, 0x11), images[2]]))

        # Once more: back to 0x01; and SHUT: 0x10 -> 0x00.
        self.keys("ctrl+p")
        self.select(2)
        self.keys("ctrl+p")
        info = self.wait_for(lambda i: i["list"]["items"][2]["texts"][1] == "No", what="SHUT unprotected")
        self.assertEqual(info["status"]["text"], "1 個のｲﾒｰｼﾞを選択    2D(2KB) ")
        self.assertEqual([i["texts"][1] for i in info["list"]["items"]], ["No", "Yes", "No"])
        self.save_with_ctrl_s(self.file,
                              b"".join([images[0], images[1], with_byte(images[2], 26, 0x00)]))
        self.quit()

    def test_delete_with_the_prompt(self):
        names = ["A", "B", "表示ﾃﾞｨｽｸ", "D", "E", "F", "G"]
        images = [image(n, 700 + 10 * k) for k, n in enumerate(names)]
        self.open_file(images)

        def question(name):
            return "%s を削除してもよろしいですか?" % name

        def prompt_for(name):
            dialog = self.dialog(DELETE_CAPTION)
            self.assertEqual(self.control(dialog, 102)["text"], question(name))
            self.assertTrue(dialog["owned_by_main"])
            return dialog

        # Nothing selected: Del asks nothing.
        self.keys("Delete")
        self.assert_no_dialog_appears()

        # A, the Japanese name and E: Yes (key Y), No (key N), Yes (mouse).
        self.select(0, 2, 4)
        self.keys("Delete")
        dialog = prompt_for("A")
        self.assertEqual([(c["id"], c["text"]) for c in dialog["controls"]][:4],
                         [(6, "はい(&Y)"), (101, "すべてはい(&A)"), (7, "いいえ(&N)"), (2, "ｷｬﾝｾﾙ")])
        self.assertEqual(self.raw_text(102), b"A" + harness.cp932(" を削除してもよろしいですか?"))
        self.screenshot("_prompt")
        self.keys("y")
        dialog = prompt_for(names[2])
        self.assertEqual(self.raw_text(102), harness.cp932(question(names[2])))
        self.keys("n")
        dialog = prompt_for("E")
        self.tap(*self.center(self.control(dialog, 6)["rect"]))
        self.no_dialog()
        info = self.info()
        self.assertEqual(self.names(info), ["B", names[2], "D", "F", "G"])
        self.assertEqual(self.selected(info), [names[2]])
        remaining = [images[1], images[2], images[3], images[5], images[6]]
        self.save_with_ctrl_s(self.file, b"".join(remaining))

        # The Japanese name and D: Esc, then the dialog's close box, both
        # answer Cancel at the first question: nothing goes.
        self.select(1, 2)
        self.keys("Delete")
        prompt_for(names[2])
        self.keys("Escape")
        self.no_dialog()
        self.keys("Delete")
        dialog = prompt_for(names[2])
        left, top, right, bottom = dialog["rect"]
        self.tap(right - 12, top + 12)  # the close box at the caption's right end
        self.no_dialog()
        info = self.info()
        self.assertEqual(self.names(info), ["B", names[2], "D", "F", "G"])
        self.assert_not_modified(self.file)

        # B, D and G: Yes, then Cancel (mouse) at D keeps D and G.
        self.select(0, 2, 4)
        self.keys("Delete")
        prompt_for("B")
        self.keys("y")
        dialog = prompt_for("D")
        self.tap(*self.center(self.control(dialog, 2)["rect"]))
        self.no_dialog()
        self.assertEqual(self.names(self.info()), [names[2], "D", "F", "G"])

        # The Japanese name and F: All yes at the first question removes
        # both without asking again.
        self.select(0, 2)
        self.keys("Delete")
        prompt_for(names[2])
        self.click_dialog_button(101)
        self.no_dialog()
        info = self.info()
        self.assertEqual(self.names(info), ["D", "G"])
        self.save_with_ctrl_s(self.file, images[3] + images[6])
        self.quit()

    def test_the_keyboard_reaches_the_disks_without_a_click(self):
        images = [image(n, 700 + 10 * k) for k, n in enumerate(["A", "B", "C", "D"])]
        self.open_file(images)
        self.assertEqual(self.probe("focus")[-1]["focus"]["class"], "SysListView32")

        # End selects the last disk, Delete asks about it; Yes.
        self.keys("End")
        self.wait_for(lambda i: self.selected(i) == ["D"], what="D selected by End")
        self.keys("Delete")
        self.dialog(DELETE_CAPTION)
        self.keys("y")
        self.no_dialog()
        # The list has the keys again once the question is closed.
        self.keys("Home")
        info = self.wait_for(lambda i: self.selected(i) == ["A"], what="A selected by Home")
        self.assertEqual(self.names(info), ["A", "B", "C"])
        self.keys("ctrl+p")
        self.wait_for(lambda i: i["list"]["items"][0]["texts"][1] == "Yes", what="A protected")

        # And after the properties dialog, closed with Esc.
        self.keys("alt+d", "p")
        self.dialog(PROPERTIES_CAPTION)
        self.keys("Escape")
        self.no_dialog()
        self.keys("Right")
        self.wait_for(lambda i: self.selected(i) == ["B"], what="B selected by Right")
        self.save_with_ctrl_s(self.file, b"".join([with_byte(images[0], 26, 0x10)] + images[1:3]))
        self.quit()

    def test_properties_dialog(self):
        images = [
            image("GAME 2DD", 737280, media=0x10),
            image("BlankDisk", 688),
            image("ODD", 1500, protect=0x01, media=0x20),
        ]
        info = self.open_file(images)

        # Two selected: no dialog.
        self.select(0, 1)
        self.probe("command", "209")
        self.assert_no_dialog_appears()

        # What it shows for the 2DD disk.
        self.select(0)
        self.probe("command", "209")
        dialog = self.dialog(PROPERTIES_CAPTION)
        self.assertTrue(dialog["owned_by_main"])
        self.assertFalse(self.info()["enabled"], "the main window is disabled under the dialog")
        self.assertEqual(self.control(dialog, 101)["text"], "GAME 2DD")
        self.assertEqual(self.control(dialog, 102)["text"], "ﾒﾃﾞｨｱﾀｲﾌﾟ:\t2DD")
        self.assertEqual(self.control(dialog, 103)["text"], "ｻｲｽﾞ:\t\t737280ﾊﾞｲﾄ")
        self.assertEqual(self.control(dialog, 104)["checked"], 0)
        self.assertEqual(self.control(dialog, 104)["text"], "ﾗｲﾄﾌﾟﾛﾃｸﾄ(&P)")
        # Under Xvfb this dialog stays black in screenshots until its window
        # moves; a move by one pixel makes Wine paint it.
        self.xdotool("windowmove", "--relative", self.x_window(PROPERTIES_CAPTION), "0", "1", check=False)
        time.sleep(0.5)
        self.screenshot("_dialog")
        dialog = self.dialog(PROPERTIES_CAPTION)

        # Edits, then Cancel: nothing changes.
        name_box = self.center(self.control(dialog, 101)["rect"])
        self.tap(*name_box)
        self.xdotool("key", "End")
        self.xdotool("type", "--delay", "50", "ZZ")
        self.tap(*self.center(self.control(dialog, 104)["rect"]))
        dialog = self.dialog(PROPERTIES_CAPTION)
        self.assertEqual(self.control(dialog, 101)["text"], "GAME 2DDZZ")
        self.assertEqual(self.control(dialog, 104)["checked"], 1)
        self.tap(*self.center(self.control(dialog, 2)["rect"]))
        self.no_dialog()
        info = self.info()
        self.assertEqual(info["list"]["items"][0]["texts"], ["GAME 2DD", "No", "2DD", "720KB"])
        self.assert_not_modified(self.file)

        # Through the Disk menu with the keyboard this time: a new name of
        # twenty letters (the box keeps sixteen), protected, OK.
        self.keys("alt+d", "p")
        dialog = self.dialog(PROPERTIES_CAPTION)
        self.tap(*self.center(self.control(dialog, 101)["rect"]))
        self.xdotool("key", "End", "shift+Home", "BackSpace")
        self.xdotool("type", "--delay", "40", "SIXTEEN-LETTERS-PLUS")
        self.tap(*self.center(self.control(dialog, 104)["rect"]))
        dialog = self.dialog(PROPERTIES_CAPTION)
        self.assertEqual(self.control(dialog, 101)["text"], "SIXTEEN-LETTERS-")
        self.tap(*self.center(self.control(dialog, 1)["rect"]))
        self.no_dialog()
        info = self.info()
        self.assertEqual(info["list"]["items"][0]["texts"], ["SIXTEEN-LETTERS-", "Yes", "2DD", "720KB"])
        self.assertEqual(info["list"]["items"][0]["image"], 1)
        first = with_byte(with_name(images[0], b"SIXTEEN-LETTERS-"), 26, 0x10)
        self.save_with_ctrl_s(self.file, b"".join([first] + images[1:]))

        # The blank disk: 2D and 688 bytes.
        self.select(1)
        self.probe("command", "209")
        dialog = self.dialog(PROPERTIES_CAPTION)
        self.assertEqual(self.control(dialog, 102)["text"], "ﾒﾃﾞｨｱﾀｲﾌﾟ:\t2D")
        self.assertEqual(self.control(dialog, 103)["text"], "ｻｲｽﾞ:\t\t688ﾊﾞｲﾄ")
        self.keys("Escape")
        self.no_dialog()

        # ODD (protect byte 0x01): OK untouched is no change, yet it writes
        # 0x10, which a later save carries.
        self.select(2)
        self.probe("command", "209")
        dialog = self.dialog(PROPERTIES_CAPTION)
        self.assertEqual(self.control(dialog, 104)["checked"], 1)
        self.tap(*self.center(self.control(dialog, 1)["rect"]))
        self.no_dialog()
        self.assertEqual(self.info()["list"]["items"][2]["texts"], ["ODD", "Yes", "2HD", "1KB"])
        self.assert_not_modified(self.file)
        self.select(1)
        self.keys("ctrl+p")
        self.keys("ctrl+p")
        self.save_with_ctrl_s(self.file,
                              b"".join([first, images[1], with_byte(images[2], 26, 0x10)]))
        self.quit()

    def test_window_shows_what_the_file_holds(self):
        images = [
            image("GAME 2DD", 737280, media=0x10),
            image("表示ﾃﾞｨｽｸ", 1023, protect=0x01),
            image("", 1024, media=0x20),
            image("ODD MEDIA", 1500, media=0x30, protect=0xFF),
            image("BLANK", 688, media=0xFF),
        ]
        info = self.open_file(images, file_name="mixed.d88")
        self.keys("alt+v", "r")
        info = self.wait_for(lambda i: i["list"]["view"] == 1, what="details view")

        def compare(info, data):
            """Items, icons and the count text against the file's images,
            read here without the program."""
            held = self.split_images(data)
            self.assertEqual([i["texts"] for i in info["list"]["items"]], [list_texts(h) for h in held])
            self.assertEqual([i["image"] for i in info["list"]["items"]], [1 if h[26] else 0 for h in held])
            raw = self.info_raw()["list"]["items"]
            self.assertEqual([harness.decode_bytes(i["texts"][0]) for i in raw],
                             [h[:17].split(b"\0")[0] for h in held])
            return held

        self.assertEqual(info["title"], "mixed.d88 - Orvanel")
        self.assertEqual([c["text"] for c in info["list"]["columns"]], ["ﾃﾞｨｽｸ", "ﾌﾟﾛﾃｸﾄ", "ﾒﾃﾞｨｱ", "ｻｲｽﾞ"])
        with open(self.file, "rb") as f:
            held = compare(info, f.read())

        # One selected at a time: the status bar describes it.
        for index, img in enumerate(held):
            self.select(index)
            self.wait_for(lambda i: i["status"]["text"] == single_status(img),
                          what="the status text of disk %d" % index)
        self.select(0, 3, 4)
        self.assertEqual(self.info()["status"]["text"], "3 個のｲﾒｰｼﾞを選択")

        # Changed through the window and saved: the window and the new file
        # agree again.
        self.select(2)
        self.keys("ctrl+r")
        self.wait_for(lambda i: i["list"]["editing"] == "", what="the editor on the unnamed disk")
        self.xdotool("type", "--delay", "50", "NAMED")
        self.xdotool("key", "Return")
        self.keys("ctrl+p")
        self.select(1)
        self.keys("ctrl+p")
        info = self.wait_for(lambda i: i["list"]["items"][1]["texts"][1] == "Yes"
                             and i["list"]["items"][2]["texts"][:2] == ["NAMED", "Yes"],
                             what="the edits shown")
        expected = [images[0], with_byte(images[1], 26, 0x11),
                    with_byte(with_name(images[2], b"NAMED"), 26, 0x10), images[3], images[4]]
        saved = self.save_with_ctrl_s(self.file, b"".join(expected))
        compare(self.info(), saved)
        self.assertEqual(self.info()["status"]["text"], single_status(expected[1]))
        self.quit()


if __name__ == "__main__":
    harness.main()
