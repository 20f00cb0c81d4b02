#!/usr/bin/env python3
"""Draws the module's bitmaps as 16-colour .bmp files into resources/bitmaps/.

The pictures show a BLAST result: a page with the query as a dark bar on top
and the hits below it as bars coloured by score, placed along the query.
Pure red (255, 0, 0) is the transparent colour.

  document16.bmp   16 by 16, the table's small icon
  document32.bmp   32 by 32, the table's large icon
  documents16.bmp  64 by 16, four small object icons: stored, open, linked, temporary
  documents32.bmp 128 by 32, the same four large

Usage: tools/draw_bitmaps.py [OUTPUT_DIR] [--preview DIR]  (preview: enlarged PNGs)
"""

import os
import struct
import sys
import zlib

PALETTE = [
    (255, 0, 0),  # 0 transparent
    (44, 52, 70),  # 1 outline
    (255, 255, 255),  # 2 paper
    (226, 231, 240),  # 3 paper shade, fold
    (150, 158, 174),  # 4 grey: shadow, text lines
    (28, 58, 138),  # 5 query bar
    (204, 36, 52),  # 6 hits of the best score
    (186, 52, 170),  # 7 good score
    (40, 150, 72),  # 8 fair score
    (52, 112, 218),  # 9 weak score
    (246, 196, 48),  # 10 gold
    (176, 206, 246),  # 11 light blue: lens, selection
    (18, 136, 140),  # 12 teal: link arrow
    (232, 118, 28),  # 13 orange: clock rim
    (96, 104, 120),  # 14 dark grey
    (0, 0, 0),  # 15 black
]
T, OUT, PAPER, SHADE, GREY, QUERY, BEST, GOOD, FAIR, WEAK, GOLD, LENS, LINK, CLOCK, DARK, BLACK = range(16)
SPRITE_COLOURS = {"O": OUT, "P": PAPER, "L": LENS, "K": LINK, "D": DARK}


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.px = [[T] * width for _ in range(height)]

    def set(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):  # inclusive corners
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def disc(self, cx, cy, r, c, ring=None):
        for y in range(self.height):
            for x in range(self.width):
                d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
                if d <= r:
                    self.set(x, y, ring if ring is not None and d > r - 1.2 else c)

    def sprite(self, x0, y0, rows):
        """Draws `rows` of SPRITE_COLOURS letters at (x0, y0); '.' leaves a pixel."""
        for y, row in enumerate(rows):
            for x, letter in enumerate(row):
                if letter != ".":
                    self.set(x0 + x, y0 + y, SPRITE_COLOURS[letter])

    def blit(self, other, ox):
        for y in range(other.height):
            for x in range(other.width):
                self.set(ox + x, y, other.px[y][x])


def page(s):
    """The result page of size s (16 or 32): outline, folded corner, bars."""
    c = Canvas(s, s)
    big = s == 32
    x0, x1 = (5, 26) if big else (2, 13)
    y0, y1 = (1, 30) if big else (0, 15)
    fold = 7 if big else 4
    if big:  # a soft shadow on the right and below
        c.rect(x0 + 2, y1 + 1, x1 + 1, y1 + 1, GREY)
        c.rect(x1 + 1, y0 + 2, x1 + 1, y1 + 1, GREY)
    c.rect(x0, y0, x1, y1, PAPER)
    c.frame(x0, y0, x1, y1, OUT)
    # the folded corner
    for i in range(fold):
        for x in range(x1 - fold + 1 + i, x1 + 1):
            c.set(x, y0 + i, T)
        c.set(x1 - fold + 1 + i, y0 + i, OUT)
    c.rect(x1 - fold + 1, y0, x1 - fold + 1, y0 + fold - 1, OUT)
    for i in range(1, fold):
        for x in range(x1 - fold + 2, x1 - fold + 1 + i):
            c.set(x, y0 + i, SHADE)
    c.rect(x1 - fold + 1, y0 + fold - 1, x1, y0 + fold - 1, OUT)
    if big:
        # a title line, the query bar, and hits along it
        c.rect(x0 + 3, y0 + 3, x0 + 11, y0 + 3, GREY)
        c.rect(x0 + 3, y0 + 5, x0 + 9, y0 + 5, GREY)
        c.rect(x0 + 3, 10, x1 - 3, 11, QUERY)  # the query
        rows = [[(BEST, 0, 16)], [(GOOD, 2, 15)], [(GOOD, 5, 16)], [(FAIR, 1, 8), (FAIR, 10, 16)],
                [(WEAK, 4, 12)]]
        for i, row in enumerate(rows):
            y = 14 + 3 * i
            for colour, a, b in row:
                c.rect(x0 + 3 + a, y, x0 + 3 + b - 1, y + 1, colour)
    else:
        c.rect(x0 + 2, 3, x1 - 2, 3, QUERY)
        for y, colour, a, b in [(5, BEST, 0, 8), (7, GOOD, 1, 7), (9, FAIR, 0, 4), (9, FAIR, 5, 8),
                                (11, WEAK, 2, 6)]:
            c.rect(x0 + 2 + a, y, x0 + 2 + b - 1, y, colour)
        c.rect(x0 + 2, 13, x1 - 2, 13, SHADE)
    return c


def open_page(s):
    """The page under a magnifying glass: the result is being looked at."""
    c = page(s)
    if s == 32:
        c.disc(21.5, 21.5, 7.5, LENS, ring=OUT)
        c.disc(21.5, 21.5, 6.3, LENS, ring=PAPER)
        c.disc(21.5, 21.5, 5.2, LENS)
        c.rect(19, 19, 21, 19, PAPER)
        for i in range(5):
            c.rect(26 + i, 27 + i, 27 + i, 28 + i, DARK)
            c.set(26 + i, 26 + i, OUT)
    else:
        c.sprite(7, 7, ["..OOO....",
                        ".OLLLO...",
                        "OLPLLLO..",
                        "OLLLLLO..",
                        "OLLLLLO..",
                        ".OLLLOD..",
                        "..OOODDD.",
                        "......DDD",
                        ".......DD"])
    return c


def linked_page(s):
    """The page with a link arrow: the object stands for a result elsewhere."""
    c = page(s)
    if s == 32:
        c.rect(0, 19, 12, 31, PAPER)
        c.frame(0, 19, 12, 31, OUT)
        # a curved arrow up and to the right
        for x, y in [(3, 28), (3, 27), (3, 26), (4, 25), (4, 24), (5, 23), (6, 23), (7, 23)]:
            c.rect(x, y, x + 1, y, LINK)
        c.rect(7, 21, 7, 25, LINK)
        c.rect(8, 22, 8, 24, LINK)
        c.set(9, 23, LINK)
    else:
        c.sprite(0, 8, ["OOOOOOOO",
                        "OPPKKKKO",
                        "OPPPKKKO",
                        "OPPKKKKO",
                        "OPKKKPKO",
                        "OKKKPPPO",
                        "OKKPPPPO",
                        "OOOOOOOO"])
    return c


def temporary_page(s):
    """The page with a clock: a temporary result, not kept."""
    c = page(s)
    if s == 32:
        c.disc(23.5, 23.5, 8.3, PAPER, ring=CLOCK)
        c.disc(23.5, 23.5, 8.3 - 1.2, PAPER)
        c.rect(23, 18, 23, 23, OUT)
        c.rect(23, 23, 27, 23, OUT)
        for x, y in [(23, 16), (31, 23), (23, 31), (16, 23)]:
            c.set(x, y, GOLD)
    else:
        c.disc(11.5, 11.5, 4.5, PAPER, ring=CLOCK)
        c.rect(11, 9, 11, 11, OUT)
        c.rect(12, 11, 13, 11, OUT)
    return c


def write_bmp(path, canvas):
    width, height = canvas.width, canvas.height
    stride = (width * 4 + 31) // 32 * 4
    rows = []
    for y in reversed(range(height)):  # bottom-up
        row = bytearray(stride)
        for x in range(width):
            index = canvas.px[y][x]
            row[x // 2] |= index << 4 if x % 2 == 0 else index
        rows.append(bytes(row))
    pixels = b"".join(rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    with open(path, "wb") as out:
        out.write(header + info + palette + pixels)


def write_preview(path, canvas, scale=8):
    """An enlarged PNG with a checkerboard behind transparent pixels."""
    raw = bytearray()
    for y in range(canvas.height * scale):
        raw.append(0)
        for x in range(canvas.width * scale):
            index = canvas.px[y // scale][x // scale]
            if index == T:
                raw += bytes((236, 236, 236) if (x // 8 + y // 8) % 2 else (206, 206, 206))
            else:
                raw += bytes(PALETTE[index])

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    ihdr = struct.pack(">IIBBBBB", canvas.width * scale, canvas.height * scale, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw)))
                  + chunk(b"IEND", b""))


def strip(s):
    c = Canvas(4 * s, s)
    for i, draw in enumerate([page, open_page, linked_page, temporary_page]):
        c.blit(draw(s), i * s)
    return c


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = os.path.join(here, "..", "resources", "bitmaps")
    preview = None
    args = list(argv)
    if "--preview" in args:
        at = args.index("--preview")
        preview = args[at + 1]
        del args[at:at + 2]
    if args:
        out_dir = args[0]
    os.makedirs(out_dir, exist_ok=True)
    pictures = {"document16": page(16), "document32": page(32), "documents16": strip(16),
                "documents32": strip(32)}
    for name, canvas in pictures.items():
        write_bmp(os.path.join(out_dir, name + ".bmp"), canvas)
        if preview:
            os.makedirs(preview, exist_ok=True)
            write_preview(os.path.join(preview, name + ".png"), canvas)


if __name__ == "__main__":
    main(sys.argv[1:])
