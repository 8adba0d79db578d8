#!/usr/bin/env bash
# Installs what is missing, builds the release preset and runs the demo:
# every command on the files of samples/, into a fresh folder.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"
scripts/deps.sh
cmake --preset release
cmake --build --preset release
scripts/demo.sh "$here/build/release/bin/z5def" "$here/demo-out"
