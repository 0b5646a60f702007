#!/usr/bin/env python3
"""Packs the installer: the installer program with its payload ZIP appended.

Usage: make_installer.py OUTPUT.exe PROGRAM.exe X64_DIR X86_DIR DATA_DIR

The payload holds the x64 input method as zanIME.ime and the x86 one as zanIME(x86).ime
(each X*_DIR/zanTSF.dll), config.exe and main.chm when X64_DIR has them, the skins of
X64_DIR/colourful under colourful\\, the tables and config.dsc of DATA_DIR under
$dataFiles$\\ and DATA_DIR/licenses under licenses\\. Names use '\\' as separator. The
program part's length goes into the PE32+ optional header's LoaderFlags field. Entries are
sorted and stamped with one fixed time, so the same inputs always give the same bytes.
"""
import io
import os
import struct
import sys
import zipfile

TABLES = ["config.dsc", "main.dmg", "temp.dmg", "danzi.dmi", "sysl.dmg", "engl.dmg",
          "dict.dms", "traditional.dms", "simplified.dms"]
REQUIRED_TABLES = {"config.dsc", "main.dmg"}
FIXED_TIME = (2020, 1, 1, 0, 0, 0)
LOADER_FLAGS_FROM_PE = 0x80


def fail(text):
    sys.exit("make_installer: " + text)


def files_below(folder, prefix):
    out = []
    for base, dirs, names in os.walk(folder):
        dirs.sort()
        for name in sorted(names):
            path = os.path.join(base, name)
            rel = os.path.relpath(path, folder).replace(os.sep, "\\")
            out.append((prefix + rel, path))
    return out


def payload_entries(x64, x86, data):
    entries = [("zanIME.ime", os.path.join(x64, "zanTSF.dll")),
               ("zanIME(x86).ime", os.path.join(x86, "zanTSF.dll"))]
    for optional in ("config.exe", "main.chm"):
        path = os.path.join(x64, optional)
        if os.path.isfile(path):
            entries.append((optional, path))
    for table in TABLES:
        path = os.path.join(data, table)
        if os.path.isfile(path):
            entries.append(("$dataFiles$\\" + table, path))
        elif table in REQUIRED_TABLES:
            fail("%s missing" % path)
    entries += files_below(os.path.join(x64, "colourful"), "colourful\\")
    entries += files_below(os.path.join(data, "licenses"), "licenses\\")
    for name, path in entries:
        if not os.path.isfile(path):
            fail("%s missing" % path)
        if not name.isascii():
            fail("entry name %r is not ASCII" % name)
    return sorted(entries)


def stamp_program_length(program):
    image = bytearray(program)
    if image[:2] != b"MZ":
        fail("the program is no PE image")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0" or struct.unpack_from("<H", image, pe + 24)[0] != 0x20B:
        fail("the program is no PE32+ image")
    struct.pack_into("<I", image, pe + LOADER_FLAGS_FROM_PE, len(image))
    return bytes(image)


def zip_bytes(entries):
    # Built on its own, so that its offsets count from the archive's first byte.
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as z:
        for name, path in entries:
            info = zipfile.ZipInfo(name, date_time=FIXED_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0
            info.external_attr = 0
            with open(path, "rb") as f:
                z.writestr(info, f.read())
    return buffer.getvalue()


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    output, program, x64, x86, data = sys.argv[1:]
    entries = payload_entries(x64, x86, data)
    with open(program, "rb") as f:
        image = stamp_program_length(f.read())
    payload = zip_bytes(entries)
    partial = output + ".part"
    with open(partial, "wb") as out:
        out.write(image)
        out.write(payload)
    os.replace(partial, output)
    size = os.path.getsize(output)
    print("installer: %s, %d bytes (program %d, payload %d in %d entries)"
          % (output, size, len(image), size - len(image), len(entries)))


if __name__ == "__main__":
    main()
