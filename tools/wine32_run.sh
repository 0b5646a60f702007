#!/usr/bin/env bash
# Runs a command where the 32-bit Wine set up by tools/wine32_setup.sh works, e.g.
#   bash tools/wine32_run.sh ctest --test-dir build/x86 -R NAME
# in a user and mount namespace of its own: /usr/lib shows the i386 root beneath the
# system's files, so that the 32-bit loader sits at /usr/lib/wine/wine beside wine64 as in a
# multiarch install, and a binfmt_misc instance of the namespace (Linux 6.7 or later) hands
# 32-bit programs to qemu-i386. Outside the namespace nothing changes. Inside it already, the
# command just runs.
set -euo pipefail
dir="${ZAN_WINE32_DIR:-/var/cache/zan-wine32}"
[ $# -gt 0 ] || { echo "usage: $0 command [arguments]" >&2; exit 2; }
if [ "${ZAN_WINE32_INSIDE:-}" = 1 ]; then exec "$@"; fi
[ -f "$dir/ready" ] || {
  echo "wine32: no 32-bit Wine set up in $dir (tools/wine32_setup.sh makes it)" >&2
  exit 1
}
if [ "${1:-}" != --inside ]; then
  exec unshare --user --map-root-user --mount bash "$0" --inside "$@"
fi
shift
mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
# i386 ELF executables; flag F opens qemu now, so it runs whatever the mounts show later.
elf_i386='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
echo ":zan-i386:M::$elf_i386:$mask:$dir/qemu-i386:F" >/proc/sys/fs/binfmt_misc/register
mount -t overlay overlay -o "ro,lowerdir=/usr/lib:$dir/root/usr/lib" /usr/lib
export QEMU_LD_PREFIX="$dir/ld"
export FONTCONFIG_FILE="$dir/fonts.conf"
export ZAN_WINE32_INSIDE=1
exec "$@"
