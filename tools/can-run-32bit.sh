#!/usr/bin/env bash
# Says how this machine can run 32-bit Windows programs, and fails when it cannot:
#   system    the system's 32-bit Wine runs
#   emulated  Debian's 32-bit Wine can run under qemu-user in a namespace of its own
#             (tools/wine32_setup.sh sets it up, tools/wine32_run.sh runs commands with it)
# otherwise it prints why neither works.
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo system
  exit 0
fi
if ! unshare --user --map-root-user --mount true 2>/dev/null; then
  echo "no 32-bit Wine runs here, and this kernel allows no user namespace to run one emulated"
  exit 1
fi
if ! unshare --user --map-root-user --mount \
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null; then
  echo "no 32-bit Wine runs here, and this kernel ($(uname -r)) gives a namespace no" \
    "binfmt_misc of its own to run one emulated (Linux 6.7 or later does)"
  exit 1
fi
echo emulated
