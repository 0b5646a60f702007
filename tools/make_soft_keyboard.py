#!/usr/bin/env python3
"""Draws the soft keyboard picture (440 x 169, 24-bit BMP) from the key rectangle table.

Usage: make_soft_keyboard.py <soft_keyboard_keys.cpp> <out.bmp>
"""
import re
import struct
import sys

WIDTH, HEIGHT = 440, 169
# The candidate window's flat look (B, G, R): white ground in a slate frame, light keys with
# a thin rounded edge; the Ctrl and Alt keys, which do nothing, a shade darker.
BACKGROUND = (0xFF, 0xFF, 0xFF)
FRAME = (0x8B, 0x74, 0x64)
FACE = (0xF9, 0xF5, 0xF1)
EDGE = (0xE1, 0xD5, 0xCB)
MARK = (0x55, 0x41, 0x33)
INACTIVE = (0xF0, 0xE8, 0xE2)
RADIUS = 3.0
SS = 4  # subsamples per axis for the rounded corners


def read_keys(path):
    text = open(path, encoding="utf-8").read()
    keys = {}
    for m in re.finditer(r"\{(\d+), \{(\d+), (\d+), (\d+), (\d+)\}\}", text):
        index, left, top, right, bottom = map(int, m.groups())
        keys[index] = (left, top, right, bottom)
    if len(keys) != 62:
        sys.exit("expected 62 key rectangles, found %d" % len(keys))
    return keys


def rounded(l, t, r, b, radius):
    """inside(x, y) of the rectangle [l, r) x [t, b) with rounded corners."""
    def inside(x, y):
        if not (l <= x <= r and t <= y <= b):
            return False
        cx = min(max(x, l + radius), r - radius)
        cy = min(max(y, t + radius), b - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
    return inside


def main():
    keys = read_keys(sys.argv[1])
    pixels = [[BACKGROUND] * WIDTH for _ in range(HEIGHT)]

    def fill(l, t, r, b, colour):
        for y in range(max(t, 0), min(b, HEIGHT)):
            row = pixels[y]
            for x in range(max(l, 0), min(r, WIDTH)):
                row[x] = colour

    def cover(l, t, r, b, inside, colour):
        """Blends colour over the pixels of [l, r) x [t, b) by their share inside."""
        for y in range(max(t, 0), min(b, HEIGHT)):
            for x in range(max(l, 0), min(r, WIDTH)):
                n = sum(inside(x + (i + 0.5) / SS, y + (j + 0.5) / SS)
                        for i in range(SS) for j in range(SS))
                if n:
                    a = n / (SS * SS)
                    old = pixels[y][x]
                    pixels[y][x] = tuple(int(round(c * a + o * (1 - a))) for c, o in zip(colour, old))

    # The window's frame.
    fill(0, 0, WIDTH, 1, FRAME)
    fill(0, HEIGHT - 1, WIDTH, HEIGHT, FRAME)
    fill(0, 0, 1, HEIGHT, FRAME)
    fill(WIDTH - 1, 0, WIDTH, HEIGHT, FRAME)
    for index, (l, t, r, b) in keys.items():
        if index >= 90:
            continue
        cover(l, t, r, b, rounded(l, t, r, b, RADIUS), EDGE)
        cover(l, t, r, b, rounded(l + 1, t + 1, r - 1, b - 1, RADIUS - 1),
              INACTIVE if index in (52, 54, 56, 59) else FACE)
    # The layout-menu button: a small downward triangle; the close button: a cross.
    l, t, r, b = keys[90]
    cx, cy = (l + r) // 2, (t + b) // 2
    for i in range(4):
        fill(cx - 4 + i, cy - 2 + i, cx + 5 - i, cy - 1 + i, MARK)
    l, t, r, b = keys[91]
    cx, cy = (l + r) // 2, (t + b) // 2
    for i in range(-4, 5):
        fill(cx + i, cy + i, cx + i + 1, cy + i + 1, MARK)
        fill(cx + i, cy - i, cx + i + 1, cy - i + 1, MARK)

    stride = (WIDTH * 3 + 3) & ~3
    body = bytearray()
    for y in range(HEIGHT - 1, -1, -1):
        row = bytearray()
        for colour in pixels[y]:
            row += bytes(colour)
        row += b"\0" * (stride - WIDTH * 3)
        body += row
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(sys.argv[2], "wb") as out:
        out.write(header + info + body)


if __name__ == "__main__":
    main()
