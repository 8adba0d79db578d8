#!/usr/bin/env bash
# Checks the release ZIP of the windows build: makes it with cpack in
# build/windows and checks that it holds the programs, the z5.ini, the
# Blender add-on's ZIP and the text files a Windows user opens with a double
# click (README.txt, LICENSE.txt, CHANGELOG.txt, each with CR LF line ends
# and no lone LF).
# Usage: scripts/zip-test.sh (after the windows preset is built)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build=$here/build/windows

fail() {
    echo "FAILED  $*" >&2
    exit 1
}

rm -f "$build"/z5def-*-windows-x86_64.zip
(cd "$build" && timeout 300 cpack >/dev/null) || fail "cpack in $build"
zips=("$build"/z5def-*-windows-x86_64.zip)
zip=${zips[0]}
[ -f "$zip" ] || fail "cpack made no z5def-*-windows-x86_64.zip in $build"

work=$(mktemp -d "${TMPDIR:-/tmp}/z5zip.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip") || fail "$zip cannot be unpacked"
version=${zip##*/z5def-}
version=${version%-windows-x86_64.zip}
addon=z5def-blender-$version.zip
for f in z5def.exe z5deftool.exe z5.ini README.txt LICENSE.txt CHANGELOG.txt "$addon"; do
    [ -f "$work/$f" ] || fail "$(basename "$zip") lacks $f"
done
# The add-on's ZIP as Blender installs it: its package folder with bl_info.
(cd "$work" && mkdir addon && cd addon && cmake -E tar xf "../$addon") || fail "$addon cannot be unpacked"
grep -q "^bl_info = {" "$work/addon/z5def_blender/__init__.py" || fail "$addon holds no z5def_blender/ add-on"
for f in README.txt LICENSE.txt CHANGELOG.txt; do
    lines=$(wc -l <"$work/$f")
    crlf=$(grep -c $'\r$' "$work/$f" || true)
    [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] || fail "$f: $crlf of $lines lines end in CR LF"
done
grep -q "MIT License" "$work/LICENSE.txt" || fail "LICENSE.txt is not the MIT licence"
echo "ok      $(basename "$zip"): the programs, z5.ini, $addon, README.txt, LICENSE.txt, CHANGELOG.txt"
