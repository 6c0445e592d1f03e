#!/usr/bin/env bash
# Checks the engine as other programs see it: installed into a temporary prefix, every public
# header compiles on its own terms, and the examples build through find_package and through
# pkg-config and run, each on one archive made here; every C++ snippet of docs/engine.md
# compiles on its own.
# Usage: check-install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "check-install: $*" >&2; exit 1; }

# Installed, then moved: the tree must name neither where it was installed nor the build
# host's copies of the libraries it needs.
cmake --install "$build" --prefix "$work/staged" --component engine >/dev/null
mv "$work/staged" "$prefix"
[ ! -e "$prefix/bin" ] || fail "the engine component installs programs"
named=$(grep -rlE "$work/staged|/lib[^ \"]*/lib[a-z0-9]+\.(so|a)\b" "$prefix" || true)
[ -z "$named" ] || fail "installed files name absolute paths: $named"

PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name talu-zip.pc)")
export PKG_CONFIG_PATH
# Compiled side by side: the public headers, which resolve among themselves from the installed
# tree alone, and the examples through pkg-config and through the CMake package.
(cd "$prefix/include" && find talu -name '*.h' | sort | sed 's/.*/#include <&>/') >"$work/all.cpp"
c++ -std=c++20 -fsyntax-only $(pkg-config --cflags talu-zip) "$work/all.cpp" &
pending=($!)
mkdir "$work/pc"
for example in list_archive:ListArchive extract_archive:ExtractArchive; do
  c++ -std=c++20 -o "$work/pc/${example%%:*}" "$source/examples/${example#*:}.cpp" \
    $(pkg-config --cflags --libs talu-zip) &
  pending+=($!)
done
cmake -S "$source/examples" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null
for job in "${pending[@]}"; do wait "$job"; done

# Inputs: a split archive of two volumes; an archive with a stored item whose data is damaged,
# an encrypted item and a deflated one in a folder.
mkdir -p "$work/in/sub"
cd "$work/in"
head -c 100000 /dev/urandom >noise.bin
echo "plain text" >plain.txt
echo "secret text" >secret.txt
seq 1 2000 >sub/note.txt
zip -q -s 64k ../split.zip noise.bin plain.txt
zip -q -X -0 ../items.zip plain.txt
zip -q -X -P pass ../items.zip secret.txt
zip -q -X ../items.zip sub/note.txt
# The stored item's data starts after its local header (30 bytes) and name (9 bytes).
printf 'P' | dd of=../items.zip bs=1 seek=39 conv=notrunc status=none
cd "$work"
[ -e split.z01 ] || fail "zip made no split archive"

for built in cmake pc; do
  out=$work/out-$built
  "$built/list_archive" split.zip >"$out.list"
  grep -Eq '^ +100000 +[0-9]+   noise\.bin$' "$out.list" || fail "$built list: $(cat "$out.list")"
  grep -Eq '^ +11 +11   plain\.txt$' "$out.list" || fail "$built list: $(cat "$out.list")"

  status=0
  "$built/extract_archive" items.zip "$out" pass >"$out.names" 2>"$out.err" || status=$?
  [ "$status" = 1 ] || fail "$built extract ended with $status: $(cat "$out.err")"
  grep -q '^plain.txt: failed (native error 8)' "$out.err" || fail "$built extract: $(cat "$out.err")"
  [ ! -e "$out/plain.txt" ] || fail "$built extract left the failed item's file"
  cmp -s in/secret.txt "$out/secret.txt" || fail "$built extract: secret.txt differs"
  cmp -s in/sub/note.txt "$out/sub/note.txt" || fail "$built extract: sub/note.txt differs"
  [ "$(tr '\\' / <"$out.names")" = "$(printf 'plain.txt\nsecret.txt\nsub/note.txt')" ] ||
    fail "$built extract named: $(cat "$out.names")"
done

# Every C++ snippet of the guide compiles on its own: the first one (its includes) heads a file,
# each other one is the body of main there. Its CMake lines are lines of the examples' project.
mkdir "$work/snippets"
python3 - "$source/docs/engine.md" "$source/examples/CMakeLists.txt" "$work/snippets" <<'PY'
import re, sys
guide, cmake, out = sys.argv[1:]
text = open(guide).read()
cpp = re.findall(r"```cpp\n(.*?)```", text, re.S)
lines = {line.strip() for line in open(cmake)}
missing = [s for s in re.findall(r"```cmake\n(.*?)```", text, re.S)
           if any(line.strip() not in lines for line in s.strip().splitlines())]
if len(cpp) < 2 or missing:
    sys.exit("check-install: docs/engine.md: no C++ snippets, or CMake lines the examples lack:\n"
             + "\n".join(missing))
head, bodies = cpp[0], cpp[1:]
for n, body in enumerate(bodies):
    with open(f"{out}/snippet{n:02}.cpp", "w") as f:
        f.write(f"{head}\nint main(int argc, char** argv) {{\n(void)argc, (void)argv;\n{body}\nreturn 0;\n}}\n")
PY
for snippet in "$work"/snippets/*.cpp; do
  c++ -std=c++20 -Wall -Werror -Wno-unused -o "${snippet%.cpp}" "$snippet" \
    $(pkg-config --cflags --libs talu-zip) 2>"$snippet.log" ||
    fail "a snippet of docs/engine.md does not compile: $(cat "$snippet" "$snippet.log")"
done
