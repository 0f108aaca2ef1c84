#!/usr/bin/env bash
# Unpacks a Debian source package into DEST (once) and prints the unpacked tree's path.
# Tries the candidate version first, then every version apt knows, because a
# security update's source may be listed before the mirror serves it.
set -euo pipefail
pkg=$1
dest=$2
mkdir -p "$dest"
cd "$dest"
found=$(find . -maxdepth 1 -mindepth 1 -type d -name "${pkg}-*" | head -n 1)
if [ -z "$found" ]; then
  versions=$(apt-cache showsrc "$pkg" 2>/dev/null | sed -n 's/^Version: //p' | sort -u -r -V)
  ok=0
  for request in "$pkg" $(for v in $versions; do echo "${pkg}=${v}"; done); do
    if apt-get source -qq "$request" >/dev/null 2>&1; then ok=1; break; fi
    find . -maxdepth 1 -mindepth 1 -type d -name "${pkg}-*" -exec rm -rf {} +
  done
  if [ "$ok" -ne 1 ]; then
    echo "fetch-debian-source: could not fetch the source of $pkg (is there a deb-src entry? run cmake/setup.sh)" >&2
    exit 1
  fi
  found=$(find . -maxdepth 1 -mindepth 1 -type d -name "${pkg}-*" | head -n 1)
fi
echo "$dest/${found#./}"
