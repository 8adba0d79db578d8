#!/usr/bin/env bash
# A crafted object against a plain one of the same size (8 MiB: 32767
# vertices and normals, 20000 flavors, every tenth an outline of 800
# vertices; the same references in both): the crafted
# object's keys all fall into one slot of a hash table of them, the plain
# one's are the positions the compiler gives. Every lookup by key or offset
# costs the same whatever the keys. Target: crafted / plain <= 2 for 3do
# view, 3do export, 3do compile of its definitions, 3do positions of its
# OBJ, verify, check, and diff against a copy with one coordinate changed.
# Usage: bench/crafted.sh [--shm]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release
"$bench_root/scripts/deps.sh" python3

work="$bench_out/crafted"
rm -rf "$work"
for kind in plain crafted; do
    mkdir -p "$work/$kind"
    python3 "$bench_root/bench/make_object.py" "$work/$kind/object.3do" 32767 32767 20000 800 \
        $([ "$kind" = crafted ] && echo --crafted)
    # The definitions its compile reads, the OBJ positions reads, and a
    # copy with one coordinate changed for diff.
    "$Z5DEF" -q -C "$work/$kind" 3do decompile object.3do
    "$Z5DEF" -q -C "$work/$kind" 3do export object.3do
    python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); b[108] ^= 1
open(sys.argv[2], "wb").write(b)' "$work/$kind/object.3do" "$work/$kind/changed.3do"
done
echo "3do objects of $(stat -c %s "$work/plain/object.3do") bytes (plain) and" \
    "$(stat -c %s "$work/crafted/object.3do") bytes (crafted)"

# verify says how the crafted object comes back (its keys renumbered: not
# the same bytes) with exit status 1.
verify_any() { "$1" verify -j 1 --quiet "$2" || [ $? -eq 1 ]; }
# check's warnings and diff's differences are exit status 1 too.
status_0_or_1() { "$@" > /dev/null || [ $? -eq 1 ]; }
export -f verify_any status_0_or_1
for _ in $(seq 1 "$rounds"); do
    for kind in plain crafted; do
        timed "view_$kind" "$Z5DEF" -q -C "$work/$kind" 3do view object.3do
        timed "export_$kind" "$Z5DEF" -q -C "$work/$kind" 3do export object.3do
        timed "compile_$kind" "$Z5DEF" -q -C "$work/$kind" 3do compile new.3do
        timed "verify_$kind" bash -c 'verify_any "$@"' _ "$Z5DEF" "$work/$kind/object.3do"
        timed "positions_$kind" "$Z5DEF" -q -C "$work/$kind" 3do positions object.obj
        timed "check_$kind" bash -c 'status_0_or_1 "$@"' _ "$Z5DEF" -C "$work/$kind" check \
            object.3do
        timed "diff_$kind" bash -c 'status_0_or_1 "$@"' _ "$Z5DEF" -C "$work/$kind" diff \
            object.3do changed.3do
    done
done
for command in view export compile verify positions check diff; do
    report "${command}_plain" "z5def $command, plain object"
    report "${command}_crafted" "z5def $command, crafted object"
done
for command in view export compile verify positions check diff; do
    verdict "$command crafted / plain" \
        "$(ratio "$(median "${command}_crafted")" "$(median "${command}_plain")")" 2
done
rm -rf "$work"
