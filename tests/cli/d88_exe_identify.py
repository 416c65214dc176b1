#!/usr/bin/env python3
"""d88.exe under Wine names an image from a Logiqx XML DAT (with its
DOCTYPE), which the Windows build reads through the system's XmlLite: the
check of that reader. Usage: d88_exe_identify.py RUNNER D88-EXE, where
RUNNER starts a Windows program (scripts/wine-run.sh)."""
import hashlib
import os
import struct
import subprocess
import sys
import tempfile


def image(name, size, fill):
    header = bytearray(688)
    header[:len(name)] = name
    struct.pack_into("<I", header, 28, size)
    return bytes(header) + bytes([fill]) * (size - 688)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def main():
    runner, exe = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as folder:
        known, other = image(b"KNOWN", 4096, 1), image(b"OTHER", 2048, 2)
        container, dat = os.path.join(folder, "c.d88"), os.path.join(folder, "x.dat")
        with open(container, "wb") as f:
            f.write(known + other)
        with open(dat, "w", encoding="utf-8") as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                    '<!DOCTYPE datafile PUBLIC "-//Logiqx//DTD ROM Management Datafile//EN" '
                    '"http://www.logiqx.com/Dats/datafile.dtd">\n'
                    '<datafile><header><name>T</name></header>\n'
                    '<game name="Known &amp; Found"><description>K</description>'
                    '<rom name="known.d88" size="4096" sha1="%s"/></game>\n'
                    '</datafile>\n' % hashlib.sha1(known).hexdigest())
        # The container is named as Wine takes a path of the host too: one
        # that starts with '/', which is never an option.
        c = container
        done = subprocess.run([runner, exe, "identify", "--quiet", "--dat", windows_path(dat), c],
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
    out = done.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
    expected = (c + "@0  KNOWN: Known & Found [known.d88] (raw, SHA-1)\n" +
                c + "@1  OTHER: unknown\n" +
                "2 images: 1 known, 1 unknown\n")
    if done.returncode != 0 or out != expected:
        print("status %d\n--- expected\n%s--- got\n%s--- errors\n%s" %
              (done.returncode, expected, out, done.stderr.decode("utf-8", "replace")))
        return 1
    print("d88.exe identify read the XML DAT through XmlLite")
    return 0


if __name__ == "__main__":
    sys.exit(main())
