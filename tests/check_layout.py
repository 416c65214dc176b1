#!/usr/bin/env python3
"""Fails when the layout's rules are broken, printing each offence:
- only files whose names end in _win and the files of platform/ may include
  <windows.h> or a *_win.h header;
- the core and cli/ include nothing of the window (shell/, list/,
  dialogs/), and the core includes nothing of cli/. The core is every file
  of collection/, platform/, filesystems/ and formats/, and the portable
  files of store/ and document/: the window's handlers (document/*_win.cpp)
  live beside the rules they call, but belong to the window."""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
core = ["store", "document", "collection", "platform", "filesystems", "formats"]
window = ["shell", "list", "dialogs"]
include = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.M)
offences = []
for folder in core + window + ["cli"]:
    if not os.path.isdir(os.path.join(root, folder)):
        continue
    for name in sorted(os.listdir(os.path.join(root, folder))):
        if not name.endswith((".cpp", ".h")):
            continue
        system = folder == "platform" or re.search(r"_win\.(cpp|h)$", name)
        text = open(os.path.join(root, folder, name), encoding="utf-8").read()
        for header in include.findall(text):
            where = "%s/%s: includes %s" % (folder, name, header)
            top = header.split("/")[0]
            if not system and (header.lower() == "windows.h" or header.endswith("_win.h")):
                offences.append(where + " (a portable file)")
            in_core = folder in core and (folder not in ("store", "document")
                                          or not re.search(r"_win\.(cpp|h)$", name))
            if (in_core or folder == "cli") and top in window:
                offences.append(where + " (the core and d88 include nothing of the window)")
            if in_core and top == "cli":
                offences.append(where + " (the core includes nothing of d88)")
for offence in offences:
    print(offence)
print("%d offences" % len(offences))
sys.exit(1 if offences else 0)
