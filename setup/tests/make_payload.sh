#!/usr/bin/env bash
# make_payload.sh OUT_DIR UNINSTALLER.exe
# Makes the test payloads of the setup program with the peer tools Info-ZIP zip and 7-Zip:
#   TDfls.zdt        the items the installer relies on, under the payload password; one data
#                    file is AES-256 encrypted, the rest traditionally
#   TDfls-extra.zdt  the same plus "Extra.txt" under another password
#   TDfls-bad.zdt    a file that is no archive
# Edition files hold "TaluDemo <letter>" so a test can tell which one was kept.
set -euo pipefail
out=$(realpath -m "$1") uninstaller=$(realpath "$2") here=$(dirname "$(realpath "$0")")
password=qarvu-tn.pzo
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out" "$work/items/CSTALU/Fonts"
cd "$work/items"
for letter in B G V J; do printf 'TaluDemo %s\n' "$letter" >"Talu_Demo_0107$letter.exe"; done
# A 16 x 16 icon, 32 bits per pixel, all blue.
python3 - <<'PY'
import struct
pixels = bytes((200, 80, 20, 255)) * 256
mask = bytes(64)
image = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
image += pixels + mask
header = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 32, len(image), 22)
open("TaluDemo.ico", "wb").write(header + image)
PY
# The uninstaller is the setup program itself, without its debugging symbols.
if [ -n "${STRIP:-}" ]; then "$STRIP" -o Uninstall.exe "$uninstaller"; else cp "$uninstaller" Uninstall.exe; fi
printf 'talu data %s\n' $(seq 1 200) >CSTALU/words.dat
printf 'glyphs\n' >CSTALU/Fonts/talu.fnt
printf 'aes item\n' >CSTALU/aes.dat
printf 'another password\n' >Extra.txt

rm -f "$out"/TDfls*.zdt
zip -q -X -r -P "$password" "$out/TDfls.zdt" Talu_Demo_0107?.exe TaluDemo.ico Uninstall.exe \
  CSTALU -x CSTALU/aes.dat
7z a -tzip -mem=AES256 -p"$password" "$out/TDfls.zdt" CSTALU/aes.dat >/dev/null
cp "$out/TDfls.zdt" "$out/TDfls-extra.zdt"
# The setup test answers its password box with "not-the-password" first: the item is written
# again until its random header rejects that password at the check byte.
add_extra() { zip -q -X -P other-password "$out/TDfls-extra.zdt" Extra.txt; }
add_extra
until python3 "$here/../../zip/tests/wrong_password.py" "$out/TDfls-extra.zdt" Extra.txt \
  not-the-password; do add_extra; done
printf 'This is no archive.\n' >"$out/TDfls-bad.zdt"
