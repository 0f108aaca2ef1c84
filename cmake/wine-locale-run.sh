#!/usr/bin/env bash
# Runs one Windows program under the test bench's Wine in another locale, which gives
# Wine its system code page: wine-locale-run.sh LOCALE DIR PROGRAM.exe ARGS...
# Wine's processes take the locale when they start, and the bench keeps a server and
# Wine's services running, so they start afresh in the locale for the program and
# again in the caller's afterwards. Wine reads LC_ALL even where the C library has no
# such locale installed.
set -uo pipefail
locale=$1
dir=$2
shift
here=$(dirname "$0")
LANG=$locale LC_ALL=$locale "$here/wine-bench.sh" restart "$dir" >/dev/null 2>&1 || exit 1
LANG=$locale LC_ALL=$locale "$here/wine-run.sh" "$@"
rc=$?
"$here/wine-bench.sh" restart "$dir" >/dev/null 2>&1 || true
exit $rc
