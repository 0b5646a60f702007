#!/usr/bin/env bash
# Smoke test with Wine's own notepad: the built input method as the prefix's default layout,
# keypad keys typed from outside with xdotool, the text read back with WM_GETTEXT. Runs in
# the environment tools/test.sh sets up, after the other tests (it changes the default
# layout of the whole prefix), and ends notepad with the prefix's wineserver.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
helper="$root/build/x64/tests/textservice_ime_notepad_test.exe"
wine=/usr/lib/wine/wine64
log="$(mktemp "${TMPDIR:-/tmp}/zan-notepad.XXXXXX")"
trap 'rm -f "$log"' EXIT
# One step of the helper, through the launcher that starts a program again when Wine ended it
# before its first line; a failing step shows what the helper printed.
step() {
  local status=0
  ZAN_NOTEPAD_STEP="$1" timeout 60 bash "$root/tools/wine_test_run.sh" "$wine" "$helper" \
    --gtest_brief=1 >"$log" 2>&1 || status=$?
  [ "$status" = 0 ] && return 0
  echo "notepad: step $1 failed (status $status); the helper printed:"
  tail -n 20 "$log" | sed 's/^/  /'
  return 1
}

[ -f "$helper" ] || { echo "notepad: $helper missing"; exit 1; }
status=0
step setup || { echo "notepad: set-up failed"; exit 1; }
"$wine" notepad >/dev/null 2>&1 </dev/null &
if step wait; then
  sleep 1
  timeout 30 xdotool key --delay 50 KP_6 KP_4 KP_4 KP_8 KP_6 space
  sleep 1
  if ZAN_NOTEPAD_EXPECT="你好" step read; then
    echo "notepad: typed 64486 and Space, read back 你好"
  else
    echo "notepad: the text read back is not 你好"
    status=1
  fi
else
  echo "notepad: did not start"
  status=1
fi
# notepad asks before closing a changed document: end the prefix's processes instead.
"${WINESERVER:-/usr/lib/wine/wineserver64}" -k >/dev/null 2>&1
wait 2>/dev/null
# A new server may start only when the old one has gone.
"${WINESERVER:-/usr/lib/wine/wineserver64}" -w >/dev/null 2>&1
"${WINESERVER:-/usr/lib/wine/wineserver64}" -p >/dev/null 2>&1
# The prefix's services again with their output closed, so that none holds the step's pipe.
"$wine" wineboot >/dev/null 2>&1 </dev/null
step cleanup || true
exit $status
