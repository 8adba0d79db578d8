#!/usr/bin/env bash
# Workspaces: extract and build of an archive of 1213 members of every kind
# (about 250 MiB: objects, tracks, cameras, camera scripts, setups and
# member files of no known kind) against verify --deep of the same archive
# with the same -j, which decompiles and compiles the same members, and
# check of the workspace against its build. Targets: extract and build each
# <= 1.5 x verify --deep; check <= 0.5 x build; peak memory of extract and
# build at -j 1 under 64 MiB. JOBS=N sets -j (default 1).
# Usage: bench/workspace.sh [--shm]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release
jobs="${JOBS:-1}"

work="$bench_out/workspace"
game_archive "$work"
archive="$work/game.dat"
echo "Archive of 1213 members, $(($(stat -c %s "$archive") / 1048576)) MiB, -j $jobs, in $work:"

for _ in $(seq 1 "$rounds"); do
    rm -rf "$work/game" "$work/new.dat"
    timed verify "$Z5DEF" verify -j "$jobs" --deep --quiet "$archive"
    timed extract "$Z5DEF" -C "$work" extract -j "$jobs" game.dat
    timed build "$Z5DEF" -C "$work" build -j "$jobs" --no-backup game -o new.dat
    timed check "$Z5DEF" -C "$work" check -j "$jobs" game
    cmp -s "$archive" "$work/new.dat" || echo "  built archive DIFFERS"
done
echo "  $(grep -c ': definitions' "$work/game/workspace.txt") members as definitions"
report verify "z5def verify --deep"
report extract "z5def extract"
report build "z5def build"
report check "z5def check"
verdict "extract / verify --deep" "$(ratio "$(median extract)" "$(median verify)")" 1.5
verdict "build / verify --deep" "$(ratio "$(median build)" "$(median verify)")" 1.5
verdict "check / build" "$(ratio "$(median check)" "$(median build)")" 0.5
most=$((PEAK_extract > PEAK_build ? PEAK_extract : PEAK_build))
verdict "peak memory MiB of extract and build" "$(awk -v k="$most" 'BEGIN { printf "%.1f", k / 1024 }')" 64
rm -rf "$work"
