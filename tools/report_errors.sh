# Sourced by the scripts that run under `set -e`: a failing command is named, with its
# script, line and exit status, before the script ends.
set -E
report_error() {
  local status=$1 line=$2 command=$3
  echo "${0##*/}: line $line: failed with status $status: $command" >&2
}
trap 'report_error $? $LINENO "$BASH_COMMAND"' ERR
