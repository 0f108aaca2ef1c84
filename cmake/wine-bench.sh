#!/usr/bin/env bash
# The Wine test bench: a private Xvfb display and a Wine prefix under the build tree.
#   wine-bench.sh start DIR   start Xvfb (1024x768x24), create the prefix once, keep a
#                             wineserver running; DIR/display records the display
#   wine-bench.sh stop DIR    stop the wineserver and the display
set -euo pipefail
action=$1
dir=$2
mkdir -p "$dir"
export WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

start_display() {
  if [ -f "$dir/display" ] && [ -f "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then
    return
  fi
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
  echo "wine-bench: could not start Xvfb" >&2
  exit 1
}

case "$action" in
  start)
    start_display
    export DISPLAY
    DISPLAY=$(cat "$dir/display")
    if [ ! -f "$WINEPREFIX/.quill-ready" ]; then
      echo "wine-bench: creating the Wine prefix (once)"
      setsid "$wine" wineboot --init >/dev/null 2>&1 </dev/null || true
      "$wineserver" -w
      touch "$WINEPREFIX/.quill-ready"
    fi
    # A persistent server saves its start-up for every test program.
    setsid "$wineserver" -p >/dev/null 2>&1 </dev/null || true
    # Start Wine's services now, detached, so no test pays for them.
    setsid "$wine" cmd /c exit >/dev/null 2>&1 </dev/null || true
    echo "wine-bench: display $DISPLAY, prefix $WINEPREFIX"
    ;;
  stop)
    "$wineserver" -k 2>/dev/null || true
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
