#!/usr/bin/env bash
# Runs one Windows program under the test bench's Wine (ctest's cross-compiling
# emulator): wine-run.sh DIR PROGRAM.exe ARGS...
# QUILL_BENCH_KIND (xvfb or dual) names the display a bench started here gets;
# QUILL_MONITOR_LAYOUT (right or left) arranges a dual display's monitors first.
set -uo pipefail
dir=$1
shift
bench="$(dirname "$0")/wine-bench.sh"
if [ ! -f "$dir/display" ]; then
  "$bench" start "$dir" "${QUILL_BENCH_KIND:-xvfb}" >/dev/null
fi
if [ -n "${QUILL_MONITOR_LAYOUT:-}" ]; then
  "$bench" layout "$dir" "$QUILL_MONITOR_LAYOUT" || exit 1
fi
export WINEPREFIX="$dir/prefix" WINEARCH=win64
export WINEDEBUG="${QUILL_WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml="
DISPLAY=$(cat "$dir/display")
export DISPLAY
# Wine's own helper processes (services, the desktop window) outlive the program and
# inherit its output; through a file they cannot keep ctest waiting on a pipe.
log=$(mktemp "$dir/run.XXXXXX")
/usr/lib/wine/wine64 "$@" >"$log" 2>&1 </dev/null
rc=$?
cat "$log"
rm -f "$log"
exit $rc
