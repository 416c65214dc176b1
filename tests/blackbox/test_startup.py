"""Starting the program: the first start, a start with a stored window
placement, and a start with a D88 file named on the command line."""

import re
import time

import harness

NEW_TITLE = "新規ﾃﾞｨｽｸｲﾒｰｼﾞ - Orvanel"
NEW_TITLE_BYTES = bytes([0x90, 0x56, 0x8B, 0x4B, 0xC3, 0xDE, 0xA8, 0xBD, 0xB8, 0xB2,
                         0xD2, 0xB0, 0xBC, 0xDE]) + b" - Orvanel"
MENU_BAR = ["ﾌｧｲﾙ(&F)", "ﾃﾞｨｽｸ(&D)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"]


class StartupTest(harness.OrvanelTestCase):

    def test_first_start_shows_the_new_document_and_writes_default_settings(self):
        self.assertFalse(harness.os.path.exists(self.ini))
        self.start()
        raw = self.info_raw()
        self.assertEqual(harness.decode_bytes(raw["title"]), NEW_TITLE_BYTES)
        info = harness.decode_tree(raw)
        self.assertEqual(info["title"], NEW_TITLE)
        self.assertEqual(harness.cp932(NEW_TITLE), NEW_TITLE_BYTES)
        self.assertTrue(info["has_menu"])
        self.assertEqual(self.menu_bar(info), MENU_BAR)

        # One third of the full-screen client area, status bar shown, large icons.
        metrics = info["metrics"]
        left, top, right, bottom = info["rect"]
        self.assertEqual(right - left, metrics["cxfullscreen"] // 3)
        self.assertEqual(bottom - top, metrics["cyfullscreen"] // 3)
        self.assertIsNotNone(info["list"])
        self.assertEqual(info["list"]["view"], 0)
        self.assertEqual(info["list"]["count"], 0)
        self.assertTrue(info["status"]["visible"])

        # Close it the way a person does: Alt+F4 in the focused window.
        self.screenshot()
        self.key(NEW_TITLE, "alt+F4")
        if not self.wait_exit():
            self.kill()
            self.fail("Alt+F4 did not end the program")

        ini = harness.read_ini(self.ini)
        self.assertIsNotNone(ini, "no settings file was written beside the exe")
        self.assertEqual(ini["File"]["LastDir"], ".")
        position = ini["Settings"]["Position"]
        self.assertRegex(position, r"^[0-9A-F]{90}$")
        placement = harness.decode_struct(position)
        self.assertIsNotNone(placement, "checksum of Position")
        self.assertEqual(harness.parse_placement(placement)["length"], 44)
        self.assertEqual(ini["Settings"]["Flags"], "4096")

    def test_start_with_a_stored_placement_restores_it(self):
        normal = (100, 80, 600, 480)
        position = harness.encode_struct(harness.window_placement(normal, show=1))
        self.assertEqual(len(position), 90)
        self.write_ini("[File]\nLastDir=.\n[Settings]\nPosition=%s\nFlags=4096\n" % position)
        info = self.start()
        self.assertEqual(tuple(info["placement"]["normal"]), normal)
        self.assertEqual(info["placement"]["show"], 1)
        self.assertEqual(tuple(info["rect"]), normal)
        self.assertEqual(self.close_and_wait(), 0)

        # Written back as it was.
        stored = harness.decode_struct(harness.read_ini(self.ini)["Settings"]["Position"])
        self.assertEqual(harness.parse_placement(stored)["normal"], normal)

    def test_a_d88_file_on_the_command_line_is_listed(self):
        data = harness.d88_image("GAME A", 1000) + harness.d88_image("GAME B", 688)
        self.assertEqual(len(data), 1688)
        path = self.write_file("two.d88", data)
        self.start(harness.to_windows_path(path))
        title = "two.d88 - Orvanel"
        info = self.wait_for(lambda i: i["title"] == title and i["list"]["count"] == 2,
                             what="the title %r and two items" % title)
        items = info["list"]["items"]
        self.assertEqual(items[0]["texts"], ["GAME A", "No", "2D", "1000Bytes"])
        self.assertEqual(items[1]["texts"], ["GAME B", "No", "2D", "688Bytes"])
        self.assertEqual([i["image"] for i in items], [0, 0])
        self.assertFalse(any(i["selected"] for i in items))

        # A click on the first item selects it alone.
        self.activate(title)
        self.click(*self.center(items[0]["icon"] if items[0]["icon"][2] > items[0]["icon"][0]
                                else items[0]["bounds"]))
        info = self.wait_for(lambda i: i["list"]["items"][0]["selected"], what="the first item selected")
        self.assertFalse(info["list"]["items"][1]["selected"])

        # Ctrl+Q (File > Exit) ends the program: nothing was changed, so no question.
        self.screenshot()
        self.key(title, "ctrl+q")
        if not self.wait_exit():
            self.fail("Ctrl+Q did not end the program; state: %s" % self.info())
        self.assertEqual(self.process.returncode, 0)


if __name__ == "__main__":
    harness.main()
