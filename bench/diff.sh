#!/usr/bin/env bash
# diff and merge of archives of 1213 members of every kind (about 250 MiB,
# built as bench/workspace.sh builds them). diff of two that differ in 10
# members (tracks, objects and files of no known kind) against cat of both
# to /dev/null: members with equal bytes are not decoded, so it reads about
# what cat reads. merge of three (each side changed 10 members of its own)
# against build of one workspace. Targets: diff <= 1.5 x cat A B; peak
# memory of diff under 64 MiB (the archives are streamed, never held
# whole); merge <= 2 x build. JOBS=N sets build's -j (default 1).
# Usage: bench/diff.sh [--shm]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release
jobs="${JOBS:-1}"

work="$bench_out/diff"
game_archive "$work"
base="$work/game.dat"

# edited ARCHIVE OUT N...: ARCHIVE with the members of the numbers N
# edited into OUT: a track's Length, an object's second vertex, a file's
# first byte (complemented, so it always changes).
edited() {
    local archive="$1" out="$2" edit="$work/edit" n
    shift 2
    cp "$archive" "$out"
    for n in "$@"; do
        rm -rf "$edit" && mkdir -p "$edit"
        "$Z5DEF" -q -C "$edit" unpack "$archive" "T$n.TRK" "O$n.3DO" "R$n.BIN"
        "$Z5DEF" -q -C "$edit" trk decompile "T$n.TRK"
        sed -i 's/^\(Length: *\)123456/\1123457/' "$edit/Trk.def"
        "$Z5DEF" -q -C "$edit" trk compile && mv "$edit/New.trk" "$edit/T$n.TRK"
        "$Z5DEF" -q -C "$edit" 3do decompile "O$n.3DO"
        sed -i '8s/^\( *1 *\)[-0-9]*/\1 77/' "$edit/vertex.def"
        "$Z5DEF" -q -C "$edit" 3do compile "O$n.3DO"
        local first
        first=$(head -c 1 "$edit/R$n.BIN" | od -An -tu1)
        printf "\\$(printf '%03o' $((255 - first)))" | dd of="$edit/R$n.BIN" conv=notrunc status=none
        "$Z5DEF" -q add --no-backup "$out" "$edit/T$n.TRK" "$edit/O$n.3DO" "$edit/R$n.BIN" > /dev/null
    done
    rm -rf "$edit"
}
# 10 members each: 4 of one kind, 3 of the others, by number.
edited "$base" "$work/ours.dat" 001 002 003
edited "$base" "$work/theirs.dat" 101 102 103
# One more track each, for ten.
for side in ours:010 theirs:110; do
    rm -rf "$work/edit" && mkdir -p "$work/edit"
    "$Z5DEF" -q -C "$work/edit" unpack "$base" "T${side#*:}.TRK"
    "$Z5DEF" -q -C "$work/edit" trk decompile "T${side#*:}.TRK"
    sed -i 's/^\(Length: *\)123456/\1123458/' "$work/edit/Trk.def"
    "$Z5DEF" -q -C "$work/edit" trk compile
    mv "$work/edit/New.trk" "$work/edit/T${side#*:}.TRK"
    "$Z5DEF" -q add --no-backup "$work/${side%:*}.dat" "$work/edit/T${side#*:}.TRK" > /dev/null
done
rm -rf "$work/edit"
echo "Archives of 1213 members, $(($(stat -c %s "$base") / 1048576)) MiB," \
    "$("$Z5DEF" diff --brief "$base" "$work/ours.dat" | wc -l) members differ, in $work:"
"$Z5DEF" -q -C "$work" extract -j "$jobs" game.dat > /dev/null

for _ in $(seq 1 "$rounds"); do
    rm -f "$work/merged.dat" "$work/built.dat"
    timed cat sh -c 'cat "$0" "$1" > /dev/null' "$base" "$work/ours.dat"
    timed diff sh -c '"$0" diff "$1" "$2" > /dev/null; [ $? = 1 ]' "$Z5DEF" "$base" "$work/ours.dat"
    timed merge "$Z5DEF" -C "$work" merge game.dat ours.dat theirs.dat -o merged.dat
    timed build "$Z5DEF" -C "$work" build -j "$jobs" --no-backup game -o built.dat
done
echo "  merged: $("$Z5DEF" diff --brief "$base" "$work/merged.dat" | wc -l) members changed"
report cat "cat A B > /dev/null"
report diff "z5def diff A B"
report merge "z5def merge BASE OURS THEIRS"
report build "z5def build (one workspace)"
verdict "diff / cat" "$(ratio "$(median diff)" "$(median cat)")" 1.5
verdict "merge / build" "$(ratio "$(median merge)" "$(median build)")" 2
verdict "peak memory MiB of diff" "$(awk -v k="${PEAK_diff:-0}" 'BEGIN { printf "%.1f", k / 1024 }')" 64
rm -rf "$work"
