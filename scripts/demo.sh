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

# Archive: unpack, pack the list again (the same bytes come back), clean up.
step archive unpack "$samples/sample.dat"
step archive pack dattext.pck
if cmp -s "$samples/sample.dat" "$out/archive/sample.dat"; then
    echo "ok      archive: repacked sample.dat is byte-identical"
else
    echo "FAILED  archive: repacked sample.dat differs"
fi
step archive cleanup

# Raw dumps of a sample file.
step raw dump "$samples/mixed.bin"
step raw textdoc "$samples/mixed.bin"

# A track decompiled and compiled back gives the same bytes.
step trk trk decompile "$samples/oval.trk"
step trk trk compile
if cmp -s "$samples/oval.trk" "$out/trk/New.trk"; then
    echo "ok      trk: New.trk equals oval.trk"
else
    echo "FAILED  trk: New.trk differs from oval.trk"
fi

# A 3D object to its definition files ...
step 3do 3do decompile "$samples/box.3do"
# ... and back: the same bytes, and offset.def with the renumbering.
step 3do 3do compile box-new.3do
if cmp -s "$samples/box.3do" "$out/3do/box-new.3do"; then
    echo "ok      3do: box-new.3do is byte-identical to box.3do"
else
    echo "FAILED  3do: box-new.3do differs from box.3do"
fi
# Cameras, camera scripts and a car setup: decompile, then compile the text
# back (the setup compiles to sample.stg in its own output folder).
step cam cam decompile "$samples/sample.cam"
step cam cam compile
step scr scr decompile "$samples/sample.scr"
step scr scr compile
step stg stg decompile "$samples/sample.stg"
step stg stg compile

echo
echo "Written into $out:"
(cd "$out" && find . -type f | sort | while read -r f; do
    printf '  %-40s %8d bytes\n' "${f#./}" "$(stat -c %s "$f")"
done)
