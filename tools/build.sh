#!/usr/bin/env bash
# Builds the product for both targets into out/, and the shipped tables into out/data/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/report_errors.sh"
bash "$root/tools/deps.sh"
cd "$root"
for p in x64 x86; do
  cmake --preset "$p" -DZAN_BUILD_TESTS=OFF >/dev/null
  cmake --build --preset "$p"
  cmake --install "build/$p" --prefix "out/$p" >/dev/null
done
# The shipped tables, built from Debian's lexicon packages by the x64 table generator.
bash "$root/tools/make_data.sh" "$root/out/data"
# The self-extracting installer with the whole product as its payload.
bash "$root/tools/make_installer.sh"
echo "built into $root/out"
