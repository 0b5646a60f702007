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
nm="$(command -v x86_64-w64-mingw32-nm || true)"
if [ -n "$nm" ]; then
  base=$((0x$(x86_64-w64-mingw32-objdump -p "$bin" | awk '/^ImageBase/ {print $2}')))
  for f in "$out"/*/fault-*.txt; do
    [ -e "$f" ] || continue
    echo "== $f"
    grep -o 'zan_fuzz.exe+0x[0-9a-f]*' "$f" | while read -r a; do
      addr=$((base + ${a#zan_fuzz.exe+}))
      "$nm" -C --defined-only "$bin" | awk -v a="$addr" '
        { v = strtonum("0x" $1); if (v <= a && v > best) { best = v; name = $0 } }
        END { sub(/^[0-9a-f]+ . /, "", name); printf "  %s\n", name }'
    done
  done
fi
if ls "$out"/*/fault-*.bin >/dev/null 2>&1; then
  echo "faults saved under $out"
  exit 1
fi
