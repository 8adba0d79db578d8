#!/usr/bin/env bash
# Archives: unpack and pack of a 256 MiB archive of 1000 members of random
# sizes, against cp of the archive and GNU tar of the same members, in the
# same run. Targets: unpack <= 0.5 x tar -x and <= 2.0 x cp (unpack creates
# 1000 files, cp one); pack <= 1.3 x cp and <= 0.5 x tar -c; peak memory
# under 16 MiB. Files on the disk (bench/out) unless --shm.
# Each round first deletes the last round's 2000 files. On ext4 without a
# journal the kernel then scans the inodes freed in the last minutes each
# time it creates a file, so unpack and tar -x slow down round after round
# (cp and pack create one file): the times of every round show it.
# Usage: bench/archive.sh [--shm]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release

work="$bench_out/archive"
rm -rf "$work" && mkdir -p "$work/src"
# 1000 members of 1 byte to 512 KiB (about 256 MiB), random sizes.
{
    printf 'bench\r\n 1000 \r\n'
    for i in $(seq 1 1000); do printf 'M%04d.BIN\r\n' "$i"; done
} > "$work/src/dattext.pck"
RANDOM=7
for i in $(seq 1 1000); do
    head -c $(((RANDOM * 32768 + RANDOM) % 524288 + 1)) /dev/urandom > "$work/src/$(printf 'M%04d.BIN' "$i")"
done
"$Z5DEF" -q -C "$work/src" pack dattext.pck
archive="$work/src/bench.dat"
(cd "$work/src" && tar -cf "$work/members.tar" M*.BIN)
echo "Archive of 1000 members, $(($(stat -c %s "$archive") / 1048576)) MiB, in $work:"

for _ in $(seq 1 "$rounds"); do
    rm -rf "$work/out" "$work/tarx" "$work/copy.dat" "$work/new.tar" && mkdir -p "$work/out" "$work/tarx"
    timed cp cp "$archive" "$work/copy.dat"
    timed unpack "$Z5DEF" -q -C "$work/out" unpack "$archive"
    timed tarx tar -xf "$work/members.tar" -C "$work/tarx"
    timed pack "$Z5DEF" -q -C "$work/out" pack dattext.pck
    timed tarc tar -cf "$work/new.tar" -C "$work/out" --files-from=<(cd "$work/out" && ls M*.BIN)
    cmp -s "$archive" "$work/out/bench.dat" || echo "  repacked archive DIFFERS"
done
report cp "cp of the archive"
report unpack "z5def unpack"
report tarx "tar -x of the members"
report pack "z5def pack"
report tarc "tar -c of the members"
verdict "unpack / tar -x" "$(ratio "$(median unpack)" "$(median tarx)")" 0.5
verdict "unpack / cp" "$(ratio "$(median unpack)" "$(median cp)")" 2.0
verdict "pack / cp" "$(ratio "$(median pack)" "$(median cp)")" 1.3
verdict "pack / tar -c" "$(ratio "$(median pack)" "$(median tarc)")" 0.5
peak_verdict unpack pack
rm -rf "$work"
