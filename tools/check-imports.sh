#!/usr/bin/env bash
# check-imports.sh OBJDUMP PROGRAM...: fails when a program imports a DLL that not every
# Windows has. Such a program starts under Wine, which brings extra DLLs, but on Windows it
# ends at once with "<name>.dll was not found".
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: check-imports.sh OBJDUMP PROGRAM..." >&2; exit 2; }
objdump=$1
shift

# Part of every Windows the product runs on.
allowed=" advapi32 comctl32 comdlg32 gdi32 kernel32 msimg32 msvcrt ole32 oleaut32 shell32
          shlwapi user32 version "
status=0
for program in "$@"; do
  dlls=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  if [ -z "$dlls" ]; then
    echo "$program: no import table found"
    status=1
  fi
  for dll in $dlls; do
    case $allowed in
      *[[:space:]]${dll%.dll}[[:space:]]*) ;;
      *) echo "$(basename "$program") imports $dll, which Windows does not have"; status=1 ;;
    esac
  done
done
exit $status
