#!/usr/bin/env python3
"""Draws the language-bar icons of the input method as .ico files (16 and 32 pixels).

Usage: make_icons.py OUTPUT_FOLDER
Writes icon_<id>.ico for the resource ids 102-109 and 122-124. The glyphs are the status
bar's, drawn by make_skin.py's shapes on a coloured tile; the same script always gives the
same bytes.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_skin as skin  # noqa: E402

RED = (220, 38, 38)
BLUE = (37, 99, 235)
TEAL = (13, 148, 136)
SLATE = (71, 85, 105)
GREY = (148, 163, 184)
WHITE = (255, 255, 255)


def g_closed(s):  # a cross
    t = s * 0.1
    a = skin.polygon([(s * 0.28, s * 0.28 + t), (s * 0.28 + t, s * 0.28), (s * 0.72, s * 0.72 - t),
                      (s * 0.72 - t, s * 0.72)])
    b = skin.polygon([(s * 0.72 - t, s * 0.28), (s * 0.72, s * 0.28 + t), (s * 0.28 + t, s * 0.72),
                      (s * 0.28, s * 0.72 - t)])
    return skin.union(a, b)


def g_disabled(s):  # a ring with a slash
    c = s / 2
    t = s * 0.09
    slash = skin.polygon([(c - s * 0.24, c + s * 0.24 - t), (c - s * 0.24 + t, c + s * 0.24),
                          (c + s * 0.24, c - s * 0.24 + t), (c + s * 0.24 - t, c - s * 0.24)])
    return skin.union(skin.ring(c, c, s * 0.3, t), slash)


def g_cn_punct(s):  # a full stop and a comma, large enough for 16 pixels
    return skin.union(skin.ring(s * 0.32, s * 0.58, s * 0.2, s * 0.1),
                      skin.circle(s * 0.72, s * 0.52, s * 0.12),
                      skin.polygon([(s * 0.63, s * 0.54), (s * 0.84, s * 0.54), (s * 0.66, s * 0.84)]))


def g_en_punct(s):  # a period and a comma
    return skin.union(skin.circle(s * 0.32, s * 0.66, s * 0.13), skin.circle(s * 0.68, s * 0.6, s * 0.13),
                      skin.polygon([(s * 0.58, s * 0.64), (s * 0.81, s * 0.64), (s * 0.6, s * 0.9)]))


# Resource id, glyph, tile colour.
ICONS = [
    (102, skin.g_half, SLATE),        # half width
    (103, skin.g_en, BLUE),           # English input
    (104, g_cn_punct, RED),      # Chinese punctuation
    (105, g_en_punct, BLUE),     # English punctuation
    (106, skin.g_cn, RED),            # Chinese input
    (107, skin.g_menu, SLATE),        # function menu
    (108, skin.g_full, TEAL),         # full width
    (109, skin.g_keyboard, SLATE),    # soft keyboard
    (122, skin.g_caps, BLUE),         # Caps Lock on
    (123, g_closed, GREY),            # input method closed
    (124, g_disabled, GREY),          # keyboard disabled
]


def draw(size, glyph, tile):
    p = skin.Picture(size, size)
    p.cover(skin.rounded(0, 0, size, size, size * 0.22), tile)
    p.cover(glyph(size), WHITE)
    return p


def dib(picture):
    """One icon image: BITMAPINFOHEADER, 32-bit BGRA rows bottom-up, then the AND mask."""
    w, h = picture.w, picture.h
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    mask_row = ((w + 31) // 32) * 4
    for y in reversed(range(h)):
        bits = bytearray(mask_row)
        for x in range(w):
            r, g, b, a = (int(round(min(1.0, max(0.0, v)) * 255)) for v in picture.px[y * w + x])
            pixels.extend((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask.extend(bits)
    return header + bytes(pixels) + bytes(mask)


def ico(images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    bodies = []
    for picture in images:
        body = dib(picture)
        size = picture.w if picture.w < 256 else 0
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
        bodies.append(body)
    return out + b"".join(bodies)


def write_icons(script, icons, sizes):
    """Writes icon_<id>.ico for each (id, glyph, tile) into the folder named on the command line."""
    if len(sys.argv) != 2:
        sys.exit("usage: %s OUTPUT_FOLDER" % script)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for rid, glyph, tile in icons:
        data = ico([draw(n, glyph, tile) for n in sizes])
        with open(os.path.join(folder, "icon_%d.ico" % rid), "wb") as f:
            f.write(data)


def main():
    write_icons("make_icons.py", ICONS, (16, 32))


if __name__ == "__main__":
    main()
