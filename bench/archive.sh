#!/usr/bin/env bash
# Archive unpack and pack of a 512 MiB archive with 1000 members, each timed
# against cp of the archive in the same run. Target: each at most 1.5 times
# cp; peak memory under 16 MiB.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release

# The files live in RAM (/dev/shm) when it has room, so the disk and other
# programs' writeback do not decide the times; cp runs under the same
# conditions. BENCH_DIR chooses another folder.
if [ -z "${BENCH_DIR:-}" ] && [ -d /dev/shm ] &&
    [ "$(df -Pk /dev/shm | awk 'NR == 2 { print $4 }')" -gt $((3 * 1024 * 1024)) ]; then
    BENCH_DIR=/dev/shm/z5bench-$$
fi
work="${BENCH_DIR:-$bench_out}/archive"
rm -rf "$work" && mkdir -p "$work/src"

# 1000 members of 262 to 786 KiB (512 MiB in all), sizes chosen so
# every block size of the copy occurs; packed by z5def itself.
{
    printf 'bench\r\n 1000 \r\n'
    for i in $(seq 1 1000); do printf 'M%04d.BIN\r\n' "$i"; done
} > "$work/src/dattext.pck"
for i in $(seq 1 1000); do
    head -c $((268435 + (i * 7919) % 536871)) /dev/urandom > "$work/src/$(printf 'M%04d.BIN' "$i")"
done
"$Z5DEF" -q -C "$work/src" pack dattext.pck
archive="$work/src/bench.dat"
echo "Archive of 1000 members, $(($(stat -c %s "$archive") / 1048576)) MiB:"

# Each command's best of three rounds is compared. Every round starts after
# a sync and from the same free space: outputs are removed between rounds, so
# each round writes into memory that is already in use rather than memory the
# machine must first hand out.
best() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }
cp_best=""; unpack_best=""; cp2_best=""; pack_best=""; peak=0
out="$work/unpacked"
for round in 1 2 3; do
    rm -rf "$out" "$work/copy.dat" && mkdir -p "$out" && sync
    measure "cp of the archive" cp "$archive" "$work/copy.dat"
    cp_best=$(best "$cp_best" "$SECONDS_TAKEN")
    sync
    measure "z5def unpack" "$Z5DEF" -q -C "$out" unpack "$archive"
    unpack_best=$(best "$unpack_best" "$SECONDS_TAKEN"); peak=$((PEAK_KIB > peak ? PEAK_KIB : peak))
    rm -f "$work/copy.dat" && sync
    measure "cp of the archive" cp "$archive" "$work/copy.dat"
    cp2_best=$(best "$cp2_best" "$SECONDS_TAKEN")
    sync
    measure "z5def pack of its list" "$Z5DEF" -q -C "$out" pack dattext.pck
    pack_best=$(best "$pack_best" "$SECONDS_TAKEN"); peak=$((PEAK_KIB > peak ? PEAK_KIB : peak))
    cmp "$archive" "$out/bench.dat" || echo "  round $round: repacked archive DIFFERS"
done

verdict "unpack time ratio z5def/cp (best of 3)" "$(ratio "$unpack_best" "$cp_best")" 1.5
verdict "pack time ratio z5def/cp (best of 3)" "$(ratio "$pack_best" "$cp2_best")" 1.5
verdict "peak memory MiB" "$(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }')" 16
rm -rf "$work"; [ -n "${BENCH_DIR:-}" ] && rmdir "$BENCH_DIR" 2>/dev/null || true
