#!/usr/bin/env bash
# Pictures: the picture of the largest object (32767 vertices and normals,
# 20000 mixed flavors), on one core. Targets: under 1 s a picture, and at
# most 3 x the decompile of the same object.
# Usage: bench/picture.sh [--shm]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release
largest_object picture

# Each sample runs its command ten times, well above the clock's resolution.
ten() { for _ in 1 2 3 4 5 6 7 8 9 10; do taskset -c 0 "$@" > /dev/null; done; }
export -f ten
for _ in $(seq 1 "$rounds"); do
    timed view bash -c 'ten "$@"' _ "$Z5DEF" -q -C "$work" 3do view object.3do
    timed decompile bash -c 'ten "$@"' _ "$Z5DEF" -q -C "$work" 3do decompile object.3do
done
report view "10 x z5def 3do view"
report decompile "10 x z5def 3do decompile"
echo "  picture: $(stat -c %s "$work/object.svg") bytes"
verdict "seconds per picture" "$(awk -v t="$(median view)" 'BEGIN { printf "%.3f", t / 10 }')" 1
verdict "view / decompile" "$(ratio "$(median view)" "$(median decompile)")" 3
rm -rf "$work"
