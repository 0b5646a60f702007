#!/usr/bin/env bash
# Packs out/installer.exe: the x64 installer program with its payload (both input method
# DLLs, the configuration program, skins, tables, config.dsc and licence texts) appended by
# tools/make_installer.py. Each preset built is installed into out/<preset> first.
# With "if-built" a missing input only says so (the test command may build one preset).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/report_errors.sh"
cd "$root"
for p in x64 x86; do
  if [ -f "build/$p/build.ninja" ]; then
    cmake --install "build/$p" --prefix "out/$p" >/dev/null
  fi
done
program="build/x64/installer/installer.exe"
missing=""
for f in "$program" out/x64/zanTSF.dll out/x86/zanTSF.dll out/data/config.dsc out/data/main.dmg; do
  [ -f "$f" ] || missing="$missing $f"
done
if [ -n "$missing" ]; then
  if [ "${1:-}" = if-built ]; then
    echo "installer: not packed, missing:$missing"
    exit 0
  fi
  echo "installer: missing:$missing" >&2
  exit 1
fi
python3 -B "$root/tools/make_installer.py" out/installer.exe "$program" out/x64 out/x86 out/data
