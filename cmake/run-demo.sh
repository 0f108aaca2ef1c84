#!/usr/bin/env bash
# Runs a product under Wine: on the user's display when there is one, otherwise on a
# private Xvfb display with screenshots saved beside the product.
#   run-demo.sh PRODUCT.scr OUTDIR [ARGUMENTS] (default arguments: /s)
set -euo pipefail
product=$(realpath "$1")
out=$(realpath -m "$2")
arguments=${3:-/s}
here=$(dirname "$0")
mkdir -p "$out"
export WINEPREFIX="$out/wine/prefix"
# shellcheck source=cmake/wine-env.sh
. "$here/wine-env.sh"
wine=$QUILL_WINE

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "== running $product $arguments on $DISPLAY (any input ends it)"
  "$wine" "$product" $arguments
  exit 0
fi

"$here/wine-bench.sh" start "$out/wine" >/dev/null
trap '"$here/wine-bench.sh" stop "$out/wine"' EXIT
DISPLAY=$(cat "$out/wine/display")
export DISPLAY
echo "== no display: running $product $arguments on Xvfb $DISPLAY"
"$wine" "$product" $arguments &
pid=$!
shots=()
for i in 1 2 3 4; do
  sleep "${QUILL_DEMO_INTERVAL:-4}"
  shot="$out/screenshot-$i.png"
  if import -display "$DISPLAY" -window root "$shot" 2>/dev/null; then
    shots+=("$shot")
    echo "screenshot: $shot"
  fi
  kill -0 "$pid" 2>/dev/null || break
done
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid" 2>/dev/null || true
fi
wait "$pid" 2>/dev/null || true
