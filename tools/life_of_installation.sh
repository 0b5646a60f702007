#!/usr/bin/env bash
# The whole life of an installation through the real out/installer.exe, in a fresh Wine prefix
# of its own, with nothing registered by the test: install, teach a user word, install over it,
# repair a deleted DLL from the Start-menu link, uninstall from the uninstall entry and compare
# the prefix with its state before, install again and carry out the pending operations as a
# restart would. The dialogs are walked by clicks from the helper of tools/install_smoke.sh,
# whose functions this script uses. ZAN_SCREENSHOT_DIR=<folder> also writes pictures of the
# repair and uninstall dialogs.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
pictures_life="${ZAN_SCREENSHOT_DIR:-}"
source "$root/tools/install_smoke.sh"
unset ZAN_SCREENSHOT_DIR
export WINEPREFIX="$root/build/wine/life-prefix"
work="$root/build/life"
prompts="$WINEPREFIX/drive_c/prompts.txt"
snapshots="$work/snapshots"

say() { echo "life: $*"; }

# Step 1 and 5: the registry of both views, HKCU and HKCR, and the file tree, as lines.
snapshot() {
  local out="$1" exports=() key view file
  mkdir -p "$snapshots"
  for key in HKLM:64 HKLM:32 HKCU: HKCR:; do
    view="${key#*:}"
    file="$snapshots/${out}-${key%%:*}${view}.reg"
    rm -f "$file"
    if [ -n "$view" ]; then
      "$wine" reg export "${key%%:*}" "$(windows_path "$file")" /reg:"$view" /y >/dev/null 2>&1 </dev/null
    else
      "$wine" reg export "${key%%:*}" "$(windows_path "$file")" /y >/dev/null 2>&1 </dev/null
    fi
    [ -s "$file" ] || { say "reg export of $key failed"; return 1; }
    exports+=("$file")
  done
  python3 -B "$root/tools/prefix_snapshot.py" lines "$snapshots/$out.txt" "${exports[@]}" \
    --files "$WINEPREFIX/drive_c"
}

# A step whose programs may leave a process behind (Explorer showing the saved words, which
# keeps Wine's standard error): its output goes to its log file, not through a pipe.
step_alone() {
  local name="$1" status=0 log="$work/$1.log"
  shift
  env ZAN_INSTALL_STEP="$name" "$@" timeout 300 "$wine" "$helper" --gtest_brief=1 \
    >"$log" 2>&1 </dev/null || status=$?
  [ "$status" = 0 ] && return 0
  say "step $name failed (status $status); the helper printed:"
  tail -n 40 "$log" | sed 's/^/  /'
  return 1
}

# Waits until no installer process of the prefix runs any more.
ours_running() {
  local pid
  for pid in $(pgrep -f 'installer\.exe'); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}
wait_for_installers() {
  for _ in $(seq 60); do
    ours_running || return 0
    sleep 1
  done
  say "an installer process still runs"
  return 1
}

life() {
  local start status=0 version guid ime name
  start=$(date +%s)
  trap finish EXIT
  fresh_prefix
  rm -rf "$work"
  mkdir -p "$work"
  version="$(package_version "$root/out/data/config.dsc")"

  say "1. snapshot of the fresh prefix"
  snapshot before || return 1

  say "2. install, type, teach a user word"
  install_with_wizard "$installer" || return 1
  check_installed "$version" || return 1
  snapshot installed || return 1
  read -r guid ime name < <(python3 -B "$root/tools/prefix_snapshot.py" product "$snapshots/installed.txt")
  [ -n "$guid" ] || { say "no product key after the install"; return 1; }
  say "   installed $name ($guid, $ime.ime) $version; typed 你好"
  step teach || return 1

  say "3. the same package over it"
  rm -f "$prompts"
  install_with_wizard "$installer" || return 1
  step kept || return 1
  check_installed "$version" || return 1

  say "4. repair of a deleted DLL from the Start-menu link"
  rm -f "$WINEPREFIX/drive_c/windows/system32/$ime.ime"
  [ -f "$WINEPREFIX/drive_c/windows/system32/$ime.ime" ] && { say "the DLL could not be deleted"; return 1; }
  step_alone repair ZAN_SCREENSHOT_DIR="$pictures_life" || return 1
  wait_for_installers || status=1
  check_installed "$version" || return 1
  say "   the DLL is back and typing works again"

  say "5. uninstall from the uninstall entry"
  step_alone uninstall ZAN_SCREENSHOT_DIR="$pictures_life" || return 1
  wait_for_installers || status=1
  step gone ZAN_PRODUCT_GUID="$guid" || status=1
  rm -f "$WINEPREFIX/drive_c/installer.exe" "$prompts"  # the test's own copies
  snapshot removed || return 1
  say "   differences from the fresh prefix:"
  python3 -B "$root/tools/prefix_snapshot.py" diff "$snapshots/before.txt" "$snapshots/removed.txt" \
    "$guid" "$ime" "$name" || { say "something of ours is left (OURS, LEFT above)"; status=1; }
  if ! diff <(grep -i 'Keyboard Layout\\Preload' "$snapshots/before.txt") \
            <(grep -i 'Keyboard Layout\\Preload' "$snapshots/removed.txt") >/dev/null; then
    say "Preload differs from the fresh prefix"
    status=1
  fi

  say "6. install again without a restart, then the restart's pending operations"
  install_with_wizard "$installer" || return 1
  step restart || status=1
  check_installed "$version" || status=1
  [ $status = 0 ] && say "   every file of the new installation is still there after the pending operations"

  say "$(($(date +%s) - start)) s"
  return $status
}

[ -f "$helper" ] || { say "$helper missing"; exit 1; }
[ -f "$installer" ] || { say "$installer missing (tools/build.sh makes it)"; exit 1; }
life
