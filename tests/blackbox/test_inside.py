"""The files window and the check window on the real program, from the
keyboard alone: Enter on a FAT12 disk lists its files, Ctrl+C copies the
listing, Ctrl+A and Alt+E (抽出) take them all through the folder browser,
where Enter takes LastDir, byte for byte; Alt+D K (検査) on a damaged disk
gives its findings, which Ctrl+C copies, and marks the disk; the file stays
as it was. Under an English and a Japanese system."""

import os
import time

import harness

FILES = {"HELLO.TXT": b"HELLO WORLD\r\n", "DATA.BIN": bytes(range(256)) * 20, "SUB/INNER.TXT": b"inner\r\n"}


class EnglishInsideTest(harness.OrvanelTestCase):
    LOCALE = "en_US.UTF-8"

    def setUp(self):
        super().setUp()
        self.env["LANG"] = self.env["LC_ALL"] = self.LOCALE

    def wait_window(self, caption):
        return self.wait_for(lambda i: caption in [d["caption"] for d in i["dialogs"]], what=caption)

    def wait_clipboard(self, starts):
        deadline = time.monotonic() + 10
        while not (self.clipboard() or "").startswith(starts):
            if time.monotonic() >= deadline:
                self.fail("the clipboard holds %r, not %r..." % (self.clipboard(), starts))
            time.sleep(0.2)
        return self.clipboard()

    def test_files_extracted_and_findings_copied_from_the_keyboard(self):
        damaged = harness.d88_image("BAD", 1000, first_track=5000)  # a track past the end
        container = harness.fat12_image("FAT12", FILES, self.dir) + damaged
        game = self.write_file("GAME.D88", container)
        self.start(harness.to_windows_path(game))
        info = self.wait_for(lambda i: i["list"]["count"] == 2, what="two disks listed")
        self.activate(info["title"])
        self.keys("Home", "Return")
        self.wait_window("ﾌｧｲﾙ一覧 - FAT12")
        self.keys("ctrl+c")
        self.assertEqual(self.wait_clipboard("HELLO.TXT"),
                         "HELLO.TXT\tﾃﾞｰﾀ\t13 ﾊﾞｲﾄ\r\nDATA.BIN\tﾃﾞｰﾀ\t5120 ﾊﾞｲﾄ\r\nSUB\tﾌｫﾙﾀﾞ\t\r\n"
                         "SUB\\INNER.TXT\tﾃﾞｰﾀ\t7 ﾊﾞｲﾄ\r\n")
        self.keys("ctrl+a")
        self.screenshot("_files")
        self.keys("alt+e")
        self.wait_browser_at(self.dir, "the files' extraction")
        self.keys("Return")
        for path, data in FILES.items():
            self.wait_file(self.path(path), data)
        self.keys("Escape")
        self.wait_for(lambda i: not i["dialogs"], what="the files window closed")

        self.keys("End", "alt+d", "k")
        self.wait_window("検査")
        self.keys("ctrl+c")
        self.assertIn("2: BAD\tｴﾗｰ\ttrack-past-end\t32\t", self.wait_clipboard("2: BAD\t"))
        self.screenshot("_check")
        self.keys("Escape")
        items = self.wait_for(lambda i: not i["dialogs"], what="the check window closed")["list"]["items"]
        self.assertEqual([(item["image"], item["overlay"]) for item in items], [(0, 0), (0, 1)])
        self.assertEqual(self.close_and_wait(), 0, "closing asked something: the document was modified")
        with open(game, "rb") as f:
            self.assertEqual(f.read(), container)


class JapaneseInsideTest(EnglishInsideTest):
    LOCALE = "ja_JP.UTF-8"


if __name__ == "__main__":
    harness.main()
