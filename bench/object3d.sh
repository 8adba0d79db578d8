#!/usr/bin/env bash
# 3D objects: the largest object (32767 vertices and normals, 20000 mixed
# flavors with many references). Targets: decompile <= 0.5 x
# `od -An -v -td4` of the same file; compile of its definition files
# <= 1.5 x the decompile; peak memory under 16 MiB.
# Usage: bench/object3d.sh [--shm]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release
largest_object object3d

# Each sample runs its command ten times, well above the clock's resolution.
ten() { for _ in 1 2 3 4 5 6 7 8 9 10; do "$@" > /dev/null; done; }
od_dump() { od -An -v -td4 "$1" > "$2"; }
export -f ten od_dump
for _ in $(seq 1 "$rounds"); do
    timed decompile bash -c 'ten "$@"' _ "$Z5DEF" -q -C "$work" 3do decompile object.3do
    timed od bash -c 'ten od_dump "$1" "$2"' _ "$work/object.3do" "$work/od.txt"
    timed compile bash -c 'ten "$@"' _ "$Z5DEF" -q -C "$work" 3do compile new.3do
    cmp -s "$work/object.3do" "$work/new.3do" || echo "  compiled object DIFFERS"
done
report decompile "z5def 3do decompile"
report od "od -An -v -td4"
report compile "z5def 3do compile"
verdict "decompile / od" "$(ratio "$(median decompile)" "$(median od)")" 0.5
verdict "compile / decompile" "$(ratio "$(median compile)" "$(median decompile)")" 1.5
peak_verdict decompile compile
rm -rf "$work"
