#!/usr/bin/env bash
# Runs a product under Wine: on the user's display when there is one, otherwise on a
# private Xvfb display, saving captures of the run and an animated GIF of them.
#   run-demo.sh PRODUCT.scr OUTDIR [ARGUMENTS] (default arguments: /t)
# QUILL_DEMO_KEY, when set, names the product's settings key (below HKCU); the demo
# turns the frame-rate counter on there so both overlays show.
set -euo pipefail
product=$(realpath "$1")
out=$(realpath -m "$2")
arguments=${3:-/t}
here=$(dirname "$0")
mkdir -p "$out"
export WINEPREFIX="$out/wine/prefix"
# shellcheck source=cmake/wine-env.sh
. "$here/wine-env.sh"
wine=$QUILL_WINE
seconds=${QUILL_DEMO_SECONDS:-15}

settings() {
  [ -n "${QUILL_DEMO_KEY:-}" ] || return 0
  "$wine" reg add "HKCU\\$QUILL_DEMO_KEY" /v FPS /t REG_DWORD /d 1 /f >/dev/null 2>&1 || true
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  settings
  echo "== running $product $arguments on $DISPLAY (Escape or closing the window ends it)"
  "$wine" "$product" $arguments
  exit 0
fi

"$here/wine-bench.sh" start "$out/wine" >/dev/null
trap '"$here/wine-bench.sh" stop "$out/wine"' EXIT
DISPLAY=$(cat "$out/wine/display")
export DISPLAY
settings
echo "== no display: running $product $arguments on Xvfb $DISPLAY for $seconds s"
rm -f "$out"/capture-*.png
"$wine" "$product" $arguments &
pid=$!
# The full-screen modes fill the screen. The test window's client area is the child
# X window that Wine gives the Direct3D drawing inside the "Debug Window"; capturing
# only it leaves out the frame. Only lines indented below the window are its children:
# until the child exists, the next top-level window must not be taken for it.
client_area() {
  xwininfo -root -tree | awk '
    /"Debug Window"/ { found = 1; match($0, /^ */); depth = RLENGTH; next }
    found { match($0, /^ */); if (RLENGTH <= depth) exit }
    found && !/"/ && /[0-9]+x[0-9]+\+/ { split($(NF - 1), size, "+"); print size[1] $NF; exit }'
}
crop=$(xdpyinfo | sed -n 's/ *dimensions: *\([0-9x]*\) .*/\1/p')+0+0
if [ "$arguments" = "/t" ]; then
  crop=
  for _ in $(seq 1 50); do
    crop=$(client_area)
    [ -n "$crop" ] && break
    sleep 0.2
  done
  [ -n "$crop" ] || { echo "run-demo: the test window did not show" >&2; exit 1; }
fi
sleep 3  # the first frames
end=$((SECONDS + seconds))
i=0
while [ $SECONDS -lt $end ] && kill -0 "$pid" 2>/dev/null; do
  import -display "$DISPLAY" -window root -crop "$crop" +repage \
    "$out/$(printf 'capture-%03d.png' $i)" 2>/dev/null && i=$((i + 1))
  sleep 0.4
done
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid" 2>/dev/null || true
fi
wait "$pid" 2>/dev/null || true
if [ "$i" -eq 0 ]; then
  echo "run-demo: no capture was taken" >&2
  exit 1
fi
echo "captures: $out/capture-000.png .. $(printf 'capture-%03d.png' $((i - 1))) ($i)"
convert -delay 50 -loop 0 "$out"/capture-*.png -resize 50% "$out/demo.gif"
echo "animation: $out/demo.gif"
