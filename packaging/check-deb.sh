#!/usr/bin/env bash
# Checks the Debian package of zipread without installing it: its metadata (name, version,
# declared dependencies), its files (the tool, its manual page, changelog and copyright, nothing
# else), lintian's verdict (no error, no warning), and the tool run from an unpacked copy.
# Usage: check-deb.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-deb: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$work/cpack.log")"
deb=$(find "$work" -maxdepth 1 -name 'zipread_*.deb')
[ -n "$deb" ] || fail "cpack made no zipread package"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

info=$(dpkg-deb -I "$deb")
for field in "Package: zipread" "Version: $version" "Section: utils"; do
  grep -qx " $field" <<<"$info" || fail "no '$field' in: $info"
done
grep -Eq '^ Depends: .*libc6 .*zlib1g' <<<"$info" || fail "dependencies not declared: $info"

files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
expected=(./usr/bin/zipread ./usr/share/doc/zipread/changelog.gz ./usr/share/doc/zipread/copyright
  ./usr/share/man/man1/zipread.1.gz)
[ "$files" = "$(printf '%s\n' "${expected[@]}")" ] || fail "unexpected files: $files"
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(cat "$work/lintian.log")"

dpkg-deb -x "$deb" "$work/root"
entry=$(zcat "$work/root/usr/share/doc/zipread/changelog.gz" | head -n 1)
[ "$entry" = "zipread ($version) unstable; urgency=medium" ] || fail "changelog starts: $entry"
shown=$("$work/root/usr/bin/zipread" --version)
[[ $shown =~ ^"zipread $version (inflate: "(zlib|ISA-L)")"$ ]] || fail "zipread --version: $shown"
