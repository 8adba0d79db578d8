#!/usr/bin/env bash
# Runs the command-line tool on the sample files into a fresh folder and
# lists what it wrote. Usage: scripts/demo.sh Z5DEF OUTDIR
set -euo pipefail
z5def="$1"
out="$2"
samples="$(cd "$(dirname "${BASH_SOURCE[0]}")/../samples" && pwd)"

rm -rf "$out"
mkdir -p "$out"

step() {  # step FOLDER ARGS...: run one command, report its status
    local folder="$1"; shift
    mkdir -p "$out/$folder"
    if "$z5def" -q -C "$out/$folder" "$@"; then
        echo "ok      $folder: z5def $*"
    else
        echo "FAILED  $folder: z5def $* (status $?)"
    fi
}

same() {  # same ORIGINAL COMPILED: report whether a round trip gave the same bytes
    if cmp -s "$1" "$2"; then
        echo "ok      ${2#"$out"/}: byte-identical to $(basename "$1")"
    else
        echo "FAILED  ${2#"$out"/}: differs from $(basename "$1")"
    fi
}

# Archive: unpack, pack the list again (the same bytes come back), clean up.
step archive unpack "$samples/sample.dat"
step archive pack dattext.pck
same "$samples/sample.dat" "$out/archive/sample.dat"
step archive cleanup

# A whole archive as a workspace: extract it, make the first straight of the
# speedway 2000 longer, check the definitions (the next section's Start
# usually follows: a warning), build the archive again and verify it.
step workspace extract "$samples/game.dat" game
sed -i 's/^\(         Straight            0\)        60000/\1        62000/' \
    "$out/workspace/game/speedway.trk.def/Trk.def"
step workspace check game
step workspace build game
step workspace verify --deep game.dat

# Raw dumps of a sample file.
step raw dump "$samples/mixed.bin"
step raw textdoc "$samples/mixed.bin"

# A track decompiled and compiled back gives the same bytes.
step trk trk decompile "$samples/oval.trk"
step trk trk compile
same "$samples/oval.trk" "$out/trk/New.trk"

# A 3D object to its definition files ...
step 3do 3do decompile "$samples/box.3do"
# ... and back: the same bytes, and offset.def with the renumbering.
step 3do 3do compile box-new.3do
same "$samples/box.3do" "$out/3do/box-new.3do"
# Pictures of the objects and the tracks, and an object for 3D editors.
step pictures 3do view "$samples/cube.3do"
step pictures 3do view "$samples/wheel.3do"
step pictures trk view "$samples/speedway.trk"
step pictures trk view "$samples/oval.trk"
step pictures 3do export "$samples/wheel.3do"
# The pictures of the definition files, before they are compiled.
step 3do 3do view
step trk trk view
# Cameras, camera scripts and a car setup: decompile, then compile the text
# back (the setup compiles to sample.stg in its own output folder).
step cam cam decompile "$samples/sample.cam"
step cam cam compile
same "$samples/sample.cam" "$out/cam/New.cam"
step scr scr decompile "$samples/sample.scr"
step scr scr compile
same "$samples/sample.scr" "$out/scr/New.scr"
step stg stg decompile "$samples/sample.stg"
step stg stg compile
same "$samples/sample.stg" "$out/stg/sample.stg"

echo
echo "Written into $out:"
(cd "$out" && find . -type f | sort | while read -r f; do
    printf '  %-40s %8d bytes\n' "${f#./}" "$(stat -c %s "$f")"
done)
