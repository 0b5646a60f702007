#!/usr/bin/env python3
"""Draws the installer's icons as .ico files (16, 32 and 48 pixels).

Usage: make_installer_icons.py OUTPUT_FOLDER
Writes icon_101.ico (install), icon_102.ico (repair) and icon_103.ico (uninstall): the input
method's logo, and a cross for the uninstall, on coloured tiles; the same script always gives
the same bytes.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_icons as icons  # noqa: E402
import make_skin as skin  # noqa: E402

ICONS = [
    (101, skin.g_logo, icons.BLUE),
    (102, skin.g_logo, icons.TEAL),
    (103, icons.g_closed, icons.RED),
]


def main():
    icons.write_icons("make_installer_icons.py", ICONS, (16, 32, 48))


if __name__ == "__main__":
    main()
