#!/usr/bin/env bash
# Builds and runs every test of both targets under Wine, in a scratch prefix
# served by one persistent wineserver.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/report_errors.sh"
presets=("${@:-x64 x86}")
presets=(${presets[*]})
# Packages are installed outside the namespace of the emulated 32-bit Wine (below).
[ "${ZAN_WINE32_INSIDE:-}" = 1 ] || bash "$root/tools/deps.sh"

# x86 where the system has no 32-bit Wine of its own: Debian's, under qemu-user, with the
# whole run inside the namespace of tools/wine32_run.sh (the x64 tests run there as outside).
x86_skip=""
if [[ " ${presets[*]} " == *" x86 "* ]] && [ "${ZAN_WINE32_INSIDE:-}" != 1 ]; then
  if how="$(bash "$root/tools/can-run-32bit.sh")"; then
    if [ "$how" = emulated ]; then
      if bash "$root/tools/wine32_setup.sh"; then
        exec bash "$root/tools/wine32_run.sh" bash "$root/tools/test.sh" "$@"
      fi
      x86_skip="the emulated 32-bit Wine could not be set up (see above)"
    fi
  else
    x86_skip="$how"
  fi
fi

scratch="$root/build/wine"
export WINEPREFIX="$scratch/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=zh_CN.UTF-8
export ZAN_TEST_ROOT="$root"
export WINESERVER=/usr/lib/wine/wineserver64

mkdir -p "$scratch"
own_server=0
cleanup() {
  if [ $own_server = 1 ]; then "$WINESERVER" -k >/dev/null 2>&1 || true; fi
  if [ -n "${xvfb_pid:-}" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  # A display number of its own, so that parallel runs never share one.
  n=$((100 + $$ % 800))
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
fi
# A prefix made where no 32-bit Wine ran (the build's data step, outside the namespace) has an
# empty 32-bit system folder, and Wine does not fill it later: it is made again. (Its
# system.reg may not be written yet while the data step's wineserver lingers: drive_c tells.)
if [[ " ${presets[*]} " == *" x86 "* ]] && [ -z "$x86_skip" ] && [ -d "$WINEPREFIX/drive_c" ] &&
  [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  timeout 60 "$WINESERVER" -w >/dev/null 2>&1 || "$WINESERVER" -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
fi
mkdir -p "$WINEPREFIX"
# One persistent wineserver for the whole run. A server may still be serving the prefix: the
# data step's (tools/build.sh) ends a few seconds after its last program, and is waited for;
# one that stays (another test run in this folder) is used as it is and left running.
start_wineserver() {
  local waited=0
  until "$WINESERVER" -p >/dev/null 2>&1; do
    if [ $waited -ge 60 ]; then
      if "$WINESERVER" -k0 >/dev/null 2>&1; then  # signal 0: only asks whether one runs
        echo "wine: a wineserver keeps serving $WINEPREFIX; the tests use it"
        return 0
      fi
      echo "wine: $WINESERVER -p cannot start a wineserver for $WINEPREFIX" >&2
      return 1
    fi
    timeout 10 "$WINESERVER" -w >/dev/null 2>&1 || true
    waited=$((waited + 10))
  done
  own_server=1
}
start_wineserver
# Start the prefix's services now with their output closed: a service started from a test
# would inherit ctest's output pipe and keep ctest waiting.
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null
bash "$root/tools/prefix_fonts.sh"
runnable=()
for p in "${presets[@]}"; do
  # Tests on, also after tools/build.sh configured the same build folder without them.
  cmake --preset "$p" -DZAN_BUILD_TESTS=ON >/dev/null
  cmake --build --preset "$p"
  if [ "$p" = x86 ] && [ -n "$x86_skip" ]; then
    echo "x86: built, not tested: $x86_skip"
  else
    runnable+=("$p")
  fi
done
# The shipped tables, built by the x64 table generator, before the tests that read them.
if [[ " ${presets[*]} " != *" x64 "* ]]; then
  cmake --preset x64 >/dev/null
  cmake --build --preset x64 --target tablegen
fi
bash "$root/tools/make_data.sh"
export ZAN_DATA_DIR="$root/out/data"
# The installer's tests run the packed out/installer.exe.
bash "$root/tools/make_installer.sh" if-built
failed=()
# The library's exports: names and ordinals of every target built.
bash "$root/tools/check_exports.sh" "${presets[@]}" || failed+=("exports")
for p in "${runnable[@]}"; do
  echo "== tests: $p"
  repeat=()
  # qemu-user now and then crashes a 32-bit Wine process on its way out, after the test has
  # passed ("qemu: uncaught target signal 11"); under emulation a failed test runs once more.
  if [ "$p" = x86 ] && [ "${ZAN_WINE32_INSIDE:-}" = 1 ]; then repeat=(--repeat until-pass:2); fi
  ctest --preset "$p" -j 8 "${repeat[@]}" || failed+=("$p")
done
# Last: it makes the input method the default layout of the whole prefix for a moment.
for p in "${runnable[@]}"; do
  echo "== notepad smoke: $p"
  bash "$root/tools/notepad_smoke.sh" "$p" || failed+=("notepad smoke $p")
done
# The whole product through the packed installer, in a fresh prefix of its own.
if [[ " ${runnable[*]} " == *" x64 "* ]] && [ -f "$root/out/installer.exe" ]; then
  bash "$root/tools/install_smoke.sh" || failed+=("install smoke")
  # Then install, upgrade, repair, uninstall and install again, in a fresh prefix too.
  bash "$root/tools/life_of_installation.sh" || failed+=("life of an installation")
fi
if [ ${#failed[@]} -gt 0 ]; then
  echo "tests failed: ${failed[*]} (the failing tests are listed above)" >&2
  exit 1
fi
echo "tests passed: ${runnable[*]}"
