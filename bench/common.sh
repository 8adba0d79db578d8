# Shared helpers for the benchmark scripts (sourced). Every target is a ratio
# against a peer measured in the same run: several interleaved rounds, each
# command timed once per round after a sync, and the median reported.
set -euo pipefail
bench_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
rounds="${BENCH_ROUNDS:-5}"

# Where the files live: a folder on the disk users work on by default
# (bench/out); --shm or BENCH_DIR=/dev/shm/... puts them in memory.
bench_out="${BENCH_DIR:-$bench_root/bench/out}"
for arg in "$@"; do
    [ "$arg" = "--shm" ] && bench_out="/dev/shm/z5bench-$$"
done
mkdir -p "$bench_out"

# largest_object NAME: the largest object (32767 vertices and normals, 20000
# mixed flavors with many references) as object.3do in a fresh folder
# $bench_out/NAME, which `work` names; says its size.
largest_object() {
    "$bench_root/scripts/deps.sh" python3
    work="$bench_out/$1"
    rm -rf "$work" && mkdir -p "$work"
    python3 "$bench_root/bench/make_object.py" "$work/object.3do"
    echo "3do object of $(stat -c %s "$work/object.3do") bytes (32767 vertices, 32767 normals, 20000 flavors)"
}

build_release() {
    (cd "$bench_root" && scripts/deps.sh time && cmake --preset release >/dev/null &&
        cmake --build --preset release >/dev/null)
    Z5DEF="$bench_root/build/release/bin/z5def"
}

# timed NAME CMD...: runs CMD once after a sync; appends its seconds to the
# list NAME and keeps the largest peak memory of NAME in PEAK_<NAME> (KiB).
timed() {
    local name="$1"; shift
    local stats="$bench_out/.time"
    # Twice: a file system on a loop device hands its data to the file
    # system beneath in the first sync, which the second one writes out.
    sync
    sync
    # Wall time from the shell's microsecond clock (time's %e has 10 ms
    # steps, too coarse for a 0.1 s copy); peak memory from time.
    local start=$EPOCHREALTIME
    /usr/bin/time -f '%M' -o "$stats" "$@" >/dev/null
    local seconds kib
    seconds=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f", b - a }')
    read -r kib < "$stats"
    eval "TIMES_$name+=\" $seconds\""
    eval "local old=\${PEAK_$name:-0}"
    # shellcheck disable=SC2154
    [ "$kib" -gt "$old" ] && eval "PEAK_$name=$kib"
    return 0
}

# median NAME: the median of the times recorded for NAME
median() {
    eval "echo \$TIMES_$1" | tr ' ' '\n' | sed '/^$/d' | sort -g |
        awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# report NAME LABEL: one line with the median and the peak memory of NAME,
# then every round's time (the spread shows how noisy the machine was)
report() {
    eval "local peak=\${PEAK_$1:-0} times=\$TIMES_$1"
    printf '  %-40s %8.3f s median of %d, %8d KiB peak\n' "$2" "$(median "$1")" "$rounds" "$peak"
    # shellcheck disable=SC2154
    printf '  %-40s %s\n' "" "$times"
}

# ratio A B: A / B with two decimals
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) b = 0.001; printf "%.2f", a / b }'; }

# verdict NAME VALUE LIMIT: prints whether VALUE <= LIMIT
verdict() {
    if awk -v v="$2" -v l="$3" 'BEGIN { exit !(v <= l) }'; then
        echo "  $1: $2 (target <= $3) ok"
    else
        echo "  $1: $2 (target <= $3) MISSED"
    fi
}

# peak_verdict NAME...: the largest peak of the named commands against 16 MiB
peak_verdict() {
    local most=0 name kib
    for name in "$@"; do
        eval "kib=\${PEAK_$name:-0}"
        [ "$kib" -gt "$most" ] && most=$kib
    done
    verdict "peak memory MiB" "$(awk -v k="$most" 'BEGIN { printf "%.1f", k / 1024 }')" 16
}

# largest_track_def: on stdout, Trk.def of the largest track both directions
# accept (741 sections, 501 surfaces, 501 walls), with the fewest lines the
# compiler needs: it finds values by line position only, so titles and
# headers may be empty lines.
largest_track_def() {
    awk -v sections=741 -v surfaces=501 -v walls=501 'BEGIN {
        ORS = "\r\n"
        print "* HEADER *"; print ""; print ""
        print 1; print 123456; print 1; print sections; print 0; print 0
        for (i = 0; i < 10; i++) print i * 1000 - 5000
        print "* POINTERS *"; print ""; print ""
        for (s = 0; s < sections; s++) print s * 72
        print "* SECTIONS *"; print ""; print ""
        for (s = 0; s < sections; s++) {
            ns = s < surfaces ? 1 : 0; nw = s < walls ? 1 : 0
            for (k = 0; k < 7; k++) print ""
            print (s % 2 ? "Turn" : "Straight"), s * 400, 400, s, -s, s * 3, 7, 8, 9, 10, ns, -11, nw
            for (k = 0; k < 7; k++) print ""
            print s, s + 1, s + 2, -1000 * s, 5, 6, 7, 8
            for (k = 0; k < 7; k++) print ""
            if (ns) print s * 100, s * 100 + 100, s % 3
            for (k = 0; k < 7; k++) print ""
            if (nw) print 1, s * 100, s * 100 + 90, 0, 0
            for (k = 0; k < 2; k++) print ""
        }
    }'
}

# game_archive WORK: a fresh folder WORK with game.dat, an archive of 1213
# members of every kind (about 250 MiB): 300 objects, 300 tracks, 100 each
# of cameras, scripts and setups (each setup holds its own name, so each is
# compiled under it), and 313 files of random sizes up to 704 KiB. Needs
# Z5DEF (build_release).
game_archive() {
    "$bench_root/scripts/deps.sh" python3
    local work="$1"
    rm -rf "$work" && mkdir -p "$work/src" "$work/kinds"
    local kinds="$work/kinds" src="$work/src" i
    python3 "$bench_root/bench/make_object.py" "$kinds/object.3do" 8000 8000 5000
    largest_track_def > "$kinds/Trk.def"
    "$Z5DEF" -q -C "$kinds" trk compile
    local names=()
    for i in $(seq -w 1 300); do cp "$kinds/object.3do" "$src/O$i.3DO"; names+=("O$i.3DO"); done
    for i in $(seq -w 1 300); do cp "$kinds/New.trk" "$src/T$i.TRK"; names+=("T$i.TRK"); done
    for i in $(seq -w 1 100); do
        cp "$bench_root/samples/sample.cam" "$src/C$i.CAM"
        cp "$bench_root/samples/sample.scr" "$src/S$i.SCR"
        cp "$bench_root/samples/sample.stg" "$kinds/G$i.STG"
        "$Z5DEF" -q -C "$kinds" stg decompile "G$i.STG" && "$Z5DEF" -q -C "$kinds" stg compile
        mv "$kinds/G$i.stg" "$src/G$i.STG" 2>/dev/null || mv "$kinds/G$i.STG" "$src/G$i.STG"
        names+=("C$i.CAM" "S$i.SCR" "G$i.STG")
    done
    RANDOM=7
    for i in $(seq -w 1 313); do
        head -c $(((RANDOM * 32768 + RANDOM) % 720896 + 1)) /dev/urandom > "$src/R$i.BIN"
        names+=("R$i.BIN")
    done
    { printf 'game\r\n %d \r\n' "${#names[@]}"; printf '%s\r\n' "${names[@]}"; } > "$src/dattext.pck"
    "$Z5DEF" -q -C "$src" pack dattext.pck
    mv "$src/game.dat" "$work/game.dat"
    rm -rf "$src" "$kinds"
}
