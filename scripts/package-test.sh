#!/usr/bin/env bash
# Checks what the release build installs and packages: installs it into a
# temporary DESTDIR and runs the installed programs there (z5def on an
# installed sample, --version of both without a display, the launcher), checks
# the Blender add-on's ZIP and that the installed z5def(1) names every
# command the installed z5def offers,
# then makes the Debian package with cpack, checks its name, section, file
# list and computed dependencies, and has lintian check it: any error or
# warning fails. Builds the release preset first (never the sanitizer build).
# Every step runs under timeout, so nothing can hang.
# Usage: scripts/package-test.sh
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
build=build/release

fail() {
    echo "FAILED  $*" >&2
    exit 1
}
ok() { echo "ok      $*"; }
quick() { timeout 60 "$@"; }

timeout 120 cmake --preset release >/dev/null
timeout 1200 cmake --build --preset release -j2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"

work=$(mktemp -d "${TMPDIR:-/tmp}/z5package.XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/root
usr=$root/usr

# The install: every file where the desktop, man and dpkg look for it.
DESTDIR="$root" quick cmake --install "$build" --prefix /usr >/dev/null
launcher=/usr/libexec/z5def/z5deftool-launcher
expected=(
    /usr/bin/z5def /usr/bin/z5deftool "$launcher"
    /usr/share/applications/z5deftool.desktop
    /usr/share/man/man1/z5def.1.gz /usr/share/man/man1/z5deftool.1.gz
    /usr/share/doc/z5def/README.md /usr/share/doc/z5def/copyright
    /usr/share/doc/z5def/changelog.gz
    "/usr/share/z5def/z5def-blender-$version.zip"
)
for size in 16 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x$size/apps/z5deftool.png")
done
for sample in samples/*; do expected+=("/usr/share/doc/z5def/$sample"); done
for document in docs/*.md; do expected+=("/usr/share/doc/z5def/$document"); done
for f in "${expected[@]}"; do [ -f "$root$f" ] || fail "install: $f is missing"; done
for f in /usr/bin/z5def /usr/bin/z5deftool "$launcher"; do
    [ -x "$root$f" ] || fail "install: $f is not executable"
done
installed=$(cd "$root" && find . ! -type d | sed 's|^\.||' | sort)
[ "$installed" = "$(printf '%s\n' "${expected[@]}" | sort)" ] ||
    fail "install: other files than expected:"$'\n'"$installed"
# Every link of the installed README and documents reaches an installed file.
doc=$usr/share/doc/z5def
for page in "$doc"/README.md "$doc"/docs/*.md; do
    for target in $(grep -o '](\([^)#:]*\)' "$page" | sed 's/^](//' | sort -u); do
        [ -e "$(dirname "$page")/$target" ] || fail "install: $page links $target, which is missing"
    done
done
grep -qx "Exec=$launcher" "$usr/share/applications/z5deftool.desktop" &&
    grep -qx 'Icon=z5deftool' "$usr/share/applications/z5deftool.desktop" ||
    fail "install: the desktop entry does not start the launcher with the icon"
ok "install into DESTDIR: ${#expected[@]} files"

# One version, the project's, from both programs, with no display at all.
for program in z5def z5deftool; do
    shown=$(quick env -i PATH=/usr/bin:/bin "$usr/bin/$program" --version)
    [ "$shown" = "$program $version" ] || fail "$program --version says \"$shown\""
done
ok "installed z5def and z5deftool --version: $version"

# The installed z5def on installed samples, in a folder of its own: the
# same bytes come back.
run=$work/run
mkdir -p "$run"
samples=$usr/share/doc/z5def/samples
quick "$usr/bin/z5def" -q -C "$run" trk decompile "$samples/oval.trk"
quick "$usr/bin/z5def" -q -C "$run" trk compile
cmp -s "$samples/oval.trk" "$run/New.trk" || fail "installed z5def: New.trk differs from oval.trk"
quick "$usr/bin/z5def" -q -C "$run" unpack "$samples/sample.dat"
quick "$usr/bin/z5def" -q -C "$run" pack dattext.pck
cmp -s "$samples/sample.dat" "$run/sample.dat" || fail "installed z5def: sample.dat packs differently"
ok "installed z5def on installed samples"

# The Blender add-on's ZIP: the package Blender installs, of this version.
addon=$usr/share/z5def/z5def-blender-$version.zip
shown=$(quick python3 -c 'import sys, zipfile
print(zipfile.ZipFile(sys.argv[1]).read("z5def_blender/__init__.py").decode())' "$addon" |
    sed -n 's/^ *"version": (\([0-9, ]*\)),.*/\1/p')
[ "$shown" = "${version//./, }" ] || fail "$addon: bl_info's version is \"$shown\", not $version"
ok "installed Blender add-on $(basename "$addon")"

# z5def(1) names every command that z5def --help lists, and each exit status.
page=$(gzip -dc "$usr/share/man/man1/z5def.1.gz")
words() {  # the words listed under "Subcommands:" in the help of z5def "$@"
    quick "$usr/bin/z5def" "$@" --help | sed -n '/^Subcommands:/,/^$/s/^  \([^ ]*\).*/\1/p'
}
commands=0
for word in $(words); do
    subs=$(words "$word")
    for command in $subs; do
        grep -qF "\\fB$word $command\\fR" <<<"$page" || fail "z5def(1) lacks \"$word $command\""
        commands=$((commands + 1))
    done
    if [ -z "$subs" ]; then
        # The table of tools names each as "z5def WORD".
        grep -qF -e "\\fB$word\\fR" -e "\\fBz5def $word\\fR" <<<"$page" ||
            fail "z5def(1) lacks \"$word\""
        commands=$((commands + 1))
    fi
done
[ "$commands" -ge 15 ] || fail "z5def --help lists only $commands commands"
statuses=$(sed -n '/^\.SH EXIT STATUS/,/^\.SH /p' <<<"$page")
for status in 0 1 2; do
    grep -qxF "\\fB$status\\fR" <<<"$statuses" || fail "z5def(1) lacks exit status $status"
done
ok "z5def(1) names all $commands commands and exit statuses 0, 1, 2"

# The launcher, as the desktop entry runs it: a z5.ini with the home folder
# in ~/.config/z5def, then the installed window found on the PATH (--version:
# no window opens).
home=$work/home
mkdir -p "$home"
shown=$(quick env -i PATH="$usr/bin:/usr/bin:/bin" HOME="$home" "$root$launcher" --version)
[ "$shown" = "z5deftool $version" ] || fail "launcher: the window said \"$shown\""
[ "$(head -n 1 "$home/.config/z5def/z5.ini")" = "\"$home\""$'\r' ] ||
    fail "launcher: z5.ini does not start in the home folder"
ok "installed launcher: z5.ini in ~/.config/z5def, then the installed window"

# The Debian package: its name, the same files as the install, and the
# dependencies dpkg-shlibdeps found.
arch=$(dpkg --print-architecture)
deb=$build/z5def_${version}_$arch.deb
rm -f "$deb"
(cd "$build" && timeout 300 cpack -G DEB >"$work/cpack.log" 2>&1) ||
    fail "cpack -G DEB:"$'\n'"$(cat "$work/cpack.log")"
[ -f "$deb" ] || fail "cpack made no $deb"
packaged=$(quick dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print substr($6, 2) }' | sort)
[ "$packaged" = "$installed" ] ||
    fail "$deb: other files than the install:"$'\n'"$(diff <(echo "$installed") <(echo "$packaged"))"
[ "$(quick dpkg-deb -f "$deb" Package Version Architecture Section)" = \
  "Package: z5def"$'\n'"Version: $version"$'\n'"Architecture: $arch"$'\n'"Section: utils" ] ||
    fail "$deb: wrong package name, version, architecture or section"
depends=$(quick dpkg-deb -f "$deb" Depends)
names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
    grep -qxF "$library" <<<"$names" || fail "$deb: Depends lacks $library: $depends"
done
ok "$(basename "$deb"): the installed files; Depends: $depends"

# Debian's own checker: not a single error or warning (as root it needs
# --allow-root).
findings=$(timeout 600 lintian --allow-root --fail-on none --display-level '>=warning' "$deb" 2>&1) ||
    fail "lintian could not check $deb:"$'\n'"$findings"
[ -z "$findings" ] || fail "lintian on $deb:"$'\n'"$findings"
ok "lintian: no error and no warning"
