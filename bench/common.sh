# Shared helpers for the benchmark scripts (sourced).
# Builds the release binary once and offers timing with peak memory.
set -euo pipefail
bench_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bench_out="${BENCH_OUT:-$bench_root/bench/out}"
mkdir -p "$bench_out"

build_release() {
    (cd "$bench_root" && scripts/deps.sh time && cmake --preset release >/dev/null &&
        cmake --build --preset release >/dev/null)
    Z5DEF="$bench_root/build/release/bin/z5def"
}

# measure LABEL CMD...: runs CMD once, records seconds and peak KiB in
# the globals SECONDS_TAKEN and PEAK_KIB, prints one line.
measure() {
    local label="$1"; shift
    local stats="$bench_out/.time"
    /usr/bin/time -f '%e %M' -o "$stats" "$@" >/dev/null
    read -r SECONDS_TAKEN PEAK_KIB < "$stats"
    printf '  %-34s %8.2f s %10d KiB peak\n' "$label" "$SECONDS_TAKEN" "$PEAK_KIB"
}

# ratio A B: A / B with two decimals
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) b = 0.01; printf "%.2f", a / b }'; }

# verdict NAME VALUE LIMIT: prints whether VALUE <= LIMIT
verdict() {
    if awk -v v="$2" -v l="$3" 'BEGIN { exit !(v <= l) }'; then
        echo "  $1: $2 (target <= $3) ok"
    else
        echo "  $1: $2 (target <= $3) MISSED"
    fi
}
