#!/usr/bin/env bash
# Long mutation run of every parser: tools/fuzz.sh [seconds per target] [target ...]
# Builds the x64 runner, runs each target for the given time (default 600 s) under Wine,
# JOBS targets at once (default 2), and names the functions in the stacks of saved faults.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
shift || true
bash "$root/tools/deps.sh"

# A prefix of its own: the tests may run at the same time in theirs.
export WINEPREFIX="$root/build/wine/fuzzprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=zh_CN.UTF-8
export WINESERVER=/usr/lib/wine/wineserver64
cleanup() { "$WINESERVER" -k >/dev/null 2>&1 || true; }
trap cleanup EXIT
mkdir -p "$WINEPREFIX"
"$WINESERVER" -p >/dev/null 2>&1
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null

cmake --preset x64 -DZAN_BUILD_TESTS=ON >/dev/null
cmake --build --preset x64 --target zan_fuzz
bin="$root/build/x64/tests/fuzz/zan_fuzz.exe"
out="$root/build/fuzz-out"
mkdir -p "$out"
cd "$out"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(/usr/lib/wine/wine64 "$bin" --list | tr -d '\r' | grep -v self-test)
fi
printf '%s\n' "${targets[@]}" |
  xargs -P "${JOBS:-2}" -I{} sh -c \
    '/usr/lib/wine/wine64 "$0" --target {} --seconds "$1" --seed "${SEED:-$(date +%s)}" --out "$2" > "$2/{}.log" 2>&1; tr -d "\r" < "$2/{}.log" | head -20' \
    "$bin" "$seconds" "$out" || true

# Function names for the offsets in the saved stacks (the runner has its symbol table).
if command -v x86_64-w64-mingw32-nm >/dev/null && ls "$out"/*/fault-*.txt >/dev/null 2>&1; then
  x86_64-w64-mingw32-nm -C --defined-only "$bin" > "$out/symbols.txt"
  base="$(x86_64-w64-mingw32-objdump -p "$bin" | awk '/^ImageBase/ {print $2}')"
  python3 - "$out" "$base" <<'PY'
import bisect, glob, re, sys
out, base = sys.argv[1], int(sys.argv[2], 16)
syms = []
for line in open(out + "/symbols.txt", errors="replace"):
    parts = line.rstrip("\n").split(" ", 2)
    if len(parts) == 3 and parts[1] in "tT":
        syms.append((int(parts[0], 16), parts[2]))
syms.sort()
keys = [a for a, _ in syms]
for path in sorted(glob.glob(out + "/*/fault-*.txt")):
    print("==", path)
    for m in re.finditer(r"zan_fuzz\.exe\+0x([0-9a-f]+)", open(path).read()):
        i = bisect.bisect_right(keys, base + int(m.group(1), 16)) - 1
        print("  ", syms[i][1] if i >= 0 else "?")
PY
fi
if ls "$out"/*/fault-*.bin >/dev/null 2>&1; then
  echo "faults saved under $out"
  exit 1
fi
