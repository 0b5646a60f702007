#!/usr/bin/env python3
"""Draws the configuration program's icons as .ico files (16, 32 and 48 pixels).

Usage: make_config_icons.py OUTPUT_FOLDER
Writes icon_101.ico (the program) and icon_117.ico to icon_121.ico (the main dialog's tabs:
117 advanced, 118 appearance, 119 about, 120 input options, 121 code tables) with the shapes
of make_skin.py on a coloured tile; the same script always gives the same bytes.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_icons as icons  # noqa: E402
import make_skin as skin  # noqa: E402

RED = (220, 38, 38)
BLUE = (37, 99, 235)
TEAL = (13, 148, 136)
AMBER = (217, 119, 6)
SLATE = (71, 85, 105)
VIOLET = (124, 58, 237)


def g_keypad(s):  # a 3 x 3 grid of keys
    k = s * 0.16
    gap = s * 0.06
    start = (s - 3 * k - 2 * gap) / 2
    keys = []
    for row in range(3):
        for col in range(3):
            x = start + col * (k + gap)
            y = start + row * (k + gap)
            keys.append(skin.rounded(x, y, x + k, y + k, k * 0.25))
    return skin.union(*keys)


def g_sliders(s):  # three sliders with their knobs
    t = s * 0.07
    parts = []
    for i, knob in enumerate((0.35, 0.65, 0.45)):
        y = s * (0.28 + i * 0.22)
        parts.append(skin.rect(s * 0.2, y - t / 2, s * 0.8, y + t / 2))
        parts.append(skin.circle(s * knob, y, s * 0.09))
    return skin.union(*parts)


def g_palette(s):  # a window frame with a title bar
    t = s * 0.08
    return skin.union(skin.rect(s * 0.18, s * 0.22, s * 0.82, s * 0.36),
                      skin.rect(s * 0.18, s * 0.22, s * 0.18 + t, s * 0.78),
                      skin.rect(s * 0.82 - t, s * 0.22, s * 0.82, s * 0.78),
                      skin.rect(s * 0.18, s * 0.78 - t, s * 0.82, s * 0.78))


def g_table(s):  # rows of a table
    t = s * 0.08
    return skin.union(*[skin.rect(s * 0.22, s * y - t / 2, s * 0.78, s * y + t / 2)
                        for y in (0.3, 0.43, 0.56, 0.69)])


def g_info(s):  # the letter i
    return skin.union(skin.circle(s * 0.5, s * 0.28, s * 0.08),
                      skin.rect(s * 0.43, s * 0.42, s * 0.57, s * 0.76))


ICONS = [
    (101, g_keypad, RED),      # the program
    (117, g_sliders, SLATE),   # advanced
    (118, g_palette, TEAL),    # appearance
    (119, g_info, BLUE),       # about
    (120, g_keypad, AMBER),    # input options
    (121, g_table, VIOLET),    # code tables
]


def main():
    icons.write_icons("make_config_icons.py", ICONS, (16, 32, 48))


if __name__ == "__main__":
    main()
