#!/usr/bin/env bash
# Every library a program file imports must be one that Windows always takes from the
# system folder (a known DLL), or the common controls, which the manifest binds side
# by side: any other would be looked for beside the program first, where a planted
# copy would run before the program starts.
#   import_check.sh OBJDUMP FILE...
set -euo pipefail
objdump=$1
shift
known=" advapi32 comdlg32 gdi32 imm32 kernel32 msvcrt ole32 oleaut32 shell32 user32 comctl32 "
status=0
for file in "$@"; do
  names=$("$objdump" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
  if [ -z "$names" ]; then
    echo "$(basename "$file"): no import table found" >&2
    status=1
  fi
  for name in $names; do
    base=$(printf '%s' "${name%.*}" | tr '[:upper:]' '[:lower:]')
    case "$known" in
      *" $base "*) ;;
      *)
        echo "$(basename "$file") imports $name, which Windows would look for beside it first" >&2
        status=1
        ;;
    esac
  done
done
exit $status
