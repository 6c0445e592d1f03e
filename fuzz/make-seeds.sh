#!/usr/bin/env bash
# Makes the seed corpora of the fuzz targets under OUT (replacing what was there): the project's
# own archives (talu_fuzz_seeds), archives made by the peer tools that are installed, and the
# small archives of the real-world corpus, read where they lie.
# Usage: make-seeds.sh SEEDMAKER OUT CORPUS_DIR PASSWORD
set -euo pipefail
seedmaker=$1 out=$2 corpus=$3 password=$4

rm -rf "$out"
mkdir -p "$out"
"$seedmaker" "$out"
archives=$out/archives
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

have() { command -v "$1" >/dev/null 2>&1; }

# Contents: text, a binary block and a folder.
mkdir -p "$work/in/dir"
for i in $(seq 1 200); do echo "line $i of the peer seed text"; done >"$work/in/text.txt"
head -c 4000 /dev/zero | tr '\0' 'z' >"$work/in/dir/zeros.txt"
printf 'small' >"$work/in/dir/small.txt"

peer() { # peer NAME COMMAND...: runs COMMAND in the contents folder, keeping NAME on success
  local name=$1; shift
  (cd "$work/in" && "$@" >/dev/null 2>&1) && mv "$work/in/$name" "$archives/peer-$name" || true
  rm -f "$work/in/$name"
}

if have zip; then
  peer zip-deflate.zip zip -q -r zip-deflate.zip text.txt dir
  peer zip-stored.zip zip -q -0 -r zip-stored.zip text.txt dir
  peer zip-traditional.zip zip -q -P "$password" -r zip-traditional.zip text.txt dir
  if [ -f "$archives/peer-zip-deflate.zip" ]; then
    printf 'MZ a stub in front of the archive\n' >"$work/in/stub.zip"
    cat "$archives/peer-zip-deflate.zip" >>"$work/in/stub.zip"
    cp "$work/in/stub.zip" "$archives/peer-stub.zip"
    peer stub.zip zip -q -A stub.zip
  fi
fi
if have 7z; then
  peer 7z-traditional.zip 7z a -tzip -p"$password" -mem=ZipCrypto 7z-traditional.zip text.txt dir
  peer 7z-aes256.zip 7z a -tzip -p"$password" -mem=AES256 7z-aes256.zip text.txt dir
fi
if have bsdtar; then
  peer bsdtar.zip bsdtar --format zip -cf bsdtar.zip text.txt dir
fi
if have python3; then
  peer zip64.zip python3 -c '
import zipfile
with zipfile.ZipFile("zip64.zip", "w", zipfile.ZIP_DEFLATED) as z:
    for name in ("text.txt", "dir/small.txt"):
        with open(name, "rb") as f, z.open(name, "w", force_zip64=True) as out:
            out.write(f.read())
'
fi

# The real-world corpus: files up to 64 KiB (larger ones only slow every run down).
if [ -d "$corpus" ]; then
  find "$corpus" -path "$corpus/expected" -prune -o -type f -size -65k \
    ! -name '*.tsv' ! -name '*.md' -print | while read -r file; do
    rel=${file#"$corpus"/}
    cp "$file" "$archives/corpus-${rel//\//-}"
  done
fi

# Testing items: the first byte chooses the password case (1 the right one, 3 the prompts).
mkdir -p "$out/test_items"
for file in "$archives"/*; do
  for case in 1 3; do
    { printf "\\x0$case"; cat "$file"; } >"$out/test_items/$case-$(basename "$file")"
  done
done
echo "seeds: $(ls "$archives" | wc -l) archives in $archives"
