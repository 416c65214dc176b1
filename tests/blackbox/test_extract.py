"""Disk > Extract on the real program: selected disks through Ctrl+E and the
folder browser to files of their own, byte for byte and readable by MAME's
floptool; the overwrite question answered with All yes; backup copies of
the old targets; and a document that stays unmodified."""

import os
import shutil
import subprocess
import time

import harness

OVERWRITE_CAPTION = "ﾌｧｲﾙ上書きの確認"
OVERWRITE_QUESTION = "%s\n同じ名前のﾌｧｲﾙがすでに存在します.上書きしますか?"
ALL_YES = 101  # the prompt's All yes button
BACKUPS_ON = "[Settings]\nFlags=-2147479552\n"  # backups, status bar, large icons


def formatted_image(name, sectors=16):
    """A 2DD image with one track of 256-byte sectors, as a real disk has."""
    header = bytearray(harness.d88_header(name, 688 + sectors * (16 + 256), media_type=0x10))
    header[32:36] = (688).to_bytes(4, "little")  # track 0 follows the header
    track = b"".join(bytes([0, 0, s + 1, 1]) + sectors.to_bytes(2, "little") + bytes(8)
                     + (256).to_bytes(2, "little") + bytes([0xE5]) * 256 for s in range(sectors))
    return bytes(header) + track


IMAGES = [
    harness.d88_image("DISK A", 688),
    harness.d88_image("DISK B", 5000, write_protect=0x10, fill=0xE5),
    formatted_image("DISK C"),
    harness.d88_image("DISK D", 1200, media_type=0x20, fill=0x40),
]


class ExtractTest(harness.OrvanelTestCase):

    def open_game(self):
        """GAME.d88 with the four images, opened from the command line; an
        empty output folder."""
        self.out = self.path("out")
        os.mkdir(self.out)
        game = self.write_file("GAME.d88", b"".join(IMAGES))
        self.start(harness.to_windows_path(game))
        return self.wait_for(lambda i: i["list"]["count"] == len(IMAGES), what="four disks listed")

    def target(self, disk):
        return os.path.join(self.out, "GAME %s.D88" % disk)

    def extract(self, indexes):
        info = self.select_items(indexes)
        self.key(info["title"], "ctrl+e")
        self.choose_folder(self.out)

    def wait_files(self, names, timeout=10):
        deadline = time.monotonic() + timeout
        while sorted(os.listdir(self.out)) != sorted(names):
            if time.monotonic() >= deadline:
                self.fail("the output folder holds %s, not %s" % (sorted(os.listdir(self.out)), sorted(names)))
            time.sleep(0.2)
        # The run is over once the window takes messages again.
        self.wait_for(lambda i: i["responding"] and not i["dialogs"], what="the run to end")

    def assert_unmodified_and_close(self, document):
        """The document shows as before, and closing asks nothing."""
        self.assertEqual(self.document_of(self.info()), document)
        self.screenshot()
        self.close_window()
        if not self.wait_exit():
            info = self.info()
            self.kill()
            self.fail("closing asked something: extraction marked the document modified; %s" % info["dialogs"])
        self.assertEqual(self.process.returncode, 0)

    def test_selected_disks_become_files_of_their_own_that_floptool_reads(self):
        info = self.open_game()
        document = self.document_of(info)
        self.extract([0, 1, 2])
        names = ["GAME DISK A.D88", "GAME DISK B.D88", "GAME DISK C.D88"]
        self.wait_files(names)
        for index, disk in enumerate(["DISK A", "DISK B", "DISK C"]):
            with open(self.target(disk), "rb") as f:
                self.assertEqual(f.read(), IMAGES[index], disk)

        floptool = shutil.which("floptool")
        if floptool:
            for disk in ["DISK A", "DISK B", "DISK C"]:
                done = subprocess.run([floptool, "identify", self.target(disk)], capture_output=True, timeout=60)
                self.assertIn(b"d88 D88 disk image", done.stdout, disk)

        self.assert_unmodified_and_close(document)
        # The chosen folder is the next start's folder.
        self.assertEqual(harness.read_ini(self.ini)["File"]["LastDir"].lower(),
                         harness.to_windows_path(self.out).lower())
        if not floptool:
            self.skipTest("floptool (mame-tools) is not installed: the files were not read by it")

    def test_all_yes_overwrites_every_later_target_and_backups_keep_the_old_ones(self):
        self.write_ini(BACKUPS_ON)
        info = self.open_game()
        document = self.document_of(info)
        old_b = harness.d88_image("OLD B", 900, fill=1)
        old_d = harness.d88_image("OLD D", 700, fill=2)
        for disk, data in (("DISK B", old_b), ("DISK D", old_d)):
            with open(self.target(disk), "wb") as f:
                f.write(data)

        self.extract([0, 1, 3])
        box = self.message_box()
        self.assertEqual(box["caption"], OVERWRITE_CAPTION)
        self.assertEqual(box["text"], OVERWRITE_QUESTION % harness.to_windows_path(self.target("DISK B")))
        self.assertEqual(box["buttons"], ["Yes", "No", "All yes", "Cancel"])
        self.screenshot("_question")
        self.answer(ALL_YES)

        # No second question: DISK D is replaced without one.
        self.wait_files(["GAME DISK A.D88", "GAME DISK B.D88", "GAME DISK B.bak",
                         "GAME DISK D.D88", "GAME DISK D.bak"])
        for index, disk in ((0, "DISK A"), (1, "DISK B"), (3, "DISK D")):
            with open(self.target(disk), "rb") as f:
                self.assertEqual(f.read(), IMAGES[index], disk)
        for disk, data in (("DISK B", old_b), ("DISK D", old_d)):
            with open(os.path.join(self.out, "GAME %s.bak" % disk), "rb") as f:
                self.assertEqual(f.read(), data, "the old %s survives as its backup" % disk)
        self.assert_unmodified_and_close(document)

    def test_ctrl_e_then_enter_extracts_into_a_deep_last_dir_run_after_run(self):
        # The file lives four folders down, so its folder is LastDir.
        deep = self.path(os.path.join("Ebene1", "Ebene2", "Ebene3", "Ebene4"))
        os.makedirs(deep)
        game = os.path.join(deep, "GAME.d88")
        with open(game, "wb") as f:
            f.write(b"".join(IMAGES))
        self.start(harness.to_windows_path(game))
        info = self.wait_for(lambda i: i["list"]["count"] == len(IMAGES), what="four disks listed")
        self.select_items([1, 3])
        names = ["GAME DISK B.D88", "GAME DISK D.D88"]
        for run in range(5):
            self.key(info["title"], "ctrl+e")
            self.wait_browser_at(deep, "run %d" % (run + 1))
            self.keys("Return")
            deadline = time.monotonic() + 10
            while sorted(os.listdir(deep)) != sorted(names + ["GAME.d88"]):
                if time.monotonic() >= deadline:
                    self.fail("run %d: the folder holds %s" % (run + 1, sorted(os.listdir(deep))))
                time.sleep(0.2)
            self.wait_for(lambda i: i["responding"] and not i["dialogs"], what="run %d to end" % (run + 1))
            with open(os.path.join(deep, "GAME DISK D.D88"), "rb") as f:
                self.assertEqual(f.read(), IMAGES[3])
            for name in names:
                os.remove(os.path.join(deep, name))
        self.close_and_wait()
        self.assertEqual(harness.read_ini(self.ini)["File"]["LastDir"].lower(),
                         harness.to_windows_path(deep).lower())

    def test_ctrl_e_then_enter_extracts_into_a_drive_root(self):
        # A file in the root of drive C: of the prefix: LastDir is "C:" alone.
        root = os.path.join(self.env["WINEPREFIX"], "drive_c")
        title = "ROOT%d" % os.getpid()
        game = os.path.join(root, title + ".d88")
        written = os.path.join(root, title + " DISK C.D88")
        with open(game, "wb") as f:
            f.write(b"".join(IMAGES))
        try:
            self.start("C:\\%s.d88" % title)
            info = self.wait_for(lambda i: i["list"]["count"] == len(IMAGES), what="four disks listed")
            self.select_items([2])
            self.key(info["title"], "ctrl+e")
            self.wait_browser_at(root, "the drive root", shown="C:\\")
            self.keys("Return")
            deadline = time.monotonic() + 10
            while not os.path.exists(written):
                if time.monotonic() >= deadline:
                    self.fail("nothing was written to C:\\; the browser shows %s" % self.info()["dialogs"])
                time.sleep(0.2)
            self.wait_for(lambda i: i["responding"] and not i["dialogs"], what="the run to end")
            with open(written, "rb") as f:
                self.assertEqual(f.read(), IMAGES[2])
            self.close_and_wait()
        finally:
            for path in (game, written):
                if os.path.exists(path):
                    os.remove(path)

    def test_enter_takes_no_folder_while_the_start_folder_cannot_show(self):
        # LastDir names a folder that is gone by the time Ctrl+E is pressed.
        gone = self.path("gone")
        os.mkdir(gone)
        title = "GONE%d" % os.getpid()
        game = os.path.join(gone, title + ".d88")
        with open(game, "wb") as f:
            f.write(b"".join(IMAGES))
        self.start(harness.to_windows_path(game))
        info = self.wait_for(lambda i: i["list"]["count"] == len(IMAGES), what="four disks listed")
        shutil.rmtree(gone)
        self.select_items([0])
        self.key(info["title"], "ctrl+e")
        self.wait_dialog()
        # Enter is no OK while nothing is chosen; Esc then closes the browser.
        self.keys("Return", "Escape")
        self.wait_for(lambda i: i["responding"] and not i["dialogs"], what="the browser closed")
        desktops = [os.path.join(users, name, "Desktop")
                    for users in [os.path.join(self.env["WINEPREFIX"], "drive_c", "users")]
                    for name in os.listdir(users)]
        stray = [os.path.join(d, title + " DISK A.D88") for d in desktops]
        written = [p for p in stray if os.path.exists(p)]
        for path in written:
            os.remove(path)
        self.assertEqual(written, [], "Enter extracted into a folder nobody chose")
        self.assertEqual(self.snapshot(self.dir, skip=("orvanel.exe", "wine.log")), {})
        self.close_and_wait()


if __name__ == "__main__":
    harness.main()
