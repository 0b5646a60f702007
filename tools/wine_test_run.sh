#!/usr/bin/env bash
# Runs one test program under the Wine loader given first. Under load a Wine process now and
# then ends before the program's main with no output at all; such a start is made again (twice
# at most). A program that printed anything is judged by its own exit status.
loader="$1"
shift
log="$(mktemp "${TMPDIR:-/tmp}/zan-test-run.XXXXXX")"
trap 'rm -f "$log"' EXIT
for attempt in 1 2 3; do
  "$loader" "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  if [ "$status" = 0 ] || [ -s "$log" ]; then exit "$status"; fi
  echo "wine: $(basename "$1") ended with status $status before its first line (start $attempt)" >&2
done
exit "$status"
