#!/usr/bin/env bash
# Types a real Chinese text word by word through the input engine over the shipped data and
# prints how often the intended word comes first, in the top three, on the first page or
# not at all, and the keys per character. The text: the zh_CN message catalogues of Debian
# packages (tools/typing/corpus.py), which the lexicon was not made from.
#   tools/measure_typing.sh [data folder]      (default out/data, built when missing)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
data="${1:-$root/out/data}"
tablegen="$root/build/x64/tablegen/tablegen.exe"
work="$root/build/typing"

[ -f "$tablegen" ] || { echo "measure: $tablegen missing (build the x64 preset first)" >&2; exit 1; }
# The segmenter, from Debian (the system's Python, where apt installs it).
if ! /usr/bin/python3 -c 'import jieba' 2>/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq python3-jieba >/dev/null
fi
[ -f "$data/main.dmg" ] && [ -f "$data/config.dsc" ] || bash "$root/tools/make_data.sh" "$data"
mkdir -p "$work"
/usr/bin/python3 -B "$root/tools/typing/corpus.py" "$root/build/data-texts/dict.txt" "$work/corpus.txt"

export WINEPREFIX="${WINEPREFIX:-$root/build/wine/prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINESERVER="${WINESERVER:-/usr/lib/wine/wineserver64}"
/usr/lib/wine/wine64 "$tablegen" measure "Z:$data" "Z:$work/corpus.txt" </dev/null
