#!/usr/bin/env bash
# The picture window's reload of the largest track's Trk.def (741 sections,
# 501 surfaces, 501 walls), measured without a toolkit by z5bench_reload,
# against `z5def trk view` of the same Trk.def, 20 of each per round.
# Target: a reload at most 1.5 x trk view. Usage: bench/reload.sh [--shm]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release
reloader="$bench_root/build/release/bin/z5bench_reload"

work="$bench_out/reload"
rm -rf "$work" && mkdir -p "$work"
runs=20
# Trk.def as trk decompile writes it, so that it reads without a departure.
largest_track_def > "$work/Trk.def"
"$Z5DEF" -q -C "$work" trk compile 2>/dev/null
"$Z5DEF" -q -C "$work" trk decompile New.trk
echo "Trk.def of $(stat -c %s "$work/Trk.def") bytes, $runs runs each:"

view_runs() { for ((i = 0; i < runs; i++)); do "$Z5DEF" -q -C "$work" trk view; done; }
export -f view_runs; export Z5DEF work runs

for _ in $(seq 1 "$rounds"); do
    timed view bash -c view_runs
    # Its own clock: the saves between the reloads are left out.
    TIMES_reload+=" $("$reloader" "$work" "$runs")"
done
report view "z5def trk view"
report reload "reload in the picture controller"
verdict "reload / trk view" "$(ratio "$(median reload)" "$(median view)")" 1.5
rm -rf "$work"
