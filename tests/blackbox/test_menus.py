"""The menus driven with the keyboard: every View command through the menu
bar, the File accelerators, accelerators of grayed commands, Help > About
and Help > Topics (F1 with HTML Help), the settings dialog, and the settings
that outlive a run (view mode, status bar, window placement, flags, last folder).

Wine cannot read another process's menu (GetMenuItemCount of the
program's menu bar gives nothing to the probe), so the check and radio
marks are not read; what each command does to the list view and the
status bar is."""

import os
import shutil
import time

import harness
from test_files import (BLANK_DISK, FILE_NAME_BOX, FOLDER_BOX, IDCANCEL, IDNO, NEW_NAME,
                        NEW_TITLE, DocumentTestCase, image, row, title_of)

SETTINGS_CAPTION = "設定"
ABOUT_CAPTION = "ﾊﾞｰｼﾞｮﾝ情報"
# The help file's title (the viewer's caption) and its first topic's.
HELP_TITLE, HELP_CONTENTS_TITLE = "Orvanel ヘルプ", "Orvanel ヘルプ 目次"
DROP_OPEN, DROP_ADD, MAKE_BACKUP = 102, 103, 104
SS_TYPEMASK, SS_ICON = 0x1F, 0x03
FLAG_STATUSBAR, FLAG_DROP_ADDS, FLAG_MAKE_BACKUP = 0x1000, 0x40000000, 0x80000000

# Menu bar keys: Alt and the menu's letter, then the item's letter.
VIEW = {"status": "b", "large": "i", "small": "s", "list": "l", "details": "r"}
LVS_ICON, LVS_REPORT, LVS_SMALLICON, LVS_LIST = 0, 1, 2, 3


def signed(word):
    """A 32-bit word as the settings file writes it."""
    return word - (1 << 32) if word & 0x80000000 else word


class MenusTest(DocumentTestCase):

    def view(self, title, command):
        self.key(title, "alt+v", VIEW[command])

    def wait_view(self, mode):
        return self.wait_for(lambda i: i["list"]["view"] == mode, what="the view %d" % mode)

    def focus(self):
        return harness.decode_tree(self.probe("focus")[-1])["focus"]

    def open_settings(self, title):
        self.key(title, "alt+f", "c")
        return self.wait_dialog_where(lambda d: d["caption"] == SETTINGS_CAPTION, "the settings dialog")

    def settings_marks(self, dialog):
        return [self.control(dialog, i)["checked"] for i in (DROP_OPEN, DROP_ADD, MAKE_BACKUP)]

    def test_view_menu_through_the_menu_bar(self):
        info = self.start()
        self.assertEqual(info["list"]["view"], LVS_ICON)
        self.assertTrue(info["status"]["visible"])

        # Details of an empty list: every column 32 pixels wide.
        self.view(NEW_TITLE, "details")
        info = self.wait_view(LVS_REPORT)
        self.assertEqual([c["width"] for c in info["list"]["columns"]], [32] * 4)

        self.new_disk(NEW_TITLE)
        self.new_disk(NEW_TITLE)
        for command, mode in (("large", LVS_ICON), ("small", LVS_SMALLICON), ("list", LVS_LIST)):
            self.view(NEW_TITLE, command)
            info = self.wait_view(mode)
            self.assertEqual(info["list"]["count"], 2)
            # Only details fits the columns.
            self.assertEqual([c["width"] for c in info["list"]["columns"]], [32] * 4)
        self.view(NEW_TITLE, "details")
        info = self.wait_view(LVS_REPORT)
        widths = [c["width"] for c in info["list"]["columns"]]
        self.assertTrue(all(w > 32 for w in widths), widths)
        self.screenshot("_details")

        # The status bar: hidden, the list takes its room; shown again.
        shown_list = info["list"]["rect"]
        self.view(NEW_TITLE, "status")
        info = self.wait_for(lambda i: not i["status"]["visible"], what="the status bar hidden")
        self.assertGreater(info["list"]["rect"][3], shown_list[3])
        self.assertEqual(info["list"]["view"], LVS_REPORT)
        self.view(NEW_TITLE, "status")
        info = self.wait_for(lambda i: i["status"]["visible"], what="the status bar shown")
        self.assertEqual(info["list"]["rect"], shown_list)

        # View commands leave the document alone: two blank disks, still
        # modified, so closing asks.
        self.key(NEW_TITLE, "alt+F4")
        self.wait_save_question(NEW_NAME)
        self.answer(IDNO)
        self.assertTrue(self.wait_exit())
        self.assertEqual(int(harness.read_ini(self.ini)["Settings"]["Flags"]), FLAG_STATUSBAR | LVS_REPORT)

    def test_file_accelerators_and_grayed_commands(self):
        self.start()
        # A new document holds no image bytes: Save and Save As are grayed,
        # and so is everything that needs a selection.
        for keys in ("ctrl+s", "shift+ctrl+s", "Delete", "ctrl+e", "ctrl+r", "ctrl+p"):
            self.key(NEW_TITLE, keys)
            self.assert_no_dialog(keys, wait=0.5)
        info = self.info()
        self.assertEqual((info["title"], info["list"]["count"], info["list"]["editing"]), (NEW_TITLE, 0, None))

        # Ctrl+O and Ins open their dialogs.
        for keys in ("ctrl+o", "Insert"):
            self.key(NEW_TITLE, keys)
            self.cancel_file_dialog(self.wait_file_dialog("open"))

        # With a blank disk, Ctrl+S is Save As for the new document.
        self.new_disk(NEW_TITLE)
        self.key(NEW_TITLE, "ctrl+s")
        dialog = self.wait_file_dialog("save")
        self.type_into_file_dialog(dialog, harness.to_windows_path(self.path("a.d88")))
        self.wait_no_dialog()
        title = title_of("a.d88")
        self.wait_for(lambda i: i["title"] == title, what="the saved title")
        self.assertEqual(self.read("a.d88"), BLANK_DISK)

        # Saved: Ctrl+S is grayed again and writes nothing, even when the
        # file is gone; Shift+Ctrl+S stays enabled.
        os.remove(self.path("a.d88"))
        self.key(title, "ctrl+s")
        self.assert_no_dialog("ctrl+s", wait=0.5)
        self.assertFalse(os.path.exists(self.path("a.d88")))
        self.key(title, "shift+ctrl+s")
        self.cancel_file_dialog(self.wait_file_dialog("save"))

        # Nothing selected: Delete and Ctrl+E do nothing.
        for keys in ("Delete", "ctrl+e", "ctrl+r"):
            self.key(title, keys)
            self.assert_no_dialog(keys, wait=0.5)
        info = self.info()
        self.assertEqual((info["list"]["count"], info["list"]["editing"]), (1, None))

        # One selected: Ctrl+R opens the label editor, Ctrl+P protects.
        # A click on the item. (Not harness.click: xdotool's mousemove
        # --sync waits for a motion that never comes when the pointer is on
        # the point already; the pointer is put aside afterwards for the
        # same reason.)
        self.activate(title)
        x, y = self.center(info["list"]["items"][0]["icon"])
        self.xdotool("mousemove", str(x), str(y))
        time.sleep(0.2)
        self.xdotool("click", "1")
        self.xdotool("mousemove", "1000", "740")
        info = self.wait_for(lambda i: i["list"]["items"][0]["selected"], what="the item selected")
        self.assertEqual(info["status"]["text"], "1 個のｲﾒｰｼﾞを選択    2D(688Bytes) ")
        self.key(title, "ctrl+r")
        self.wait_for(lambda i: i["list"]["editing"] == "BlankDisk", what="the label editor")
        self.key(title, "Escape")
        self.wait_for(lambda i: i["list"]["editing"] is None, what="the label editor closed")
        self.key(title, "ctrl+p")
        self.wait_items([row("BlankDisk", 688, write_protect=1)])
        self.screenshot("_protected")

        # Ctrl+N on the changed document asks; Cancel keeps it.
        self.key(title, "ctrl+n")
        self.wait_save_question("a.d88")
        self.answer(IDCANCEL)
        self.wait_no_dialog()
        self.key(title, "ctrl+n")
        self.wait_save_question("a.d88")
        self.answer(IDNO)
        self.wait_items([], title=NEW_TITLE)
        # Ctrl+Q ends an unchanged document without a question.
        self.assertEqual(self.end_with(NEW_TITLE, "ctrl+q"), 0)
        self.assertFalse(os.path.exists(self.path("a.d88")))

    def test_help_about_and_topics(self):
        self.env["ORVANEL_HELP"] = "hlp"  # the .hlp chosen, as under Wine anyway
        self.start()
        # About: the product texts, the icon, the focus on OK; OK, Enter
        # and Esc all close it.
        for close in ("space", "Return", "Escape"):
            self.key(NEW_TITLE, "alt+h", "a")
            dialog = self.wait_dialog_where(lambda d: d["caption"] == ABOUT_CAPTION, "the About dialog")
            texts = [c["text"] for c in dialog["controls"] if c["class"].lower() == "static" and c["text"]]
            self.assertEqual(len(texts), 1, texts)
            lines = texts[0].split("\n")
            self.assertEqual(lines[:3], ["Orvanel", "Version 1.0.1", ""])
            self.assertEqual(len(lines), 6)
            icon = self.control(dialog, 101)
            self.assertEqual(icon["style"] & SS_TYPEMASK, SS_ICON)
            focus = self.focus()
            self.assertEqual((focus["id"], focus["dialog"]), (1, ABOUT_CAPTION))
            if close == "space":
                self.screenshot("_about")
            # The focused OK button takes the space bar.
            self.key(ABOUT_CAPTION, close)
            self.wait_no_dialog()

        # Help topics: the help viewer (winhlp32 under Wine) is asked for
        # the exe's path with ".hlp", which the build puts beside the exe.
        # It opens the file at its first topic, the contents page, with no
        # message box of its own.
        for name in ("orvanel.hlp", "orvanel.cnt"):
            built = os.path.join(os.path.dirname(harness.CONFIG["exe"]), name)
            self.assertTrue(os.path.exists(built), "the build made no %s beside orvanel.exe" % name)
            shutil.copyfile(built, self.path(name))
        help_file = harness.to_windows_path(self.path("orvanel.hlp"))
        self.addCleanup(self.probe, "helpquit", help_file, check=False)
        self.key(NEW_TITLE, "alt+h", "h")
        deadline = time.monotonic() + 20
        while True:
            windows = [w for w in harness.decode_tree(self.probe("windows")[-1])["windows"]
                       if w["exe"].lower().endswith("winhlp32.exe")]
            boxes = [w for w in windows if w["class"] == "#32770"]
            viewer = [w for w in windows if any(t.startswith(HELP_CONTENTS_TITLE) for t in w["texts"])]
            if boxes or viewer or time.monotonic() >= deadline:
                break
            time.sleep(0.3)
        self.screenshot("_help")
        self.assertFalse(boxes, "the help viewer showed a message: %s" % boxes)
        self.assertTrue(viewer, "no help viewer showing %s at its contents: %s" % (help_file, windows))
        self.assertEqual(viewer[0]["caption"], HELP_TITLE)
        self.assertFalse([t for t in viewer[0]["texts"] if "見つかりません" in t])
        # WinHelpA has returned: the program takes input and posted messages.
        info = self.info()
        self.assertTrue(info["responding"])
        self.assertTrue(info["enabled"])
        self.assertFalse(info["dialogs"])
        self.assertIsNone(self.process.poll())
        self.probe("command", "305")
        self.wait_view(LVS_REPORT)

        # HELP_QUIT closes the viewer.
        self.probe("helpquit", help_file)
        deadline = time.monotonic() + 10
        while any(w["exe"].lower().endswith("winhlp32.exe")
                  for w in harness.decode_tree(self.probe("windows")[-1])["windows"]):
            self.assertLess(time.monotonic(), deadline, "the help viewer's window stayed")
            time.sleep(0.3)
        # The keyboard works as before.
        self.view(NEW_TITLE, "small")
        self.wait_view(LVS_SMALLICON)
        self.assertEqual(self.end_with(NEW_TITLE, "ctrl+q"), 0)

    def test_f1_opens_the_chm_through_html_help(self):
        # The .chm chosen, F1 asks HtmlHelpA for its contents: a viewer window
        # of the program's process (Wine here draws no page: it has no Gecko).
        shutil.copyfile(os.path.join(os.path.dirname(harness.CONFIG["exe"]), "orvanel.chm"),
                        self.path("orvanel.chm"))
        self.env["ORVANEL_HELP"] = "chm"
        pid = self.start()["pid"]
        self.key(NEW_TITLE, "F1")
        deadline = time.monotonic() + 20
        while True:
            windows = [(w["class"], w["caption"]) for w in harness.decode_tree(
                self.probe("windows")[-1])["windows"] if w["pid"] == pid and w["caption"] != NEW_TITLE]
            if windows or time.monotonic() >= deadline:
                break
            time.sleep(0.3)
        self.screenshot("_chm")
        self.assertEqual(windows, [("HH Parent", HELP_TITLE)])
        self.assertFalse(self.info()["dialogs"])
        # Ins pressed in the viewer is the viewer's: no file dialog to add disks.
        self.key(HELP_TITLE, "Insert")
        self.activate(NEW_TITLE)
        self.handled()
        self.assertFalse(self.info()["dialogs"])
        self.assertEqual(self.end_with(NEW_TITLE, "ctrl+q"), 0)

    def test_settings_dialog(self):
        self.start()
        dialog = self.open_settings(NEW_TITLE)
        self.assertEqual(self.settings_marks(dialog), [1, 0, 0])
        self.assertEqual(self.focus()["id"], DROP_OPEN)
        for control_id, text in ((101, "ﾄﾞﾗｯｸﾞ&ﾄﾞﾛｯﾌﾟ(&D)"), (DROP_OPEN, "新しいﾌｧｲﾙを開く(&N)"),
                                 (DROP_ADD, "ﾌｧｲﾙを追加する(&A)"), (MAKE_BACKUP, "ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙを作成する(&B)"),
                                 (1, "OK"), (2, "ｷｬﾝｾﾙ")):
            self.assertEqual(self.control(dialog, control_id)["text"], text)

        # Changed, then Esc: nothing kept.
        self.key(SETTINGS_CAPTION, "alt+a", "alt+b")
        dialog = self.wait_dialog_where(lambda d: self.settings_marks(d) == [0, 1, 1], "the changed marks")
        self.key(SETTINGS_CAPTION, "Escape")
        self.wait_no_dialog()
        dialog = self.open_settings(NEW_TITLE)
        self.assertEqual(self.settings_marks(dialog), [1, 0, 0])

        # Changed, then Enter (OK): kept; the focus still starts on 102.
        self.key(SETTINGS_CAPTION, "alt+a", "alt+b")
        self.wait_dialog_where(lambda d: self.settings_marks(d) == [0, 1, 1], "the changed marks")
        self.key(SETTINGS_CAPTION, "Return")
        self.wait_no_dialog()
        dialog = self.open_settings(NEW_TITLE)
        self.assertEqual(self.settings_marks(dialog), [0, 1, 1])
        self.assertEqual(self.focus()["id"], DROP_OPEN)
        self.screenshot("_settings")

        # Changed back, then the Cancel button: still as OK left them.
        self.key(SETTINGS_CAPTION, "alt+n", "alt+b")
        self.wait_dialog_where(lambda d: self.settings_marks(d) == [1, 0, 0], "the changed marks")
        self.click_dialog_button(IDCANCEL)
        self.wait_no_dialog()
        dialog = self.open_settings(NEW_TITLE)
        self.assertEqual(self.settings_marks(dialog), [0, 1, 1])
        self.click_dialog_button(1)
        self.wait_no_dialog()

        # The dialog does not touch the document: closing asks nothing.
        self.assertEqual(self.end_with(NEW_TITLE, "ctrl+q"), 0)
        flags = int(harness.read_ini(self.ini)["Settings"]["Flags"])
        self.assertEqual(flags, signed(FLAG_MAKE_BACKUP | FLAG_DROP_ADDS | FLAG_STATUSBAR))

    def test_settings_survive_a_restart(self):
        os.mkdir(self.path("disks"))
        self.write_file("disks/one.d88", image("ONE", 1000, seed=1))
        info = self.start()
        first_rect = info["rect"]

        # Details, no status bar, drops add, a file opened from disks\,
        # and the window moved and resized.
        self.view(NEW_TITLE, "details")
        self.wait_view(LVS_REPORT)
        self.view(NEW_TITLE, "status")
        self.wait_for(lambda i: not i["status"]["visible"], what="the status bar hidden")
        self.open_settings(NEW_TITLE)
        self.key(SETTINGS_CAPTION, "alt+a", "Return")
        self.wait_no_dialog()
        self.key(NEW_TITLE, "ctrl+o")
        dialog = self.wait_file_dialog("open")
        self.type_into_file_dialog(dialog, harness.to_windows_path(self.path("disks/one.d88")))
        self.wait_no_dialog()
        title = title_of("one.d88")
        self.wait_items([row("ONE", 1000)], title=title)
        window = self.x_window(title)
        self.xdotool("windowsize", "--sync", window, "500", "350", check=False)
        self.xdotool("windowmove", "--sync", window, "200", "150", check=False)
        info = self.wait_for(lambda i: i["rect"] != first_rect and i["rect"][0] >= 150,
                             what="the window moved")
        time.sleep(0.5)
        info = self.info()
        normal = tuple(info["placement"]["normal"])
        self.screenshot("_before")

        self.assertEqual(self.end_with(title, "ctrl+q"), 0)
        ini = harness.read_ini(self.ini)
        self.assertEqual(ini["File"]["LastDir"], harness.to_windows_path(self.path("disks")))
        self.assertEqual(int(ini["Settings"]["Flags"]), FLAG_DROP_ADDS | LVS_REPORT)
        placement = harness.parse_placement(harness.decode_struct(ini["Settings"]["Position"]))
        self.assertEqual((placement["normal"], placement["show"]), (normal, 1))

        # The next start restores all of it.
        info = self.restart()
        self.assertEqual(tuple(info["rect"]), normal)
        self.assertEqual(info["list"]["view"], LVS_REPORT)
        self.assertFalse(info["status"]["visible"])
        self.assertEqual(self.settings_marks(self.open_settings(NEW_TITLE)), [0, 1, 0])
        self.key(SETTINGS_CAPTION, "Escape")
        self.wait_no_dialog()
        self.key(NEW_TITLE, "ctrl+o")
        dialog = self.wait_file_dialog("open")
        self.assertEqual(self.control(dialog, FOLDER_BOX)["text"], "disks")
        self.assertEqual(self.control(dialog, FILE_NAME_BOX, "Edit")["text"], "")
        self.cancel_file_dialog(dialog)
        self.screenshot("_restored")

        # Small icons and the status bar back, closed with Alt+F4.
        self.view(NEW_TITLE, "small")
        self.wait_view(LVS_SMALLICON)
        self.view(NEW_TITLE, "status")
        self.wait_for(lambda i: i["status"]["visible"], what="the status bar shown")
        self.assertEqual(self.end_with(NEW_TITLE, "alt+F4"), 0)
        ini = harness.read_ini(self.ini)
        self.assertEqual(int(ini["Settings"]["Flags"]), FLAG_DROP_ADDS | FLAG_STATUSBAR | LVS_SMALLICON)
        self.assertEqual(ini["File"]["LastDir"], harness.to_windows_path(self.path("disks")))
        info = self.restart()
        self.assertEqual(info["list"]["view"], LVS_SMALLICON)
        self.assertTrue(info["status"]["visible"])
        self.assertEqual(tuple(info["rect"]), normal)
        self.close_and_wait()


if __name__ == "__main__":
    harness.main()
