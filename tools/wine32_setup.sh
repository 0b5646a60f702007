#!/usr/bin/env bash
# Sets up Debian's own 32-bit Wine, at the version of the system's wine64, to run under
# qemu-user where the machine cannot execute 32-bit programs: the i386 packages (bookworm) and
# qemu-i386 (bookworm-backports; qemu 7.2 takes about a minute to start each Wine process)
# are fetched with a private apt configuration and unpacked into a folder of their own,
# $ZAN_WINE32_DIR (default /var/cache/zan-wine32). The system's packages, apt state and Wine
# stay as they are. tools/wine32_run.sh runs commands with it.
# Quick when the set-up for this Wine version is already there.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/report_errors.sh"
dir="${ZAN_WINE32_DIR:-/var/cache/zan-wine32}"

version="$(dpkg-query -W -f '${Version}' wine64 2>/dev/null)" || {
  echo "wine32: the system's wine64 is not installed" >&2
  exit 1
}
stamp="wine $version"
ready() { [ -f "$dir/ready" ] && [ "$(cat "$dir/ready")" = "$stamp" ]; }
if ready; then
  echo "wine32: set-up of 32-bit Wine $version in $dir is in place"
  exit 0
fi

mkdir -p "$(dirname "$dir")"
# One set-up at a time; a run that waited finds the other's result.
exec 9>"$dir.lock"
flock 9
if ready; then exit 0; fi
start=$(date +%s)
echo "wine32: setting up 32-bit Wine $version under qemu-user in $dir"
work="$dir.new"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

codename="$(. /etc/os-release; echo "${VERSION_CODENAME:-bookworm}")"
# The machine's Debian mirrors, so that a local mirror is used where there is one.
machine_uri() {  # the first source address ending in $1
  grep -rhv '^[[:space:]]*#' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null |
    grep -oE "https?://[^ ]+/$1/?( |\$)" | head -n 1 | tr -d ' ' | sed 's:/$::' || true
}
mirror="$(machine_uri debian)"
mirror="${mirror:-http://deb.debian.org/debian}"
security="$(machine_uri debian-security)"
security="${security:-${mirror%/debian}/debian-security}"

# A private apt: its own sources, lists, cache and (empty) package status.
apt_for() {  # name architecture source-lines...
  local a="$work/apt-$1" arch="$2"
  shift 2
  mkdir -p "$a/lists/partial" "$a/archives/partial" "$a/parts"
  : >"$a/status"
  printf '%s\n' "$@" >"$a/sources.list"
  cat >"$a/apt.conf" <<CONF
Dir::State "$a";
Dir::State::lists "$a/lists";
Dir::State::status "$a/status";
Dir::Cache "$a";
Dir::Cache::archives "$a/archives";
Dir::Etc::SourceList "$a/sources.list";
Dir::Etc::SourceParts "$a/parts";
Dir::Etc::Preferences "$a/none";
Dir::Etc::PreferencesParts "$a/parts";
APT::Architecture "$arch";
APT::Architectures { "$arch"; };
APT::Sandbox::User "root";
Acquire::Languages "none";
CONF
  APT_CONFIG="$a/apt.conf" apt-get update -qq
}
apt_i386() { APT_CONFIG="$work/apt-i386/apt.conf" apt-get "$@"; }
apt_qemu() { APT_CONFIG="$work/apt-qemu/apt.conf" apt-get "$@"; }

apt_for i386 i386 "deb $mirror $codename main" "deb $mirror $codename-updates main" \
  "deb $security $codename-security main" &
lists_i386=$!
apt_for qemu amd64 "deb $mirror $codename-backports main" &
lists_qemu=$!
wait $lists_i386
wait $lists_qemu

# wine32 and libwine at exactly the system's version with their dependencies, and the X
# extension libraries libwine recommends; the other recommendations are not needed.
apt_i386 install -d -y -qq --no-install-recommends "wine32=$version" "libwine=$version" \
  libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 \
  libxxf86vm1 >/dev/null &
get_i386=$!
(cd "$work/apt-qemu/archives" && apt_qemu download -qq qemu-user >/dev/null) &
get_qemu=$!
wait $get_i386
wait $get_qemu

# A merged-/usr root of the i386 packages. 64-bit Wine's own files and the documentation are
# left out.
r="$work/root"
mkdir -p "$r/usr/lib" "$r/usr/bin" "$r/usr/sbin" "$r/etc"
ln -s usr/lib "$r/lib"
ln -s usr/bin "$r/bin"
ln -s usr/sbin "$r/sbin"
unpack() {
  dpkg-deb --fsys-tarfile "$1" | tar -x --keep-directory-symlink -C "$2" \
    --exclude=./usr/share/doc --exclude=./usr/share/man --exclude=./usr/share/locale \
    --exclude='./usr/lib/i386-linux-gnu/wine/x86_64-*'
}
export -f unpack
printf '%s\n' "$work"/apt-i386/archives/*.deb | xargs -P 4 -I{} bash -c 'set -o pipefail; unpack "$1" "$2"' _ {} "$r"
# libwine's configuration step: the mingw zlib marked as a Wine builtin DLL.
in="$r/usr/i686-w64-mingw32/lib/zlib1.dll"
{
  head -c 64 "$in"
  printf 'Wine builtin DLL'
  head -c 16 /dev/zero
  tail -c +97 "$in"
} >"$r/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"
echo 'include /etc/ld.so.conf.d/*.conf' >"$r/etc/ld.so.conf"
ldconfig -r "$r"

# What qemu's loader prefix holds: only the i386 loader and its library cache. A whole root
# there breaks Wine (qemu redirects open() into it but not statx()) and hides the fonts.
mkdir -p "$work/ld/lib" "$work/ld/etc"
cp "$r/usr/lib/i386-linux-gnu/ld-linux.so.2" "$work/ld/lib/"
cp "$r/etc/ld.so.cache" "$work/ld/etc/"
dpkg-deb --fsys-tarfile "$work"/apt-qemu/archives/qemu-user_*.deb |
  tar -x -O ./usr/bin/qemu-i386 >"$work/qemu-i386"
chmod 755 "$work/qemu-i386"

# fontconfig's cache files of the 32-bit processes go to a folder of their own, not into the
# system's cache.
mkdir -p "$work/fontcache"
cat >"$work/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <cachedir>$dir/fontcache</cachedir>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
</fontconfig>
CONF

rm -rf "$work"/apt-*
echo "$stamp" >"$work/ready"
rm -rf "$dir"
mv "$work" "$dir"
trap - EXIT
echo "wine32: set up in $(($(date +%s) - start)) s"
