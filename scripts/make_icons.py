#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files.

    python3 scripts/make_icons.py [OUTPUT_DIR]

OUTPUT_DIR defaults to the resources folder beside this script's folder.
Writes app.ico (icon 101), disk.ico (icon 102), disk_protected.ico
(icon 103) and disk_errors.ico (icon 104, the mark drawn over a disk that
a check found errors in: transparent but for its lower left corner). Every image is a 4-bit (16 colour) device-independent bitmap
with the standard VGA palette and an AND mask, 32x32 and 16x16, which is
what the disk list's ILC_COLOR4 image lists and the window class expect.

The pictures are drawn pixel by pixel with a few primitives, so the
output is the same on every run; the .ico files are kept in the
repository and this script is how they were made.
"""

import os
import struct
import sys

# The 16 colours of the standard VGA palette, in the order the 4-bit
# Windows bitmaps use them, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 dark red
    (0x00, 0x80, 0x00),  # 2 dark green
    (0x80, 0x80, 0x00),  # 3 dark yellow
    (0x00, 0x00, 0x80),  # 4 dark blue
    (0x80, 0x00, 0x80),  # 5 dark magenta
    (0x00, 0x80, 0x80),  # 6 dark cyan
    (0xC0, 0xC0, 0xC0),  # 7 light grey
    (0x80, 0x80, 0x80),  # 8 dark grey
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 green
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 magenta
    (0x00, 0xFF, 0xFF),  # 14 cyan
    (0xFF, 0xFF, 0xFF),  # 15 white
]

BLACK, DRED, DGREEN, DYELLOW, DBLUE, DMAGENTA, DCYAN, LGREY = range(8)
DGREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(8, 16)

# Body colours of a disk: (face, lit edge).
NAVY = (DBLUE, BLUE)
MAROON = (DRED, RED)
FOREST = (DGREEN, GREEN)
TEAL = (DCYAN, CYAN)


class Canvas:
    """A square of palette indexes; None is a transparent pixel."""

    def __init__(self, size):
        self.size = size
        self.px = [[None] * size for _ in range(size)]

    def put(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def hline(self, x0, x1, y, c):
        self.fill(x0, y, x1, y, c)

    def vline(self, x, y0, y1, c):
        self.fill(x, y0, x, y1, c)

    def frame(self, x0, y0, x1, y1, c):
        self.hline(x0, x1, y0, c)
        self.hline(x0, x1, y1, c)
        self.vline(x0, y0, y1, c)
        self.vline(x1, y0, y1, c)


# Floppy disks ---------------------------------------------------------------

def draw_floppy32(cv, ox, oy, body=NAVY):
    """A 3.5-inch disk of 28x28 pixels whose top left corner is (ox, oy)."""
    face, lit = body
    x0, y0, x1, y1 = ox, oy, ox + 27, oy + 27
    cut = 3  # the chamfered corner, top right

    # Case: black outline, lit top and left inner edge, face colour inside,
    # a darker bottom and right inner edge.
    cv.fill(x0, y0, x1, y1, BLACK)
    cv.fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, face)
    cv.hline(x0 + 1, x1 - 1 - cut, y0 + 1, lit)
    cv.vline(x0 + 1, y0 + 1, y1 - 1, lit)
    cv.hline(x0 + 2, x1 - 1, y1 - 1, BLACK if face == DBLUE else DGREY)
    cv.vline(x1 - 1, y0 + 1 + cut, y1 - 1, BLACK if face == DBLUE else DGREY)
    for i in range(cut + 1):
        # Transparent triangle outside the diagonal, outline on it.
        for j in range(cut + 1 - i):
            cv.put(x1 - j, y0 + i, None)
        cv.put(x1 - (cut - i), y0 + i, BLACK)
        if 0 < i < cut:
            cv.put(x1 - (cut - i) - 1, y0 + i + 1, face)

    # Metal shutter across the top, with its window and the groove it
    # slides in.
    sx0, sx1 = ox + 7, ox + 20
    cv.hline(sx0 - 2, sx1 + 2, oy + 1, BLACK)
    cv.fill(sx0, oy + 1, sx1, oy + 10, LGREY)
    cv.vline(sx0 - 1, oy + 1, oy + 11, BLACK)
    cv.vline(sx1 + 1, oy + 1, oy + 11, BLACK)
    cv.hline(sx0 - 1, sx1 + 1, oy + 11, BLACK)
    cv.vline(sx0, oy + 1, oy + 10, WHITE)
    cv.vline(sx1, oy + 2, oy + 10, DGREY)
    cv.hline(sx0 + 1, sx1, oy + 10, DGREY)
    # The window through which the head reaches the medium.
    cv.fill(sx0 + 8, oy + 3, sx0 + 10, oy + 8, BLACK)
    cv.vline(sx0 + 11, oy + 3, oy + 8, WHITE)
    cv.hline(sx0 + 8, sx0 + 11, oy + 9, WHITE)

    # Paper label on the lower part, with a coloured band, "D88" written
    # on it and two ruled lines.
    lx0, ly0, lx1, ly1 = ox + 6, oy + 14, ox + 21, oy + 26
    cv.fill(lx0, ly0, lx1, ly1, WHITE)
    cv.vline(lx0 - 1, ly0, ly1, BLACK)
    cv.vline(lx1 + 1, ly0, ly1, BLACK)
    cv.hline(lx0, lx1, ly0 - 1, BLACK)
    cv.hline(lx0, lx1, ly0, RED)
    cv.hline(lx0, lx1, ly0 + 1, RED)
    write(cv, lx0 + 3, ly0 + 3, 'D88', DBLUE)
    for y in (ly0 + 9, ly0 + 11):
        cv.hline(lx0 + 2, lx1 - 2, y, LGREY)

    # Write-protect window at the bottom left, density hole at the bottom
    # right.
    cv.fill(x0 + 2, y1 - 4, x0 + 3, y1 - 2, BLACK)
    cv.fill(x1 - 3, y1 - 4, x1 - 2, y1 - 2, BLACK)


# A 3x5 pixel font, just the letters the label needs.
GLYPHS = {
    'D': ['XX.', 'X.X', 'X.X', 'X.X', 'XX.'],
    '8': ['XXX', 'X.X', '.X.', 'X.X', 'XXX'],
}


def write(cv, x, y, text, c):
    for ch in text:
        for dy, row in enumerate(GLYPHS[ch]):
            for dx, bit in enumerate(row):
                if bit == 'X':
                    cv.put(x + dx, y + dy, c)
        x += 4


def draw_floppy16(cv, ox, oy, body=NAVY):
    """A 3.5-inch disk of 14x14 pixels whose top left corner is (ox, oy)."""
    face, lit = body
    x0, y0, x1, y1 = ox, oy, ox + 13, oy + 13
    cv.fill(x0, y0, x1, y1, BLACK)
    cv.fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, face)
    cv.hline(x0 + 1, x1 - 2, y0 + 1, lit)
    cv.vline(x0 + 1, y0 + 1, y1 - 1, lit)
    # Chamfered corner.
    cv.put(x1, y0, None)
    cv.put(x1 - 1, y0, BLACK)
    cv.put(x1, y0 + 1, BLACK)

    # Shutter.
    cv.fill(ox + 4, oy + 1, ox + 9, oy + 5, LGREY)
    cv.vline(ox + 3, oy + 1, oy + 5, BLACK)
    cv.vline(ox + 10, oy + 1, oy + 5, BLACK)
    cv.hline(ox + 3, ox + 10, oy + 5, BLACK)
    cv.vline(ox + 4, oy + 1, oy + 4, WHITE)
    cv.fill(ox + 7, oy + 2, ox + 8, oy + 3, BLACK)

    # Label.
    cv.fill(ox + 3, oy + 7, ox + 10, oy + 12, WHITE)
    cv.hline(ox + 3, ox + 10, oy + 7, RED)
    cv.hline(ox + 4, ox + 9, oy + 9, DBLUE)
    cv.hline(ox + 4, ox + 9, oy + 11, LGREY)


# Padlock ---------------------------------------------------------------------

# Pixel maps: X black, W white, L light grey, G dark grey, Y yellow,
# D dark yellow; '.' leaves the pixel below as it is.
MAP_COLOURS = {'X': BLACK, 'W': WHITE, 'L': LGREY, 'G': DGREY,
               'Y': YELLOW, 'D': DYELLOW, 'R': RED, 'M': DRED}

LOCK32 = [
    '...XXXXXXXX...',
    '..XWLLLLLLGX..',
    '.XWLXXXXXXLGX.',
    '.XWGX....XLGX.',
    '.XWGX....XLGX.',
    '.XWGX....XLGX.',
    '.XWGX....XLGX.',
    'XXXXXXXXXXXXXX',
    'XWWWWWWWWWWWWX',
    'XWYYYYYYYYYYDX',
    'XWYYYYXXYYYYDX',
    'XWYYYXXXXYYYDX',
    'XWYYYXXXXYYYDX',
    'XWYYYYXXYYYYDX',
    'XWYYYYXXYYYYDX',
    'XWYYYYYYYYYYDX',
    'XWDDDDDDDDDDDX',
    'XXXXXXXXXXXXXX',
]

LOCK16 = [
    '..XXX..',
    '.XLLLX.',
    'XLXXXLX',
    'XLX.XGX',
    'XXXXXXX',
    'XYYXYYX',
    'XYYXYDX',
    'XDDDDDX',
    'XXXXXXX',
]


# The error mark: a red disc with a white exclamation mark.
ERRORS32 = [
    '...XXXXXX...',
    '..XRRRRRRX..',
    '.XRRRWWRRRX.',
    'XRRRRWWRRRRX',
    'XRRRRWWRRRRX',
    'XRRRRWWRRRRX',
    'XRRRRWWRRRRX',
    'XRRRRRRRRRRX',
    'XRRRRWWRRRRX',
    '.XMRRWWRRMX.',
    '..XMMMMMMX..',
    '...XXXXXX...',
]

ERRORS16 = [
    '.XXXXX.',
    'XRRWRRX',
    'XRRWRRX',
    'XRRWRRX',
    'XRRRRRX',
    'XMRWRMX',
    '.XXXXX.',
]


def stamp(cv, ox, oy, rows):
    for dy, row in enumerate(rows):
        for dx, ch in enumerate(row):
            if ch != '.':
                cv.put(ox + dx, oy + dy, MAP_COLOURS[ch])


# The icons -------------------------------------------------------------------

def disk_icon(size):
    cv = Canvas(size)
    if size == 32:
        draw_floppy32(cv, 2, 2)
    else:
        draw_floppy16(cv, 1, 1)
    return cv


def protected_icon(size):
    cv = disk_icon(size)
    if size == 32:
        stamp(cv, 18, 14, LOCK32)
    else:
        stamp(cv, 9, 7, LOCK16)
    return cv


def errors_icon(size):
    cv = Canvas(size)
    if size == 32:
        stamp(cv, 0, 20, ERRORS32)
    else:
        stamp(cv, 0, 9, ERRORS16)
    return cv


def app_icon(size):
    """A fanned stack of three disks."""
    cv = Canvas(size)
    if size == 32:
        for (x, y), body in (((0, 0), MAROON), ((2, 2), FOREST), ((4, 4), NAVY)):
            draw_floppy32(cv, x, y, body)
    else:
        for (x, y), body in (((0, 0), MAROON), ((2, 2), NAVY)):
            draw_floppy16(cv, x, y, body)
    return cv


# ICO writer ------------------------------------------------------------------

def dib_bytes(cv):
    """A BITMAPINFOHEADER, the palette, the 4-bit colour bits and the AND mask."""
    n = cv.size
    xor_stride = ((n * 4 + 31) // 32) * 4
    and_stride = ((n + 31) // 32) * 4
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 4, 0,
                         (xor_stride + and_stride) * n, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor_rows = []
    and_rows = []
    for y in range(n - 1, -1, -1):  # bottom-up
        row = cv.px[y]
        xb = bytearray(xor_stride)
        ab = bytearray(and_stride)
        for x, c in enumerate(row):
            if c is None:
                ab[x // 8] |= 0x80 >> (x % 8)
                c = 0  # transparent pixels are black in the colour bits
            if x % 2 == 0:
                xb[x // 2] |= c << 4
            else:
                xb[x // 2] |= c
        xor_rows.append(bytes(xb))
        and_rows.append(bytes(ab))
    return header + palette + b''.join(xor_rows) + b''.join(and_rows)


def ico_bytes(canvases):
    images = [dib_bytes(cv) for cv in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for cv, data in zip(canvases, images):
        out += struct.pack('<BBBBHHII', cv.size, cv.size, 16, 0, 1, 4,
                           len(data), offset)
        offset += len(data)
    return out + b''.join(images)


ICONS = [
    ('app.ico', app_icon),
    ('disk.ico', disk_icon),
    ('disk_protected.ico', protected_icon),
    ('disk_errors.ico', errors_icon),
]


def main(argv):
    if len(argv) > 1:
        outdir = argv[1]
    else:
        outdir = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                              os.pardir, 'resources')
    for name, draw in ICONS:
        path = os.path.join(outdir, name)
        with open(path, 'wb') as f:
            f.write(ico_bytes([draw(32), draw(16)]))
        print('wrote', os.path.normpath(path))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
