#!/usr/bin/env bash
# The whole product through the real out/installer.exe, in a fresh Wine prefix of its own
# under the display tools/test.sh set up: the wizard driven by clicks from a helper program
# (tests/installer/product/installed_product_test.cpp), then, with nothing registered by the
# test, msctf lists and starts the installed text service and the installed keyboard layout
# types 64486 + Space into an EDIT control as 你好, in a 64-bit and (where 32-bit Wine runs) a
# 32-bit program. Then a newer build is installed over it while a process holds the installed
# DLL loaded.
# One step per function; a step returns non-zero when it failed.
# ZAN_SCREENSHOT_DIR=<folder> also writes pictures of the extraction window and the wizard.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
helper="$root/build/x64/tests/installer_installed_product_test.exe"
installer="$root/out/installer.exe"
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64
work="$root/build/product"
export WINEPREFIX="$root/build/wine/product-prefix"
export WINESERVER="$server"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" LC_ALL=zh_CN.UTF-8
# The installer's message boxes go to this file, answered with their first button.
export ZAN_INSTALLER_PROMPTS='C:\prompts.txt'
prompts="$WINEPREFIX/drive_c/prompts.txt"
pictures="${ZAN_SCREENSHOT_DIR:-}"
unset ZAN_SCREENSHOT_DIR

say() { echo "install: $*"; }

# A Unix path as the prefix sees it.
windows_path() { echo "Z:${1//\//\\}"; }

# One step of the helper; a failing step shows what the helper printed.
step() {
  local name="$1" status=0 log="$work/$1.log"
  shift
  env ZAN_INSTALL_STEP="$name" "$@" timeout 300 bash "$root/tools/wine_test_run.sh" "$wine" \
    "$helper" --gtest_brief=1 >"$log" 2>&1 || status=$?
  [ "$status" = 0 ] && return 0
  say "step $name failed (status $status); the helper printed:"
  tail -n 40 "$log" | sed 's/^/  /'
  return 1
}

# A new prefix for this run only, as Windows 7: the installer then installs the IMM32 layout
# beside the text service.
fresh_prefix() {
  "$server" -k >/dev/null 2>&1 || true
  "$server" -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX" "$work"
  "$server" -p >/dev/null 2>&1
  "$wine" wineboot -i >/dev/null 2>&1 </dev/null
  "$wine" reg add 'HKCU\Software\Wine' /v Version /d win7 /f >/dev/null 2>&1 </dev/null
  # Wine links the user's Documents, Desktop ... to the home folder: folders of the prefix
  # instead, so that backups and links stay in it.
  local link
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    [ -L "$link" ] && rm "$link" && mkdir "$link"
  done
  bash "$root/tools/prefix_fonts.sh"
}

# Runs the installer file given and walks its wizard by clicks; the installer must end. With a
# folder second, pictures of its windows go there.
install_with_wizard() {
  local package="$1" shots="${2:-}" name pid status=0
  name="$(basename "$package")"
  cp "$package" "$WINEPREFIX/drive_c/$name"
  "$wine" "C:\\$name" >/dev/null 2>&1 </dev/null &
  pid=$!
  if [ -n "$shots" ]; then
    step wizard ZAN_SCREENSHOT_DIR="$shots" || status=1
  else
    step wizard || status=1
  fi
  # The installer ends when its wizard closes.
  for _ in $(seq 60); do kill -0 "$pid" 2>/dev/null || break; sleep 1; done
  if kill -0 "$pid" 2>/dev/null; then
    say "$name did not end after its wizard"
    kill "$pid" 2>/dev/null
    status=1
  fi
  wait "$pid" 2>/dev/null
  return $status
}

# The installed product works with nothing registered by the test.
check_installed() {
  step check ZAN_INSTALL_VERSION="$1"
}

# A 32-bit program types through the installed 32-bit DLL, where this machine runs 32-bit Wine
# (tools/test.sh with x86) and the x86 tests are built.
check_installed_x86() {
  local helper32="$root/build/x86/tests/textservice_installed_layout_test.exe" status=0
  local log="$work/type-x86.log"
  if [ ! -f "$helper32" ] || [ ! -x /usr/lib/wine/wine ] ||
    [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    say "x86: no 32-bit Wine or x86 build here: the installed 32-bit DLL was not typed into"
    return 0
  fi
  ZAN_INSTALL_STEP=type timeout 300 bash "$root/tools/wine_test_run.sh" /usr/lib/wine/wine \
    "$helper32" --gtest_brief=1 >"$log" 2>&1 || status=$?
  if [ "$status" != 0 ]; then
    say "x86 typing failed (status $status); the helper printed:"
    tail -n 40 "$log" | sed 's/^/  /'
    return 1
  fi
  say "x86: $(grep -m1 'typed' "$log")"
}

# A newer build: the same payload with the package's minor version one up and an input
# method DLL of other bytes (still the same program).
make_newer_package() {
  local newer="$work/newer"
  rm -rf "$newer"
  mkdir -p "$newer"
  cp -a "$root/out/x64" "$root/out/x86" "$root/out/data" "$newer/"
  python3 - "$newer" <<'EOF' || return 1
import struct, sys
folder = sys.argv[1]
path = folder + "/data/config.dsc"
data = bytearray(open(path, "rb").read())
for i in range(data[0]):
    block = struct.unpack_from("<I", data, 4 + 4 * i)[0]
    if data[block + 5:block + 5 + 27].lower() == b"kx_soft_config_data_default":
        minor = struct.unpack_from("<I", data, block + 7640)[0]
        struct.pack_into("<I", data, block + 7640, minor + 1)
        open(path, "wb").write(data)
        open(folder + "/version", "w").write("215.%d" % (minor + 1))
        break
else:
    sys.exit("no soft block in " + path)
with open(folder + "/x64/zanTSF.dll", "ab") as dll:
    dll.write(b"newer build" * 16)
EOF
  python3 -B "$root/tools/make_installer.py" "$newer/installer.exe" \
    "$root/build/x64/installer/installer.exe" "$newer/x64" "$newer/x86" "$newer/data" >/dev/null
}

# The installed version folder ("215.<minor>") of a package's data.
package_version() {
  python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
for i in range(data[0]):
    block = struct.unpack_from("<I", data, 4 + 4 * i)[0]
    if data[block + 5:block + 5 + 27].lower() == b"kx_soft_config_data_default":
        print("215.%d" % struct.unpack_from("<I", data, block + 7640)[0])
EOF
}

# The newer build over the installed one while another process holds the installed DLL.
upgrade_while_held() {
  local stop="$work/hold.stop" holder status=0
  rm -f "$stop" "$prompts"
  ZAN_INSTALL_STEP=hold ZAN_HOLD_STOP="$(windows_path "$stop")" "$wine" "$helper" \
    --gtest_brief=1 >"$work/hold.log" 2>&1 &
  holder=$!
  for _ in $(seq 60); do grep -q holding "$work/hold.log" 2>/dev/null && break; sleep 1; done
  grep -q holding "$work/hold.log" || { say "the holder did not load the DLL"; status=1; }
  [ $status = 0 ] && { install_with_wizard "$work/newer/installer.exe" || status=1; }
  if [ $status = 0 ] && ! grep -q "检测到您已经安装了本软件的早期版本" "$prompts" 2>/dev/null; then
    say "the wizard did not ask about the installed older version"
    status=1
  fi
  [ $status = 0 ] && {
    step upgraded ZAN_EXPECT_DLL="$(windows_path "$work/newer/x64/zanTSF.dll")" || status=1
  }
  touch "$stop"
  for _ in $(seq 30); do kill -0 "$holder" 2>/dev/null || break; sleep 1; done
  kill "$holder" 2>/dev/null
  wait "$holder" 2>/dev/null
  return $status
}

finish() {
  "$server" -k >/dev/null 2>&1
  "$server" -w >/dev/null 2>&1
}

main() {
  [ -f "$helper" ] || { say "$helper missing"; return 1; }
  [ -f "$installer" ] || { say "$installer missing (tools/build.sh makes it)"; return 1; }
  local start status=0 version
  start=$(date +%s)
  trap finish EXIT
  fresh_prefix
  version="$(package_version "$root/out/data/config.dsc")"
  if install_with_wizard "$installer" "$pictures" && check_installed "$version" &&
    check_installed_x86; then
    say "installed $version by the wizard; msctf started the installed text service and the installed layout typed 你好"
  else
    return 1
  fi
  make_newer_package || { say "the newer package could not be made"; return 1; }
  version="$(cat "$work/newer/version")"
  if upgrade_while_held && check_installed "$version"; then
    say "upgraded to $version while the old DLL was loaded: renamed aside and deleted at restart, the new one loads"
  else
    status=1
  fi
  say "$(($(date +%s) - start)) s"
  return $status
}

# Sourced (tools/life_of_installation.sh) it only defines its functions.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  main "$@"
fi
