#!/usr/bin/env bash
# check-reproducible.sh [KIND]: builds what ships (the setup program, the edition programs, the
# icon and the traditional payload) from two fresh clones of this repository's HEAD in two
# different folders, and compares the files byte for byte. KIND is win32 (default, the product)
# or win64. The AES payload is left out: its salts are random by design. Exits 1 on a difference.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-win32}
case $kind in
  win32) toolchain=mingw-i686.cmake ;;
  win64) toolchain=mingw-x86_64.cmake ;;
  *) echo "usage: check-reproducible.sh [win32|win64]" >&2; exit 2 ;;
esac
"$top/run" deps
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

shipped=(setup/setup.exe demo/TaluDemo.ico demo/payload/TDfls.zdt demo/payload/items/*.exe)
for copy in first second-copy; do
  git clone -q "$top" "$work/$copy"
  build="$work/$copy/build/$kind"
  cmake -S "$work/$copy" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$work/$copy/cmake/$toolchain" >/dev/null
  cmake --build "$build" -j "$(nproc)" --target setup payload >/dev/null
  (cd "$build" && sha256sum ${shipped[*]}) >"$work/$copy.sha256"
done
if diff "$work/first.sha256" "$work/second-copy.sha256"; then
  echo "reproducible ($kind): $(wc -l <"$work/first.sha256") shipped files identical"
  cat "$work/first.sha256"
else
  echo "NOT reproducible ($kind): the files above differ" >&2
  exit 1
fi
