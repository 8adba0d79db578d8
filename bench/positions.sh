#!/usr/bin/env bash
# 3do positions reads the OBJ as a stream: whatever the OBJ holds, its peak
# memory stays under 16 MiB. OBJs against the definitions of the cube sample
# (8 vertices, 6 faces): 10 million v lines (refused at the ninth), the
# cube's export followed by 3 million of its f lines (taken), a 100 MiB
# comment line before it (taken) and an f line of 86 MiB after it (refused).
# Usage: bench/positions.sh [--shm]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release

work="$bench_out/positions"
rm -rf "$work" && mkdir -p "$work"
cp "$bench_root/samples/cube.3do" "$work/"
"$Z5DEF" -q -C "$work" 3do decompile cube.3do
"$Z5DEF" -q -C "$work" 3do export cube.3do
awk 'BEGIN { for (i = 0; i < 10000000; i++) print "v 1 2 3" }' > "$work/vertices.obj"
awk '{ print } /^f / { f[n++] = $0 }
     END { for (r = 0; r < 500000; r++) for (i = 0; i < n; i++) print f[i] }' \
    "$work/cube.obj" > "$work/faces.obj"
{ printf '# '; head -c 100M /dev/zero | tr '\0' x; echo; cat "$work/cube.obj"; } > "$work/comment.obj"
{ cat "$work/cube.obj"; printf 'f'; { yes ' 1 2 3' || true; } | head -c 100M | tr -d '\n'; echo; } > "$work/face.obj"
for obj in vertices faces comment face; do
    echo "  $obj.obj: $(stat -c %s "$work/$obj.obj") bytes"
done

# positions_as OBJ STATUS: 3do positions of OBJ ends with exit status STATUS.
positions_as() {
    local status=0
    "$Z5DEF" -q -C "$work" 3do positions "$1" 2>/dev/null || status=$?
    [ "$status" -eq "$2" ]
}
export -f positions_as
export Z5DEF work
for _ in $(seq 1 "$rounds"); do
    timed vertices bash -c 'positions_as vertices.obj 1'
    timed faces bash -c 'positions_as faces.obj 0'
    timed comment bash -c 'positions_as comment.obj 0'
    timed face bash -c 'positions_as face.obj 1'
done
report vertices "10 million v lines (refused)"
report faces "3 million f lines (taken)"
report comment "a 100 MiB comment line (taken)"
report face "an 86 MiB f line (refused)"
peak_verdict vertices faces comment face
rm -rf "$work"
