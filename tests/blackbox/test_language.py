"""The program on a system of another language: started with LANG=en_US.UTF-8
(Wine's code page is then 1252, as on an English, French or German Windows)
and again with ja_JP.UTF-8, every text it sets reads as its Japanese text
(read back through the wide-character messages by the probe), a container
in a folder named in Greek and Japanese opens, saves and extracts, and a
disk renamed to a Japanese name stores that name's CP932 bytes."""

import os
import subprocess

import harness

FOLDER = "ΕΛΛΗΝΙΚΑ 日本語"
COLUMNS = ["ﾃﾞｨｽｸ", "ﾌﾟﾛﾃｸﾄ", "ﾒﾃﾞｨｱ", "ｻｲｽﾞ"]
OVERWRITE = "%s\n同じ名前のﾌｧｲﾙがすでに存在します.上書きしますか?"
NO = 7


class EnglishSystemTest(harness.OrvanelTestCase):
    LOCALE = "en_US.UTF-8"

    def setUp(self):
        super().setUp()
        self.env["LANG"] = self.env["LC_ALL"] = self.LOCALE

    def test_japanese_texts_and_a_folder_named_in_greek_and_japanese(self):
        folder = self.path(FOLDER)
        out = os.path.join(folder, "出力")
        os.makedirs(out)
        images = [harness.d88_image("DISK A", 688), harness.d88_image("ｹﾞｰﾑ", 1000, fill=0x47)]
        game = os.path.join(folder, "GAME.d88")
        with open(game, "wb") as f:
            f.write(b"".join(images))
        self.start(harness.to_windows_path(game))
        info = self.wait_for(lambda i: i["list"]["count"] == 2, what="two disks listed")
        self.assertEqual(info["title"], "GAME.d88 - Orvanel")
        self.assertEqual([c["text"] for c in info["list"]["columns"]], COLUMNS)
        self.assertEqual([i["texts"][0] for i in info["list"]["items"]], ["DISK A", "ｹﾞｰﾑ"])
        self.activate(info["title"])

        # The status text of one selected disk, and a Japanese name pasted
        # into the label editor.
        self.select_items([1])
        self.wait_for(lambda i: i["status"]["text"] == "1 個のｲﾒｰｼﾞを選択    2D(1000Bytes) ",
                      what="the status text of one disk")
        self.keys("ctrl+r")
        self.wait_for(lambda i: i["list"]["editing"] == "ｹﾞｰﾑ", what="the editor on the disk")
        self.probe("clipboard", "hex:" + harness.cp932("東京").hex())
        self.xdotool("key", "ctrl+v", "Return")
        self.wait_for(lambda i: i["list"]["items"][1]["texts"][0] == "東京", what="the new name")
        renamed = images[1][:0] + harness.cp932("東京") + b"\0" + images[1][5:]
        self.save_with_ctrl_s(game, images[0] + renamed)

        # Extracted into a folder of the Greek one, twice: the second time
        # asks before it replaces the file, in Japanese.
        target = os.path.join(out, "GAME 東京.D88")
        for run in range(2):
            self.key(info["title"], "ctrl+e")
            self.choose_folder(out)
            if run == 1:
                box = self.message_box()
                self.assertEqual(box["text"], OVERWRITE % harness.to_windows_path(target))
                self.answer(NO)
            self.wait_file(target, renamed)
        self.close_and_wait()

        # d88.exe takes its arguments from the wide command line and writes
        # UTF-8: the path reaches it whole, and so does the name it lists; a
        # folder's names are read whole as it walks them.
        self.assertIn("    1         688  東京", self.d88("list", harness.to_windows_path(game)))
        dupes = self.d88("dupes", harness.to_windows_path(folder))
        self.assertIn("\\GAME.d88@1  東京\n", dupes)
        self.assertIn("\\出力\\GAME 東京.D88@0  東京\n", dupes)

    def d88(self, *args):
        with open(self.path("d88.log"), "wb") as log:
            done = subprocess.run(["wine", harness.CONFIG["d88"]] + list(args), env=self.env,
                                  stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                                  timeout=60)
        with open(self.path("d88.log"), "rb") as log:
            text = log.read().decode("utf-8", errors="replace")
        self.assertEqual(done.returncode, 0, text)
        return text.replace("\r\n", "\n")


class JapaneseSystemTest(EnglishSystemTest):
    LOCALE = "ja_JP.UTF-8"


if __name__ == "__main__":
    harness.main()
