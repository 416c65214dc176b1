"""Bad inputs on the real program: files that are empty, random, cut short
or too large, sizes at and around the header's, a folder to open, a
read-only or full target, paths at the length limit, double-byte names
whose second byte is a backslash, and disk names that cannot be file names.
Each case records the message boxes it got (caption, text, icon, buttons)
and proves that nothing was lost: the files on disk are unchanged byte for
byte and the window shows the document it showed before.

With ORVANEL_BAD_INPUT_TABLE=<file> the observations are written to that
file as a Markdown table (scripts/bad-inputs.sh makes docs/bad-inputs.md)."""

import os
import random
import shutil
import subprocess
import time

import harness

CUT_SHORT = ("%d番目のﾃﾞｨｽｸｲﾒｰｼﾞ｢%s｣は%dﾊﾞｲﾄですが,ﾌｧｲﾙにはそのうち%dﾊﾞｲﾄしかありません.\n"
             "このﾃﾞｨｽｸの後ろにほかのﾃﾞｨｽｸを置いて保存することはできません:\n")
WALK_STOPPED = ("%s\nにはｻｲｽﾞが0のﾃﾞｨｽｸｲﾒｰｼﾞがあります.\n"
                "そこから後ろは一覧に表示されず,保存すると失われます.")
APP = "Orvanel"
NEW_TITLE = "新規ﾃﾞｨｽｸｲﾒｰｼﾞ - Orvanel"
CANNOT_OPEN = "ﾌｧｲﾙがｵｰﾌﾟﾝできません:\n%s"
NO_MEMORY = "ﾒﾓﾘが確保できません."
WRITE_FAILED = "ﾌｧｲﾙの書き込みに失敗しました:\n%s"
NOT_D88 = "%s\nはD88(88D)ﾌｧｲﾙではありません.開きますか?"
FILE_CHECK = "ﾌｧｲﾙの確認"
OVERWRITE_CAPTION = "ﾌｧｲﾙ上書きの確認"
OVERWRITE_QUESTION = "%s\n同じ名前のﾌｧｲﾙがすでに存在します.上書きしますか?"
SAVE_CAPTION = "ﾌｧｲﾙ保存の確認"
SAVE_QUESTION = "%s\nは更新されています.保存しますか?"
BACKUPS_ON = "[Settings]\nFlags=-2147479552\n"  # backups, status bar, large icons

IDM_OPEN, IDM_SAVE, IDM_SAVEAS, IDM_NEWDISK, IDM_ADDDISK = 102, 103, 104, 201, 202
OK, YES, NO, ALL_YES = 1, 6, 7, 101

GOOD = harness.d88_image("GOOD A", 1000, fill=0x11) + harness.d88_image("GOOD B", 688)


def header_with_size(size, length=688, name="HEAD"):
    """A file of `length` bytes whose first header gives this diskSize."""
    return (harness.d88_header(name, size) + bytes(max(0, length - 688)))[:length]


def warning(text):
    return (APP, text, "warning", ["OK"], OK)


# Opens through File > Open, one after another in one run that starts with
# GOOD.d88: (key, input, file name, bytes). A file that fails to open leaves
# GOOD.d88 in the window; one that opens is saved again with Save As, which
# must write back what the walk over its sizes lists.
OPENED = [
    ("empty", "an empty file (0 bytes)", "EMPTY.d88", b""),
    ("5gib", "a sparse file of 5 GiB", "HUGE.d88", None),
    ("random", "4096 random bytes", "RANDOM.d88", random.Random(88).randbytes(4096)),
    ("size0", "diskSize 0, then a blank disk", "SIZE0.d88",
     header_with_size(0) + harness.d88_image("AFTER", 688)),
    ("size1", "diskSize 1 (688-byte file)", "SIZE1.d88", header_with_size(1)),
    ("size687", "diskSize 687 (688-byte file)", "SIZE687.d88", header_with_size(687)),
    ("size688", "diskSize 688 (688-byte file)", "SIZE688.d88", header_with_size(688)),
    ("sizemax", "diskSize 0xFFFFFFFF (688-byte file)", "SIZEMAX.d88", header_with_size(0xFFFFFFFF)),
    ("cut20", "a header cut short: 20 bytes, before diskSize", "CUT20.d88", header_with_size(688, 20)),
    ("cut400", "a header cut short: 400 bytes, diskSize 688", "CUT400.d88", header_with_size(688, 400)),
    ("cut2000", "a file shorter than its diskSize: 2000 of 5000 bytes", "CUT2000.d88",
     harness.d88_image("SHORT", 5000, fill=0x22)[:2000]),
]
FAILS_TO_OPEN = {"5gib": NO_MEMORY}

# The order of the table.
ROWS = [(key, text) for key, text, _, _ in OPENED] + [
    ("folder", "a folder given as the file to open (command line)"),
    ("open259", "a path of 259 bytes, opened from the command line"),
    ("saveas259", "a path of 259 bytes as the Save As target"),
    ("saveas260", "a path of 260 bytes as the Save As target"),
    ("open260", "a path of 260 bytes, opened from the command line"),
    ("readonly", "a read-only file as the target of Save"),
    ("fullsave", "a full disk (tmpfs of 256 KiB) during Save over an existing file"),
    ("fullextract", "a full disk (tmpfs of 256 KiB) during Extract"),
    ("dbcsextract", "folder, document and disk names with 表 and ソ (second byte 0x5C): Extract with backups"),
    ("dbcssave", "the same document saved with backups"),
] + [("bad" + c, "a disk name with '%s' extracted" % c) for c in "|>*?"]

OBSERVED = {}


def walk(data):
    """(offset, diskSize) of the images the program lists: sizes followed
    from 0, header bytes past the end read as 0, a size of 0 ends the walk."""
    items, p = [], 0
    while p < len(data):
        size = int.from_bytes(data[p:p + 32].ljust(32, b"\0")[28:32], "little")
        items.append((p, size))
        if size == 0:
            break
        p += size
    return items


def saved(data):
    """What saving the listed images writes: each one's diskSize bytes, cut
    at the end of the data."""
    return b"".join(data[p:p + min(size, len(data) - p)] for p, size in walk(data))


def size_text(size):
    return "%dBytes" % size if size < 1024 else "%dKB" % (size >> 10)


def mount_tmpfs(test, folder):
    """A 256 KiB tmpfs at folder; skips the test when mounting is refused."""
    os.mkdir(folder)
    done = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", folder],
                          capture_output=True, timeout=30)
    if done.returncode != 0:
        test.skip_rows(["fullsave", "fullextract"], "mounting a tmpfs was refused (%s)"
                       % done.stderr.decode(errors="replace").strip())
    # After the program has ended (cleanups run after tearDown's close, last
    # added first): unmount, lazily as Wine may still watch the folder, then
    # remove the test's folder, which tearDown could not while it was mounted.
    test.addCleanup(shutil.rmtree, test.dir, True)
    test.addCleanup(subprocess.run, ["umount", "-l", folder], capture_output=True, timeout=30)


def long_path(test, total, name_char):
    """A file path (Unix) whose Windows form is exactly `total` bytes long."""
    folder = os.path.join(test.dir, "P" * 150)
    os.makedirs(folder, exist_ok=True)
    room = total - len(harness.to_windows_path(folder)) - 1 - len(".d88")
    path = os.path.join(folder, name_char * room + ".d88")
    assert len(harness.to_windows_path(path)) == total
    return path


class BadInputTest(harness.OrvanelTestCase):

    # -- recording ----------------------------------------------------------

    def record(self, key, boxes=None, proof=None):
        row = OBSERVED.setdefault(key, {"boxes": [], "proof": None})
        if boxes:
            row["boxes"].extend(boxes)
        if proof:
            row["proof"] = proof
        row["dir"] = harness.to_windows_path(self.dir)

    def skip_rows(self, keys, reason):
        for key in keys:
            OBSERVED[key] = {"boxes": [], "proof": None, "skipped": reason}
        self.skipTest(reason)

    def answer_boxes(self, key, expected):
        """Reads the message boxes in turn, records them, checks them against
        (caption, text, icon, buttons, answer) and answers them."""
        for caption, text, icon, buttons, answer in expected:
            box = self.message_box()
            self.record(key, [box])
            self.assertEqual((box["caption"], box["text"], box["icon"], box["buttons"]),
                             (caption, text, icon, buttons), key)
            self.assertTrue(box["owned_by_main"], key)
            self.click_dialog_button(answer)
            self.probe("waitnodialog", "5000", check=False)

    def expect(self, key, *expected):
        """These message boxes and then no other dialog: once the last is
        answered, the window goes on to take keys with no dialog open."""
        self.answer_boxes(key, expected)
        self.handled()
        info = self.info()
        self.assertEqual(info["dialogs"], [], "%s: a dialog is open" % key)

    def files(self, skip=()):
        return self.snapshot(self.dir, skip=("wine.log", "orvanel.ini", *skip))

    def assert_files(self, before, skip=(), key=""):
        self.assertEqual(self.files(skip), before, "%s: the files on disk changed" % key)

    def close_expecting_save_question(self, key, title):
        """Closes a modified document: the save question comes, No ends it."""
        self.close_window()
        self.answer_boxes(key, [(SAVE_CAPTION, SAVE_QUESTION % title, "warning", ["Yes", "No", "Cancel"], NO)])
        if not self.wait_exit():
            self.fail("%s: the program did not end" % key)

    def close_quietly(self, key):
        self.screenshot()
        self.close_window()
        if not self.wait_exit():
            info = self.info()
            self.kill()
            self.fail("%s: closing asked something (the document counts as modified): %s"
                      % (key, info["dialogs"]))

    def open_by_dialog(self, path):
        self.probe("command", str(IDM_OPEN))
        self.choose_file(path)

    def save_as(self, path):
        self.probe("command", str(IDM_SAVEAS))
        self.choose_file(path)

    def extract(self, indexes, folder):
        info = self.select_items(indexes)
        self.key(info["title"], "ctrl+e")
        self.choose_folder(folder)

    # -- the cases ------------------------------------------------------------

    def test_opening_bad_files_through_file_open(self):
        good = self.write_file("GOOD.d88", GOOD)
        for key, _, name, data in OPENED:
            if data is None:
                subprocess.run(["truncate", "-s", "5G", self.path(name)], check=True)
            else:
                self.write_file(name, data)
        self.start(harness.to_windows_path(good))
        shown = self.wait_for(lambda i: i["list"]["count"] == 2, what="GOOD.d88 listed")
        for key, _, name, data in OPENED:
            with self.subTest(key):
                before = self.files()
                document = self.document_of(self.info())
                self.open_by_dialog(self.path(name))
                if key in FAILS_TO_OPEN:
                    self.expect(key, warning(FAILS_TO_OPEN[key]))
                    self.assertEqual(self.document_of(self.info()), document, key)
                    self.assert_files(before, key=key)
                    self.record(key, proof="file unchanged; the window still shows %s (%d disks)"
                                % (document[0], len(document[1])))
                    continue
                items = walk(data)
                info = self.wait_for(lambda i: i["title"] == name + " - Orvanel", what=name + " opened")
                if items and items[-1][1] == 0:
                    # The walk ended at a zero-size image: what follows is not
                    # part of the document, and the user is told so.
                    self.expect(key, warning(WALK_STOPPED % name))
                elif items and sum(items[-1]) > len(data):
                    # The last image holds fewer bytes than it claims: the
                    # user is told which (by the name the list shows) and
                    # by how much.
                    self.message_box()
                    (p, size), shown = items[-1], self.info()["list"]["items"][-1]["texts"][0]
                    self.expect(key, warning(CUT_SHORT % (len(items), shown, size, len(data) - p) + name))
                else:
                    self.expect(key)
                info = self.info()
                self.assertEqual([t[3] for t in self.document_of(info)[1]],
                                 [size_text(s) for _, s in items], key)
                self.assert_files(before, key=key)
                # Save As writes back what is listed, nothing more.
                copy = self.path("SAVED-" + name)
                self.save_as(copy)
                self.wait_for(lambda i: i["title"] == "SAVED-" + name + " - Orvanel", what="saved as")
                self.expect(key)
                with open(copy, "rb") as f:
                    written = f.read()
                self.assertEqual(written, saved(data), key)
                os.remove(copy)
                self.assert_files(before, key=key)
                sizes = ", ".join(size_text(s) for _, s in items)
                note = "the same bytes" if written == data else \
                    "%d of its %d bytes (the walk takes diskSize at its word)" % (len(written), len(data))
                self.record(key, proof="file unchanged; opened as %d disk%s (%s); Save As writes %s"
                            % (len(items), "" if len(items) == 1 else "s", sizes, note))
        self.close_quietly("opened")

    def test_a_folder_given_on_the_command_line(self):
        os.mkdir(self.path("FOLDER"))
        before = self.files()
        self.start(harness.to_windows_path(self.path("FOLDER")))
        self.expect("folder", (FILE_CHECK, NOT_D88 % "FOLDER", "information", ["Yes", "No"], YES),
                    warning(CANNOT_OPEN % "FOLDER"))
        self.assertEqual(self.document_of(self.info()), (NEW_TITLE, []))
        self.assert_files(before)
        self.record("folder", proof="folder unchanged; the window keeps the empty new document")
        self.close_quietly("folder")

    def test_paths_of_259_bytes_open_and_save(self):
        source = long_path(self, 259, "N")
        with open(source, "wb") as f:
            f.write(GOOD)
        before = self.files()
        self.start(harness.to_windows_path(source))
        name = os.path.basename(source)
        self.wait_for(lambda i: i["title"] == name + " - Orvanel" and i["list"]["count"] == 2,
                      what="the 259-byte path opened")
        self.expect("open259")
        self.assert_files(before)
        self.record("open259", proof="file unchanged; opened, titled with its %d-byte name" % len(name))

        target = long_path(self, 259, "M")
        self.save_as(target)
        self.wait_for(lambda i: i["title"] == os.path.basename(target) + " - Orvanel", what="saved as")
        self.expect("saveas259")
        with open(target, "rb") as f:
            self.assertEqual(f.read(), GOOD)
        self.assert_files(before, skip=(os.path.relpath(target, self.dir),))
        self.record("saveas259", proof="written byte for byte; the source unchanged")

        before = self.files()
        document = self.document_of(self.info())
        too_long = long_path(self, 260, "L")
        self.save_as(too_long)
        self.expect("saveas260")
        self.assertEqual(self.document_of(self.info()), document)
        self.assertFalse(os.path.exists(too_long))
        self.assert_files(before)
        self.record("saveas260", proof="nothing written (the Save As dialog gives back no name that does not fit "
                    "its 260-byte buffer); the document keeps its name")
        self.close_quietly("saveas260")

    def test_a_path_of_260_bytes_on_the_command_line(self):
        source = long_path(self, 260, "N")
        with open(source, "wb") as f:
            f.write(GOOD)
        before = self.files()
        self.start(harness.to_windows_path(source))
        self.expect("open260")
        self.assertEqual(self.document_of(self.info()), (NEW_TITLE, []))
        self.assert_files(before)
        self.record("open260", proof="file unchanged; the window keeps the empty new document "
                    "(the command line is cut to 259 bytes, which name no file)")
        self.close_quietly("open260")

    def test_save_to_a_read_only_file(self):
        target = self.write_file("RO.d88", GOOD)
        os.chmod(target, 0o444)
        self.start(harness.to_windows_path(target))
        self.wait_for(lambda i: i["list"]["count"] == 2, what="RO.d88 listed")
        self.probe("command", str(IDM_NEWDISK))
        document = self.document_of(self.wait_for(lambda i: i["list"]["count"] == 3, what="a new disk"))
        before = self.files()
        self.probe("command", str(IDM_SAVE))
        self.expect("readonly", warning(CANNOT_OPEN % harness.to_windows_path(target)))
        self.assertEqual(self.document_of(self.info()), document)
        self.assert_files(before)
        self.record("readonly", proof="file unchanged; the window keeps the changed document, "
                    "and closing still asks to save it")
        self.close_expecting_save_question("readonly", "RO.d88")

    def test_save_on_a_full_disk(self):
        full = self.path("full")
        mount_tmpfs(self, full)
        old = harness.d88_image("OLD", 100 * 1024, fill=0x33)
        target = os.path.join(full, "OLD.d88")
        with open(target, "wb") as f:
            f.write(old)
        big = self.write_file("BIG.d88", harness.d88_image("BIG", 200 * 1024, fill=0x44))
        self.start(harness.to_windows_path(target))
        self.wait_for(lambda i: i["list"]["count"] == 1, what="OLD.d88 listed")
        self.probe("command", str(IDM_ADDDISK))
        self.choose_file(big)
        document = self.document_of(self.wait_for(lambda i: i["list"]["count"] == 2, what="BIG added"))
        before = self.files()
        self.probe("command", str(IDM_SAVE))
        self.expect("fullsave", warning(WRITE_FAILED % harness.to_windows_path(target)))
        self.assertEqual(self.document_of(self.info()), document)
        self.assert_files(before)
        self.assertEqual(os.listdir(full), ["OLD.d88"])
        self.record("fullsave", proof="the old file unchanged, no partial file left; the window keeps "
                    "the changed document, and closing still asks to save it")
        self.close_expecting_save_question("fullsave", "OLD.d88")

    def test_extract_on_a_full_disk(self):
        full = self.path("full")
        mount_tmpfs(self, full)
        game = self.write_file("GAME.d88", harness.d88_image("BIG", 300 * 1024, fill=0x55)
                               + harness.d88_image("SMALL", 700))
        self.start(harness.to_windows_path(game))
        document = self.document_of(self.wait_for(lambda i: i["list"]["count"] == 2, what="listed"))
        before = self.files()
        self.extract([0, 1], full)
        self.expect("fullextract", warning(WRITE_FAILED % harness.to_windows_path(
            os.path.join(full, "GAME BIG.D88"))))
        self.assertEqual(os.listdir(full), [])
        self.assert_files(before)
        self.assertEqual(self.document_of(self.info())[1], document[1])
        self.record("fullextract", proof="no partial file left and the run ended there; the document "
                    "unchanged and not modified (closing asks nothing)")
        self.close_quietly("fullextract")

    def test_double_byte_names_whose_second_byte_is_a_backslash(self):
        self.write_ini(BACKUPS_ON)
        folder = self.path("表ソ")
        out = self.path("出力ソ")
        os.mkdir(folder)
        os.mkdir(out)
        first = harness.d88_image("ソ表", 700, fill=1)
        second = harness.d88_image("表", 900, fill=2)
        source = os.path.join(folder, "表.d88")
        with open(source, "wb") as f:
            f.write(first + second)
        old = harness.d88_image("OLD", 800, fill=3)
        with open(os.path.join(out, "表 ソ表.D88"), "wb") as f:
            f.write(old)
        self.start(harness.to_windows_path(source))
        info = self.wait_for(lambda i: i["title"] == "表.d88 - Orvanel" and i["list"]["count"] == 2,
                             what="表.d88 listed")
        self.assertEqual([t[0] for t in self.document_of(info)[1]], ["ソ表", "表"])
        document = self.document_of(info)

        self.extract([0, 1], out)
        self.expect("dbcsextract", (OVERWRITE_CAPTION, OVERWRITE_QUESTION % harness.to_windows_path(
            os.path.join(out, "表 ソ表.D88")), None, ["Yes", "No", "All yes", "Cancel"], ALL_YES))
        self.assertEqual(sorted(os.listdir(out)), sorted(["表 ソ表.D88", "表 ソ表.bak", "表 表.D88"]))
        for name, data in (("表 ソ表.D88", first), ("表 ソ表.bak", old), ("表 表.D88", second)):
            with open(os.path.join(out, name), "rb") as f:
                self.assertEqual(f.read(), data, name)
        self.assertEqual(self.document_of(self.info()), document)
        self.record("dbcsextract", proof="files named 表 ソ表.D88 and 表 表.D88 hold the disks byte for byte; "
                    "the old 表 ソ表.D88 survives as 表 ソ表.bak")

        # Opened from the command line, which finds the file by its short
        # name (Wine makes one for every name that is not 8.3 ASCII), and
        # through File > Open: the backup is named after the long name.
        blank = harness.d88_header("BlankDisk", 688)
        self.probe("command", str(IDM_NEWDISK))
        self.wait_for(lambda i: i["list"]["count"] == 3, what="a new disk")
        self.probe("command", str(IDM_SAVE))
        self.expect("dbcssave")
        self.assertEqual(sorted(os.listdir(folder)), ["表.bak", "表.d88"])
        with open(os.path.join(folder, "表.bak"), "rb") as f:
            self.assertEqual(f.read(), first + second)
        with open(source, "rb") as f:
            self.assertEqual(f.read(), first + second + blank)
        # Opened through File > Open, the path holds the long name.
        self.open_by_dialog(source)
        self.wait_for(lambda i: i["list"]["count"] == 3, what="表.d88 opened again")
        self.probe("command", str(IDM_NEWDISK))
        self.wait_for(lambda i: i["list"]["count"] == 4, what="a new disk")
        self.probe("command", str(IDM_SAVE))
        self.expect("dbcssave")
        self.assertEqual(sorted(os.listdir(folder)), ["表.bak", "表.d88"])
        with open(os.path.join(folder, "表.bak"), "rb") as f:
            self.assertEqual(f.read(), first + second + blank)
        with open(source, "rb") as f:
            self.assertEqual(f.read(), first + second + blank + blank)
        self.record("dbcssave", proof="each save leaves the old 表.d88 in 表ソ\\表.bak, whether the document "
                    "came from the command line (found by its short name) or through File > Open")
        self.close_quietly("dbcssave")

    def test_disk_names_that_cannot_be_file_names(self):
        names = ["A%sB" % c for c in "|>*?"]
        game = self.write_file("BAD.d88", b"".join(harness.d88_image(n, 700 + i) for i, n in enumerate(names)))
        out = self.path("out")
        os.mkdir(out)
        self.start(harness.to_windows_path(game))
        document = self.document_of(self.wait_for(lambda i: i["list"]["count"] == 4, what="listed"))
        before = self.files()
        for index, name in enumerate(names):
            key = "bad" + name[1]
            with self.subTest(key):
                self.extract([index], out)
                self.expect(key, warning(CANNOT_OPEN % (harness.to_windows_path(out) + "\\BAD %s.D88" % name)))
                self.assertEqual(os.listdir(out), [])
                self.assert_files(before)
                self.assertEqual(self.document_of(self.info())[1], document[1])
                self.record(key, proof="nothing written (no stray file in the folder); the document unchanged")
        self.close_quietly("bad")


def describe(box):
    buttons = "/".join(box["buttons"])
    icon = box["icon"] or "no"
    return '"%s": "%s" (%s icon; %s)' % (box["caption"], box["text"], icon, buttons)


def cell(text, folder):
    if folder:
        text = text.replace(folder, "<test folder>")
    return text.replace("\\n", "\\\\n").replace("\n", "\\n").replace("|", "\\|")


def write_table(path):
    try:
        wine = subprocess.run(["wine", "--version"], capture_output=True, timeout=30,
                              env=harness.wine_env()).stdout.decode().strip()
    except (OSError, subprocess.TimeoutExpired):
        wine = "Wine"
    lines = [
        "# Bad inputs",
        "",
        "What the real orvanel.exe says under Wine to each bad input, and what shows",
        "that nothing was lost. Made by tests/blackbox/test_bad_inputs.py under %s," % wine,
        "which checks every row as it observes it; remake it with `bash scripts/bad-inputs.sh`.",
        "Message texts are quoted as shown; \\n is a line break, <test folder> the",
        "test's temporary folder (Z:\\tmp\\orvanel-bb-...).",
        "",
        "| Input | What the program says | What proves nothing was lost |",
        "|---|---|---|",
    ]
    for key, text in ROWS:
        row = OBSERVED.get(key)
        if not row:
            says, proof = "not run", "not run"
        elif row.get("skipped"):
            says, proof = "not run: " + row["skipped"], "not run"
        else:
            says = " then ".join(describe(b) for b in row["boxes"]) or "nothing"
            proof = row["proof"] or "FAILED: the checks did not pass"
        folder = row and row.get("dir")
        lines.append("| %s | %s | %s |" % (cell(text, None), cell(says, folder), cell(proof, folder)))
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def tearDownModule():
    path = os.environ.get("ORVANEL_BAD_INPUT_TABLE")
    if path:
        write_table(path)


if __name__ == "__main__":
    harness.main()
