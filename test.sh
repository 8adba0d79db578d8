#!/usr/bin/env bash
# Installs what is missing, builds the dev preset (Debug, ASan + UBSan) and
# runs every test; checks the install and the Debian package of the release
# build; then cross-builds the windows preset, runs the core's test suites
# and the window's (on a virtual display, Xvfb) under wine and checks that
# z5def.exe writes what z5def writes.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"
scripts/deps.sh g++-mingw-w64-x86-64-posix wine64 googletest xvfb blender
cmake --preset dev
cmake --build --preset dev
ctest --preset dev --output-on-failure
scripts/package-test.sh

cmake --preset windows
cmake --build --preset windows
ctest --preset windows
scripts/windows-compare.sh build/dev/bin/z5def build/windows/bin/z5def.exe
