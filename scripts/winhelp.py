#!/usr/bin/env python3
"""Writes Orvanel's help from its UTF-8 source (docs/help/orvanel-help.txt):

    python3 scripts/winhelp.py SOURCE [--hlp orvanel.hlp] [--cnt orvanel.cnt] [--md help.md]

--hlp  a WinHelp file in Japanese: text in CP932, a Shift-JIS font, and
       uncompressed topic blocks (no LZ77, no phrase table), which every
       WinHelp viewer reads; the first topic is the contents page
--cnt  the contents file that the Help Topics window of Windows reads
--md   the same text as one Markdown page

The source, line by line:
    @title TEXT       the help file's title (first line)
    = ID TITLE        starts a topic; ID is its context id ([A-Za-z0-9_.])
    ## TEXT           a heading inside a topic
    - TEXT            a list item
    TEXT              a paragraph; lines that follow it join it
    (blank line)      ends a paragraph
In text, [[ID]] links to a topic by its title and [[ID|TEXT]] with TEXT.
Standard library only.
"""

import argparse
import re
import struct
import sys

LINK = re.compile(r"\[\[([A-Za-z0-9_.]+)(?:\|([^\]]+))?\]\]")


# -- the source -----------------------------------------------------------

class Topic:
    def __init__(self, ident, title):
        self.ident = ident
        self.title = title
        self.blocks = []  # (kind, text): kind "par", "item" or "head"


def parse(text):
    """The title and the topics of a help source."""
    title = None
    topics = []
    kind, lines = None, []

    def flush():
        if lines:
            topics[-1].blocks.append((kind, "".join(lines)))
        del lines[:]

    for number, line in enumerate(text.splitlines(), 1):
        line = line.strip()
        where = "line %d" % number
        if line.startswith("@title "):
            title = line[7:].strip()
        elif line.startswith("= "):
            flush()
            ident, _, name = line[2:].strip().partition(" ")
            if not re.fullmatch(r"[A-Za-z0-9_.]+", ident) or not name.strip():
                raise ValueError("%s: a topic needs '= ID TITLE'" % where)
            topics.append(Topic(ident, name.strip()))
        elif not line:
            flush()
        elif not topics:
            raise ValueError("%s: text before the first topic" % where)
        elif line.startswith("## ") or line.startswith("- "):
            flush()
            kind = "head" if line.startswith("##") else "item"
            lines.append(line[2:].strip())
            flush()
        else:
            if not lines:
                kind = "par"
            lines.append(line)
    flush()
    if not title or not topics:
        raise ValueError("the source needs an @title line and at least one topic")
    idents = {t.ident: t for t in topics}
    if len(idents) != len(topics):
        raise ValueError("two topics have the same id")
    for topic in topics:
        for _, block in topic.blocks:
            for match in LINK.finditer(block):
                if match.group(1) not in idents:
                    raise ValueError("topic %s links to unknown topic %s" % (topic.ident, match.group(1)))
    return title, topics


def runs(text, topics):
    """A block's text as ("text", s) and ("link", ident, s) runs."""
    titles = {t.ident: t.title for t in topics}
    out, pos = [], 0
    for match in LINK.finditer(text):
        if match.start() > pos:
            out.append(("text", text[pos:match.start()]))
        out.append(("link", match.group(1), match.group(2) or titles[match.group(1)]))
        pos = match.end()
    if pos < len(text):
        out.append(("text", text[pos:]))
    return out


# -- Markdown --------------------------------------------------------------

def md_escape(text):
    return re.sub(r"([\\`*_\[\]<>#|])", r"\\\1", text)


def markdown(title, topics, source_name):
    out = ["<!-- Made by scripts/winhelp.py from %s; edit that file, not this one. -->" % source_name,
           "", '<a id="%s"></a>' % topics[0].ident, "", "# " + md_escape(title), ""]
    for n, topic in enumerate(topics):
        if n:
            out += ['<a id="%s"></a>' % topic.ident, "", "## " + md_escape(topic.title), ""]
        for i, (kind, text) in enumerate(topic.blocks):
            line = "".join(md_escape(r[1]) if r[0] == "text" else "[%s](#%s)" % (md_escape(r[2]), r[1])
                           for r in runs(text, topics))
            out.append({"par": "", "item": "- ", "head": "### "}[kind] + line)
            if kind != "item" or i + 1 == len(topic.blocks) or topic.blocks[i + 1][0] != "item":
                out.append("")
    return "\n".join(out).rstrip("\n") + "\n"


# -- the contents file -----------------------------------------------------

def contents_file(title, topics, hlp_name):
    lines = [":Base " + hlp_name, ":Title " + title]
    lines += ["1 %s=%s" % (t.title, t.ident) for t in topics]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


# -- the WinHelp file ------------------------------------------------------

def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


NONE = 0xFFFFFFFF
BLOCK = 4096           # a topic block: a 12-byte header and its data
BLOCK_DATA = BLOCK - 12
FONT_TEXT, FONT_TITLE, FONT_HEAD = 0, 1, 2
# The face is "ＭＳ ゴシック"; viewers without it take another Shift-JIS
# font, since every font of the file has the character set 128.
FONT_FACE = "ＭＳ ゴシック"
SHIFTJIS_CHARSET = 128


def context_hash(ident):
    """The hash by which WinHelp finds a topic's context id."""
    h = 0
    for c in ident.lower():
        if "a" <= c <= "z":
            x = ord(c) - ord("a") + 17
        elif "1" <= c <= "9":
            x = ord(c) - ord("0")
        else:
            x = {"0": 10, ".": 12, "_": 13}[c]
        h = (h * 43 + x) & 0xFFFFFFFF
    return h - (1 << 32) if h & 0x80000000 else h


def c_long(v):
    """A compressed signed long: two bytes when it fits, else four."""
    if -0x4000 <= v < 0x4000:
        return u16(v * 2 + 0x8000)
    return u32(v * 2 + 0x80000001)


def c_ushort(v):
    """A compressed unsigned short: one byte when it fits, else two."""
    return bytes([v * 2]) if v < 0x80 else u16(v * 2 + 1)


def c_short(v):
    """A compressed signed short: one byte when it fits, else two."""
    return bytes([v * 2 + 0x80]) if -0x40 <= v < 0x40 else u16(v * 2 + 0x8001)


def sjis(text):
    return text.encode("cp932")


def paragraph(font, pieces, space_above):
    """A display-text record (type 0x20): its LinkData1 and LinkData2 and
    its length in characters. pieces: ("text", s) and ("link", ident, s)."""
    texts, commands = [], []
    current = [b""]

    def command(code):
        texts.append(current[0])
        commands.append(code)
        current[0] = b""

    command(b"\x80" + u16(font))
    for piece in pieces:
        if piece[0] == "text":
            current[0] += sjis(piece[1])
        else:
            command(b"\xE3" + u32(context_hash(piece[1])))  # a jump, shown as a link
            current[0] += sjis(piece[2])
            command(b"\x89")                                # end of the link
    command(b"\x82")                                        # end of the paragraph
    texts.append(b"")
    commands.append(b"\xFF")
    data2 = b"".join(t + b"\0" for t in texts)
    length = sum(len(t) for t in texts) + 1
    info = b"\x00\x80" + u16(0) + u16(0x0002) + c_short(space_above)
    data1 = c_long(len(data2)) + c_ushort(length) + info + b"".join(commands)
    return data1, data2, length


class Link:
    """One TOPICLINK of the |TOPIC file."""

    def __init__(self, kind, data1, data2, length=0, topic=None):
        self.kind, self.data1, self.data2, self.length, self.topic = kind, data1, data2, length, topic
        self.size = 21 + len(data1) + len(data2)


def topic_links(topics):
    links = []
    for n, topic in enumerate(topics):
        links.append(Link(2, b"\0" * 28, sjis(topic.title), topic=n))
        blocks = [("title", topic.title)] + topic.blocks
        for kind, text in blocks:
            pieces = [("text", text)] if kind == "title" else runs(text, topics)
            if kind == "item":
                pieces = [("text", "・")] + pieces
            font = {"title": FONT_TITLE, "head": FONT_HEAD}.get(kind, FONT_TEXT)
            data1, data2, length = paragraph(font, pieces, 12 if kind == "head" else 6)
            links.append(Link(0x20, data1, data2, length))
    return links


def topic_file(topics):
    """|TOPIC and the topic offset of each topic, by index."""
    links = topic_links(topics)
    pos = 0
    for link in links:
        link.start = pos
        block, offset = divmod(pos, BLOCK_DATA)
        link.pos = (block << 14) + 12 + offset  # TOPICPOS
        pos += link.size
    # Topic offsets: the block number times 0x8000 plus the characters of
    # the text records that start in the same block before the topic.
    offsets = {}
    chars, last_block = 0, -1
    for link in links:
        block = link.start // BLOCK_DATA
        if block != last_block:
            chars, last_block = 0, block
        if link.kind == 2:
            offsets[link.topic] = block * 0x8000 + chars
        else:
            chars += link.length
    headers = [i for i, link in enumerate(links) if link.kind == 2]
    stream = b""
    for i, link in enumerate(links):
        prev = links[i - 1].pos if i else NONE
        nxt = links[i + 1].pos if i + 1 < len(links) else NONE
        data1 = link.data1
        if link.kind == 2:
            n = link.topic
            later = [h for h in headers if h > i]
            end = later[0] if later else len(links)
            data1 = (u32(sum(l.size for l in links[i:end]))
                     + u32(offsets[n - 1] if n else NONE)
                     + u32(offsets[n + 1] if n + 1 < len(topics) else NONE)
                     + u32(n) + u32(NONE) + u32(nxt)
                     + u32(links[later[0]].pos if later else NONE))
        stream += (u32(link.size) + u32(len(link.data2)) + u32(prev) + u32(nxt)
                   + u32(21 + len(data1)) + bytes([link.kind]) + data1 + link.data2)
    blocks = []
    for b in range(max(1, -(-len(stream) // BLOCK_DATA))):
        begin = b * BLOCK_DATA
        before = [l for l in links if l.start < begin]
        inside = [l for l in links if begin <= l.start < begin + BLOCK_DATA]
        header_before = [l for l in before if l.kind == 2]
        blocks.append(u32(before[-1].pos if before else NONE)
                      + u32(inside[0].pos if inside else NONE)
                      + u32(header_before[-1].pos if header_before else NONE)
                      + stream[begin:begin + BLOCK_DATA].ljust(BLOCK_DATA, b"\0"))
    return b"".join(blocks), [offsets[n] for n in range(len(topics))]


def btree(structure, flags, page_size, entries):
    """A B+ tree of one leaf page holding the given entries, in order."""
    body = b"".join(entries)
    if 8 + len(body) > page_size:
        raise ValueError("too many entries for one B+ tree page")
    page = u16(page_size - 8 - len(body)) + u16(len(entries)) + u16(0xFFFF) + u16(0xFFFF) + body
    header = (u16(0x293B) + u16(flags) + u16(page_size) + structure.ljust(16, b"\0")
              + u16(0) + u16(0) + u16(0) + u16(0xFFFF) + u16(1) + u16(1) + u32(len(entries)))
    return header + page.ljust(page_size, b"\0")


def system_file(title, contents_offset):
    def record(kind, data):
        return u16(kind) + u16(len(data)) + data
    # Version 1.33 (Help Workshop 4), flags 0: uncompressed 4 KB topic blocks.
    return (u16(0x036C) + u16(33) + u16(1) + u32(0) + u16(0)
            + record(1, sjis(title) + b"\0")
            + record(3, u32(contents_offset))
            + record(6, main_window(title))
            + record(11, u16(SHIFTJIS_CHARSET)))


def main_window(title):
    """The window record of "main", which gives the viewer's caption:
    type, name and caption set; place, size and colours the viewer's own."""
    caption = sjis(title)
    if len(caption) > 50:
        raise ValueError("the title is longer than a window caption (50 bytes)")
    return (u16(0x0007) + b"primary".ljust(10, b"\0") + b"main".ljust(9, b"\0")
            + caption.ljust(51, b"\0") + b"\0" * 10 + u32(0xFFFFFF) + u32(0xFFFFFF))


def font_file():
    face = sjis(FONT_FACE).ljust(20, b"\0")
    # attributes (1 bold), half points, family (3 swiss), face index, colours
    fonts = [(0, 20, (0, 0, 0)), (1, 28, (0, 0, 128)), (1, 22, (0, 0, 0))]
    descriptors = b"".join(bytes([a, size, 3]) + u16(0) + bytes(rgb) + b"\xff\xff\xff"
                           for a, size, rgb in fonts)
    return u16(1) + u16(len(fonts)) + u16(8) + u16(8 + len(face)) + face + descriptors


def winhelp(title, topics):
    if len({context_hash(t.ident) for t in topics}) != len(topics):
        raise ValueError("two context ids have the same hash")
    topic, offsets = topic_file(topics)
    context = btree(b"L4", 0x0002, 2048,
                    [u32(h) + u32(o) for h, o in sorted((context_hash(t.ident), o)
                                                        for t, o in zip(topics, offsets))])
    titles = btree(b"Lz", 0x0002, 2048, [u32(o) + sjis(t.title) + b"\0" for t, o in zip(topics, offsets)])
    files = sorted({"|CONTEXT": context, "|FONT": font_file(), "|TTLBTREE": titles,
                    "|SYSTEM": system_file(title, offsets[0]), "|TOPIC": topic}.items(),
                   key=lambda item: item[0].encode("ascii"))
    body, places, pos = b"", [], 16
    for name, data in files:
        places.append((name, pos))
        body += u32(len(data) + 9) + u32(len(data)) + b"\x04" + data
        pos += len(data) + 9
    directory = btree(b"z4", 0x0402, 1024, [name.encode("ascii") + b"\0" + u32(at) for name, at in places])
    directory = u32(len(directory) + 9) + u32(len(directory)) + b"\x04" + directory
    size = pos + len(directory)
    return u32(0x00035F3F) + u32(pos) + u32(NONE) + u32(size) + body + directory


def main(argv=None):
    parser = argparse.ArgumentParser(description="Writes Orvanel's help files from their source.")
    parser.add_argument("source")
    parser.add_argument("--hlp")
    parser.add_argument("--cnt")
    parser.add_argument("--md")
    args = parser.parse_args(argv)
    with open(args.source, encoding="utf-8") as f:
        title, topics = parse(f.read())
    outputs = []
    if args.hlp:
        outputs.append((args.hlp, winhelp(title, topics)))
    if args.cnt:
        name = re.split(r"[\\/]", args.hlp)[-1] if args.hlp else "orvanel.hlp"
        outputs.append((args.cnt, contents_file(title, topics, name)))
    if args.md:
        outputs.append((args.md, markdown(title, topics, "docs/help/orvanel-help.txt").encode("utf-8")))
    for path, data in outputs:
        with open(path, "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
