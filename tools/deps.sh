#!/usr/bin/env bash
# Installs the build and test toolchain and the lexicon data packages, and fetches
# dependency sources.
# Quick when everything is already in place.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/report_errors.sh"
src="$root/third_party/src"

need_pkgs=()
for p in cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
         wine wine64 xvfb xdotool dpkg-dev locales python3 clang-format fonts-wqy-microhei fp-utils \
         opencc libopencc1.1 libopencc-data rime-data-luna-pinyin rime-essay \
         rime-data-pinyin-simp unicode-data wamerican wamerican-small wamerican-large; do
  dpkg -s "$p" >/dev/null 2>&1 || need_pkgs+=("$p")
done
apt_updated=0
apt_update() { if [ $apt_updated = 0 ]; then apt-get update -qq; apt_updated=1; fi; }
if [ ${#need_pkgs[@]} -gt 0 ]; then
  apt_update
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need_pkgs[@]}" >/dev/null
fi

# Chinese locale: gives Wine the ANSI code page 936.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi

# Dependency sources from Debian's source packages.
mkdir -p "$src"
have_src() { compgen -G "$src/$1-*/" >/dev/null; }
missing=()
for s in zlib libpng1.6 googletest; do have_src "$s" || missing+=("$s"); done
if [ ${#missing[@]} -gt 0 ]; then
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    suite="$(. /etc/os-release; echo "$VERSION_CODENAME")"
    cat > /etc/apt/sources.list.d/zan-src.sources <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt_updated=0
  fi
  apt_update
  (cd "$src" && apt-get source -qq "${missing[@]}" >/dev/null 2>&1)
fi
for s in zlib libpng1.6 googletest; do
  have_src "$s" || { echo "deps: source of $s missing" >&2; exit 1; }
done
