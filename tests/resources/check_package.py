#!/usr/bin/env python3
"""The download of a built tree (scripts/package.py): its name, its files and
its read-me's form. Usage: check_package.py TREE"""

import os
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import check_resources  # noqa: E402
import package  # noqa: E402


def main(tree):
    with open(os.path.join(tree, "orvanel.exe"), "rb") as f:
        name = "orvanel-%d.%d.%d-%s.zip" % (check_resources.VERSION[:3] + package.exe_width(f.read())[:1])
    with tempfile.TemporaryDirectory() as scratch, zipfile.ZipFile(package.make_zip(tree, scratch)) as z:
        errors = [] if os.path.basename(z.filename) == name else ["the zip is not named %s" % name]
        if sorted(z.namelist()) != sorted(list(package.FILES) + ["readme.txt"]):
            errors.append("the zip holds %s" % z.namelist())
        readme = z.read("readme.txt")
    if not readme.startswith(b"\xef\xbb\xbf") or b"\n" in readme.replace(b"\r\n", b"") or \
            "[日本語]" not in readme.decode("utf-8"):
        errors.append("readme.txt is not UTF-8 with a BOM and CRLF line ends, or not in Japanese")
    print("\n".join(["FAIL: " + e for e in errors] + ["%s: %d errors" % (name, len(errors))]))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
