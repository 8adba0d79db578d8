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
"$bench_root/scripts/deps.sh" python3
jobs="${JOBS:-1}"

work="$bench_out/workspace"
rm -rf "$work" && mkdir -p "$work/src" "$work/kinds"
kinds="$work/kinds"
python3 "$bench_root/bench/make_object.py" "$kinds/object.3do" 8000 8000 5000
largest_track_def > "$kinds/Trk.def"
"$Z5DEF" -q -C "$kinds" trk compile

# 300 objects, 300 tracks, 100 each of cameras, scripts and setups (each
# setup holds its own name, so each is compiled under it), and 313 files of
# random sizes up to 704 KiB.
src="$work/src"
names=()
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
archive="$work/game.dat"
mv "$src/game.dat" "$archive"
rm -rf "$src" "$kinds"
echo "Archive of ${#names[@]} members, $(($(stat -c %s "$archive") / 1048576)) MiB, -j $jobs, in $work:"

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
