#!/usr/bin/env bash
# The way through Blender and back: an object with two vertices that no face
# uses is exported, imported into Blender, one vertex moved and exported
# again; positions and compile must give the object with exactly that vertex
# moved. Exits 77 (skipped) when Blender is not installed.
# Usage: round_trip.sh Z5DEF SAMPLES_DIR
set -euo pipefail
z5def="$1"
samples="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if ! command -v blender > /dev/null; then
    echo "blender is not installed: the round trip through Blender is skipped"
    exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

# The cube sample with two loose vertices after its corners (positions 9, 10).
"$z5def" -q 3do decompile "$samples/cube.3do"
awk '{ print } /^ +7 +100 +100 +100\r$/ {
    printf "     8           30           40           50\r\n"
    printf "     9          -70          -60          250\r\n" }' vertex.def > edited && mv edited vertex.def
"$z5def" -q 3do compile loose.3do
"$z5def" -q 3do export loose.3do
grep -q '^l 9 10$' loose.obj

HOME="$work" blender -b --factory-startup --python "$here/move_vertex.py" -- \
    "$work/loose.obj" "$work/moved.obj" 8 25 > blender.log 2>&1 || { cat blender.log; exit 1; }

cp vertex.def before.def
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
echo "Blender round trip: exactly the moved vertex changed"
