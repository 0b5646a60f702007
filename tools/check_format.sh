#!/usr/bin/env bash
# Checks every tracked .cpp and .h file against the repository's .clang-format; names the
# files that differ and the command that formats them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/report_errors.sh"
cd "$root"
command -v clang-format >/dev/null || bash tools/deps.sh
mapfile -t files < <(git ls-files '*.cpp' '*.h')
differ=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || differ+=("$f")
done
if [ ${#differ[@]} -gt 0 ]; then
  echo "format: ${#differ[@]} of ${#files[@]} files differ from .clang-format:" >&2
  printf '  %s\n' "${differ[@]}" >&2
  echo "format: fix them with: clang-format -i ${differ[*]}" >&2
  exit 1
fi
echo "format: ${#files[@]} files match .clang-format"
