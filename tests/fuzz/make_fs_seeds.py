#!/usr/bin/env python3
"""Writes the seeds of fuzz_filesystems: small D88 images in which each
reader finds its tables. Every table entry of a 2D shape points at one of a
few tracks, so that an image of a few KiB has the shape of a whole disk;
the sectors a file's chain leads to are mostly missing, which the readers
must say. Run from the repository: python3 tests/fuzz/make_fs_seeds.py"""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus_filesystems")


def image(tracks, entries, n=1):
    """tracks: {table entry: [(c, h, r, data)]}; entries: how many table
    entries to fill (the ones not in `tracks` point at the first track)."""
    body, table = b"", [0] * 164
    first = None
    for t, sectors in sorted(tracks.items()):
        table[t] = 688 + len(body)
        first = first or table[t]
        for c, h, r, data in sectors:
            body += struct.pack("<4BH3B5xH", c, h, r, n, len(sectors), 0, 0, 0, len(data)) + data
    for t in range(entries):
        table[t] = table[t] or first
    head = bytearray(688)
    head[:4] = b"SEED"
    struct.pack_into("<I", head, 28, 688 + len(body))
    struct.pack_into("<164I", head, 32, *table)
    return bytes(head) + body


def track(c, h, fill, put, spt=16, size=256):
    secs = []
    for r in range(1, spt + 1):
        data = bytearray([fill]) * size
        for off, b in put.get(r, []):
            data[off:off + len(b)] = b
        secs.append((c, h, r, bytes(data)))
    return secs


def n88():
    fat = bytearray([0xFF]) * 256
    fat[74] = fat[75] = 0xFE
    fat[0], fat[1], fat[2] = 1, 2, 0xC3  # a chain through the first clusters
    fat[3] = 3  # and one that loops
    put = {1: [(0, b"PROG  BAS\x80\x00" + b"\xff" * 5, ), (16, b"LOOP  ASC\x00\x03" + b"\xff" * 5)],
           14: [(0, bytes(fat))], 15: [(0, bytes(fat))], 16: [(0, bytes(fat))]}
    prog = bytes([0x16, 0, 10, 0, 0x91, 0x20, 0x22]) + b"hello" + bytes([0x22, 0, 0, 0])
    return image({37: track(18, 1, 0xFF, put), 0: track(0, 0, 0, {1: [(0, prog)]})}, 80)


def fbasic():
    fat = bytearray([0xFF]) * 256
    fat[0] = 0
    fat[5], fat[6] = 1, 0xC2
    entry = b"DEMO\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00\x00" + b"\xff" * 16
    return image({0: track(0, 0, 0, {3: [(0, b"SYS")]}), 2: track(1, 0, 0xFF, {1: [(0, bytes(fat))], 4: [(0, entry)]}),
                  4: track(2, 0, 0, {1: [(0, b"\x00\x00\x10\x18\x00")]})}, 80)


def hubasic():
    fat = bytearray(256)
    fat[0:4] = b"\x01\x8f\x03\x83"
    entry = b"\x01" + b"game         bin" + b"\x20" + struct.pack("<HHH", 3000, 0x3000, 0x3000) + bytes(5) + b"\x00\x02\x00"
    return image({0: track(0, 0, 0, {15: [(0, bytes(fat))]}), 1: track(0, 1, 0xFF, {1: [(0, entry)]})}, 80)


def fat12():
    boot = bytearray(256)
    boot[0x0B:0x18] = bytes([0x00, 0x01, 1, 1, 0, 2, 16, 0, 0x80, 0x00, 0xFE, 1, 0])
    fat = bytearray(256)
    fat[0:6] = b"\xfe\xff\xff\x03\xf0\xff"  # clusters 2 -> 3 -> end
    root = b"A       TXT\x20" + bytes(14) + struct.pack("<HI", 2, 300) + b"SUB        \x10" + bytes(14) + struct.pack("<HI", 4, 0)
    return image({0: track(0, 0, 0, {1: [(0, bytes(boot))], 2: [(0, bytes(fat))], 3: [(0, bytes(fat))], 4: [(0, root)]})}, 2)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for name, make in [("n88", n88), ("fbasic", fbasic), ("hubasic", hubasic), ("fat12", fat12)]:
        with open(os.path.join(OUT, name + ".d88"), "wb") as f:
            f.write(make())
