#!/usr/bin/env python3
"""d88.exe under Wine names an image from a Logiqx XML DAT (with its
DOCTYPE), in UTF-8 and in Shift_JIS, which the Windows build reads through
the system's XmlLite: the check of that reader. Usage: d88_exe_identify.py
RUNNER D88-EXE, where RUNNER starts a Windows program (scripts/wine-run.sh)."""
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
        # The container is named as Wine takes a path of the host too: one
        # that starts with '/', which is never an option.
        c = container
        for encoding, declared in (("utf-8", "UTF-8"), ("cp932", "Shift_JIS")):
            with open(dat, "w", encoding=encoding) as f:
                f.write('<?xml version="1.0" encoding="%s"?>\n'
                        '<!DOCTYPE datafile PUBLIC "-//Logiqx//DTD ROM Management Datafile//EN" '
                        '"http://www.logiqx.com/Dats/datafile.dtd">\n'
                        '<datafile><header><name>T</name></header>\n'
                        '<game name="Known &amp; \u8868\\"><description>K</description>'
                        '<rom name="known.d88" size="4096" sha1="%s"/></game>\n'
                        '</datafile>\n' % (declared, hashlib.sha1(known).hexdigest()))
            done = subprocess.run([runner, exe, "identify", "--quiet", "--dat", windows_path(dat),
                                   c], stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
            out = done.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
            expected = (c + "@0  KNOWN: Known & \u8868\\ [known.d88] (raw, SHA-1)\n" +
                        c + "@1  OTHER: unknown\n" +
                        "2 images: 1 known, 1 unknown\n")
            if done.returncode != 0 or out != expected:
                print("%s: status %d\n--- expected\n%s--- got\n%s--- errors\n%s" %
                      (declared, done.returncode, expected, out,
                       done.stderr.decode("utf-8", "replace")))
                return 1
    print("d88.exe identify read the XML DAT through XmlLite, in UTF-8 and in Shift_JIS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
