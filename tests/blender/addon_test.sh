#!/usr/bin/env bash
# The Blender add-on, installed from its ZIP into a Blender configuration of
# the test's own and driven headless by addon.py: import, move, export and
# the refusals, on the cube sample and on definitions decompiled from it.
# z5def is found on the PATH, as the add-on looks for it by default.
# Exits 77 (skipped) when Blender is not installed.
# Usage: addon_test.sh Z5DEF ADDON.zip SAMPLES_DIR
set -euo pipefail
z5def="$1"
zip="$2"
samples="$3"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/blender.sh"
[ -f "$zip" ] || { echo "$zip is missing: build the target blender_addon"; exit 1; }
mkdir -p "$work/defs" "$work/out"
"$z5def" -q -C "$work/defs" 3do decompile "$samples/cube.3do"
PATH="$(dirname "$z5def"):$PATH" run_blender 200 "$here/addon.py" "$zip" "$samples" "$work"
grep '^addon: ' "$work/blender.log"
