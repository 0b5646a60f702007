#!/usr/bin/env bash
# Builds the shipped tables from Debian's lexicon packages into out/data (or the folder
# given as $1): definition texts by tools/make_lexicon.py, tables by tablegen under Wine;
# config.dsc from the settings text data/settings/default.kxconfig.txt the same way.
# Nothing is rebuilt while the inputs (package files, scripts, tablegen) are unchanged.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/report_errors.sh"
out="${1:-$root/out/data}"
tablegen="$root/build/x64/tablegen/tablegen.exe"
texts="$root/build/data-texts"
stamp="$out/.inputs.sha256"

[ -f "$tablegen" ] || { echo "data: $tablegen missing (build the x64 preset first)" >&2; exit 1; }

sources=(
  /usr/share/rime-data/build/luna_pinyin.table.txt
  /usr/share/rime-data/build/pinyin_simp.table.txt
  /usr/share/rime-data/essay.txt
  /usr/share/unicode/Unihan_Readings.txt.bz2 /usr/share/unicode/Unihan_OtherMappings.txt.bz2
  /usr/share/dict/american-english-small
  /usr/share/dict/american-english
  /usr/share/dict/american-english-large
  /usr/share/opencc/STCharacters.ocd2 /usr/share/opencc/STPhrases.ocd2
  /usr/share/opencc/TSCharacters.ocd2 /usr/share/opencc/TSPhrases.ocd2
  /usr/share/opencc/t2s.json
)
# Licence texts shipped beside the tables: each package's copyright file and the common
# licence texts those files refer to.
licence_pkgs=(rime-data-luna-pinyin rime-essay rime-data-pinyin-simp libopencc1.1
              unicode-data wamerican)
common_licences=(LGPL-3 GPL-3 Apache-2.0 CC0-1.0)
# The input method's GUID (the DLL's string resource 1), which the main table must carry.
ime_guid="{D7812E39-FBD7-43A7-99C7-DE9322D54A0F}"
settings="$root/data/settings/default.kxconfig.txt"
tables=(main.dmg temp.dmg sysl.dmg engl.dmg danzi.dmi dict.dms traditional.dms simplified.dms
        config.dsc)

inputs=("${sources[@]}" "$settings" "$root/tools/make_data.sh" "$root/tools/make_lexicon.py" "$root"/tools/lexicon/*.py "$tablegen")
for p in "${licence_pkgs[@]}"; do inputs+=("/usr/share/doc/$p/copyright"); done
for l in "${common_licences[@]}"; do inputs+=("/usr/share/common-licenses/$l"); done
hashes="$(sha256sum "${inputs[@]}"; echo "guid $ime_guid")"

up_to_date=1
[ -f "$stamp" ] && [ "$(cat "$stamp")" = "$hashes" ] || up_to_date=0
for t in "${tables[@]}"; do [ -f "$out/$t" ] || up_to_date=0; done
if [ $up_to_date = 1 ]; then
  echo "data: tables in $out are up to date"
  exit 0
fi

start=$(date +%s.%N)
rm -f "$stamp"
mkdir -p "$out" "$texts"
python3 -B "$root/tools/make_lexicon.py" "$texts"

export WINEPREFIX="${WINEPREFIX:-$root/build/wine/prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINESERVER="${WINESERVER:-/usr/lib/wine/wineserver64}"
mkdir -p "$WINEPREFIX"
# A fresh prefix is set up once before the tablegen runs share it.
[ -f "$WINEPREFIX/system.reg" ] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null
win() { echo "Z:$1"; }
# The tables build side by side, each in its own tablegen run.
runs=(
  "main main.txt main.dmg" "list sysl.txt sysl.dmg" "list engl.txt engl.dmg"
  "keyvalue danzi.txt danzi.dmi" "keyvalue dict.txt dict.dms"
  "keyvalue traditional.txt traditional.dms" "keyvalue simplified.txt simplified.dms"
)
logs=()
pids=()
for r in "${runs[@]}"; do
  set -- $r
  extra=()
  [ "$1" = main ] && extra=("$ime_guid")
  /usr/lib/wine/wine64 "$tablegen" "$1" "$(win "$texts/$2")" "$(win "$out/$3")" "${extra[@]}" \
    </dev/null > "$texts/$3.log" 2>&1 &
  pids+=($!)
  logs+=("$texts/$3.log")
done
/usr/lib/wine/wine64 "$tablegen" temp "$(win "$out/temp.dmg")" </dev/null > "$texts/temp.dmg.log" 2>&1 &
pids+=($!)
logs+=("$texts/temp.dmg.log")
/usr/lib/wine/wine64 "$tablegen" config "$(win "$settings")" "$(win "$out/config.dsc")" "$ime_guid" \
  </dev/null > "$texts/config.dsc.log" 2>&1 &
pids+=($!)
logs+=("$texts/config.dsc.log")
status=0
for i in "${!pids[@]}"; do
  if ! wait "${pids[$i]}"; then
    status=1
    echo "data: tablegen failed (${logs[$i]}):" >&2
  fi
  cat "${logs[$i]}"
done
[ $status = 0 ] || exit 1

mkdir -p "$out/licenses"
for p in "${licence_pkgs[@]}"; do cp "/usr/share/doc/$p/copyright" "$out/licenses/$p.copyright"; done
for l in "${common_licences[@]}"; do cp "/usr/share/common-licenses/$l" "$out/licenses/$l.txt"; done
cp "$root/tools/lexicon/DATA-SOURCES.txt" "$out/licenses/README.txt"

echo "$hashes" > "$stamp"
end=$(date +%s.%N)
awk -v s="$start" -v e="$end" -v o="$out" 'BEGIN { printf "data: tables built into %s in %.1f s\n", o, e - s }'
