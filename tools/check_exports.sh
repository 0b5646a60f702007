#!/usr/bin/env bash
# Checks the exports of the built zanTSF.dll of each target: undecorated names in the given
# ordinal order.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
expected=(KXITFGetObject DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer
          ImeConfigure ImeConversionList ImeDestroy ImeEnumRegisterWord ImeEscape
          ImeGetRegisterWordStyle ImeInquire ImeProcessKey ImeRegisterWord ImeSelect
          ImeSetActiveContext ImeSetCompositionString ImeToAsciiEx ImeUnregisterWord NotifyIME)
status=0
for target in "$@"; do
  case "$target" in
    x64) objdump=x86_64-w64-mingw32-objdump ;;
    x86) objdump=i686-w64-mingw32-objdump ;;
    *) echo "exports: unknown target $target" >&2; exit 2 ;;
  esac
  dll="$root/build/$target/textservice/zanTSF.dll"
  [ -f "$dll" ] || { echo "exports: $dll missing" >&2; status=1; continue; }
  # "[ord] name" pairs: the ordinal table gives each name's ordinal (base + index).
  table="$("$objdump" -p "$dll" | awk '
    /^\[Ordinal\/Name Pointer\] Table/ { names = 1; next }
    names && /^\t\[/ { gsub(/[\[\]]/, ""); print $2 }
    names && /^$/ { names = 0 }')"
  addresses="$("$objdump" -p "$dll" | awk '
    /Export Address Table -- Ordinal Base/ { on = 1; next }
    on && /\+base\[/ { gsub(/[\[\]]/, " "); print $3 }
    on && /^$/ { on = 0 }')"
  mapfile -t names <<<"$table"
  mapfile -t ordinals <<<"$addresses"
  if [ "${names[*]}" != "${expected[*]}" ]; then
    echo "exports $target: names are '${names[*]}'" >&2
    status=1
  fi
  for i in "${!expected[@]}"; do
    want=$((i + 1))
    if [ "${ordinals[$i]:-}" != "$want" ]; then
      echo "exports $target: ${expected[$i]} has ordinal ${ordinals[$i]:-none}, expected $want" >&2
      status=1
    fi
  done
  [ $status = 0 ] && echo "exports $target: ${#expected[@]} names, ordinals 1-${#expected[@]}"
done
exit $status
