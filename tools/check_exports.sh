#!/usr/bin/env bash
# Checks the exports of the built zanTSF.dll of each target: undecorated names with the
# given ordinals.
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
  # The name table lists "[index] name" with index = ordinal - base, sorted by name.
  found="$("$objdump" -p "$dll" | awk '
    /Export Address Table -- Ordinal Base/ { base = $NF }
    /^\[Ordinal\/Name Pointer\] Table/ { names = 1; next }
    names && /^\t\[/ { gsub(/[\[\]]/, " "); print $1 + base, $2 }
    names && /^$/ { names = 0 }' | sort -n | awk '{ print $1 ":" $2 }')"
  want=""
  for i in "${!expected[@]}"; do want+="$((i + 1)):${expected[$i]}"$'\n'; done
  if [ "$found" != "${want%$'\n'}" ]; then
    echo "exports $target: ordinal:name pairs differ:" >&2
    diff <(echo "${want%$'\n'}") <(echo "$found") >&2 || true
    status=1
  else
    echo "exports $target: ${#expected[@]} undecorated names, ordinals 1-${#expected[@]}"
  fi
done
exit $status
