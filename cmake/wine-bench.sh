#!/usr/bin/env bash
# The Wine test bench: a private Xvfb display and a Wine prefix under the build tree.
#   wine-bench.sh start DIR   start Xvfb (1024x768x24), create the prefix when it is
#                             missing or incomplete, keep a wineserver running;
#                             DIR/display records the display
#   wine-bench.sh stop DIR    stop the wineserver and the display
set -euo pipefail
action=$1
dir=$2
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
export WINEPREFIX="$dir/prefix"
# shellcheck source=cmake/wine-env.sh
. "$(dirname "$0")/wine-env.sh"
# Every file the prefix held when it was made; a prefix missing any of them is made
# again. Temporary files come and go and are not listed.
manifest="$WINEPREFIX/.quill-ready"

start_display() {
  if [ -f "$dir/display" ] && [ -f "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then
    return
  fi
  rm -f "$dir/display" "$dir/xvfb.pid"
  for n in $(seq 91 160); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    # Detached from our output: ctest waits for every holder of a test's output pipe.
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$dir/xvfb.log" 2>&1 </dev/null &
    echo $! >"$dir/xvfb.pid"
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && { echo ":$n" >"$dir/display"; return; }
      kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "wine-bench: could not start Xvfb; its last output ($dir/xvfb.log):" >&2
  tail -n 20 "$dir/xvfb.log" >&2 || true
  exit 1
}

list_prefix() {
  (cd "$WINEPREFIX" && find . -type f ! -name .quill-ready ! -path '*/[Tt]emp/*' | LC_ALL=C sort)
}

# Prints the first file of the manifest that is gone; nothing when all are there.
first_missing() {
  local file
  while IFS= read -r file; do
    [ -e "$WINEPREFIX/$file" ] || { echo "$file"; return; }
  done <"$manifest"
}

ensure_prefix() {
  if [ -s "$manifest" ]; then
    local missing
    missing=$(first_missing)
    [ -z "$missing" ] && return
    echo "wine-bench: the Wine prefix lacks ${missing#./}; creating it again"
    "$QUILL_WINESERVER" -k 2>/dev/null || true
  fi
  rm -rf "$WINEPREFIX"
  echo "wine-bench: creating the Wine prefix"
  local log="$dir/wineboot.log" rc=0
  setsid -w "$QUILL_WINE" wineboot --init >"$log" 2>&1 </dev/null || rc=$?
  "$QUILL_WINESERVER" -w || true
  if [ "$rc" -ne 0 ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-bench: wineboot --init failed (exit code $rc) for $WINEPREFIX; the prefix is" \
      "not marked ready and the next start tries again. Its last output ($log):" >&2
    tail -n 20 "$log" >&2 || true
    exit 1
  fi
  list_prefix >"$dir/manifest.tmp"
  mv "$dir/manifest.tmp" "$manifest"
}

case "$action" in
  start)
    start_display
    export DISPLAY
    DISPLAY=$(cat "$dir/display")
    ensure_prefix
    # A persistent server saves its start-up for every test program.
    setsid "$QUILL_WINESERVER" -p >/dev/null 2>&1 </dev/null || true
    # Start Wine's services now, detached, so no test pays for them.
    setsid "$QUILL_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
    echo "wine-bench: display $DISPLAY, prefix $WINEPREFIX"
    ;;
  stop)
    "$QUILL_WINESERVER" -k 2>/dev/null || true
    if [ -f "$dir/xvfb.pid" ]; then
      kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
      rm -f "$dir/xvfb.pid"
    fi
    rm -f "$dir/display"
    ;;
  *)
    echo "usage: wine-bench.sh start|stop DIR" >&2
    exit 2
    ;;
esac
