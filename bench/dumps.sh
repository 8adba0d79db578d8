#!/usr/bin/env bash
# Raw dumps of a 16 MiB random file against GNU od giving the same three
# views, in the same run. Target: at most 0.25 of od's time; peak memory
# under 16 MiB. Usage: bench/dumps.sh [--shm]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release

work="$bench_out/dumps"
rm -rf "$work" && mkdir -p "$work"
head -c $((16 * 1024 * 1024)) /dev/urandom > "$work/input.bin"
echo "Raw dumps, 16 MiB of random bytes:"

od_views() {
    od -An -v -w4 -td4 "$1/input.bin" > "$1/od-long.txt"
    od -An -v -w4 -tf4 "$1/input.bin" > "$1/od-float.txt"
    od -An -v -w1 -tu1 "$1/input.bin" > "$1/od-byte.txt"
}
export -f od_views
for _ in $(seq 1 "$rounds"); do
    timed dump "$Z5DEF" -q -C "$work" dump input.bin
    timed od bash -c 'od_views "$1"' _ "$work"
done
report dump "z5def dump (three views)"
report od "od (the same three views)"
verdict "dump / od" "$(ratio "$(median dump)" "$(median od)")" 0.25
peak_verdict dump
rm -rf "$work"
