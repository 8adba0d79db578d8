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

# Raw dumps of a sample file.
step raw dump "$samples/mixed.bin"
step raw textdoc "$samples/mixed.bin"

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
