"""Documents and their files, through the window's own dialogs: adding the
images of files (Disk > Add, one file and several in one dialog), blank
disks, Open, Save and Save As, the save question before a document is
discarded, backup copies, and the saved bytes against 'd88 join'."""

import os
import random
import shutil
import subprocess
import tempfile
import time

import harness

NEW_NAME = "新規ﾃﾞｨｽｸｲﾒｰｼﾞ"
NEW_TITLE = NEW_NAME + " - Orvanel"
SAVE_CAPTION = "ﾌｧｲﾙ保存の確認"
SAVE_QUESTION = "%s\nは更新されています.保存しますか?"
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7

# Controls of the common file dialogs.
FOLDER_BOX = 1137
FILE_NAME_BOX = 1148
READ_ONLY_BOX = 1040
FILE_TYPE_BOX = 1136
D88_FILTER = "88ﾃﾞｨｽｸｲﾒｰｼﾞ(*.D88;*.88D)"

BLANK_DISK = b"BlankDisk".ljust(28, b"\0") + (688).to_bytes(4, "little") + bytes(656)


def title_of(name):
    return name + " - Orvanel"


def image(name, size, write_protect=0, media_type=0, seed=0):
    """A disk image whose track bytes are not all alike, so that a shift or a
    mix-up of images shows in a byte comparison."""
    return harness.d88_image(name, size, write_protect, media_type,
                             body=random.Random(seed).randbytes)


def row(name, size, write_protect=0, media="2D"):
    """The texts of a disk list item."""
    return [name, "Yes" if write_protect else "No", media,
            "%dBytes" % size if size < 1024 else "%dKB" % (size >> 10)]


class DocumentTestCase(harness.OrvanelTestCase):
    """The dialogs of a document, answered as a person answers them."""

    def restart(self, *args):
        """Starts the program again in the same folder, after it has ended."""
        if self.log:
            self.log.close()
        return self.start(*args)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    @staticmethod
    def control(dialog, control_id, cls=None):
        for c in dialog["controls"]:
            if c["id"] == control_id and (cls is None or c["class"].lower() == cls.lower()):
                return c
        return None

    def wait_dialog_where(self, predicate, what, timeout=10):
        """The first open dialog for which predicate holds (polled)."""
        deadline = time.monotonic() + timeout
        while True:
            answers = self.probe("waitdialog", "1000", check=False)
            info = harness.decode_tree(answers[-1]) if answers else {}
            for dialog in info.get("dialogs") or []:
                if predicate(dialog):
                    return dialog
            if time.monotonic() >= deadline:
                self.fail("%s did not appear within %d s; open dialogs: %s" % (
                    what, timeout, [d["caption"] for d in info.get("dialogs") or []]))
            time.sleep(0.2)

    def wait_no_dialog(self, timeout=10):
        answers = self.probe("waitnodialog", str(timeout * 1000), check=False)
        if not answers or answers[-1].get("dialogs"):
            self.fail("a dialog stayed open: %s" % harness.decode_tree(answers[-1:]))

    def assert_no_dialog(self, what, wait=1.0):
        """Nothing opens within the time."""
        answers = self.probe("waitdialog", str(int(wait * 1000)), check=False)
        dialogs = harness.decode_tree(answers[-1]).get("dialogs") if answers else None
        self.assertFalse(dialogs, "%s opened a dialog" % what)

    def wait_file_dialog(self, kind):
        """The Open dialog (kind "open": File > Open and Disk > Add, whose
        read-only box is shown) or the Save As dialog (kind "save": the box
        is hidden)."""
        def is_kind(dialog):
            box = self.control(dialog, FILE_NAME_BOX, "Edit")
            read_only = self.control(dialog, READ_ONLY_BOX, "Button")
            return box and read_only and read_only["visible"] == (kind == "open")
        return self.wait_dialog_where(is_kind, "the %s file dialog" % kind)

    def type_into_file_dialog(self, dialog, name, folder=None):
        """Moves the dialog to folder (its path typed into the file name box,
        then Enter) when one is given, types name and presses Enter."""
        caption = dialog["caption"]
        if folder:
            self.type_text(caption, harness.to_windows_path(folder))
            self.key(caption, "Return")
            base = os.path.basename(folder)
            self.wait_dialog_where(
                lambda d: (self.control(d, FOLDER_BOX) or {}).get("text") == base
                and self.control(d, FILE_NAME_BOX, "Edit")["text"] == "",
                "the dialog showing the folder %s" % base)
        self.type_text(caption, name)
        # Polled: the probe's question may be answered before the last keys.
        self.wait_dialog_where(
            lambda d: d["caption"] == caption and self.control(d, FILE_NAME_BOX, "Edit")["text"] == name,
            "%r in the file name box" % name)
        self.key(caption, "Return")

    def cancel_file_dialog(self, dialog):
        self.key(dialog["caption"], "Escape")
        self.wait_no_dialog()

    def wait_save_question(self, name):
        """The save question about the document called name; checks its
        text, caption and buttons."""
        dialog = self.wait_dialog_where(lambda d: d["caption"] == SAVE_CAPTION, "the save question")
        self.assertEqual(dialog["text"], SAVE_QUESTION % name)
        buttons = sorted(c["id"] for c in dialog["controls"]
                         if c["class"].lower() == "button" and c["visible"])
        self.assertEqual(buttons, [IDCANCEL, IDYES, IDNO])
        return dialog

    def answer(self, button):
        self.click_dialog_button(button)

    def items(self, info=None):
        return [item["texts"] for item in (info or self.info())["list"]["items"]]

    def wait_items(self, expected, title=None):
        return self.wait_for(
            lambda i: self.items(i) == expected and (title is None or i["title"] == title),
            what="the items %s%s" % (expected, " under the title %r" % title if title else ""))

    def new_disk(self, title):
        """Disk > New disk through the menu bar."""
        count = self.info()["list"]["count"]
        self.key(title, "alt+d", "n")
        self.wait_for(lambda i: i["list"]["count"] == count + 1, what="one more item")

    def end_with(self, title, *keys):
        """Keys that end the program (no question left); its exit code."""
        self.screenshot()
        self.key(title, *keys)
        if not self.wait_exit():
            self.fail("%s did not end the program; state: %s" % (keys, self.info()))
        return self.process.returncode


class FilesTest(DocumentTestCase):

    def test_add_one_file_then_several_in_one_dialog_and_save(self):
        os.mkdir(self.path("disks"))
        a = image("GAME A", 1000, seed=1)
        b = image("GAME B1", 1500, write_protect=1, media_type=0x10, seed=2) + image("GAME B2", 688)
        c = image("ｹﾞｰﾑC", 5000, media_type=0x20, seed=3)
        for name, data in (("a.d88", a), ("b.d88", b), ("c.d88", c)):
            self.write_file(os.path.join("disks", name), data)
        self.start()

        # Ins opens the Add dialog (an Open dialog); one file by its full path.
        self.key(NEW_TITLE, "Insert")
        dialog = self.wait_file_dialog("open")
        self.type_into_file_dialog(dialog, harness.to_windows_path(self.path("disks/a.d88")))
        self.wait_no_dialog()
        self.wait_items([row("GAME A", 1000)], title=NEW_TITLE)

        # The next Add starts in that file's folder; two names in one go.
        self.key(NEW_TITLE, "Insert")
        dialog = self.wait_file_dialog("open")
        self.assertEqual(self.control(dialog, FOLDER_BOX)["text"], "disks")
        self.type_into_file_dialog(dialog, '"b.d88" "c.d88"')
        self.wait_no_dialog()
        listed = [row("GAME A", 1000), row("GAME B1", 1500, 1, "2DD"), row("GAME B2", 688),
                  row("ｹﾞｰﾑC", 5000, 0, "2HD")]
        info = self.wait_items(listed, title=NEW_TITLE)
        self.assertEqual([i["image"] for i in info["list"]["items"]], [0, 1, 0, 0])
        self.screenshot("_added")

        # Ctrl+S on the modified new document is Save As, with the new
        # document's name in the file name box.
        self.key(NEW_TITLE, "ctrl+s")
        dialog = self.wait_file_dialog("save")
        self.assertEqual(self.control(dialog, FILE_NAME_BOX, "Edit")["text"], NEW_NAME)
        self.type_into_file_dialog(dialog, harness.to_windows_path(self.path("all.d88")))
        self.wait_no_dialog()
        self.wait_items(listed, title=title_of("all.d88"))
        self.assertEqual(self.read("all.d88"), a + b + c)
        # Saved: closing asks nothing.
        self.assertEqual(self.end_with(title_of("all.d88"), "ctrl+q"), 0)

    def test_new_disks_and_save_as_with_the_default_extension(self):
        self.start()
        self.new_disk(NEW_TITLE)
        self.wait_items([row("BlankDisk", 688)], title=NEW_TITLE)
        # Shift+Ctrl+S; a name without extension gets ".D88".
        self.key(NEW_TITLE, "shift+ctrl+s")
        dialog = self.wait_file_dialog("save")
        self.type_into_file_dialog(dialog, harness.to_windows_path(self.path("blank")))
        self.wait_no_dialog()
        # (Wine's dialog writes the extension it appends in lower case.)
        names = [n for n in os.listdir(self.dir) if n.lower().startswith("blank")]
        self.assertEqual([n.lower() for n in names], ["blank.d88"])
        saved = names[0]
        self.wait_for(lambda i: i["title"] == title_of(saved), what="the saved file's title")
        self.assertEqual(self.read(saved), BLANK_DISK)
        shutil.copyfile(self.path(saved), self.path("saved-once.d88"))

        # A second blank disk goes to the same file with Ctrl+S, no dialog.
        self.new_disk(title_of(saved))
        self.wait_items([row("BlankDisk", 688)] * 2)
        self.key(title_of(saved), "ctrl+s")
        self.assert_no_dialog("Save of a document with a file")
        self.assertEqual(self.read(saved), BLANK_DISK * 2)
        self.assertEqual(self.end_with(title_of(saved), "alt+F4"), 0)

        # The one-image file is what other D88 readers take for one.
        floptool = shutil.which("floptool")
        if not floptool:
            self.skipTest("floptool (mame-tools) is not installed: the saved blank disk was not "
                          "checked by an independent reader")
        done = subprocess.run([floptool, "identify", self.path("saved-once.d88")],
                              capture_output=True, text=True, timeout=60)
        self.assertIn("d88 D88 disk image", done.stdout)

    def test_open_through_the_dialog_and_save_as_another_name(self):
        os.mkdir(self.path("disks"))
        original = image("ﾃﾞｨｽｸ1", 348848, write_protect=1, media_type=0x20, seed=7)
        self.write_file("disks/one.d88", original)
        self.start()

        # Ctrl+O, then Esc: nothing changes.
        self.key(NEW_TITLE, "ctrl+o")
        self.cancel_file_dialog(self.wait_file_dialog("open"))
        self.assertEqual(self.info()["title"], NEW_TITLE)

        self.key(NEW_TITLE, "ctrl+o")
        dialog = self.wait_file_dialog("open")
        self.assertEqual(self.control(dialog, FILE_TYPE_BOX)["text"], D88_FILTER)
        self.assertEqual(self.control(dialog, FILE_NAME_BOX, "Edit")["text"], "")
        self.type_into_file_dialog(dialog, "one.d88", folder=self.path("disks"))
        self.wait_no_dialog()
        self.wait_items([row("ﾃﾞｨｽｸ1", 348848, 1, "2HD")], title=title_of("one.d88"))

        # Save As of the unchanged document; the dialog starts in the
        # document's folder with its name.
        self.key(title_of("one.d88"), "shift+ctrl+s")
        dialog = self.wait_file_dialog("save")
        self.assertEqual(self.control(dialog, FOLDER_BOX)["text"], "disks")
        self.assertEqual(self.control(dialog, FILE_NAME_BOX, "Edit")["text"], "one.d88")
        self.assertEqual(self.control(dialog, FILE_TYPE_BOX)["text"], D88_FILTER)
        self.type_into_file_dialog(dialog, harness.to_windows_path(self.path("copy.d88")))
        self.wait_no_dialog()
        self.wait_for(lambda i: i["title"] == title_of("copy.d88"), what="the new title")
        self.assertEqual(self.read("copy.d88"), original)
        self.assertEqual(self.read("disks/one.d88"), original)

        # Save As onto an existing file: the dialog asks first (Wine's own
        # question, which does not name the file); No goes back to it, and
        # Esc leaves the file alone.
        self.key(title_of("copy.d88"), "shift+ctrl+s")
        dialog = self.wait_file_dialog("save")
        self.type_into_file_dialog(dialog, harness.to_windows_path(self.path("disks/one.d88")))
        self.wait_dialog_where(
            lambda d: self.control(d, IDNO) is not None and d["caption"] != SAVE_CAPTION,
            "the overwrite question")
        self.screenshot("_overwrite")
        self.answer(IDNO)
        self.cancel_file_dialog(self.wait_file_dialog("save"))
        self.assertEqual(self.read("disks/one.d88"), original)
        self.assertEqual(self.info()["title"], title_of("copy.d88"))
        self.assertEqual(self.end_with(title_of("copy.d88"), "ctrl+q"), 0)
        self.assertFalse(os.path.exists(self.path("copy.bak")))

    def test_save_question_before_new_and_open(self):
        one = image("ONE", 1000, seed=4)
        two = image("TWO A", 700, seed=5) + image("TWO B", 900, seed=6)
        self.write_file("one.d88", one)
        self.write_file("two.d88", two)
        self.start(harness.to_windows_path(self.path("one.d88")))
        one_title = title_of("one.d88")
        self.wait_items([row("ONE", 1000)], title=one_title)
        self.new_disk(one_title)
        changed = [row("ONE", 1000), row("BlankDisk", 688)]

        # Cancel keeps the document, before New and before Open alike.
        for keys in ("ctrl+n", "ctrl+o"):
            self.key(one_title, keys)
            self.wait_save_question("one.d88")
            self.screenshot("_question")
            self.answer(IDCANCEL)
            self.wait_no_dialog()
            self.assert_no_dialog("Cancel of the question before %s" % keys)
            self.wait_items(changed, title=one_title)

        # No before Open: the Open dialog follows and nothing is saved.
        self.key(one_title, "ctrl+o")
        self.wait_save_question("one.d88")
        self.answer(IDNO)
        dialog = self.wait_file_dialog("open")
        self.type_into_file_dialog(dialog, harness.to_windows_path(self.path("two.d88")))
        self.wait_no_dialog()
        two_title = title_of("two.d88")
        self.wait_items([row("TWO A", 700), row("TWO B", 900)], title=two_title)
        self.assertEqual(self.read("one.d88"), one)

        # Yes before New saves to the document's file, then empties it.
        self.new_disk(two_title)
        self.key(two_title, "ctrl+n")
        self.wait_save_question("two.d88")
        self.answer(IDYES)
        self.wait_items([], title=NEW_TITLE)
        self.assertEqual(self.read("two.d88"), two + BLANK_DISK)

        # No before New discards a new document.
        self.new_disk(NEW_TITLE)
        self.key(NEW_TITLE, "ctrl+n")
        self.wait_save_question(NEW_NAME)
        self.answer(IDNO)
        self.wait_items([], title=NEW_TITLE)
        # Nothing changed since: New asks nothing.
        self.key(NEW_TITLE, "ctrl+n")
        self.assert_no_dialog("New of an unchanged document")

        # Yes before Open on a new document: Save As first, then Open.
        self.new_disk(NEW_TITLE)
        self.key(NEW_TITLE, "ctrl+o")
        self.wait_save_question(NEW_NAME)
        self.answer(IDYES)
        dialog = self.wait_file_dialog("save")
        self.assertEqual(self.control(dialog, FILE_NAME_BOX, "Edit")["text"], NEW_NAME)
        self.type_into_file_dialog(dialog, harness.to_windows_path(self.path("new.d88")))
        dialog = self.wait_file_dialog("open")
        self.assertEqual(self.read("new.d88"), BLANK_DISK)
        self.type_into_file_dialog(dialog, harness.to_windows_path(self.path("one.d88")))
        self.wait_no_dialog()
        self.wait_items([row("ONE", 1000)], title=one_title)

        self.assertEqual(self.end_with(one_title, "ctrl+q"), 0)
        self.assertEqual(sorted(os.listdir(self.dir)),
                         ["new.d88", "one.d88", "orvanel.exe", "orvanel.ini", "two.d88", "wine.log"])

    def test_save_question_on_close(self):
        self.start()
        self.new_disk(NEW_TITLE)

        # Alt+F4, Cancel: the window stays with its document.
        self.key(NEW_TITLE, "alt+F4")
        self.wait_save_question(NEW_NAME)
        self.answer(IDCANCEL)
        self.wait_no_dialog()
        self.assertIsNone(self.process.poll())
        self.wait_items([row("BlankDisk", 688)], title=NEW_TITLE)

        # The close box (WM_CLOSE), Yes, then Save As cancelled: the same.
        self.close_window()
        self.wait_save_question(NEW_NAME)
        self.answer(IDYES)
        self.cancel_file_dialog(self.wait_file_dialog("save"))
        self.assertIsNone(self.process.poll())
        self.wait_items([row("BlankDisk", 688)], title=NEW_TITLE)

        # Still modified: Ctrl+Q asks again; No ends without saving.
        self.key(NEW_TITLE, "ctrl+q")
        self.wait_save_question(NEW_NAME)
        self.answer(IDNO)
        self.assertTrue(self.wait_exit(), "No did not let the program end")
        self.assertEqual(self.process.returncode, 0)
        self.assertFalse([n for n in os.listdir(self.dir) if n.lower().endswith(".d88")])

        # A document with a file: Yes saves to it, then the program ends.
        self.write_file("one.d88", image("ONE", 1000, seed=8))
        self.restart(harness.to_windows_path(self.path("one.d88")))
        self.wait_items([row("ONE", 1000)], title=title_of("one.d88"))
        self.new_disk(title_of("one.d88"))
        self.key(title_of("one.d88"), "alt+F4")
        self.wait_save_question("one.d88")
        self.screenshot("_close_question")
        self.answer(IDYES)
        self.assertTrue(self.wait_exit(), "Yes did not let the program end")
        self.assertEqual(self.read("one.d88"), image("ONE", 1000, seed=8) + BLANK_DISK)

    def test_yes_to_the_save_question_with_a_failing_write_keeps_the_window(self):
        # The document's file lives on a file system too small for it.
        small = tempfile.mkdtemp(prefix="orvanel-small-")
        done = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", small],
                              capture_output=True, text=True, timeout=30)
        if done.returncode != 0:
            os.rmdir(small)
            self.skipTest("no small file system to fill: mounting a tmpfs was refused (%s)"
                          % done.stderr.strip())
        self.addCleanup(os.rmdir, small)
        self.addCleanup(subprocess.run, ["umount", small], capture_output=True, timeout=30)
        one = image("ONE", 1000, seed=15)
        with open(os.path.join(small, "one.d88"), "wb") as f:
            f.write(one)
        self.write_file("big.d88", image("BIG", 100000, seed=16))
        self.start()
        self.key(NEW_TITLE, "ctrl+o")
        target = harness.to_windows_path(os.path.join(small, "one.d88"))
        self.type_into_file_dialog(self.wait_file_dialog("open"), target)
        self.wait_no_dialog()
        title = title_of("one.d88")
        self.key(title, "Insert")
        self.type_into_file_dialog(self.wait_file_dialog("open"), harness.to_windows_path(self.path("big.d88")))
        self.wait_no_dialog()
        changed = [row("ONE", 1000), row("BIG", 100000)]
        self.wait_items(changed, title=title)

        # Yes: the write fails and says so; the window stays, still modified.
        self.key(title, "alt+F4")
        self.wait_save_question("one.d88")
        self.answer(IDYES)
        failure = self.wait_dialog_where(lambda d: d["caption"] == "Orvanel", "the failure message")
        self.assertEqual(failure["text"], "ﾌｧｲﾙの書き込みに失敗しました:\n" + target)
        self.screenshot("_write_failed")
        self.answer(IDOK)
        self.wait_no_dialog()
        self.assertIsNone(self.process.poll())
        self.wait_items(changed, title=title)
        # No partly written file is left behind.
        self.assertLessEqual(set(os.listdir(small)), {"one.d88"})
        self.key(title, "ctrl+q")
        self.wait_save_question("one.d88")
        self.answer(IDNO)
        self.assertTrue(self.wait_exit(), "No did not let the program end")

    def test_backup_copy_when_saving_over_a_file(self):
        old = image("OLD", 2000, seed=9)
        self.write_file("game.v2.d88", old)
        # From the command line, which finds the file by its short name
        # (GAMEV2~1.D88): the copy is named after the long one all the same.
        self.start(harness.to_windows_path(self.path("game.v2.d88")))
        title = title_of("game.v2.d88")
        self.wait_items([row("OLD", 2000)], title=title)

        # File > Settings through the menu bar: backups on (Alt+B), OK (Enter).
        self.key(title, "alt+f", "c")
        dialog = self.wait_dialog_where(lambda d: d["caption"] == "設定", "the settings dialog")
        self.assertEqual(self.control(dialog, 104)["checked"], 0)
        self.key(dialog["caption"], "alt+b")
        dialog = self.wait_dialog_where(lambda d: self.control(d, 104)["checked"] == 1, "the marked box")
        self.key(dialog["caption"], "Return")
        self.wait_no_dialog()

        # Ctrl+S over the file keeps its old contents as game.v2.bak.
        self.new_disk(title)
        self.key(title, "ctrl+s")
        self.assert_no_dialog("Save with a backup copy")
        self.assertEqual(self.read("game.v2.d88"), old + BLANK_DISK)
        self.assertEqual(self.read("game.v2.bak"), old)
        # Once more: the older copy is replaced.
        self.new_disk(title)
        self.key(title, "ctrl+s")
        self.assert_no_dialog("Save with a backup copy")
        self.assertEqual(self.read("game.v2.d88"), old + BLANK_DISK * 2)
        self.assertEqual(self.read("game.v2.bak"), old + BLANK_DISK)

        # Save As to a new name makes no copy.
        self.key(title, "shift+ctrl+s")
        dialog = self.wait_file_dialog("save")
        self.type_into_file_dialog(dialog, harness.to_windows_path(self.path("fresh.d88")))
        self.wait_no_dialog()
        self.wait_for(lambda i: i["title"] == title_of("fresh.d88"), what="the new title")
        self.assertEqual(self.read("fresh.d88"), old + BLANK_DISK * 2)
        self.assertEqual(sorted(n for n in os.listdir(self.dir) if n.endswith(".bak")), ["game.v2.bak"])

        self.assertEqual(self.end_with(title_of("fresh.d88"), "ctrl+q"), 0)
        flags = int(harness.read_ini(self.ini)["Settings"]["Flags"])
        self.assertEqual(flags & 0xFFFFFFFF, 0x80001000)

    def test_added_files_saved_equal_d88_join(self):
        d88 = harness.CONFIG["d88"]
        if not d88:
            self.skipTest("run without --d88: the Windows build of d88 is needed to compare")
        os.mkdir(self.path("in"))
        files = {
            "x.d88": image("X1", 4096, seed=10) + image("X2", 688) + image("X3", 3000, 1, 0x10, seed=11),
            "y.88d": image("ﾃﾞｰﾀ", 20000, media_type=0x20, seed=12),
            "z.d88": image("Z", 1023, seed=13) + image("Z", 1025, seed=14),
        }
        for name, data in files.items():
            self.write_file(os.path.join("in", name), data)
        self.start()
        self.key(NEW_TITLE, "Insert")
        dialog = self.wait_file_dialog("open")
        self.type_into_file_dialog(dialog, '"x.d88" "y.88d" "z.d88"', folder=self.path("in"))
        self.wait_no_dialog()
        self.wait_for(lambda i: i["list"]["count"] == 6, what="six items")
        self.key(NEW_TITLE, "shift+ctrl+s")
        dialog = self.wait_file_dialog("save")
        self.type_into_file_dialog(dialog, harness.to_windows_path(self.path("window.d88")))
        self.wait_no_dialog()
        self.wait_for(lambda i: i["title"] == title_of("window.d88"), what="the saved title")
        self.assertEqual(self.end_with(title_of("window.d88"), "ctrl+q"), 0)

        inputs = [harness.to_windows_path(self.path(os.path.join("in", n))) for n in ("x.d88", "y.88d", "z.d88")]
        with open(self.path("d88.log"), "wb") as log:
            done = subprocess.run(["wine", d88, "join", harness.to_windows_path(self.path("cli.d88")), *inputs],
                                  env=self.env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                                  timeout=60)
        self.assertEqual(done.returncode, 0, self.read("d88.log"))
        self.assertEqual(self.read("window.d88"), self.read("cli.d88"))
        self.assertEqual(self.read("window.d88"), files["x.d88"] + files["y.88d"] + files["z.d88"])


if __name__ == "__main__":
    harness.main()
