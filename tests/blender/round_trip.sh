#!/usr/bin/env bash
# The way through Blender and back: an object with two vertices that no face
# uses is exported, imported into Blender (upright: its z is Blender's), one
# vertex moved up in Blender's world and exported again with the given OBJ
# operators (see edit_obj.py). With operators that keep the vertex order,
# positions and compile must give the object with exactly that vertex
# moved; with operators that change it, positions must refuse the OBJ and
# leave vertex.def as it was.
# Exits 77 (skipped) when Blender is not installed.
# Usage: round_trip.sh Z5DEF SAMPLES_DIR IMPORT EXPORT moved|refused
set -euo pipefail
z5def="$1"
samples="$2"
importer="$3"
exporter="$4"
expect="$5"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/blender.sh"
cd "$work"

# The cube sample with two loose vertices after its corners (positions 9, 10).
"$z5def" -q 3do decompile "$samples/cube.3do"
awk '{ print } /^ +7 +100 +100 +100\r$/ {
    printf "     8           30           40           50\r\n"
    printf "     9          -70          -60          250\r\n" }' vertex.def > edited && mv edited vertex.def
"$z5def" -q 3do compile loose.3do
"$z5def" -q 3do export loose.3do
grep -q '^l 9 10$' loose.obj

run_blender 150 "$here/edit_obj.py" "$importer" "$exporter" "$work/loose.obj" "$work/moved.obj" \
    8 30,40,50 25

cp vertex.def before.def
if [ "$expect" = refused ]; then
    if "$z5def" -q 3do positions moved.obj 2> reason; then
        echo "positions took an OBJ whose vertex order Blender ($importer, $exporter) changed"
        exit 1
    fi
    cat reason
    grep -q '^z5def: moved.obj:[0-9]*: face [0-9 ]* is not a face of the object: the editor changed the vertex order$' reason
    cmp before.def vertex.def
    echo "Blender ($importer, $exporter) changed the vertex order; positions refused it"
    exit 0
fi
"$z5def" -q 3do positions moved.obj
"$z5def" -q 3do compile moved.3do
"$z5def" -q 3do decompile moved.3do
diff before.def vertex.def | tail -n +2 > changes || true
expected=$'<      8           30           40           50\r\n---\n>      8           30           40           75\r'
if [ "$(cat changes)" != "$expected" ]; then
    echo "expected only vertex 9 to move by 25 along z; the changes were:"
    cat -A changes
    exit 1
fi
echo "Blender round trip ($importer, $exporter): exactly the moved vertex changed"
