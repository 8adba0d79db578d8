#!/usr/bin/env bash
# Checks the release ZIP of the windows build: makes it with cpack in
# build/windows and checks that it unpacks into one folder z5def-VERSION
# holding the programs, z5.ini files that start Windows programs, the
# Blender add-on's ZIP, and the
# text files a Windows user opens with a double click (README.txt, the
# documents under docs\, LICENSE.txt, CHANGELOG.txt, each with CR LF line
# ends and no lone LF; README.txt written for Windows: lines of at most 78
# characters, no Markdown table or link to a .md file).
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
version=$(basename "$zip" -windows-x86_64.zip)
[ "$(ls "$work")" = "$version" ] || fail "$(basename "$zip") does not unpack into one folder $version"
top=$work/$version
addon=z5def-blender-${version#z5def-}.zip
for f in z5def.exe z5deftool.exe z5.ini samples/z5.ini samples/game.dat README.txt LICENSE.txt \
    CHANGELOG.txt docs/commands.txt docs/windows.txt "$addon"; do
    [ -f "$top/$f" ] || fail "$(basename "$zip") lacks $f"
done
# The add-on's ZIP as Blender installs it: its package folder with bl_info.
(cd "$work" && mkdir addon && cd addon && cmake -E tar xf "$top/$addon") || fail "$addon cannot be unpacked"
grep -q "^bl_info = {" "$work/addon/z5def_blender/__init__.py" || fail "$addon holds no z5def_blender/ add-on"
texts=("$top"/*.txt "$top"/docs/*.txt)
for f in "${texts[@]}"; do
    lines=$(wc -l <"$f")
    crlf=$(grep -c $'\r$' "$f" || true)
    [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] || fail "${f#"$top"/}: $crlf of $lines lines end in CR LF"
done
long=$(tr -d '\r' <"$top/README.txt" | awk 'length($0) > 78' | head -1)
[ -z "$long" ] || fail "README.txt has a line over 78 characters: $long"
! grep -qE '^\|.*\||\.md\b|xterm|/home/' "$top/README.txt" || fail "README.txt holds Markdown or Linux text"
grep -q "z5def.exe" "$top/README.txt" || fail "README.txt does not show z5def.exe"
for ini in z5.ini samples/z5.ini; do
    grep -qi "notepad" "$top/$ini" && ! grep -qE "xdg-open|xterm" "$top/$ini" ||
        fail "$ini does not start Windows programs"
done
grep -q "MIT License" "$top/LICENSE.txt" || fail "LICENSE.txt is not the MIT licence"
echo "ok      $(basename "$zip"): one folder $version: the programs, z5.ini, $addon, ${#texts[@]} text files"
