#!/usr/bin/env python3
"""Draw the demo viewer's pictures from their captions.

    python3 scripts/make_viewer_pictures.py --out DIR   write every picture into DIR
    python3 scripts/make_viewer_pictures.py --list      print the file names, one a line

The viewer's resource script (viewer/korvex-viewer.rc) takes these files from
the build folder, so nothing binary lives in the repository: to change a
button, change its caption in BUTTONS below and rebuild.

Everything is drawn with the small pixel font in this file (5 x 7 cells,
proportional) in the 16 standard colours, and written as 4-bit BMP files and
one 4-bit icon. Only Python's standard library is used; the output is the
same on every run.
"""

import argparse
import struct
import sys
from pathlib import Path

# ---------------------------------------------------------------------------
# The 16 colours (index: red, green, blue)
# ---------------------------------------------------------------------------

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, FACE = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

CAPTION = NAVY     # dark blue captions
EMPHASIS = RED     # "over" and the flag buttons

# ---------------------------------------------------------------------------
# Pixel font: 7 rows above the baseline, an eighth row for descenders.
# '#' is ink. Glyphs are trimmed to their inked columns, one blank column
# goes between letters, a space is three columns wide.
# ---------------------------------------------------------------------------

GLYPHS = {
    "A": ".###. #...# #...# ##### #...# #...# #...#",
    "B": "####. #...# #...# ####. #...# #...# ####.",
    "C": ".###. #...# #.... #.... #.... #...# .###.",
    "D": "####. #...# #...# #...# #...# #...# ####.",
    "E": "##### #.... #.... ####. #.... #.... #####",
    "F": "##### #.... #.... ####. #.... #.... #....",
    "G": ".###. #...# #.... #.### #...# #...# .####",
    "H": "#...# #...# #...# ##### #...# #...# #...#",
    "I": "### .#. .#. .#. .#. .#. ###",
    "J": "..### ...#. ...#. ...#. #..#. #..#. .##..",
    "K": "#...# #..#. #.#.. ##... #.#.. #..#. #...#",
    "L": "#.... #.... #.... #.... #.... #.... #####",
    "M": "#...# ##.## #.#.# #.#.# #...# #...# #...#",
    "N": "#...# #...# ##..# #.#.# #..## #...# #...#",
    "O": ".###. #...# #...# #...# #...# #...# .###.",
    "P": "####. #...# #...# ####. #.... #.... #....",
    "Q": ".###. #...# #...# #...# #.#.# #..#. .##.#",
    "R": "####. #...# #...# ####. #.#.. #..#. #...#",
    "S": ".#### #.... #.... .###. ....# ....# ####.",
    "T": "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#..",
    "U": "#...# #...# #...# #...# #...# #...# .###.",
    "V": "#...# #...# #...# #...# #...# .#.#. ..#..",
    "W": "#...# #...# #...# #.#.# #.#.# #.#.# .#.#.",
    "X": "#...# #...# .#.#. ..#.. .#.#. #...# #...#",
    "Y": "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#..",
    "Z": "##### ....# ...#. ..#.. .#... #.... #####",
    "a": "..... ..... .###. ....# .#### #...# .####",
    "b": "#.... #.... ####. #...# #...# #...# ####.",
    "c": "..... ..... .###. #.... #.... #.... .###.",
    "d": "....# ....# .#### #...# #...# #...# .####",
    "e": "..... ..... .###. #...# ##### #.... .###.",
    "f": "..## .#.. .#.. ###. .#.. .#.. .#..",
    "g": "..... ..... .#### #...# #...# .#### ....# .###.",
    "h": "#.... #.... ####. #...# #...# #...# #...#",
    "i": ".#. ... ##. .#. .#. .#. ###",
    "j": "...# .... ..## ...# ...# ...# #..# .##.",
    "k": "#... #... #..# #.#. ##.. #.#. #..#",
    "l": "##. .#. .#. .#. .#. .#. ###",
    "m": "..... ..... ##.#. #.#.# #.#.# #.#.# #.#.#",
    "n": "..... ..... ####. #...# #...# #...# #...#",
    "o": "..... ..... .###. #...# #...# #...# .###.",
    "p": "..... ..... ####. #...# #...# ####. #.... #....",
    "q": "..... ..... .#### #...# #...# .#### ....# ....#",
    "r": "..... ..... #.##. ##..# #.... #.... #....",
    "s": "..... ..... .#### #.... .###. ....# ####.",
    "t": ".#.. .#.. ###. .#.. .#.. .#.. ..##",
    "u": "..... ..... #...# #...# #...# #..## .##.#",
    "v": "..... ..... #...# #...# #...# .#.#. ..#..",
    "w": "..... ..... #...# #...# #.#.# #.#.# .#.#.",
    "x": "..... ..... #...# .#.#. ..#.. .#.#. #...#",
    "y": "..... ..... #...# #...# #...# .#### ....# .###.",
    "z": "..... ..... ##### ...#. ..#.. .#... #####",
    "0": ".###. #...# #..## #.#.# ##..# #...# .###.",
    "1": ".#. ##. .#. .#. .#. .#. ###",
    "2": ".###. #...# ....# ...#. ..#.. .#... #####",
    "3": "##### ...#. ..#.. ...#. ....# #...# .###.",
    "4": "...#. ..##. .#.#. #..#. ##### ...#. ...#.",
    "5": "##### #.... ####. ....# ....# #...# .###.",
    "6": "..##. .#... #.... ####. #...# #...# .###.",
    "7": "##### ....# ...#. ..#.. .#... .#... .#...",
    "8": ".###. #...# #...# .###. #...# #...# .###.",
    "9": ".###. #...# #...# .#### ....# ...#. .##..",
    ".": ". . . . . . #",
    ",": ".. .. .. .. .. .# .# #.",
    ":": ". . # . # . .",
    "-": "... ... ... ### ... ... ...",
    "(": ".# #. #. #. #. #. .#",
    ")": "#. .# .# .# .# .# #.",
    "/": "....# ...#. ...#. ..#.. .#... .#... #....",
}
SPACE_WIDTH = 3
GLYPH_ROWS = 7


def glyph(ch):
    """The inked columns of a character as rows of booleans."""
    if ch not in GLYPHS:
        sys.exit(f"make_viewer_pictures: no glyph for {ch!r}; add one to GLYPHS")
    rows = [[c == "#" for c in row] for row in GLYPHS[ch].split()]
    width = len(rows[0])
    if any(len(r) != width for r in rows) or len(rows) not in (GLYPH_ROWS, GLYPH_ROWS + 1):
        sys.exit(f"make_viewer_pictures: glyph {ch!r} is malformed")
    used = [x for x in range(width) if any(r[x] for r in rows)]
    first, last = (used[0], used[-1]) if used else (0, 0)
    return [r[first:last + 1] for r in rows]


def text_size(text, scale=1):
    """Width and height in pixels of a line of text."""
    width = 0
    height = GLYPH_ROWS
    for i, ch in enumerate(text):
        if i:
            width += 1
        if ch == " ":
            width += SPACE_WIDTH
            continue
        g = glyph(ch)
        width += len(g[0])
        height = max(height, len(g))
    return width * scale, height * scale


class Picture:
    def __init__(self, width, height, background):
        self.width = width
        self.height = height
        self.pixels = [[background] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle from (x0, y0) to (x1, y1), both included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def text(self, x, y, text, colour, scale=1):
        """Draws text with its top left at (x, y)."""
        for i, ch in enumerate(text):
            if i:
                x += scale
            if ch == " ":
                x += SPACE_WIDTH * scale
                continue
            g = glyph(ch)
            for gy, row in enumerate(g):
                for gx, ink in enumerate(row):
                    if ink:
                        self.fill(x + gx * scale, y + gy * scale,
                                  x + gx * scale + scale - 1, y + gy * scale + scale - 1, colour)
            x += len(g[0]) * scale

    def text_block(self, left, top, width, height, lines, scale=1):
        """Centres lines of (text, colour) in the given box, one pixel apart."""
        sizes = [text_size(t, scale) for t, _ in lines]
        total = sum(h for _, h in sizes) + scale * (len(lines) - 1)
        if total > height or any(w > width for w, _ in sizes):
            sys.exit(f"make_viewer_pictures: {[t for t, _ in lines]} does not fit {width} x {height}")
        y = top + (height - total) // 2
        for (text, colour), (w, h) in zip(lines, sizes):
            self.text(left + (width - w) // 2, y, text, colour, scale)
            y += h + scale

    def sprite(self, x, y, rows, colours):
        """Draws a small picture given as rows of characters, keyed by colours."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in colours:
                    self.put(x + dx, y + dy, colours[ch])


# ---------------------------------------------------------------------------
# Signs beside the ABOUT and EXIT captions
# ---------------------------------------------------------------------------

INFORMATION_SIGN = [
    "...bbbbb...",
    ".bbbbbbbbb.",
    ".bbbbwbbbb.",
    "bbbbbbbbbbb",
    "bbbbwwbbbbb",
    "bbbbbwbbbbb",
    "bbbbbwbbbbb",
    "bbbbbwbbbbb",
    ".bbbwwwbbb.",
    ".bbbbbbbbb.",
    "...bbbbb...",
]

RUNNING_FIGURE = [
    "......nn...",
    "......nn...",
    "...........",
    "....nnnn.n.",
    "...n.nn.n..",
    "..n..nn....",
    ".....nn....",
    ".....nnn...",
    "....n...n..",
    "...n.....n.",
    "..n......n.",
    ".n.........",
    ".n.........",
]

SIGNS = {
    "information": (INFORMATION_SIGN, {"b": BLUE, "w": WHITE}),
    "running": (RUNNING_FIGURE, {"n": CAPTION}),
}

# ---------------------------------------------------------------------------
# The pictures
# ---------------------------------------------------------------------------

BUTTON = (48, 23)       # protocol and flag buttons
WIDE_BUTTON = (56, 21)  # ABOUT and EXIT

# File name (as in viewer/korvex-viewer.rc), size, caption lines, sign.
BUTTONS = [
    ("button_lapd.bmp", BUTTON, [("LAPD", CAPTION), ("Q.921", CAPTION)], None),
    ("button_lapf.bmp", BUTTON, [("LAPF", CAPTION), ("Q.922", CAPTION)], None),
    ("button_q931.bmp", BUTTON, [("Call Ctrl", CAPTION), ("Q.931", CAPTION)], None),
    ("button_x25.bmp", BUTTON, [("X.25", CAPTION)], None),
    ("button_q931_over_lapd.bmp", BUTTON,
     [("Q.931", CAPTION), ("over", EMPHASIS), ("LAPD", CAPTION)], None),
    ("button_x25_over_lapf.bmp", BUTTON,
     [("X.25", CAPTION), ("over", EMPHASIS), ("LAPF", CAPTION)], None),
    ("button_ethernet.bmp", BUTTON, [("802.3", CAPTION), ("ETH", CAPTION)], None),
    ("button_ip.bmp", BUTTON, [("IP", CAPTION)], None),
    ("button_basic.bmp", BUTTON, [("BASIC", EMPHASIS)], None),
    ("button_detail.bmp", BUTTON, [("DETAIL", EMPHASIS)], None),
    ("button_hex.bmp", BUTTON, [("HEX", EMPHASIS)], None),
    ("button_about.bmp", WIDE_BUTTON, [("ABOUT", CAPTION)], "information"),
    ("button_exit.bmp", WIDE_BUTTON, [("EXIT", CAPTION)], "running"),
]

ICON_NAME = "korvex.ico"
LOGO_NAME = "logo.bmp"


def draw_button(size, lines, sign):
    width, height = size
    p = Picture(width, height, FACE)
    left = 0
    if sign is not None:
        rows, colours = SIGNS[sign]
        p.sprite(3, (height - len(rows)) // 2, rows, colours)
        left = 3 + len(rows[0]) + 1
    p.text_block(left, 0, width - left, height, lines)
    return p


def draw_icon():
    """16 x 16: a white K on dark blue with a red signal line below it."""
    p = Picture(16, 16, NAVY)
    p.frame(0, 0, 15, 15, BLUE)
    p.text(5, 2, "K", WHITE)
    # A frame on the line: flat, a pulse, flat.
    prev_y = None
    for x, y in zip(range(2, 14), [12, 12, 12, 10, 10, 10, 12, 12, 10, 10, 12, 12]):
        p.put(x, y, RED)
        if prev_y is not None and y != prev_y:
            p.fill(x, min(y, prev_y), x, max(y, prev_y), RED)
        prev_y = y
    return p


def draw_logo():
    """108 x 59: the name, a line carrying frames, and what it is."""
    p = Picture(108, 59, WHITE)
    p.frame(0, 0, 107, 58, NAVY)
    p.frame(2, 2, 105, 56, TEAL)
    p.text_block(3, 4, 102, 16, [("KORVEX", NAVY)], scale=2)
    # The line: bits of a frame as a square wave between two flags.
    bits = "01111110" + "10110010" + "01111110"
    y_high, y_low = 26, 32
    x = 6
    level = None
    for bit in bits:
        y = y_high if bit == "1" else y_low
        if level is not None and level != y:
            p.fill(x, min(y, level), x, max(y, level), RED)
        for dx in range(4):
            p.put(x + dx, y, RED)
        level = y
        x += 4
    p.text_block(3, 36, 102, 8, [("PROTOCOL", TEAL)])
    p.text_block(3, 45, 102, 8, [("DECODING", TEAL)])
    return p


# ---------------------------------------------------------------------------
# Files
# ---------------------------------------------------------------------------

def dib(p, icon=False):
    """BITMAPINFOHEADER, palette and 4-bit rows (bottom-up) of a picture; an
    icon's header counts its AND mask in the height and the mask follows."""
    row_bytes = ((p.width * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(p.pixels):
        packed = bytearray(row_bytes)
        for x, c in enumerate(row):
            packed[x // 2] |= c << (4 if x % 2 == 0 else 0)
        pixels += packed
    mask = b""
    if icon:
        mask_row = ((p.width + 31) // 32) * 4
        mask = bytes(mask_row * p.height)  # all opaque
    header = struct.pack("<IiiHHIIiiII", 40, p.width, p.height * (2 if icon else 1), 1, 4, 0,
                         len(pixels) + len(mask), 2835, 2835, 16, 16)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(pixels) + mask


def bmp_file(p):
    body = dib(p)
    offset = 14 + 40 + 4 * len(PALETTE)
    return struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, offset) + body


def ico_file(p):
    body = dib(p, icon=True)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", p.width, p.height, 16, 0, 1, 4, len(body), 6 + 16)
    return directory + entry + body


def pictures():
    """(file name, bytes) of every picture."""
    out = [(name, bmp_file(draw_button(size, lines, sign))) for name, size, lines, sign in BUTTONS]
    out.append((ICON_NAME, ico_file(draw_icon())))
    out.append((LOGO_NAME, bmp_file(draw_logo())))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    group = parser.add_mutually_exclusive_group(required=True)
    group.add_argument("--out", type=Path, help="folder to write the pictures into")
    group.add_argument("--list", action="store_true", help="print the file names")
    args = parser.parse_args()
    if args.list:
        for name, _, _, _ in BUTTONS:
            print(name)
        print(ICON_NAME)
        print(LOGO_NAME)
        return
    args.out.mkdir(parents=True, exist_ok=True)
    for name, data in pictures():
        (args.out / name).write_bytes(data)


if __name__ == "__main__":
    main()
