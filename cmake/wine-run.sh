#!/usr/bin/env bash
# Runs one Windows program under the test bench's Wine (ctest's cross-compiling
# emulator): wine-run.sh DIR PROGRAM.exe ARGS...
set -euo pipefail
dir=$1
shift
if [ ! -f "$dir/display" ]; then
  "$(dirname "$0")/wine-bench.sh" start "$dir" >/dev/null
fi
export WINEPREFIX="$dir/prefix" WINEARCH=win64
export WINEDEBUG="${QUILL_WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml="
DISPLAY=$(cat "$dir/display")
export DISPLAY
exec /usr/lib/wine/wine64 "$@"
