#!/usr/bin/env bash
# Runs the README's walkthrough as written, line by line, in a fresh folder
# that holds the samples, with the z5def of this build first on the PATH
# (the walkthrough's own first line points at the release build's).
# Usage: walkthrough.sh README.md SAMPLES_DIR Z5DEF_DIR
set -euo pipefail
readme=$1 samples=$2 bin=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/z5walk.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -r "$samples" "$work/samples"
# The first shell block after the walkthrough's heading, but its PATH line.
sed -n '/^## Walkthrough/,$p' "$readme" | sed -n '/^```sh$/,/^```$/p' | sed '1d;/^```$/,$d' |
    grep -v '^export PATH=' |
    # diff exits 1 when the files differ, which is what it is shown for.
    sed -E 's/^(z5def diff [^#]*[^ #]) *(#.*)?$/\1 || test $? -eq 1/' >"$work/walkthrough.sh"
lines=$(grep -cv '^#' "$work/walkthrough.sh")
[ "$lines" -ge 5 ] || { echo "the walkthrough has $lines commands"; exit 1; }
cd "$work"
PATH="$bin:$PATH" bash -eux walkthrough.sh
# What it promises: the archive rebuilt, naming the changed member.
cmp -s game.dat.bak samples/game.dat
! cmp -s game.dat samples/game.dat
# diff names that one field, and exits 1 for "they differ".
rc=0 && changes=$("$bin/z5def" diff game.dat.bak game.dat) || rc=$?
[ "$rc" -eq 1 ] && grep -qx '  Section 1: Length: 60000 -> 62000' <<<"$changes"
echo "ok      the README's walkthrough ran, $lines commands"
