#!/usr/bin/env bash
# Installs what is missing, builds the dev preset (Debug, ASan + UBSan) and
# runs every test; checks the install and the Debian package of the release
# build; builds the fuzz targets (clang, libFuzzer) and replays each one's
# seed corpus and past findings once; then cross-builds the windows preset,
# runs the core's test suites and the window's (on a virtual display, Xvfb)
# under wine, checks the release ZIP and that z5def.exe writes what z5def
# writes.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"
scripts/deps.sh g++-mingw-w64-x86-64-posix wine64 googletest xvfb clang libclang-rt-dev ccache lintian blender strace python3 git
cmake --preset dev
cmake --build --preset dev
ctest --preset dev --output-on-failure
scripts/package-test.sh

# ccache keeps the second compiler's build short from one run to the next.
CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache cmake --preset fuzz
cmake --build --preset fuzz
ctest --preset fuzz

cmake --preset windows
cmake --build --preset windows
ctest --preset windows
scripts/zip-test.sh
scripts/windows-compare.sh build/dev/bin/z5def build/windows/bin/z5def.exe
