#!/usr/bin/env python3
"""Makes the download of one built Windows tree:

    python3 scripts/package.py TREE OUT_DIR

writes OUT_DIR/orvanel-VERSION-WIDTH.zip and prints its path. The zip holds,
at its top, orvanel.exe, d88.exe, the help (orvanel.hlp, orvanel.cnt,
orvanel.chm) and readme.txt, made from docs/package/readme.txt. VERSION is
the file version in the version record of the orvanel.exe it holds
("1.0.1", a fourth number only when it is not 0) and WIDTH its machine
(win32 for i386, win64 for x86-64), so the name cannot disagree with the
program. The read-me is UTF-8 with a byte order mark and CRLF line ends:
Notepad reads a UTF-8 file with the mark as UTF-8 on every Windows from
2000 on, and without it as the system's code page, which garbles either the
Japanese or the English half; Notepad before Windows 10 1809 shows a file
with bare LF line ends as one line. UTF-8 rather than UTF-16: every other
tool reads it too, at half the size. Standard library only.
"""

import os
import struct
import sys
import zipfile

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
README = os.path.join(REPO, "docs", "package", "readme.txt")
# Name in the zip -> path in the tree.
FILES = {
    "orvanel.exe": "orvanel.exe",
    "d88.exe": os.path.join("cli", "d88.exe"),
    "orvanel.hlp": "orvanel.hlp",
    "orvanel.cnt": "orvanel.cnt",
    "orvanel.chm": "orvanel.chm",
}
WIDTHS = {0x14C: ("win32", "32-bit"), 0x8664: ("win64", "64-bit")}
FIXED_FILE_INFO = struct.pack("<I", 0xFEEF04BD)


def exe_version(exe):
    """The file version of the executable's VS_FIXEDFILEINFO, as text."""
    at = exe.find(FIXED_FILE_INFO)
    if at < 0:
        raise ValueError("orvanel.exe has no version record")
    ms, ls = struct.unpack_from("<II", exe, at + 8)
    numbers = [ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF]
    return ".".join(str(n) for n in (numbers if numbers[3] else numbers[:3]))


def exe_width(exe):
    """("win32" or "win64", words) by the machine of the PE header."""
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    machine = struct.unpack_from("<H", exe, pe + 4)[0]
    if exe[pe:pe + 4] != b"PE\0\0" or machine not in WIDTHS:
        raise ValueError("orvanel.exe is not an i386 or x86-64 Windows program")
    return WIDTHS[machine]


def readme(version, width_words):
    with open(README, encoding="utf-8") as f:
        text = f.read().replace("@VERSION@", version).replace("@WIDTH@", width_words)
    return b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def make_zip(tree, out_dir):
    """Writes the zip of the tree into out_dir; returns its path."""
    with open(os.path.join(tree, "orvanel.exe"), "rb") as f:
        exe = f.read()
    version = exe_version(exe)
    width, words = exe_width(exe)
    os.makedirs(out_dir, exist_ok=True)
    path = os.path.join(out_dir, "orvanel-%s-%s.zip" % (version, width))
    partial = path + ".part"
    try:
        with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as z:
            for name, inside in FILES.items():
                z.write(os.path.join(tree, inside), name)
            z.writestr("readme.txt", readme(version, words))
        os.replace(partial, path)
    finally:
        if os.path.exists(partial):
            os.remove(partial)
    return path


def main(argv):
    if len(argv) != 3:
        print("usage: package.py TREE OUT_DIR", file=sys.stderr)
        return 2
    try:
        print(make_zip(argv[1], argv[2]))
    except (OSError, ValueError) as error:
        print("package.py: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
