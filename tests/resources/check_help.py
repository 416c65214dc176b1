#!/usr/bin/env python3
"""Checks the built help files against their source:

    python3 tests/resources/check_help.py path/to/orvanel.hlp [path/to/orvanel.chm]

Reads the WinHelp file's directory, its |SYSTEM title and character set,
and walks the topic links of |TOPIC: every topic of the source must be
there, in order, its title in CP932 bytes as the topic's title and as
its first paragraph. With chmls, the .chm's pages, CP932 titles and LCID.
Also checks that docs/help.md is the page the source gives now. Exits with
status 1 on a mismatch."""

import os
import re
import struct
import subprocess
import sys

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "scripts"))
import winhelp  # noqa: E402

SOURCE = os.path.join(REPO, "docs", "help", "orvanel-help.txt")


def u16(data, at):
    return struct.unpack_from("<H", data, at)[0]


def u32(data, at):
    return struct.unpack_from("<I", data, at)[0]


def internal_files(hlp):
    """The internal files of a help file by name, without their headers."""
    assert u32(hlp, 0) == 0x00035F3F, "not a WinHelp file"
    tree = u32(hlp, 4) + 9
    assert u16(hlp, tree) == 0x293B and u16(hlp, tree + 32) == 1, "a one-page directory"
    page = tree + 38
    files, at = {}, page + 8
    for _ in range(u16(hlp, page + 2)):
        end = hlp.index(b"\0", at)
        offset = u32(hlp, end + 1)
        files[hlp[at:end].decode("ascii")] = hlp[offset + 9:offset + 9 + u32(hlp, offset + 4)]
        at = end + 5
    return files


def topic_records(topic):
    """(record type, LinkData2) of every topic link, in the order of the chain."""
    data = b"".join(topic[i + 12:i + 4096] for i in range(0, len(topic), 4096))
    records, pos = [], 12
    while pos != 0xFFFFFFFF:
        at = ((pos - 12) >> 14) * 4084 + ((pos - 12) & 0x3FFF)
        size, len2, _, pos, len1 = struct.unpack_from("<5I", data, at)
        records.append((data[at + 20], data[at + len1:at + len1 + len2]))
    return records


def chm_errors(chm, topics):
    def chmls(*args):
        return subprocess.run(["chmls", *args, chm], capture_output=True, check=True).stdout
    pages = set(chmls("-n", "list").decode("latin-1").split())
    titles = set(re.findall(rb"Tag name *:(.*)\(\d+\)$", chmls("printtopics"), re.M))
    errors = ["the .chm has no page %s.htm" % t.ident for t in topics if "/%s.htm" % t.ident not in pages]
    errors += ["the .chm has no topic titled %s in CP932" % t.title for t in topics
               if t.title.encode("cp932") not in titles]
    if not re.search(rb"LCID from HHP file *: 1041$", chmls("printsystem"), re.M):
        errors.append("the .chm does not give the Japanese language (LCID 1041)")
    return errors


def main():
    with open(SOURCE, encoding="utf-8") as f:
        title, topics = winhelp.parse(f.read())
    with open(sys.argv[1], "rb") as f:
        hlp = f.read()
    errors = []
    files = internal_files(hlp)
    system = files["|SYSTEM"]
    if title.encode("cp932") + b"\0" not in system:
        errors.append("|SYSTEM does not hold the title %s in CP932" % title)
    if b"\x0b\x00\x02\x00\x80\x00" not in system:
        errors.append("|SYSTEM does not give the character set 128 (Shift-JIS)")
    records = topic_records(files["|TOPIC"])
    found = [(data, records[i + 1][1]) for i, (kind, data) in enumerate(records) if kind == 2]
    expected = [t.title.encode("cp932") for t in topics]
    if [h for h, _ in found] != expected:
        errors.append("topic titles %r, expected %r" % ([h.decode("cp932") for h, _ in found],
                                                        [t.title for t in topics]))
    for header, first in found:
        if header not in first:
            errors.append("the first paragraph of %s does not show its title" % header.decode("cp932"))
    with open(os.path.join(REPO, "docs", "help.md"), encoding="utf-8") as f:
        if f.read() != winhelp.markdown(title, topics, "docs/help/orvanel-help.txt"):
            errors.append("docs/help.md is not the page of the source: run "
                          "python3 scripts/winhelp.py docs/help/orvanel-help.txt --md docs/help.md")
    if len(sys.argv) > 2:
        errors += chm_errors(sys.argv[2], topics)
    for error in errors:
        print(error)
    print("%d topics checked, %d errors" % (len(found), len(errors)))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
