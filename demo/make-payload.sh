#!/usr/bin/env bash
# make-payload.sh OUTDIR [--aes] [--build DIR] [--uninstaller FILE] [--strip TOOL]
#
# Lays out the items that the setup program installs and packs them into OUTDIR/TDfls.zdt,
# every file item encrypted under the payload password:
#   Talu_Demo_0107B.exe, ...G.exe, ...V.exe, ...J.exe   the four language editions
#   TaluDemo.ico                                         the product's icon
#   Uninstall.exe                                        the setup program under that name
#   CSTALU\                                              the product's data files
# The items are laid out in OUTDIR/items first, as they stand after an installation (before
# the chosen edition is renamed), and stay there. The programs are shipped stripped.
#
#   --aes               AES-256 items (7z) instead of the traditional encryption (Info-ZIP zip)
#   --build DIR         the Windows build folder that holds demo/ and setup/ (default:
#                       build/win32 of this repository)
#   --uninstaller FILE  the program to ship as Uninstall.exe (default: DIR/setup/setup.exe)
#   --strip TOOL        the strip program of the build's toolchain (default: the 32-bit one)
set -euo pipefail

readonly password='qarvu-tn.pzo'
readonly editions=(B G V J)
readonly item_time='2024-05-17 10:07:00 UTC'
here=$(cd "$(dirname "$0")" && pwd)

usage() {
  echo "usage: make-payload.sh OUTDIR [--aes] [--build DIR] [--uninstaller FILE] [--strip TOOL]" >&2
  exit 2
}

out="" aes=false build="$here/../build/win32" uninstaller="" strip=i686-w64-mingw32-strip
while [ $# -gt 0 ]; do
  case $1 in
    --aes) aes=true ;;
    --build) [ $# -ge 2 ] || usage; build=$2; shift ;;
    --uninstaller) [ $# -ge 2 ] || usage; uninstaller=$2; shift ;;
    --strip) [ $# -ge 2 ] || usage; strip=$2; shift ;;
    -*) usage ;;
    *) [ -z "$out" ] || usage; out=$1 ;;
  esac
  shift
done
[ -n "$out" ] || usage
uninstaller=${uninstaller:-$build/setup/setup.exe}

require() { [ -e "$1" ] || { echo "make-payload.sh: missing $1 (build it first)" >&2; exit 1; }; }

# The items, laid out afresh.
items="$out/items"
rm -rf "$items"
mkdir -p "$items"
for edition in "${editions[@]}"; do
  require "$build/demo/Talu_Demo_0107$edition.exe"
  cp "$build/demo/Talu_Demo_0107$edition.exe" "$items/"
done
require "$build/demo/TaluDemo.ico"
cp "$build/demo/TaluDemo.ico" "$items/"
require "$uninstaller"
cp "$uninstaller" "$items/Uninstall.exe"
cp -r "$here/data/CSTALU" "$items/CSTALU"
# Shipped without debugging symbols: a third of the size, the same programs. strip would stamp
# the programs with the current time; they keep the linker's zero instead.
SOURCE_DATE_EPOCH=0 "$strip" "$items"/*.exe

# The archive, written beside and then moved into place, so a failed run leaves no half file.
# Reproducible: every item carries the same fixed time, items stand in a fixed order, and no
# owner or extra time fields are stored (zip -X). The traditional encryption's header bytes come
# from a generator that Info-ZIP zip seeds from the clock and its process id: both are fixed
# for the run (a frozen clock, and a process namespace in which zip is process 1). AES items
# get random salts by design. The clock is frozen by loading libfaketime directly: its wrapper
# names a semaphore after its own process id, 1 in every such namespace, so two payloads built
# at once (or one after a killed build) failed with "sem_open: File exists".
libfaketime=$(echo /usr/lib/*/faketime/libfaketime.so.1)
frozen_time=$(date -u -d "$item_time" '+%Y-%m-%d %H:%M:%S')
find "$items" -exec touch -h -d "$item_time" {} +
names=("${editions[@]/#/Talu_Demo_0107}")
names=("${names[@]/%/.exe}" TaluDemo.ico Uninstall.exe)
mapfile -t data < <(cd "$items" && find CSTALU | LC_ALL=C sort)
archive="$(cd "$out" && pwd)/TDfls.zdt"
rm -f "$archive" "$archive.new"
if $aes; then
  (cd "$items" && 7z a -tzip -mx=9 -mem=AES256 "-p$password" "$archive.new" "${names[@]}" CSTALU >/dev/null)
else
  (cd "$items" && printf '%s\n' "${names[@]}" "${data[@]}" |
    TZ=UTC unshare --pid --fork env LD_PRELOAD="$libfaketime" FAKETIME="$frozen_time" zip -q -X -9 -P "$password" "$archive.new" -@)
fi
mv "$archive.new" "$archive"
echo "$archive"
