#!/usr/bin/env python3
"""Snapshots of a Wine prefix for the whole-life test: its registry exports and file tree as
sorted lines, the product found in a snapshot, and the difference of two snapshots.

  prefix_snapshot.py lines OUT EXPORT.reg... [--files DRIVE_C]
  prefix_snapshot.py product SNAPSHOT          prints guid, IME name, display name
  prefix_snapshot.py diff BEFORE AFTER GUID IMENAME DISPLAYNAME
      prints every difference; exits 1 when one of ours is left that is neither the user's
      backup in Documents nor a file whose deletion waits for the restart
"""
import os
import re
import sys


def reg_lines(path):
    raw = open(path, "rb").read()
    text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("utf-8", "replace")
    out, key, pending = [], None, ""
    for line in text.splitlines():
        line = pending + line
        if line.endswith("\\"):
            pending = line[:-1].strip() if pending else line[:-1]
            continue
        pending = ""
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            out.append("reg " + key)
        elif key and line.strip() and not line.startswith(";") and not line.startswith("#"):
            out.append("reg " + key + " | " + line.strip())
    return out


def file_lines(drive):
    out = []
    for folder, dirs, files in os.walk(drive):
        rel = os.path.relpath(folder, drive)
        for d in dirs:
            out.append("dir " + os.path.normpath(os.path.join(rel, d)))
        for f in files:
            out.append("file " + os.path.normpath(os.path.join(rel, f)))
    return out


def lines(args):
    out_path, rest = args[0], args[1:]
    result = []
    while rest:
        a = rest.pop(0)
        if a == "--files":
            result += file_lines(rest.pop(0))
        else:
            result += reg_lines(a)
    # Values that change on every run of a program, not ours.
    volatile = re.compile(r"(?i)\\(Wine\\Fonts\\Cache|Explorer\\RecentDocs|ShellNoRoam|Perflib)")
    result = sorted(set(l for l in result if not volatile.search(l)))
    open(out_path, "w", encoding="utf-8").write("\n".join(result) + "\n")


def product(args):
    family = re.compile(r"(?i)^reg HKEY_LOCAL_MACHINE\\Software\\ZantorIME3\\(\{[0-9A-F-]{36}\})( \| (.*))?$")
    guid = ime = name = ""
    for l in open(args[0], encoding="utf-8"):
        m = family.match(l.rstrip("\n"))
        if not m:
            continue
        guid = m.group(1)
        v = m.group(3) or ""
        if v.startswith('"IMEName"='):
            ime = v.split("=", 1)[1].strip('"')
        if v.startswith('"DisplayName"='):
            name = v.split("=", 1)[1].strip('"')
    print(guid, ime, name)


def pending_files(after):
    """Files named by PendingFileRenameOperations in the after snapshot (hex(7) value)."""
    files = []
    for l in after:
        if "Session Manager | \"PendingFileRenameOperations\"=hex(7):" in l:
            data = bytes(int(b, 16) for b in l.split(":", 1)[1].replace(" ", "").split(",") if b)
            for s in data.decode("utf-16-le").split("\0"):
                if s:
                    files.append(s[4:] if s.startswith("\\??\\") else s)
    return files


def diff(args):
    before = set(open(args[0], encoding="utf-8").read().splitlines())
    after = set(open(args[1], encoding="utf-8").read().splitlines())
    guid, ime, name = args[2], args[3], args[4]
    marks = [m.lower() for m in (guid, guid.strip("{}"), ime, name, "ZantorIME3", "zanIME") if m]
    pending = [p.lower().replace("c:\\", "").replace("\\", "/") for p in pending_files(after)]
    left = 0
    for sign, group in (("+", sorted(after - before)), ("-", sorted(before - after))):
        for l in group:
            ours = any(m in l.lower() for m in marks)
            why = ""
            if ours and sign == "+":
                path = l.split(" ", 1)[1].lower().replace("\\", "/")
                if "/documents/[ " in path:
                    why = " (the user's backup)"
                elif "pendingfilerenameoperations" in path:
                    why = " (deletions at restart)"
                elif any(path.endswith(p) or p.startswith(path + "/") for p in pending):
                    why = " (deleted at restart)"
                else:
                    left += 1
                    why = " (OURS, LEFT)"
            print("  %s %s%s" % (sign, l, why))
    if pending:
        print("  pending deletions: " + ", ".join(pending_files(after)))
    sys.exit(1 if left else 0)


if __name__ == "__main__":
    {"lines": lines, "product": product, "diff": diff}[sys.argv[1]](sys.argv[2:])
