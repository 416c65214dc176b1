"""Black-box tests of the real orvanel.exe under Wine, driven as a person would.

Each test copies orvanel.exe into a fresh temporary folder (so that the
settings file beside it is the test's own), starts it with wine on the test
display ($DISPLAY), reads what the window shows through the probe program
(winprobe.exe, run under Wine beside it), drives it with xdotool, takes a
screenshot and closes it.

A test file:

    import harness

    class StartupTest(harness.OrvanelTestCase):
        def test_title(self):
            info = self.start()
            self.assertEqual(info["title"], "... - Orvanel")

    if __name__ == "__main__":
        harness.main()

and is run as
    python3 test_x.py --exe build/win32/orvanel.exe --probe build/win32/.../winprobe.exe
        [--screenshots DIR] [unittest arguments]

Texts from the probe come as CP932 bytes; info() decodes them to str (the
"raw" variants keep the bytes). Standard library only.
"""

import argparse
import configparser
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))

# Bounds of every wait, in seconds.
START_TIMEOUT = 30
EXIT_TIMEOUT = 15
PROBE_TIMEOUT = 30

CONFIG = {
    "exe": None,
    "probe": None,
    # The Windows build of the d88 command-line tool, for tests that compare
    # the window's files with its output; None when not given.
    "d88": None,
    "screenshots": os.path.join(REPO, "build", "screenshots"),
}


def wine_env():
    """The environment of scripts/wine-env.sh: Japanese locale, quiet Wine,
    the repository's prefix unless WINEPREFIX is set."""
    env = dict(os.environ)
    env["LANG"] = "ja_JP.UTF-8"
    env["LC_ALL"] = "ja_JP.UTF-8"
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEPREFIX", os.path.join(REPO, "build", "wineprefix"))
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d")
    return env


def to_windows_path(path):
    """A Unix path as Wine's drive Z: shows it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def cp932(text):
    """Text as the program's CP932 bytes."""
    return text.encode("cp932")


def decode_bytes(value):
    """A probe string (one character per CP932 byte) as bytes."""
    return value.encode("latin-1")


def decode_tree(value):
    """Every string of a probe answer decoded from CP932 to str."""
    if isinstance(value, str):
        return decode_bytes(value).decode("cp932", errors="replace")
    if isinstance(value, list):
        return [decode_tree(v) for v in value]
    if isinstance(value, dict):
        return {k: decode_tree(v) for k, v in value.items()}
    return value


def ere_escape(text):
    """Text as a POSIX extended regular expression that matches it exactly
    (xdotool search uses those)."""
    return "".join("\\" + c if c in ".[]()*+?{}|^$\\" else c for c in text)


# ---------------------------------------------------------------------------
# D88 test data


def d88_header(name, disk_size, write_protect=0, media_type=0):
    """A 688-byte D88 header: name at 0 (16 bytes at most, NUL ended),
    write protect at 26, media type at 27, size little-endian at 28."""
    if isinstance(name, str):
        name = cp932(name)
    header = bytearray(688)
    header[0:len(name)] = name[:16]
    header[26] = write_protect
    header[27] = media_type
    header[28:32] = disk_size.to_bytes(4, "little")
    return bytes(header)


def d88_image(name, disk_size, write_protect=0, media_type=0, fill=0, body=None,
              name_field=None, reserved=None, first_track=None):
    """One whole image: its header and disk_size - 688 bytes of track data,
    all `fill`, or the bytes body(n) gives for n bytes. name_field gives
    all 17 name bytes (for bytes after the name's NUL), reserved bytes 17 to
    25, first_track the first entry of the track table (offset 32)."""
    n = max(0, disk_size - 688)
    header = bytearray(d88_header(name, disk_size, write_protect, media_type))
    if name_field is not None:
        header[0:17] = name_field
    if reserved is not None:
        header[17:26] = reserved
    if first_track is not None:
        header[32:36] = first_track.to_bytes(4, "little")
    return bytes(header) + (body(n) if body else bytes([fill]) * n)


def d88_from_raw(name, raw, cylinders, heads, sectors, size, media_type):
    """A formatted image of a raw disk's sectors, which lie in C, H, R order."""
    n = {128: 0, 256: 1, 512: 2, 1024: 3}[size]
    tracks, offsets, at = [], [], 688
    for t in range(cylinders * heads):
        c, h = divmod(t, heads)
        tracks.append(b"".join(bytes([c, h, r, n]) + sectors.to_bytes(2, "little") + bytes(8)
                               + size.to_bytes(2, "little") + raw[(t * sectors + r - 1) * size:][:size]
                               for r in range(1, sectors + 1)))
        offsets.append(at)
        at += len(tracks[-1])
    header = bytearray(d88_header(name, at, media_type=media_type))
    for t, offset in enumerate(offsets):
        header[32 + 4 * t:36 + 4 * t] = offset.to_bytes(4, "little")
    return bytes(header) + b"".join(tracks)


def fat12_image(name, files, work):
    """A PC-98 2HD disk (77 x 2 x 8 x 1,024) that mkfs.fat formats FAT12 and
    mcopy writes `files` to ({path: bytes}, '/' between folders), made in
    the folder `work`."""
    raw = os.path.join(work, name + ".raw")
    tools = dict(os.environ, MTOOLS_SKIP_CHECK="1")
    subprocess.run(["mkfs.fat", "-S", "1024", "-s", "1", "-f", "2", "-r", "192", "-F", "12", "-M", "0xFE",
                    "-C", raw, "1232"], check=True, capture_output=True)
    for path, data in files.items():
        if "/" in path:
            subprocess.run(["mmd", "-i", raw, "::/" + path.rsplit("/", 1)[0]], env=tools,
                           capture_output=True)
        with open(raw + ".file", "wb") as f:
            f.write(data)
        subprocess.run(["mcopy", "-i", raw, raw + ".file", "::/" + path], env=tools, check=True,
                       capture_output=True)
    with open(raw, "rb") as f:
        image = d88_from_raw(name, f.read(), 77, 2, 8, 1024, 0x20)
    os.remove(raw)
    os.remove(raw + ".file")
    return image


# ---------------------------------------------------------------------------
# The settings file


def encode_struct(data):
    """Private-profile structure encoding: upper-case hex of each byte, then
    the checksum byte (sum of the bytes modulo 256)."""
    return "".join("%02X" % b for b in data) + "%02X" % (sum(data) % 256)


def decode_struct(text):
    """The bytes of a structure value, or None when the value is malformed."""
    if len(text) % 2 or not re.fullmatch(r"[0-9A-Fa-f]*", text) or len(text) < 2:
        return None
    data = bytes.fromhex(text)
    body, checksum = data[:-1], data[-1]
    return body if sum(body) % 256 == checksum else None


def window_placement(normal, show=1, flags=0, min_pos=(-1, -1), max_pos=(-1, -1)):
    """A WINDOWPLACEMENT record of 44 bytes."""
    fields = [44, flags, show]
    values = b"".join(v.to_bytes(4, "little") for v in fields)
    values += b"".join(v.to_bytes(4, "little", signed=True) for v in (*min_pos, *max_pos, *normal))
    assert len(values) == 44
    return values


def parse_placement(data):
    """(length, flags, show, min, max, normal) of a 44-byte record."""
    ints = [int.from_bytes(data[i:i + 4], "little", signed=True) for i in range(0, 44, 4)]
    return {
        "length": ints[0], "flags": ints[1], "show": ints[2],
        "min": tuple(ints[3:5]), "max": tuple(ints[5:7]), "normal": tuple(ints[7:11]),
    }


def read_ini(path):
    """A settings file as {section: {key: value}} (case kept); None when absent."""
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        text = f.read().decode("cp932", errors="replace")
    parser = configparser.RawConfigParser(strict=False, interpolation=None)
    parser.optionxform = str
    parser.read_string(text)
    return {s: dict(parser.items(s)) for s in parser.sections()}


# ---------------------------------------------------------------------------
# The test case


class ProbeError(Exception):
    pass


class OrvanelTestCase(unittest.TestCase):
    """A test of one run of orvanel.exe in a folder of its own."""

    def setUp(self):
        if not CONFIG["exe"] or not CONFIG["probe"]:
            self.fail("run with --exe and --probe")
        if not os.environ.get("DISPLAY"):
            self.fail("DISPLAY is not set: run through scripts/test.sh")
        self.env = wine_env()
        self.dir = tempfile.mkdtemp(prefix="orvanel-bb-")
        self.exe = os.path.join(self.dir, "orvanel.exe")
        shutil.copyfile(CONFIG["exe"], self.exe)
        self.ini = os.path.join(self.dir, "orvanel.ini")
        self.process = None
        self.log = None
        self.shot_taken = False

    def tearDown(self):
        try:
            if self.process and self.process.poll() is None:
                self.screenshot()
                self.close_window()
                if not self.wait_exit(EXIT_TIMEOUT):
                    self.kill()
        finally:
            if self.log:
                self.log.close()
            if os.environ.get("ORVANEL_KEEP_TEST_DIRS"):
                print("kept", self.dir, file=sys.stderr)
            else:
                shutil.rmtree(self.dir, ignore_errors=True)

    # -- the program --------------------------------------------------------

    def path(self, name):
        """A file in the test's folder."""
        return os.path.join(self.dir, name)

    def write_file(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def write_ini(self, text):
        """The settings file the program will read (CRLF lines, CP932)."""
        with open(self.ini, "wb") as f:
            f.write(text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp932"))

    def start(self, *args, wait=True):
        """Starts the program with these command-line arguments (passed
        as they are: give Windows paths) and waits for its main window;
        returns the probe's info."""
        self.log = open(self.path("wine.log"), "wb")
        self.process = subprocess.Popen(
            ["wine", self.exe, *args], cwd=self.dir, env=self.env,
            stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT,
            start_new_session=True)
        if not wait:
            return None
        answers = self.probe("wait", str(START_TIMEOUT * 1000), check=False)
        info = answers[-1] if answers else {}
        if not info.get("found") or not info.get("visible"):
            self.fail("the main window did not appear within %d s (exit code %s)"
                      % (START_TIMEOUT, self.process.poll()))
        return decode_tree(info)

    def wait_exit(self, timeout=EXIT_TIMEOUT):
        """True when the program ended within the time."""
        try:
            self.process.wait(timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def kill(self):
        """Ends the program: its own process first, then this prefix's
        wineserver (which ends only this prefix's processes)."""
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except OSError:
            pass
        if not self.wait_exit(5):
            subprocess.run(["wineserver", "-k"], env=self.env, timeout=30)
            self.wait_exit(10)

    def close_window(self):
        """Asks the window to close (WM_CLOSE), as its close box does."""
        self.probe("close", check=False)

    def close_and_wait(self):
        """Screenshot, WM_CLOSE, and the process's end (bounded)."""
        self.screenshot()
        self.close_window()
        if not self.wait_exit(EXIT_TIMEOUT):
            self.kill()
            self.fail("the program did not end within %d s of WM_CLOSE" % EXIT_TIMEOUT)
        return self.process.returncode

    # -- the probe ----------------------------------------------------------

    def probe(self, *commands, check=True):
        """Runs winprobe with these commands on this test's window; returns
        its JSON answers (raw: strings hold one character per byte)."""
        argv = ["wine", CONFIG["probe"], "--path", to_windows_path(self.dir) + "\\", *commands]
        # The probe's own waits are bounded; this bound covers them and a slow
        # start of wine.
        waits = sum(int(c) for c in commands if c.isdigit()) / 1000
        timeout = PROBE_TIMEOUT + waits
        # Output to files, not pipes: a wine process that happens to start
        # Wine's desktop process (explorer.exe) hands its standard handles
        # down to it, and a pipe would then stay open long after the probe
        # has ended.
        # The probe traces its steps on standard error, read only when it
        # fails: whether it reached its own code at all tells a failure of
        # the probe from one of Wine starting it (seen under wine64 now and
        # then: exit status 1 and not a byte written). The latter, and only
        # it, is started once more, and says so.
        env = dict(self.env, ORVANEL_PROBE_TRACE="1")
        for attempt in (1, 2):
            with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
                try:
                    done = subprocess.run(argv, env=env, stdin=subprocess.DEVNULL,
                                          stdout=out, stderr=err, timeout=timeout)
                except subprocess.TimeoutExpired:
                    raise ProbeError("winprobe %s did not answer within %d s" % (" ".join(commands), timeout))
                out.seek(0)
                err.seek(0)
                stdout, stderr = out.read(), err.read()
            started = b": start" in stderr
            if done.returncode == 0 or started or stdout or attempt == 2:
                break
            print("winprobe %s: Wine did not start the probe (exit status %d, no output); starting it again"
                  % (" ".join(commands), done.returncode), file=sys.stderr)
        answers = []
        for line in stdout.decode("latin-1").splitlines():
            line = line.strip()
            if line.startswith("{"):
                answers.append(json.loads(line))
        if check and done.returncode != 0:
            raise ProbeError("winprobe %s failed (%d)%s: %s %s" % (
                " ".join(commands), done.returncode, "" if started else ", never reaching its own code",
                answers, stderr.decode("latin-1")[-500:]))
        return answers

    def info_raw(self):
        return self.probe("info")[-1]

    def info(self):
        """What the main window shows, texts decoded."""
        return decode_tree(self.info_raw())

    def wait_for(self, predicate, timeout=10, what="the condition"):
        """Polls info() until predicate(info) holds; returns that info."""
        deadline = time.monotonic() + timeout
        info = None
        while True:
            info = self.info()
            if info.get("found") and predicate(info):
                return info
            if time.monotonic() >= deadline:
                self.fail("%s did not hold within %d s; last state: %s"
                          % (what, timeout, json.dumps(info, ensure_ascii=False)[:2000]))
            time.sleep(0.2)

    def wait_dialog(self, timeout=10):
        """Waits for a modal dialog of the program; returns info."""
        answers = self.probe("waitdialog", str(int(timeout * 1000)), check=False)
        info = decode_tree(answers[-1]) if answers else {}
        if not info.get("dialogs"):
            self.fail("no dialog appeared within %d s" % timeout)
        return info

    def click_dialog_button(self, control_id):
        self.probe("click", str(control_id))

    def set_dialog_text(self, control_id, text):
        self.probe("settext", str(control_id), "hex:" + cp932(text).hex())

    @staticmethod
    def menu_bar(info):
        """The top-level texts of the menu bar: the live menu when it can be
        read, else menu resource 1 of the executable (the class menu; Wine
        cannot read another process's menu)."""
        if info.get("menu"):
            return list(info["menu"])
        resources = info.get("menu_resources") or {}
        return [item["text"] for item in resources.get("1", [])]

    # -- X11: keyboard, mouse, screenshots ------------------------------------

    def xdotool(self, *args, check=True):
        done = subprocess.run(["xdotool", *args], env=self.env, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=30)
        if check and done.returncode != 0:
            self.fail("xdotool %s failed: %s" % (" ".join(args), done.stderr.decode(errors="replace")))
        return done.stdout.decode("utf-8", errors="replace")

    def x_window(self, title, timeout=10):
        """The X window whose name is exactly title (UTF-8, as Wine sets it)."""
        deadline = time.monotonic() + timeout
        while True:
            out = self.xdotool("search", "--name", "^" + ere_escape(title) + "$", check=False).split()
            if out:
                return out[-1]
            if time.monotonic() >= deadline:
                self.fail("no X window named %r within %d s" % (title, timeout))
            time.sleep(0.2)

    def activate(self, title):
        """Brings the window of this title to the front with the keyboard focus."""
        window = self.x_window(title)
        self.xdotool("windowactivate", "--sync", window, check=False)
        self.xdotool("windowfocus", "--sync", window, check=False)
        time.sleep(0.2)
        return window

    def focus_window(self, title):
        """Activates the window of this title unless it is the active one
        already (activation costs a round trip to the window manager)."""
        window = self.x_window(title)
        if self.xdotool("getactivewindow", check=False).strip() != window:
            self.activate(title)
        return window

    def key(self, title, *keys):
        """Presses keys (xdotool names: ctrl+q, alt+F4, Delete) in the window."""
        self.focus_window(title)
        self.xdotool("key", "--clearmodifiers", "--delay", "60", *keys)
        time.sleep(0.3)

    def type_text(self, title, text):
        self.focus_window(title)
        self.xdotool("type", "--delay", "30", text)

    def move_pointer(self, x, y):
        """Moves the pointer to (x, y) and waits until it is there. Not
        with xdotool's --sync, which waits seconds for a move to show when
        the pointer is at that point already."""
        x, y = int(x), int(y)
        self.xdotool("mousemove", str(x), str(y))
        deadline = time.monotonic() + 2
        while time.monotonic() < deadline:
            where = dict(line.split("=", 1) for line in
                         self.xdotool("getmouselocation", "--shell", check=False).split() if "=" in line)
            if where.get("X") == str(x) and where.get("Y") == str(y):
                return
            time.sleep(0.02)

    def click(self, x, y, button=1, double=False):
        """A click of the mouse at screen point (x, y)."""
        self.move_pointer(x, y)
        time.sleep(0.1)
        for _ in range(2 if double else 1):
            self.xdotool("mousedown", str(button))
            time.sleep(0.05)
            self.xdotool("mouseup", str(button))
            time.sleep(0.1)
        time.sleep(0.3)

    def drag(self, start, end, steps=8):
        """Presses the left button at start, moves to end in steps, releases."""
        self.move_pointer(*start)
        self.xdotool("mousedown", "1")
        time.sleep(0.1)
        for i in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * i / steps
            y = start[1] + (end[1] - start[1]) * i / steps
            self.move_pointer(x, y)
            time.sleep(0.05)
        self.xdotool("mouseup", "1")
        time.sleep(0.3)

    @staticmethod
    def center(rect):
        return ((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)

    def screenshot(self, suffix=""):
        """The whole display as <screenshots>/<test id><suffix>.png."""
        folder = CONFIG["screenshots"]
        os.makedirs(folder, exist_ok=True)
        test_id = self.id()
        if test_id.startswith("__main__."):
            test_id = os.path.splitext(os.path.basename(sys.argv[0]))[0] + test_id[len("__main__"):]
        name = re.sub(r"[^A-Za-z0-9_.-]", "_", test_id) + suffix + ".png"
        target = os.path.join(folder, name)
        try:
            xwd = subprocess.run(["xwd", "-root", "-silent"], env=self.env, capture_output=True, timeout=30)
            subprocess.run(["convert", "xwd:-", target], input=xwd.stdout, env=self.env,
                           capture_output=True, timeout=60)
        except (OSError, subprocess.TimeoutExpired) as error:
            print("screenshot failed:", error, file=sys.stderr)
        self.shot_taken = True
        return target

    # -- The disk list: selection gestures, drags held open, saved files -----
    # Shared by the tests of work on the disks (test_disks.py, test_drag.py).

    @staticmethod
    def item_point(item):
        """Where a person points at a list item: the middle of its icon,
        or of its bounds when the view reports no icon."""
        rect = item["icon"]
        if not rect or rect[2] <= rect[0]:
            rect = item["bounds"]
        return OrvanelTestCase.center(rect)

    def tap(self, x, y, button=1):
        """A click like click(), but the pointer is moved without --sync:
        xdotool's wait for the move then lasts seconds when the pointer is
        at that point already (a second click on the same item)."""
        self.xdotool("mousemove", str(int(x)), str(int(y)))
        time.sleep(0.1)
        self.xdotool("mousedown", str(button))
        time.sleep(0.05)
        self.xdotool("mouseup", str(button))
        self.last_tap = time.monotonic()
        time.sleep(0.15)

    def keys(self, *keys):
        """Presses keys in whatever window has the keyboard focus (key()
        first brings a window to the front, which takes a quarter second)."""
        self.xdotool("key", "--clearmodifiers", "--delay", "40", *keys)
        time.sleep(0.1)

    def ctrl_click(self, x, y):
        """A click with Ctrl held: adds an item to the selection or takes it out."""
        self.xdotool("keydown", "ctrl")
        try:
            self.tap(x, y)
        finally:
            self.xdotool("keyup", "ctrl")

    def press_and_move(self, start, end, steps=10):
        """Presses the left button at start and moves to end in steps; the
        button stays down until release_button()."""
        # No --sync: xdotool then waits for a move to show, which takes
        # seconds when the pointer is there already or is held by a capture.
        self.xdotool("mousemove", str(int(start[0])), str(int(start[1])))
        time.sleep(0.1)
        # A press soon after a click on the same item is a double click,
        # which starts no drag: wait out the double-click time (500 ms).
        since = time.monotonic() - getattr(self, "last_tap", 0)
        if since < 0.7:
            time.sleep(0.7 - since)
        self.xdotool("mousedown", "1")
        time.sleep(0.15)
        for i in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * i / steps
            y = start[1] + (end[1] - start[1]) * i / steps
            self.xdotool("mousemove", str(int(x)), str(int(y)))
            time.sleep(0.05)
        time.sleep(0.2)

    def release_button(self):
        self.xdotool("mouseup", "1")
        time.sleep(0.4)

    @staticmethod
    def split_images(data):
        """A container's images, found by the chain of sizes at offset 28."""
        images, offset = [], 0
        while offset + 32 <= len(data):
            size = int.from_bytes(data[offset + 28:offset + 32], "little")
            if size == 0:
                break
            images.append(data[offset:offset + size])
            offset += size
        return images

    def wait_file(self, path, expected, timeout=10):
        """Waits until the file holds exactly these bytes; fails showing the
        images it holds instead."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                with open(path, "rb") as f:
                    data = f.read()
            except OSError:
                data = None
            if data == expected:
                return data
            if time.monotonic() >= deadline:
                held = None if data is None else [
                    (bytes(i[:17]).split(b"\0")[0], i[22:27].hex(), len(i)) for i in self.split_images(data)]
                want = [(bytes(i[:17]).split(b"\0")[0], i[22:27].hex(), len(i)) for i in self.split_images(expected)]
                self.fail("%s does not hold the expected %d bytes within %d s:\n holds %s\n wanted %s"
                          % (path, len(expected), timeout, held, want))
            time.sleep(0.2)

    def save_with_ctrl_s(self, path, expected):
        """Ctrl+S (in the focused main window) on a modified document: the
        file, first removed here so that the write is seen (a file changed
        instead would be asked about as another program's), is made again
        holding exactly `expected`."""
        os.remove(path)
        self.keys("ctrl+s")
        return self.wait_file(path, expected)

    def handled(self, timeout=10):
        """Proves that the window has handled every key and click sent so
        far, so that a check that something did not happen can follow:
        F10, pressed after them, opens the menu bar only once the window
        has taken them all (the input queue is one line); Escape then
        closes it again. Fails when F10 is not taken, naming any dialog
        that holds the keyboard instead."""
        self.xdotool("key", "F10")
        answers = self.probe("menumode", str(int(timeout * 1000)), "1", check=False)
        if not answers or not self.probe_met(answers):
            info = self.info()
            self.fail("the window did not take F10 within %d s; dialogs: %s"
                      % (timeout, [d["caption"] for d in info.get("dialogs", [])]))
        self.xdotool("key", "Escape")
        answers = self.probe("menumode", str(int(timeout * 1000)), "0", check=False)
        if not answers or not self.probe_met(answers):
            self.fail("the menu bar stayed in menu mode after Escape")

    @staticmethod
    def probe_met(answers):
        """Whether a probe wait ended with its condition met (it prints
        the window's info either way; a timeout adds an error line)."""
        return not any("error" in a for a in answers)

    def assert_not_modified(self, path):
        """Ctrl+S (in the focused main window) writes nothing when the
        document is unchanged: the file, moved aside first, is not made
        again once the window has handled the key. It is moved back after,
        the same file as before."""
        os.rename(path, path + ".aside")
        self.keys("ctrl+s")
        self.handled()
        written = os.path.exists(path)
        os.replace(path + ".aside", path)
        self.assertFalse(written, "Ctrl+S wrote the file: the document counts as modified")

    # -- dialogs, folders, selection and file snapshots -----------------------
    # Shared helpers of the extract and bad-input tests.

    BUTTON_NAMES = {1: "OK", 2: "Cancel", 6: "Yes", 7: "No", 101: "All yes"}

    def message_box(self, timeout=10):
        """Waits for a message box (or the prompt dialog) of the program and
        returns {caption, text, icon, buttons, owned_by_main}: text is the
        message, icon "warning", "information", "error" or None, told by the
        colours of its icon on the screen (the icon cannot be read across
        processes), buttons the names of its push buttons, left to right."""
        deadline = time.monotonic() + timeout
        while True:
            info = self.wait_dialog(max(1, deadline - time.monotonic()))
            for dialog in info["dialogs"]:
                controls = dialog["controls"]
                text = dialog["text"] or next(
                    (c["text"] for c in controls if c["id"] == 102 and c["class"].lower() == "static"), "")
                if text:
                    break
            else:
                if time.monotonic() >= deadline:
                    self.fail("no message box within %d s; dialogs: %s" % (timeout, info["dialogs"]))
                time.sleep(0.2)
                continue
            break
        buttons = sorted((c for c in controls if c["class"].lower() == "button" and c["visible"]
                          and (c["style"] & 0xF) in (0, 1)), key=lambda c: c["rect"][0])
        icons = [c for c in controls if c["class"].lower() == "static" and (c["style"] & 0x1F) == 3
                 and c["visible"]]
        time.sleep(0.3)  # painted
        return {
            "caption": dialog["caption"], "text": text, "owned_by_main": dialog["owned_by_main"],
            "buttons": [self.BUTTON_NAMES.get(c["id"], c["text"]) for c in buttons],
            "icon": self.icon_kind(icons[0]["rect"]) if icons else None,
        }

    def icon_kind(self, rect):
        """What the icon at this screen rectangle shows, by its colours:
        "warning" (yellow or orange), "information" (blue), "error" (red)."""
        left, top, right, bottom = rect
        width, height = right - left, bottom - top
        if width <= 0 or height <= 0:
            return None
        try:
            xwd = subprocess.run(["xwd", "-root", "-silent"], env=self.env, capture_output=True, timeout=30)
            rgb = subprocess.run(["convert", "xwd:-", "-crop", "%dx%d+%d+%d" % (width, height, left, top),
                                  "+repage", "-depth", "8", "rgb:-"],
                                 input=xwd.stdout, capture_output=True, timeout=60).stdout
        except (OSError, subprocess.TimeoutExpired):
            return None
        pixels = [rgb[i:i + 3] for i in range(0, len(rgb) - 2, 3)]
        counts = {
            "warning": sum(1 for r, g, b in pixels if r > 180 and g > 80 and b < 100),
            "information": sum(1 for r, g, b in pixels if b > 150 and r < 120),
            "error": sum(1 for r, g, b in pixels if r > 180 and g < 80 and b < 80),
        }
        kind = max(counts, key=counts.get)
        return kind if counts[kind] >= len(pixels) // 20 else None

    def answer(self, control_id, timeout=10):
        """Presses a button of the open dialog and waits until no dialog is open."""
        self.click_dialog_button(control_id)
        self.probe("waitnodialog", str(int(timeout * 1000)), check=False)

    def choose_folder(self, folder, timeout=20):
        """Answers the folder browser: selects the folder (a Unix path) and
        presses OK."""
        answers = self.probe("selectfolder", str(int(timeout * 1000)),
                             "hex:" + cp932(to_windows_path(folder)).hex(), check=False)
        shown = answers and [c["text"] for d in decode_tree(answers[-1]).get("dialogs", [])
                             for c in d["controls"]]
        if not answers or not answers[-1].get("found") or shown is None or \
                to_windows_path(folder).lower() not in [t.lower() for t in shown]:
            self.screenshot("_browser")
            self.fail("the folder browser did not come to %s; it shows %s" % (folder, shown))
        self.click_dialog_button(1)

    def wait_browser_at(self, folder, what, timeout=10, shown=None):
        """Waits until the open folder browser shows this folder (a Unix
        path, or the Windows path `shown`) in its status line, as the
        program sets it for the selected folder."""
        shown = (shown or to_windows_path(folder)).lower()
        deadline = time.monotonic() + timeout
        while True:
            info = self.wait_dialog(max(1, deadline - time.monotonic()))
            texts = [c["text"].lower() for d in info["dialogs"] for c in d["controls"]]
            if shown in texts:
                return
            if time.monotonic() >= deadline:
                self.screenshot("_browser")
                self.fail("%s: the folder browser does not show %s; it shows %s" % (what, folder, texts))
            time.sleep(0.2)

    def clipboard(self):
        """The clipboard's text (decoded), or None."""
        return decode_tree(self.probe("getclipboard")[-1])["clipboard"]

    def choose_file(self, path, timeout=10):
        """Answers an open or save dialog of the system with this file (a
        Unix path): its full Windows path typed into the name box, then OK.
        Returns once the dialog has taken OK (it is gone, or a box has come
        over it), as a person waits to see it go before the next key."""
        shown = [d["hwnd"] for d in self.wait_dialog(timeout)["dialogs"]]
        self.probe("settext", "1148", "hex:" + cp932(to_windows_path(path)).hex())
        self.click_dialog_button(1)
        self.wait_for(lambda i: [d["hwnd"] for d in i.get("dialogs", [])] != shown, timeout,
                      "the file dialog took OK")

    def select_items(self, indexes, timeout=10):
        """Selects these list items (and no others) with the mouse: a click
        on the first, Ctrl+click on the rest."""
        info = self.info()
        items = info["list"]["items"]
        self.activate(info["title"])
        for n, index in enumerate(indexes):
            rect = items[index]["icon"]
            if not rect or rect[2] <= rect[0]:
                rect = items[index]["bounds"]
            if n:
                self.xdotool("keydown", "ctrl")
            try:
                self.click(*self.center(rect))
            finally:
                if n:
                    self.xdotool("keyup", "ctrl")
        wanted = sorted(indexes)
        return self.wait_for(
            lambda i: [k for k, it in enumerate(i["list"]["items"]) if it["selected"]] == wanted,
            timeout, "items %s selected" % wanted)

    @staticmethod
    def document_of(info):
        """What the window shows of its document: the title and each list
        item's texts."""
        return info["title"], [tuple(item["texts"]) for item in info["list"]["items"]]

    @staticmethod
    def snapshot(folder, skip=()):
        """{relative path: bytes} of every file under folder (None for a
        folder), the names in skip left out."""
        found = {}
        for root, dirs, files in os.walk(folder):
            for name in dirs + files:
                full = os.path.join(root, name)
                rel = os.path.relpath(full, folder)
                if rel in skip or os.path.islink(full):
                    continue
                if os.path.isdir(full):
                    found[rel] = None
                elif os.path.getsize(full) <= 64 << 20:
                    with open(full, "rb") as f:
                        found[rel] = f.read()
                else:
                    found[rel] = ("size", os.path.getsize(full))
        return found


# ctest's SKIP_RETURN_CODE: a run whose tests were all skipped.
EXIT_SKIPPED = 77


def test_ids(suite):
    """The ids (Class.method) of every test in a suite, in order."""
    for test in suite:
        if isinstance(test, unittest.TestSuite):
            yield from test_ids(test)
        else:
            yield test.id().split(".", 1)[1]


def main():
    """Runs the tests of the calling module; takes --exe, --probe, --d88 and
    --screenshots, and the test names (Class or Class.method) to run.
    --list prints the id of each test, one a line, and runs none.
    Exits 0 when every test ran and passed, 1 on any failure or when no test
    ran, and EXIT_SKIPPED when every test that ran was skipped."""
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--exe")
    parser.add_argument("--probe")
    parser.add_argument("--screenshots")
    parser.add_argument("--d88")
    parser.add_argument("--list", action="store_true")
    known, rest = parser.parse_known_args()
    module = sys.modules["__main__"]
    loader = unittest.TestLoader()
    if known.list:
        for test_id in test_ids(loader.loadTestsFromModule(module)):
            print(test_id)
        sys.exit(0)
    CONFIG["d88"] = known.d88 and os.path.abspath(known.d88)
    CONFIG["exe"] = known.exe and os.path.abspath(known.exe)
    CONFIG["probe"] = known.probe and os.path.abspath(known.probe)
    if known.screenshots:
        CONFIG["screenshots"] = os.path.abspath(known.screenshots)
    names = [n for n in rest if not n.startswith("-")]
    if names:
        suite = loader.loadTestsFromNames(names, module)
    else:
        suite = loader.loadTestsFromModule(module)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if not result.wasSuccessful() or result.testsRun == 0:
        sys.exit(1)
    if len(result.skipped) == result.testsRun:
        sys.exit(EXIT_SKIPPED)
    sys.exit(0)
