#!/usr/bin/env python3
"""Writes the seeds of fuzz_filesystems (python3 tests/fuzz/make_fs_seeds.py):
small D88 images in which each reader finds its tables. Every table entry
of a 2D disk points at one of a few tracks, so that a few KiB have the shape
of a whole disk; most sectors a chain leads to are missing."""
import os, struct

def image(tracks, entries):  # tracks: {entry: {(c, h): {r: bytes}}}, 16 sectors of 256
    body, table = b"", [0] * 164
    for t, ((c, h), put) in sorted(tracks.items()):
        table[t] = 688 + len(body)
        for r in range(1, 17):
            data = put.get(r, b"").ljust(256, b"\xff")
            body += struct.pack("<4BH3B5xH", c, h, r, 1, 16, 0, 0, 0, 256) + data
    table = [x or min(v for v in table if v) for x in table[:entries]] + table[entries:]
    return b"SEED".ljust(28, b"\0") + struct.pack("<I164I", 688 + len(body), *table) + body

n88_fat = bytes([1, 2, 0xC3, 3] + [0xFF] * 70 + [0xFE, 0xFE] + [0xFF] * 180)  # a chain, a loop
seeds = {
    "n88": image({37: ((18, 1), {1: b"PROG  BAS\x80\x00".ljust(16, b"\xff") + b"LOOP  ASC\x00\x03",
                                 14: n88_fat, 15: n88_fat, 16: n88_fat}),
                  0: ((0, 0), {1: bytes([0x16, 0, 10, 0, 0x91, 0x20, 0x22]) + b"hello\x22\0\0\0"})}, 80),
    "fbasic": image({0: ((0, 0), {3: b"SYS"}), 2: ((1, 0), {1: b"\0\xff\xff\xff\xff\x01\xc2", 4: b"DEMO".ljust(11, b"\0") + b"\x02\0\0\0\0"}),
                     4: ((2, 0), {1: b"\0\0\x10\x18\0"})}, 80),
    "hubasic": image({0: ((0, 0), {15: b"\x01\x8f\x03\x83".ljust(256, b"\0")}),
                      1: ((0, 1), {1: b"\x01game         bin " + struct.pack("<HHH", 3000, 0x3000, 0x3000) + bytes(5) + b"\0\x02\0"})}, 80),
    "fat12": image({0: ((0, 0), {1: bytes(11) + bytes([0, 1, 1, 1, 0, 2, 16, 0, 0x80, 0, 0xFE, 1, 0]),
                                 2: b"\xfe\xff\xff\x03\xf0\xff", 3: b"\xfe\xff\xff\x03\xf0\xff",
                                 4: b"A       TXT\x20".ljust(26, b"\0") + struct.pack("<HI", 2, 300) +
                                    b"SUB        \x10".ljust(26, b"\0") + struct.pack("<HI", 4, 0)})}, 2),
}
out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus_filesystems")
os.makedirs(out, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(out, name + ".d88"), "wb") as f:
        f.write(data)
