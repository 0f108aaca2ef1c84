#!/usr/bin/env bash
# Runs one Windows program under the test bench's Wine (ctest's cross-compiling
# emulator): wine-run.sh DIR PROGRAM.exe ARGS...
# QUILL_BENCH_KIND (xvfb or dual) names the display a bench started here gets;
# QUILL_MONITOR_LAYOUT (right, left or portrait) arranges a dual display's monitors first.
set -uo pipefail
mkdir -p "$1"
dir=$(cd "$1" && pwd)
shift
here=$(dirname "$0")
# The display file alone proves nothing: the server behind it may have died since.
if [ ! -f "$dir/display" ] || [ ! -f "$dir/xvfb.pid" ] ||
   ! kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then
  "$here/wine-bench.sh" start "$dir" "${QUILL_BENCH_KIND:-xvfb}" >/dev/null || exit 1
fi
if [ -n "${QUILL_MONITOR_LAYOUT:-}" ]; then
  "$here/wine-bench.sh" layout "$dir" "$QUILL_MONITOR_LAYOUT" || exit 1
fi
export WINEPREFIX="$dir/prefix"
# shellcheck source=cmake/wine-env.sh
. "$here/wine-env.sh"
DISPLAY=$(cat "$dir/display")
export DISPLAY
# Wine's own helper processes (services, the desktop window) outlive the program and
# inherit its output; through a file they cannot keep ctest waiting on a pipe.
log=$(mktemp "$dir/run.XXXXXX")
"$QUILL_WINE" "$@" >"$log" 2>&1 </dev/null
rc=$?
cat "$log"
rm -f "$log"
exit $rc
