#!/usr/bin/env bash
# Runs one Windows program like wine-run.sh, under the Unix locale LOCALE:
#   wine-locale-run.sh LOCALE DIR PROGRAM.exe ARGS...
# Wine takes its user locale from LANG when its server starts, so the bench's server
# is stopped before the run and again after it, for the next test's locale.
set -uo pipefail
locale=$1
dir=$2
shift 2
here=$(dirname "$0")
export WINEPREFIX
WINEPREFIX="$(cd "$dir" && pwd)/prefix"
# shellcheck source=cmake/wine-env.sh
. "$here/wine-env.sh"
"$QUILL_WINESERVER" -k 2>/dev/null
"$QUILL_WINESERVER" -w 2>/dev/null
LANG=$locale "$here/wine-run.sh" "$dir" "$@"
rc=$?
"$QUILL_WINESERVER" -k 2>/dev/null
"$QUILL_WINESERVER" -w 2>/dev/null
exit $rc
