#!/usr/bin/env bash
# Start-up: `z5def --version` against `od --version`, each run 1000 times
# per round so that the clock resolves it. Target: at most 1.2 times od.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
build_release

thousand() { for _ in $(seq 1 1000); do "$@" > /dev/null; done; }
export -f thousand
for _ in $(seq 1 "$rounds"); do
    timed z5def bash -c 'thousand "$@"' _ "$Z5DEF" --version
    timed od bash -c 'thousand "$@"' _ od --version
done
echo "Start-up, 1000 runs each:"
report z5def "z5def --version"
report od "od --version"
verdict "z5def / od" "$(ratio "$(median z5def)" "$(median od)")" 1.2
