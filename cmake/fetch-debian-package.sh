#!/usr/bin/env bash
# Unpacks a Debian binary package into DEST/PKG (once) and prints that folder's path:
# for test fixtures that Debian ships (photos), fetched rather than committed.
set -euo pipefail
pkg=$1
dest=$2
out="$dest/$pkg"
if [ ! -f "$out/.unpacked" ]; then
  mkdir -p "$dest"
  work=$(mktemp -d "$dest/.fetch-XXXXXX")
  trap 'rm -rf "$work"' EXIT
  if ! (cd "$work" && apt-get download -qq "$pkg" >/dev/null 2>&1); then
    echo "fetch-debian-package: could not download $pkg (run apt-get update)" >&2
    exit 1
  fi
  rm -rf "$out"
  dpkg-deb -x "$work"/*.deb "$out"
  touch "$out/.unpacked"
fi
echo "$out"
