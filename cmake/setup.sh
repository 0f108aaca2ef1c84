#!/usr/bin/env bash
# Installs every Debian package the build and the test run need. Idempotent: with
# everything present it only checks the package database and returns in seconds.
set -euo pipefail

if ! command -v apt-get >/dev/null 2>&1 || ! command -v dpkg-query >/dev/null 2>&1; then
  echo "setup: Debian 12 (bookworm) is required (apt-get and dpkg-query were not found)" >&2
  exit 1
fi

# The sanitizer runtime is the unversioned package, which follows the default clang.
packages=(
  make cmake ninja-build g++ clang libclang-rt-dev git ca-certificates file
  mingw-w64 wine wine64 xvfb xauth x11-utils imagemagick nasm dpkg-dev
  zlib1g-dev libjpeg62-turbo-dev libstb-dev libgtest-dev libgmock-dev googletest
  libbenchmark-dev libz-mingw-w64-dev fonts-dejavu-core libgl1-mesa-dri
  libturbojpeg0-dev libexif-dev nsis osslsigncode openssl libvorbis-dev libasound2 sox vorbis-tools
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  libdlib-dev libexiv2-dev libimage-exiftool-perl
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
# Sets added_deb_src=1 when it wrote one. Runs outside any && chain so that set -e
# stops the script on a failed copy.
added_deb_src=0
ensure_deb_src() {
  local list=/etc/apt/sources.list.d/quill-deb-src.sources
  local legacy=/etc/apt/sources.list.d/quill-deb-src.list
  [ -s "$list" ] || [ -s "$legacy" ] && return 0
  if grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ 2>/dev/null ||
     grep -rqs '^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null; then
    return 0
  fi
  local tmp
  tmp=$(mktemp)
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    grep -q 'debian' "$f" || continue
    sed -e 's/^Types:.*/Types: deb-src/' "$f" >>"$tmp"
    echo >>"$tmp"
  done
  if [ -s "$tmp" ]; then
    echo "setup: adding Debian source entries to $list:"
    sed 's/^/  /' "$tmp"
    as_root cp "$tmp" "$list"
    added_deb_src=1
  fi
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb [^[]*debian' /etc/apt/sources.list | sed 's/^deb /deb-src /' >"$tmp" || true
    if [ -s "$tmp" ]; then
      echo "setup: adding Debian source entries to $legacy:"
      sed 's/^/  /' "$tmp"
      as_root cp "$tmp" "$legacy"
      added_deb_src=1
    fi
  fi
  rm -f "$tmp"
  # Nothing is written when no Debian source was found, so the next run looks again.
  if [ "$added_deb_src" -eq 0 ]; then
    echo "setup: no Debian package source found in /etc/apt; the MinGW libraries cannot be" \
      "built from source until a deb-src entry exists" >&2
  fi
}

ensure_deb_src
need_update=$added_deb_src
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
