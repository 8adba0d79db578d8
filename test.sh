#!/usr/bin/env bash
# Installs what is missing, builds the dev preset (Debug, ASan + UBSan) and
# runs every test; then checks the install and the Debian package of the
# release build.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"
scripts/deps.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev --output-on-failure
scripts/package-test.sh
