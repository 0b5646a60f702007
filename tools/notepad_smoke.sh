#!/usr/bin/env bash
# Smoke test with Wine's own notepad: the built input method as the prefix's default layout,
# keypad keys typed from outside with xdotool, the text read back with WM_GETTEXT; then
# random typing into fresh notepads (tools/notepad_random.py). Runs in
# the environment tools/test.sh sets up, after the other tests (it changes the default
# layout of the whole prefix), and ends notepad with the prefix's wineserver. The preset
# given (x64 by default) chooses the DLL, the helper and notepad: x86 types through the 32-bit
# DLL in syswow64 into Wine's 32-bit notepad.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
preset="${1:-x64}"
helper="$root/build/$preset/tests/textservice_ime_notepad_test.exe"
wine=/usr/lib/wine/wine64
[ "$preset" = x86 ] && wine=/usr/lib/wine/wine
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
# notepad asks before closing a changed document: end the prefix's processes instead (also
# every process that still maps the input method's data, which the next set-up replaces).
end_prefix_processes() {
  "${WINESERVER:-/usr/lib/wine/wineserver64}" -k >/dev/null 2>&1
  wait 2>/dev/null
  # A new server may start only when the old one has gone.
  "${WINESERVER:-/usr/lib/wine/wineserver64}" -w >/dev/null 2>&1
  "${WINESERVER:-/usr/lib/wine/wineserver64}" -p >/dev/null 2>&1
  # The prefix's services again with their output closed, so that none holds the step's pipe.
  /usr/lib/wine/wine64 wineboot >/dev/null 2>&1 </dev/null
}
end_prefix_processes
# Random typing into fresh notepads (tools/notepad_random.py): two sessions of 1,500 keys
# (ZAN_NOTEPAD_RANDOM=0 leaves them out); with ZAN_NOTEPAD_LONG=1 three sessions of 10,000
# keys; ZAN_NOTEPAD_RANDOM_ARGS replaces the arguments (--seed N --keys N --sessions N).
if [ $status = 0 ] && [ "$preset" = x64 ] && { [ "${ZAN_NOTEPAD_RANDOM:-1}" != 0 ] || [ "${ZAN_NOTEPAD_LONG:-0}" = 1 ]; }; then
  if [ "${ZAN_NOTEPAD_LONG:-0}" = 1 ]; then
    random_args="--sessions 3 --keys 10000"
  else
    random_args="--sessions 2 --keys 1500 --shrink-budget 8"
  fi
  # shellcheck disable=SC2086
  python3 "$root/tools/notepad_random.py" ${ZAN_NOTEPAD_RANDOM_ARGS:-$random_args} || status=1
  end_prefix_processes
fi
step cleanup || true
exit $status
