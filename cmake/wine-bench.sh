#!/usr/bin/env bash
# The Wine test bench: a private X display and a Wine prefix under the build tree.
#   wine-bench.sh start DIR [xvfb|dual]
#                             start the display, create the prefix when it is missing
#                             or incomplete, keep a wineserver running; DIR/display
#                             records the display.
#                             xvfb (default): Xvfb, one 1024x768x24 screen, one monitor,
#                             with 800x600 and 640x480 to switch to.
#                             dual: Xorg with the dummy video driver, two 1024x768
#                             monitors side by side (Xvfb shows Wine only one monitor)
#   wine-bench.sh layout DIR right|left|portrait
#                             dual display: the second monitor right of the primary
#                             or left of it (at negative x for Windows), or right of
#                             it turned to portrait (768x1024)
#   wine-bench.sh restart DIR start the wineserver and Wine's services afresh, in the
#                             caller's locale (Wine's processes take the system code
#                             page from it when they start)
#   wine-bench.sh stop DIR    stop the wineserver and the display
# Each action holds DIR/bench.lock, so that two starts on one folder cannot orphan a
# display or remove a prefix that the other is booting.
set -euo pipefail
action=$1
dir=$2
kind=${3:-xvfb}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
if [ "${QUILL_BENCH_LOCKED:-}" != "$dir" ]; then
  # -o: the servers started under the lock must not inherit it, or it would never end.
  QUILL_BENCH_LOCKED=$dir exec flock -o "$dir/bench.lock" bash "$0" "$@"
fi
unset QUILL_BENCH_LOCKED
export WINEPREFIX="$dir/prefix"
# shellcheck source=cmake/wine-env.sh
. "$(dirname "$0")/wine-env.sh"
# Every file the prefix held when it was made; a prefix missing any of them is made
# again. Temporary files come and go and are not listed.
manifest="$WINEPREFIX/.quill-ready"

# Xorg's dummy driver offers sixteen RandR outputs on one large virtual screen; two
# of them enabled side by side are two monitors for Wine.
write_dual_config() {
  cat >"$dir/xorg-dummy.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2048
  EndSubSection
EndSection
CONF
}

start_server() {
  local n=$1
  if [ "$kind" = dual ]; then
    write_dual_config
    setsid Xorg ":$n" -config "$dir/xorg-dummy.conf" -logfile "$dir/xorg.log" -noreset \
      -nolisten tcp >"$dir/xvfb.log" 2>&1 </dev/null &
  else
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$dir/xvfb.log" 2>&1 </dev/null &
  fi
}

start_wine() {
  # A persistent server saves its start-up for every test program.
  setsid "$QUILL_WINESERVER" -p >/dev/null 2>&1 </dev/null || true
  # Start Wine's services now, detached, so no test pays for them.
  setsid "$QUILL_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

set_layout() {
  local second_x primary_x second_mode=1024x768 second_size=1024x768
  case "$1" in
    right) primary_x=0 second_x=1024 ;;
    left) primary_x=1024 second_x=0 ;;
    portrait) primary_x=0 second_x=1024 second_mode=768x1024p second_size=768x1024 ;;
    *) echo "wine-bench: unknown layout $1" >&2; exit 2 ;;
  esac
  xrandr --addmode DUMMY1 1024x768 2>/dev/null || true
  # The dummy driver takes a portrait mode once it is defined.
  if [ "$second_mode" = 768x1024p ]; then
    xrandr --newmode 768x1024p 64.00 768 800 880 992 1024 1027 1037 1075 -hsync +vsync \
      2>/dev/null || true
    xrandr --addmode DUMMY1 768x1024p 2>/dev/null || true
  fi
  if ! xrandr | grep -q "^DUMMY1 connected ${second_size}+${second_x}+0"; then
    xrandr --output DUMMY0 --mode 1024x768 --pos "${primary_x}x0" --primary \
      --output DUMMY1 --mode "$second_mode" --pos "${second_x}x0"
  fi
  # Wine does not reliably follow a rearrangement, nor always see the outputs that
  # were arranged just before it started: start it afresh, so that it reads the
  # monitors anew.
  if [ -s "$manifest" ]; then
    "$QUILL_WINESERVER" -k 2>/dev/null || true
    "$QUILL_WINESERVER" -w 2>/dev/null || true
    start_wine
  fi
}

# Xvfb's one output knows only its own size; two smaller modes give the screensaver's
# mode switch something to switch to (Wine lists them at 32, 16 and 8 bits).
add_xvfb_modes() {
  xrandr --newmode 800x600 40 800 840 968 1056 600 601 605 628 -hsync +vsync &&
    xrandr --addmode screen 800x600 &&
    xrandr --newmode 640x480 25.18 640 656 752 800 480 490 492 525 -hsync -vsync &&
    xrandr --addmode screen 640x480 ||
    echo "wine-bench: could not add display modes" >&2
}

start_display() {
  if [ -f "$dir/display" ] && [ -f "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then
    return
  fi
  rm -f "$dir/display" "$dir/xvfb.pid"
  for n in $(seq 91 160); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    # Detached from our output: ctest waits for every holder of a test's output pipe.
    start_server "$n"
    echo $! >"$dir/xvfb.pid"
    for _ in $(seq 1 100); do
      if [ -e "/tmp/.X11-unix/X$n" ]; then
        # Benches started at the same moment may pick the same number; the server
        # that holds the lock file owns it, and the other tries the next number.
        if [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" != "$(cat "$dir/xvfb.pid")" ]; then
          kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
          break
        fi
        echo ":$n" >"$dir/display"
        if [ "$kind" = dual ]; then
          DISPLAY=":$n" set_layout right
        else
          DISPLAY=":$n" add_xvfb_modes
        fi
        return
      fi
      kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "wine-bench: could not start the $kind display; its last output ($dir/xvfb.log):" >&2
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

# Without a window manager Wine waits up to 2 s for every destroyed top-level window
# (fixme:event:wait_for_withdrawn_state); windows it does not hand to a manager
# skip the wait.
unmanaged_windows() {
  grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null && return
  setsid -w "$QUILL_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    >/dev/null 2>&1 </dev/null || echo "wine-bench: could not set Managed=N" >&2
}

case "$action" in
  start)
    start_display
    export DISPLAY
    DISPLAY=$(cat "$dir/display")
    ensure_prefix
    unmanaged_windows
    start_wine
    echo "wine-bench: display $DISPLAY, prefix $WINEPREFIX"
    ;;
  layout)
    DISPLAY=$(cat "$dir/display") set_layout "$3"
    ;;
  restart)
    DISPLAY=$(cat "$dir/display")
    export DISPLAY
    "$QUILL_WINESERVER" -k 2>/dev/null || true
    "$QUILL_WINESERVER" -w 2>/dev/null || true
    start_wine
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
    echo "usage: wine-bench.sh start DIR [xvfb|dual] | layout DIR right|left|portrait |" \
      "restart DIR | stop DIR" >&2
    exit 2
    ;;
esac
