#!/usr/bin/env bash
# Fuzzes a target (or every target) for SECONDS each with ASan and UBSan,
# starting from its seed corpus and its regressions. What it learns and what
# it finds stays under build/fuzz-explore/TARGET/:
#   corpus/    new inputs that reach new code (reused by the next run)
#   findings/  crash-*, leak-*, timeout-*, oom-*: inputs that broke the target
# A finding goes to fuzz/regressions/TARGET/ together with its fix; ./test.sh
# replays it from then on.
# Usage: scripts/fuzz-explore.sh TARGET|all SECONDS
# Exit status: 0 when nothing was found, 1 when something was, 2 on misuse.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

usage() {
    echo "usage: scripts/fuzz-explore.sh TARGET|all SECONDS (targets: $(ls fuzz/corpus | tr '\n' ' '))" >&2
    exit 2
}
[ $# -eq 2 ] || usage
[[ "$2" =~ ^[1-9][0-9]*$ ]] || usage
seconds="$2"
if [ "$1" = all ]; then
    targets=($(ls fuzz/corpus))
elif [ -d "fuzz/corpus/$1" ]; then
    targets=("$1")
else
    usage
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
found=0
for target in "${targets[@]}"; do
    out="build/fuzz-explore/$target"
    mkdir -p "$out/corpus" "$out/findings"
    before=$(ls "$out/findings" | wc -l)
    seeds=("fuzz/corpus/$target")
    [ -d "fuzz/regressions/$target" ] && seeds+=("fuzz/regressions/$target")
    echo "== $target: $seconds s"
    # libFuzzer adds new inputs to the first folder and stops at the first
    # finding, whose input it writes under -artifact_prefix.
    status=0
    "build/fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$out/findings/" \
        "$out/corpus" "${seeds[@]}" 2>"$out/log" || status=$?
    tail -n 12 "$out/log"
    if [ "$status" -ne 0 ] || [ "$(ls "$out/findings" | wc -l)" -ne "$before" ]; then
        found=1
        echo "!! $target broke (exit $status); see $out/log and $out/findings/:"
        ls -t "$out/findings" | head -n 5 | sed "s|^|   $out/findings/|"
    fi
done
if [ "$found" -ne 0 ]; then
    echo "Fix what broke, then move the input to fuzz/regressions/TARGET/ so ./test.sh replays it."
fi
exit "$found"
