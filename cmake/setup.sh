#!/usr/bin/env bash
# Installs every Debian package the build and the test run need. Idempotent: with
# everything present it only checks the package database and returns in seconds.
set -euo pipefail

packages=(
  make cmake ninja-build g++ clang libclang-rt-14-dev git ca-certificates file
  mingw-w64 wine wine64 xvfb xauth x11-utils imagemagick nasm dpkg-dev
  zlib1g-dev libjpeg62-turbo-dev libstb-dev libgtest-dev libgmock-dev googletest
  libbenchmark-dev libz-mingw-w64-dev fonts-dejavu-core libgl1-mesa-dri
  libturbojpeg0-dev libexif-dev nsis
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done

# The MinGW libjpeg-turbo and libexif are built from Debian's source packages, so apt needs a
# deb-src entry. It is derived from whatever Debian source the machine already uses.
ensure_deb_src() {
  local list=/etc/apt/sources.list.d/quill-deb-src.sources
  [ -f "$list" ] && return 1
  if grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ 2>/dev/null ||
     grep -qs '^deb-src ' /etc/apt/sources.list 2>/dev/null; then
    return 1
  fi
  local tmp
  tmp=$(mktemp)
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    grep -q 'debian' "$f" || continue
    sed -e 's/^Types:.*/Types: deb-src/' "$f" >> "$tmp"
    echo >> "$tmp"
  done
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb [^[]*debian' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
      > "${tmp}.list" || true
    if [ -s "${tmp}.list" ]; then
      as_root cp "${tmp}.list" /etc/apt/sources.list.d/quill-deb-src.list
    fi
    rm -f "${tmp}.list"
  fi
  if [ -s "$tmp" ]; then as_root cp "$tmp" "$list"; else as_root touch "$list"; fi
  rm -f "$tmp"
  return 0
}

need_update=0
ensure_deb_src && need_update=1
[ ${#missing[@]} -gt 0 ] && need_update=1

if [ "$need_update" -eq 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
