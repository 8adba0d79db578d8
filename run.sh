#!/usr/bin/env bash
# Installs what is missing and builds the release preset. With a display it
# starts the window z5deftool in samples/ (which holds a z5.ini whose start
# folder is samples/ itself); without one (or in CI) it runs the demo: every
# command on the files of samples/, into a fresh folder.
# Usage: ./run.sh [z5deftool options, e.g. --all-commands]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"
scripts/deps.sh
cmake --preset release
cmake --build --preset release

window="$here/build/release/bin/z5deftool"
if [ -z "${CI:-}" ] && [ -x "$window" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    echo "Starting z5deftool in samples/ (outputs are written there; F1 shows the help)"
    cd "$here/samples"
    exec "$window" "$@"
fi
echo "No display: running the command-line demo instead of the window."
scripts/demo.sh "$here/build/release/bin/z5def" "$here/demo-out"
