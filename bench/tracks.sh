#!/usr/bin/env bash
# Track conversions on the largest track both directions accept (741
# sections, 501 surfaces, 501 walls), each run 100 times, against GNU od
# printing the same file as decimal integers 100 times, in the same run.
# Targets: decompile + compile together at most 4 times od's time (Trk.def
# is four times od's text, and it is written once and read once); peak
# memory under 16 MiB. Usage: bench/tracks.sh [--shm]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release

work="$bench_out/tracks"
rm -rf "$work" && mkdir -p "$work"
runs=100

largest_track_def > "$work/Trk.def"
"$Z5DEF" -q -C "$work" trk compile
mv "$work/New.trk" "$work/big.trk"
echo "Tracks, $(stat -c %s "$work/big.trk") bytes, $runs runs each:"

decompile_runs() { for ((i = 0; i < runs; i++)); do "$Z5DEF" -q -C "$work" trk decompile big.trk; done; }
compile_runs() { for ((i = 0; i < runs; i++)); do "$Z5DEF" -q -C "$work" trk compile; done; }
od_runs() { for ((i = 0; i < runs; i++)); do od -An -v -w52 -td4 "$work/big.trk" > "$work/od.txt"; done; }
export -f decompile_runs compile_runs od_runs; export Z5DEF work runs

for _ in $(seq 1 "$rounds"); do
    timed decompile bash -c decompile_runs
    timed compile bash -c compile_runs
    timed od bash -c od_runs
    cmp -s "$work/New.trk" "$work/big.trk" || echo "  round trip differs"
done
report decompile "z5def trk decompile"
report compile "z5def trk compile"
report od "od (the file as decimal integers)"
verdict "(decompile + compile) / od" \
    "$(ratio "$(awk -v a="$(median decompile)" -v b="$(median compile)" 'BEGIN { print a + b }')" \
        "$(median od)")" 4
peak_verdict decompile compile
rm -rf "$work"
