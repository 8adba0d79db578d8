#!/usr/bin/env bash
# z5def verify on one core against the same round trips as separate z5def
# calls in a shell loop (decompile and compile, or unpack and pack, each
# file in a scratch folder), over 100 copies of every sample. Target: verify
# at least 3 times the loop's rate in files per second (ratio of times
# <= 0.33). Usage: bench/verify.sh [--shm]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release

work="$bench_out/verify"
rm -rf "$work" && mkdir -p "$work/files" "$work/scratch"
# Each copy keeps its name (a setup holds its own name inside).
for i in $(seq 1 100); do
    mkdir -p "$work/files/$i"
    cp "$bench_root"/samples/*.{trk,3do,cam,scr,stg,dat} "$work/files/$i/"
done
count=$(find "$work/files" -type f | wc -l)
echo "Verify of $count files:"

shell_loop() {  # the round trips a user would script
    local z5def="$1" files="$2" scratch="$3" f
    for f in "$files"/*/*; do
        rm -rf "$scratch" && mkdir -p "$scratch"
        case "$f" in
            *.trk) "$z5def" -q -C "$scratch" trk decompile "$f" && "$z5def" -q -C "$scratch" trk compile ;;
            *.cam) "$z5def" -q -C "$scratch" cam decompile "$f" && "$z5def" -q -C "$scratch" cam compile ;;
            *.scr) "$z5def" -q -C "$scratch" scr decompile "$f" && "$z5def" -q -C "$scratch" scr compile ;;
            *.stg) "$z5def" -q -C "$scratch" stg decompile "$f" && "$z5def" -q -C "$scratch" stg compile ;;
            *.3do) "$z5def" -q -C "$scratch" 3do decompile "$f" && "$z5def" -q -C "$scratch" 3do compile out.3do ;;
            *.dat) "$z5def" -q -C "$scratch" unpack "$f" && "$z5def" -q -C "$scratch" pack dattext.pck ;;
        esac
    done
}
export -f shell_loop
for _ in $(seq 1 "$rounds"); do
    timed verify "$Z5DEF" verify -j 1 --quiet "$work/files"
    timed loop bash -c 'shell_loop "$@"' _ "$Z5DEF" "$work/files" "$work/scratch"
done
report verify "z5def verify -j 1"
report loop "decompile + compile per file, shell loop"
awk -v n="$count" -v v="$(median verify)" -v l="$(median loop)" \
    'BEGIN { printf "  files per second: verify %.0f, shell loop %.0f\n", n / v, n / l }'
verdict "verify time / shell loop time" "$(ratio "$(median verify)" "$(median loop)")" 0.33
peak_verdict verify
rm -rf "$work"
