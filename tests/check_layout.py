#!/usr/bin/env python3
"""Fails when the layout's rules are broken: a portable file (one without a
_win suffix) includes <windows.h> or a *_win.h header, or a file of cli/
includes anything of shell/, list/ or dialogs/. Prints each offence."""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
folders = ["store", "document", "shell", "list", "dialogs", "cli"]
include = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.M)
offences = []
for folder in folders:
    for name in sorted(os.listdir(os.path.join(root, folder))):
        if not name.endswith((".cpp", ".h")):
            continue
        portable = not re.search(r"_win\.(cpp|h)$", name)
        text = open(os.path.join(root, folder, name), encoding="utf-8").read()
        for header in include.findall(text):
            where = "%s/%s: includes %s" % (folder, name, header)
            if portable and (header.lower() == "windows.h" or header.endswith("_win.h")):
                offences.append(where + " (a portable file)")
            if folder == "cli" and header.split("/")[0] in ("shell", "list", "dialogs"):
                offences.append(where + " (d88 links the core alone)")
for offence in offences:
    print(offence)
print("%d offences" % len(offences))
sys.exit(1 if offences else 0)
