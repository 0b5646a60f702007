#!/usr/bin/env python3
"""Draws the soft keyboard picture (440 x 169, 24-bit BMP) from the key rectangle table.

Usage: make_soft_keyboard.py <soft_keyboard_keys.cpp> <out.bmp>
"""
import re
import struct
import sys

WIDTH, HEIGHT = 440, 169
BACKGROUND = (0xC8, 0xD0, 0xD4)  # B, G, R
FACE = (0xF4, 0xF4, 0xF4)
EDGE = (0x80, 0x80, 0x80)
MARK = (0x50, 0x50, 0x50)
INACTIVE = (0xDC, 0xDC, 0xDC)


def read_keys(path):
    text = open(path, encoding="utf-8").read()
    keys = {}
    for m in re.finditer(r"\{(\d+), \{(\d+), (\d+), (\d+), (\d+)\}\}", text):
        index, left, top, right, bottom = map(int, m.groups())
        keys[index] = (left, top, right, bottom)
    if len(keys) != 62:
        sys.exit("expected 62 key rectangles, found %d" % len(keys))
    return keys


def main():
    keys = read_keys(sys.argv[1])
    pixels = [[BACKGROUND] * WIDTH for _ in range(HEIGHT)]

    def fill(l, t, r, b, colour):
        for y in range(max(t, 0), min(b, HEIGHT)):
            row = pixels[y]
            for x in range(max(l, 0), min(r, WIDTH)):
                row[x] = colour

    for index, (l, t, r, b) in keys.items():
        fill(l, t, r, b, EDGE)
        fill(l + 1, t + 1, r - 1, b - 1, INACTIVE if index in (52, 54, 56, 59) else FACE)
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
