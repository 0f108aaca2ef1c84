#!/usr/bin/env bash
# The product maker's workflow end to end: photos made here, then the native
# quillpack's new, build and installer, then the installer checked under Wine by
# installer_check.exe. Exit 77 (skipped) when the native quillpack is not built.
# With "signed", the product and the installer are signed with a throw-away
# certificate, and osslsigncode must accept the product, the installer and the
# uninstaller the installer wrote.
#   kit_e2e.sh QUILLPACK ENGINE.scr CHECK.exe WINE_DIR SCRATCH [signed]
set -euo pipefail
# Absolute paths: the script works inside SCRATCH.
quillpack=$(realpath -m "$1") engine=$(realpath -m "$2") check=$(realpath -m "$3")
wine_dir=$(realpath -m "$4") scratch=$(realpath -m "$5") signed=${6:-}
if [ ! -x "$quillpack" ]; then
  echo "kit_e2e: no native quillpack at $quillpack (build the native preset first)"
  exit 77
fi
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$scratch" && mkdir -p "$scratch/photos"
cd "$scratch"
# One colour in every kind of file the kit converts, so that whatever moment of the
# slideshow the check captures shows that colour: baseline JPEGs copied as they are
# (one portrait), a progressive one rewritten, a PNG re-encoded. (The EXIF turns are
# checked pixel by pixel in the unit tests.)
colour='#E07020'
convert -size 1024x768 "xc:$colour" photos/1.jpg
convert -size 800x600 "xc:$colour" -interlace JPEG photos/2.jpg
convert -size 600x800 "xc:$colour" photos/3.jpg
convert -size 640x480 "xc:$colour" photos/10.png
export QUILL_KIT_COLOUR=E07020
export QUILL_KIT_TITLE="Kit Harbour" QUILL_KIT_COMPANY="Quill Kit" QUILL_KIT_VERSION="2.5"
export QUILL_KIT_PRODUCT="Kit Harbour.scr"
"$quillpack" new photos -o content --title "$QUILL_KIT_TITLE" --company "$QUILL_KIT_COMPANY" \
  --version "$QUILL_KIT_VERSION"
"$quillpack" build content "$engine" -o "$QUILL_KIT_PRODUCT"
key=()
if [ "$signed" = signed ]; then
  # No timestamp: the test uses no network.
  openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Quill Kit test" \
    -keyout key.pem -out cert.pem 2>/dev/null
  key=(--key key.pem --cert cert.pem)
  "$quillpack" sign "$QUILL_KIT_PRODUCT" "${key[@]}" --name "$QUILL_KIT_TITLE"
  "$quillpack" list "$QUILL_KIT_PRODUCT" >/dev/null
  "$quillpack" extract "$QUILL_KIT_PRODUCT" -o extracted >/dev/null
  mkdir kept
  export QUILL_KIT_KEEP="Z:${scratch//\//\\}\\kept"
fi
"$quillpack" installer "$QUILL_KIT_PRODUCT" -o kit-harbour-installer.exe "${key[@]}"
export QUILL_KIT_INSTALLER="Z:${scratch//\//\\}\\kit-harbour-installer.exe"
"$here/../../cmake/wine-run.sh" "$wine_dir" "$check"
if [ "$signed" = signed ]; then
  for file in "$QUILL_KIT_PRODUCT" kit-harbour-installer.exe kept/uninstall.exe; do
    osslsigncode verify -CAfile cert.pem -in "$file" >verify.log 2>&1 ||
      { cat verify.log; echo "kit_e2e: osslsigncode does not accept $file" >&2; exit 1; }
  done
  cmp "$QUILL_KIT_PRODUCT" kept/installed.scr || { echo "kit_e2e: the installed file is not the signed product" >&2; exit 1; }
  echo "kit_e2e: osslsigncode accepts the product, the installer and the uninstaller"
fi
