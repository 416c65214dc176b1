"""Files dropped on the window from outside, as a file manager drops them
(XDND, which Wine turns into WM_DROPFILES): open, add, the extension
question, the save question, and the drop menu with Ctrl held."""

import os
import time

import harness
import xdnd

NOT_D88_OPEN = "%s\nはD88(88D)ﾌｧｲﾙではありません.開きますか?"
NOT_D88_ADD = "%s\nはD88(88D)ﾌｧｲﾙではありません.追加しますか?"
FILE_CHECK = "ﾌｧｲﾙの確認"
SAVE_QUESTION = "%s\nは更新されています.保存しますか?"
SAVE_CAPTION = "ﾌｧｲﾙ保存の確認"
NEW_TITLE = "新規ﾃﾞｨｽｸｲﾒｰｼﾞ"
IDYES, IDNO, IDCANCEL = 6, 7, 2
IDM_NEWDISK, IDM_DROP_OPEN, IDM_DROP_ADD = 201, 1001, 1002
FLAGS_DROP_ADDS = 0x40000000 | 0x1000


def names(info):
    return [item["texts"][0] for item in info["list"]["items"]]


class DropTest(harness.OrvanelTestCase):

    def make(self, name, *disks):
        return self.write_file(name, b"".join(harness.d88_image(d, 688 + 8 * i) for i, d in enumerate(disks)))

    def drop(self, title, paths, ctrl=False):
        """Drops paths on the middle of the list view of the window titled
        title; with ctrl, Ctrl is held down through the drop."""
        info = self.info()
        window = self.activate(title + " - Orvanel")
        point = self.center(info["list"]["rect"])
        self.move_pointer(*point)
        if ctrl:
            self.xdotool("keydown", "ctrl")
            time.sleep(0.3)
        try:
            action = xdnd.drop_files(window, point, paths)
        finally:
            if ctrl:
                time.sleep(0.5)
                self.xdotool("keyup", "ctrl")
        self.assertEqual(action, "XdndActionCopy", "the window did not take the drop")

    def answer(self, caption, text, button):
        """Waits for the message box, checks its caption and text, presses button."""
        dialog = self.wait_dialog()["dialogs"][-1]
        self.assertEqual(dialog["caption"], caption)
        self.assertEqual(dialog["text"], text)
        self.assertTrue(dialog["owned_by_main"])
        self.screenshot("-" + str(button))
        self.click_dialog_button(button)
        self.probe("waitnodialog", "5000")
        return dialog

    def test_a_drop_opens_the_first_file_and_asks_about_other_extensions_and_changes(self):
        first = self.make("first.d88", "ONE", "TWO")
        self.make("second.d88", "SECOND")
        notes = self.write_file("notes.txt", b"not a disk")
        self.start()

        # Three files: the first is opened, the others ignored.
        self.drop(NEW_TITLE, [first, self.path("second.d88"), notes])
        info = self.wait_for(lambda i: i["title"] == "first.d88 - Orvanel", what="first.d88 opened")
        self.assertEqual(names(info), ["ONE", "TWO"])

        # Another extension is asked about; No leaves the document alone.
        self.drop("first.d88", [notes])
        self.answer(FILE_CHECK, NOT_D88_OPEN % "notes.txt", IDNO)
        info = self.info()
        self.assertEqual((info["title"], names(info)), ("first.d88 - Orvanel", ["ONE", "TWO"]))

        # A modified document: the save question comes, Cancel keeps it all.
        self.probe("command", str(IDM_NEWDISK))
        self.wait_for(lambda i: i["list"]["count"] == 3, what="the new disk")
        self.drop("first.d88", [self.path("second.d88")])
        self.answer(SAVE_CAPTION, SAVE_QUESTION % "first.d88", IDCANCEL)
        info = self.info()
        self.assertEqual(info["title"], "first.d88 - Orvanel")
        self.assertEqual(info["list"]["count"], 3)

        # No at the save question opens the dropped file, the old one untouched.
        with open(first, "rb") as f:
            before = f.read()
        self.drop("first.d88", [self.path("second.d88")])
        self.answer(SAVE_CAPTION, SAVE_QUESTION % "first.d88", IDNO)
        info = self.wait_for(lambda i: i["title"] == "second.d88 - Orvanel", what="second.d88 opened")
        self.assertEqual(names(info), ["SECOND"])
        with open(first, "rb") as f:
            self.assertEqual(f.read(), before)

    def test_a_long_name_opens_through_its_short_name_and_shows_the_long_one(self):
        long_name = self.make("My Game Disk.d88", "LONG")
        self.start()
        self.drop(NEW_TITLE, [long_name])
        info = self.wait_for(lambda i: i["list"]["count"] == 1, what="the long-named file opened")
        self.assertEqual(info["title"], "My Game Disk.d88 - Orvanel")
        self.assertEqual(names(info), ["LONG"])

    def test_drops_add_last_file_first_when_the_setting_says_so(self):
        self.write_ini("[File]\nLastDir=.\n[Settings]\nFlags=%d\n" % FLAGS_DROP_ADDS)
        x = self.make("x.d88", "X1", "X2")
        y = self.make("y.d88", "Y1")
        z = self.make("z.d88", "Z1")
        notes = self.write_file("notes.txt", harness.d88_image("NOTE", 688))
        self.start()
        self.drop(NEW_TITLE, [x, y, notes, z])
        # Worked from the end: z, then the question for notes.txt (No), y, x.
        self.answer(FILE_CHECK, NOT_D88_ADD % "notes.txt", IDNO)
        info = self.wait_for(lambda i: i["list"]["count"] == 4, what="four images added")
        self.assertEqual(names(info), ["Z1", "Y1", "X1", "X2"])
        self.assertEqual(info["title"], NEW_TITLE + " - Orvanel")

        # Yes at the question adds it like any other file.
        self.drop(NEW_TITLE, [notes])
        self.answer(FILE_CHECK, NOT_D88_ADD % "notes.txt", IDYES)
        info = self.wait_for(lambda i: i["list"]["count"] == 5, what="notes.txt added")
        self.assertEqual(names(info)[-1], "NOTE")

    def test_ctrl_shows_the_drop_menu(self):
        a = self.make("a.d88", "A1")
        b = self.make("b.d88", "B1", "B2")
        self.start(harness.to_windows_path(a))
        self.wait_for(lambda i: i["list"]["count"] == 1, what="a.d88 opened")

        # Add (its mnemonic) from the drop menu.
        self.drop("a.d88", [b], ctrl=True)
        self.screenshot("-menu")
        self.xdotool("key", "a")
        info = self.wait_for(lambda i: i["list"]["count"] == 3, what="b.d88 added from the drop menu")
        self.assertEqual(names(info), ["A1", "B1", "B2"])
        self.assertEqual(info["title"], "a.d88 - Orvanel")

        # Its Cancel item (the last one) drops nothing; later drop commands
        # find no pending drop.
        self.drop("a.d88", [b], ctrl=True)
        self.xdotool("key", "Up", "Return")
        self.handled()
        self.probe("command", str(IDM_DROP_ADD), "command", str(IDM_DROP_OPEN))
        # Posted commands are taken before keys: F10 after them shows that
        # both were handled.
        self.handled()
        info = self.info()
        self.assertEqual(names(info), ["A1", "B1", "B2"])

        # Open from the menu: the document has changes, so the save question
        # comes first; No opens b.d88.
        self.drop("a.d88", [b], ctrl=True)
        self.xdotool("key", "n")
        self.answer(SAVE_CAPTION, SAVE_QUESTION % "a.d88", IDNO)
        info = self.wait_for(lambda i: i["title"] == "b.d88 - Orvanel", what="b.d88 opened from the menu")
        self.assertEqual(names(info), ["B1", "B2"])
        self.assertEqual(os.path.getsize(a), 688)


if __name__ == "__main__":
    harness.main()
