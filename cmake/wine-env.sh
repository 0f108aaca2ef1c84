# Sourced by the Wine scripts: finds the 64-bit loader and the server once, and sets
# the environment every Wine run of the project shares. The caller sets WINEPREFIX.
#   QUILL_WINE        the 64-bit loader (Debian puts it outside PATH)
#   QUILL_WINESERVER  the server that owns the prefix
quill_find_wine() {
  local candidate
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      QUILL_WINE=$candidate
      break
    fi
  done
  for candidate in /usr/lib/wine/wineserver "$(command -v wineserver 2>/dev/null)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      QUILL_WINESERVER=$candidate
      break
    fi
  done
  if [ -z "${QUILL_WINE:-}" ] || [ -z "${QUILL_WINESERVER:-}" ]; then
    echo "wine: no 64-bit Wine found (install the wine64 package, or run cmake/setup.sh)" >&2
    exit 1
  fi
}
quill_find_wine
# Mono and Gecko are not wanted: their installers would stall the first start.
export WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${QUILL_WINEDEBUG:--all}"
