#!/usr/bin/env python3
"""Draws the front panel's artwork and writes it as PNG files.

    tools/art/make-art.py [output folder]   (default: src/instruments/gui/resources)

Everything is drawn here from first principles, with nothing but the standard library:

  display-font.png  194 x 258  the glyphs of the display, a 16 x 16 grid of 12 x 16 cells
                               (cell of code c: column c & 15, row c >> 4); each glyph is a
                               5 x 7 dot matrix drawn 10 x 14 pixels at (2, 2) in its cell, lit
                               dots in the cyan-green of a vacuum-fluorescent display with a
                               faint halo, on black; the extra 2 pixels close the grid
  key-face.png       58 x 20   the face of a front panel key, stretched over each key
  logo.png          300 x 25   the program's logo, on the window's background colour
  panel-icon.png     32 x 32   the front panel window's icon

    tools/art/make-art.py --icons [output folder]   (default: data/icons)

draws the desktop icon, the same picture on a transparent ground, at the sizes the desktop's
hicolor theme asks for: hicolor/<n>x<n>/apps/gasquill.png for n = 16, 24, 32, 48, 64, 128, 256.

Run it again after changing a glyph; the PNGs are committed, so the build does not need it.
"""

import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------------- PNG output


def write_png(path, width, height, pixels):
    """pixels: list of rows, each a list of (r, g, b) tuples."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # filter type None
        for r, g, b in row:
            raw += bytes((r, g, b))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def write_png_rgba(path, width, height, pixels):
    """pixels: list of rows, each a list of (r, g, b, a) tuples."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for px in row:
            raw += bytes(px)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def canvas(width, height, colour):
    return [[colour for _ in range(width)] for _ in range(height)]


def clamp(v):
    return max(0, min(255, int(round(v))))


def mix(a, b, t):
    return tuple(clamp(a[i] + (b[i] - a[i]) * t) for i in range(3))


# ------------------------------------------------------------------------------ the dot font
# Each glyph: seven rows of five dots, '#' lit. Lower-case letters with descenders sit one row
# higher, as on the small dot-matrix displays of bench instruments.

GLYPHS = {
    " ": ".....|.....|.....|.....|.....|.....|.....",
    "!": "..#..|..#..|..#..|..#..|..#..|.....|..#..",
    '"': ".#.#.|.#.#.|.#.#.|.....|.....|.....|.....",
    "#": ".#.#.|.#.#.|#####|.#.#.|#####|.#.#.|.#.#.",
    "$": "..#..|.####|#.#..|.###.|..#.#|####.|..#..",
    "%": "##...|##..#|...#.|..#..|.#...|#..##|...##",
    "&": ".##..|#..#.|#.#..|.#...|#.#.#|#..#.|.##.#",
    "'": "..#..|..#..|.#...|.....|.....|.....|.....",
    "(": "...#.|..#..|.#...|.#...|.#...|..#..|...#.",
    ")": ".#...|..#..|...#.|...#.|...#.|..#..|.#...",
    "*": ".....|..#..|#.#.#|.###.|#.#.#|..#..|.....",
    "+": ".....|..#..|..#..|#####|..#..|..#..|.....",
    ",": ".....|.....|.....|.....|.##..|..#..|.#...",
    "-": ".....|.....|.....|#####|.....|.....|.....",
    ".": ".....|.....|.....|.....|.....|.##..|.##..",
    "/": ".....|....#|...#.|..#..|.#...|#....|.....",
    "0": ".###.|#...#|#..##|#.#.#|##..#|#...#|.###.",
    "1": "..#..|.##..|..#..|..#..|..#..|..#..|.###.",
    "2": ".###.|#...#|....#|...#.|..#..|.#...|#####",
    "3": "#####|...#.|..#..|...#.|....#|#...#|.###.",
    "4": "...#.|..##.|.#.#.|#..#.|#####|...#.|...#.",
    "5": "#####|#....|####.|....#|....#|#...#|.###.",
    "6": "..##.|.#...|#....|####.|#...#|#...#|.###.",
    "7": "#####|....#|...#.|..#..|.#...|.#...|.#...",
    "8": ".###.|#...#|#...#|.###.|#...#|#...#|.###.",
    "9": ".###.|#...#|#...#|.####|....#|...#.|.##..",
    ":": ".....|.##..|.##..|.....|.##..|.##..|.....",
    ";": ".....|.##..|.##..|.....|.##..|..#..|.#...",
    "<": "...#.|..#..|.#...|#....|.#...|..#..|...#.",
    "=": ".....|.....|#####|.....|#####|.....|.....",
    ">": ".#...|..#..|...#.|....#|...#.|..#..|.#...",
    "?": ".###.|#...#|....#|...#.|..#..|.....|..#..",
    "@": ".###.|#...#|....#|.##.#|#.#.#|#.#.#|.###.",
    "A": ".###.|#...#|#...#|#####|#...#|#...#|#...#",
    "B": "####.|#...#|#...#|####.|#...#|#...#|####.",
    "C": ".###.|#...#|#....|#....|#....|#...#|.###.",
    "D": "###..|#..#.|#...#|#...#|#...#|#..#.|###..",
    "E": "#####|#....|#....|####.|#....|#....|#####",
    "F": "#####|#....|#....|####.|#....|#....|#....",
    "G": ".###.|#...#|#....|#.###|#...#|#...#|.####",
    "H": "#...#|#...#|#...#|#####|#...#|#...#|#...#",
    "I": ".###.|..#..|..#..|..#..|..#..|..#..|.###.",
    "J": "..###|...#.|...#.|...#.|...#.|#..#.|.##..",
    "K": "#...#|#..#.|#.#..|##...|#.#..|#..#.|#...#",
    "L": "#....|#....|#....|#....|#....|#....|#####",
    "M": "#...#|##.##|#.#.#|#.#.#|#...#|#...#|#...#",
    "N": "#...#|#...#|##..#|#.#.#|#..##|#...#|#...#",
    "O": ".###.|#...#|#...#|#...#|#...#|#...#|.###.",
    "P": "####.|#...#|#...#|####.|#....|#....|#....",
    "Q": ".###.|#...#|#...#|#...#|#.#.#|#..#.|.##.#",
    "R": "####.|#...#|#...#|####.|#.#..|#..#.|#...#",
    "S": ".####|#....|#....|.###.|....#|....#|####.",
    "T": "#####|..#..|..#..|..#..|..#..|..#..|..#..",
    "U": "#...#|#...#|#...#|#...#|#...#|#...#|.###.",
    "V": "#...#|#...#|#...#|#...#|#...#|.#.#.|..#..",
    "W": "#...#|#...#|#...#|#.#.#|#.#.#|#.#.#|.#.#.",
    "X": "#...#|#...#|.#.#.|..#..|.#.#.|#...#|#...#",
    "Y": "#...#|#...#|#...#|.#.#.|..#..|..#..|..#..",
    "Z": "#####|....#|...#.|..#..|.#...|#....|#####",
    "[": ".###.|.#...|.#...|.#...|.#...|.#...|.###.",
    "\\": ".....|#....|.#...|..#..|...#.|....#|.....",
    "]": ".###.|...#.|...#.|...#.|...#.|...#.|.###.",
    "^": "..#..|.#.#.|#...#|.....|.....|.....|.....",
    "_": ".....|.....|.....|.....|.....|.....|#####",
    "`": ".#...|..#..|...#.|.....|.....|.....|.....",
    "a": ".....|.....|.###.|....#|.####|#...#|.####",
    "b": "#....|#....|#.##.|##..#|#...#|#...#|####.",
    "c": ".....|.....|.###.|#....|#....|#...#|.###.",
    "d": "....#|....#|.##.#|#..##|#...#|#...#|.####",
    "e": ".....|.....|.###.|#...#|#####|#....|.###.",
    "f": "..##.|.#..#|.#...|###..|.#...|.#...|.#...",
    "g": ".....|.####|#...#|#...#|.####|....#|.###.",
    "h": "#....|#....|#.##.|##..#|#...#|#...#|#...#",
    "i": "..#..|.....|.##..|..#..|..#..|..#..|.###.",
    "j": "...#.|.....|..##.|...#.|...#.|#..#.|.##..",
    "k": "#....|#....|#..#.|#.#..|##...|#.#..|#..#.",
    "l": ".##..|..#..|..#..|..#..|..#..|..#..|.###.",
    "m": ".....|.....|##.#.|#.#.#|#.#.#|#...#|#...#",
    "n": ".....|.....|#.##.|##..#|#...#|#...#|#...#",
    "o": ".....|.....|.###.|#...#|#...#|#...#|.###.",
    "p": ".....|.....|####.|#...#|####.|#....|#....",
    "q": ".....|.....|.##.#|#..##|.####|....#|....#",
    "r": ".....|.....|#.##.|##..#|#....|#....|#....",
    "s": ".....|.....|.###.|#....|.###.|....#|####.",
    "t": ".#...|.#...|###..|.#...|.#...|.#..#|..##.",
    "u": ".....|.....|#...#|#...#|#...#|#..##|.##.#",
    "v": ".....|.....|#...#|#...#|#...#|.#.#.|..#..",
    "w": ".....|.....|#...#|#...#|#.#.#|#.#.#|.#.#.",
    "x": ".....|.....|#...#|.#.#.|..#..|.#.#.|#...#",
    "y": ".....|.....|#...#|#...#|.####|....#|.###.",
    "z": ".....|.....|#####|...#.|..#..|.#...|#####",
    "{": "...#.|..#..|..#..|.#...|..#..|..#..|...#.",
    "|": "..#..|..#..|..#..|..#..|..#..|..#..|..#..",
    "}": ".#...|..#..|..#..|...#.|..#..|..#..|.#...",
    "~": ".....|.....|.#...|#.#.#|...#.|.....|.....",
    "\x7f": "#####|#####|#####|#####|#####|#####|#####",  # the block the display uses as a cursor
    "\xb0": ".##..|#..#.|#..#.|.##..|.....|.....|.....",  # degree sign
    "\xb1": "..#..|..#..|#####|..#..|..#..|.....|#####",  # plus-minus
    "\xb2": ".##..|...#.|..#..|.###.|.....|.....|.....",  # superscript two
    "\xb3": ".##..|...#.|.##..|...#.|.##..|.....|.....",  # superscript three
    "\xb5": ".....|.....|#...#|#...#|#..##|###.#|#....",  # micro sign
}

VFD_LIT = (96, 255, 214)  # the phosphor's cyan-green
VFD_DIM = (60, 200, 170)  # the lower-right pixel of each dot, so the matrix shows
VFD_HALO = (18, 78, 66)  # the faint glow around lit dots
BLACK = (0, 0, 0)


def glyph_pixels(pattern):
    """The 10 x 14 pixels of one glyph."""
    rows = pattern.split("|")
    assert len(rows) == 7 and all(len(r) == 5 for r in rows), pattern
    lit = [[False] * 10 for _ in range(14)]
    out = [[BLACK] * 10 for _ in range(14)]
    for dy in range(7):
        for dx in range(5):
            if rows[dy][dx] != "#":
                continue
            for py in range(2):
                for px in range(2):
                    x, y = dx * 2 + px, dy * 2 + py
                    lit[y][x] = True
                    out[y][x] = VFD_DIM if (px, py) == (1, 1) else VFD_LIT
    for y in range(14):
        for x in range(10):
            if lit[y][x]:
                continue
            near = 0
            for ny in range(max(0, y - 1), min(14, y + 2)):
                for nx in range(max(0, x - 1), min(10, x + 2)):
                    near += lit[ny][nx]
            if near:
                out[y][x] = mix(BLACK, VFD_HALO, min(1.0, 0.45 + 0.15 * near))
    return out


def make_font():
    width, height = 16 * 12 + 2, 16 * 16 + 2
    img = canvas(width, height, BLACK)
    for code in range(256):
        pattern = GLYPHS.get(chr(code))
        if pattern is None:
            continue
        ox, oy = (code & 15) * 12 + 2, (code >> 4) * 16 + 2
        for y, row in enumerate(glyph_pixels(pattern)):
            for x, colour in enumerate(row):
                img[oy + y][ox + x] = colour
    return width, height, img


# ------------------------------------------------------------------------ shapes, antialiased


def rounded_rect_coverage(x, y, left, top, right, bottom, radius, samples=4):
    """Share of pixel (x, y) inside the rounded rectangle [left, right) x [top, bottom)."""
    inside = 0
    for sy in range(samples):
        for sx in range(samples):
            px = x + (sx + 0.5) / samples
            py = y + (sy + 0.5) / samples
            cx = min(max(px, left + radius), right - radius)
            cy = min(max(py, top + radius), bottom - radius)
            if (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius and left <= px < right and (
                top <= py < bottom
            ):
                inside += 1
    return inside / (samples * samples)


def disc_coverage(x, y, cx, cy, r, samples=4):
    inside = 0
    for sy in range(samples):
        for sx in range(samples):
            px = x + (sx + 0.5) / samples
            py = y + (sy + 0.5) / samples
            inside += (px - cx) ** 2 + (py - cy) ** 2 <= r * r
    return inside / (samples * samples)


def segment_coverage(x, y, ax, ay, bx, by, half_width, samples=4):
    inside = 0
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    for sy in range(samples):
        for sx in range(samples):
            px = x + (sx + 0.5) / samples
            py = y + (sy + 0.5) / samples
            t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
            qx, qy = ax + t * dx, ay + t * dy
            inside += (px - qx) ** 2 + (py - qy) ** 2 <= half_width * half_width
    return inside / (samples * samples)


PANEL_BACKGROUND = (200, 199, 190)  # the front panel window's own background


def make_key_face():
    width, height = 58, 20
    img = canvas(width, height, PANEL_BACKGROUND)
    top_colour, bottom_colour = (104, 108, 110), (50, 53, 56)
    for y in range(height):
        for x in range(width):
            outer = rounded_rect_coverage(x, y, 0, 0, width, height, 4.5)
            inner = rounded_rect_coverage(x, y, 1, 1, width - 1, height - 1, 3.5)
            if outer == 0:
                continue
            face = mix(top_colour, bottom_colour, y / (height - 1))
            # A soft sheen across the upper half, as on a moulded key cap.
            if 2 <= y <= 8:
                face = mix(face, (150, 154, 154), 0.18 * (1 - abs(y - 5) / 4))
            if y == 1:
                face = mix(face, (176, 180, 178), 0.7)  # the lit top edge
            if y == height - 2:
                face = mix(face, (24, 25, 27), 0.5)  # the shaded lower edge
            edge = (28, 29, 31)
            colour = mix(edge, face, inner)
            img[y][x] = mix(PANEL_BACKGROUND, colour, outer)
    return width, height, img


def paint(img, x, y, colour, coverage):
    if coverage > 0 and 0 <= y < len(img) and 0 <= x < len(img[0]):
        img[y][x] = mix(img[y][x], colour, coverage)


def draw_text(img, text, left, top, scale, colour, spacing):
    """Draws text with the dot font, each dot a scale x scale square."""
    x = left
    for ch in text:
        rows = GLYPHS[ch].split("|")
        for dy in range(7):
            for dx in range(5):
                if rows[dy][dx] == "#":
                    for py in range(scale):
                        for px in range(scale):
                            paint(img, x + dx * scale + px, top + dy * scale + py, colour, 1.0)
        x += 5 * scale + spacing
    return x


def make_logo():
    width, height = 300, 25
    img = canvas(width, height, PANEL_BACKGROUND)
    teal, dark = (18, 92, 90), (70, 72, 68)
    # The mark: a quill's vane over three gas molecules rising from it.
    for y in range(height):
        for x in range(28):
            paint(img, x, y, teal, segment_coverage(x, y, 6, 19, 16, 3, 3.0) * 0.6)
            paint(img, x, y, teal, segment_coverage(x, y, 2, 23, 16, 3, 1.0))
            for cx, cy, r in ((21.0, 19.5, 3.0), (25.0, 12.0, 2.2), (22.0, 5.5, 1.6)):
                paint(img, x, y, (36, 150, 138), disc_coverage(x, y, cx, cy, r))
    x = draw_text(img, "GASQUILL", 32, 2, 3, teal, 2)
    draw_text(img, "AIR QUALITY", x + 7, 9, 2, dark, 1)
    return width, height, img


def make_icon():
    size = 32
    img = canvas(size, size, PANEL_BACKGROUND)
    body = (46, 48, 52)
    for y in range(size):
        for x in range(size):
            cover = rounded_rect_coverage(x, y, 0, 2, size, size - 2, 5)
            screen = rounded_rect_coverage(x, y, 4, 7, size - 4, size - 11, 2)
            colour = mix(body, (4, 8, 8), screen)
            img[y][x] = mix(PANEL_BACKGROUND, colour, cover)
    # Two rows of lit characters on the little display.
    for row, count in ((0, 5), (1, 3)):
        for i in range(count):
            for py in range(3):
                for px in range(3):
                    img[9 + row * 5 + py][6 + i * 4 + px] = VFD_LIT
    # Three keys under it.
    for i in range(3):
        for py in range(3):
            for px in range(6):
                img[24 + py][5 + i * 8 + px] = (150, 154, 154)
    return size, size, img


def make_desktop_icon(size):
    """The window icon's picture, drawn at any size on a transparent ground."""
    k = size / 32.0
    body = (46, 48, 52)
    img = []
    for y in range(size):
        row = []
        for x in range(size):
            cover = rounded_rect_coverage(x, y, 0, 2 * k, size, size - 2 * k, 5 * k)
            screen = rounded_rect_coverage(x, y, 4 * k, 7 * k, size - 4 * k, size - 11 * k, 2 * k)
            colour = mix(body, (4, 8, 8), screen)
            # Two rows of lit characters on the little display, three keys under it.
            for r, count in ((0, 5), (1, 3)):
                for i in range(count):
                    lit = rounded_rect_coverage(
                        x, y, (6 + i * 4) * k, (9 + r * 5) * k, (9 + i * 4) * k, (12 + r * 5) * k, 0.01
                    )
                    colour = mix(colour, VFD_LIT, lit)
            for i in range(3):
                key = rounded_rect_coverage(x, y, (5 + i * 8) * k, 24 * k, (11 + i * 8) * k, 27 * k, 0.01)
                colour = mix(colour, (150, 154, 154), key)
            row.append(colour + (clamp(255 * cover),))
        img.append(row)
    return img


def write_desktop_icons(out):
    for size in (16, 24, 32, 48, 64, 128, 256):
        folder = os.path.join(out, "hicolor", f"{size}x{size}", "apps")
        os.makedirs(folder, exist_ok=True)
        write_png_rgba(os.path.join(folder, "gasquill.png"), size, size, make_desktop_icon(size))
        print(f"gasquill.png: {size} x {size}")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    if len(sys.argv) > 1 and sys.argv[1] == "--icons":
        out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "..", "..", "data", "icons")
        write_desktop_icons(out)
        return
    default = os.path.join(here, "..", "..", "src", "instruments", "gui", "resources")
    out = sys.argv[1] if len(sys.argv) > 1 else default
    os.makedirs(out, exist_ok=True)
    for name, maker in (
        ("display-font.png", make_font),
        ("key-face.png", make_key_face),
        ("logo.png", make_logo),
        ("panel-icon.png", make_icon),
    ):
        width, height, img = maker()
        write_png(os.path.join(out, name), width, height, img)
        print(f"{name}: {width} x {height}")


if __name__ == "__main__":
    main()
