#!/usr/bin/env bash
# Raw dumps of a 64 MiB random file against GNU od producing the same three
# views, in the same run. Target: ours at most 0.5 of od's time; peak memory
# under 16 MiB.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release

work="$bench_out/dumps"
rm -rf "$work" && mkdir -p "$work"
head -c $((64 * 1024 * 1024)) /dev/urandom > "$work/input.bin"

echo "Raw dumps, 64 MiB of random bytes:"
measure "z5def dump (three views)" "$Z5DEF" -q -C "$work" dump input.bin
ours=$SECONDS_TAKEN; ours_peak=$PEAK_KIB
od_views() {
    od -An -v -w4 -td4 "$work/input.bin" > "$work/od-long.txt"
    od -An -v -w4 -tf4 "$work/input.bin" > "$work/od-float.txt"
    od -An -v -w1 -tu1 "$work/input.bin" > "$work/od-byte.txt"
}
export -f od_views; export work
measure "od (the same three views)" bash -c od_views
theirs=$SECONDS_TAKEN
verdict "time ratio z5def/od" "$(ratio "$ours" "$theirs")" 0.5
verdict "peak memory MiB" "$(awk -v k="$ours_peak" 'BEGIN { printf "%.1f", k / 1024 }')" 16
rm -rf "$work"
