#!/usr/bin/env bash
# Builds ZORVEK for Windows with mingw-w64 and runs its tests under wine: the
# GoogleTest suite, and whole-program runs whose files and dialogue must equal
# the Linux build's (build/default, which scripts/test.sh has built first).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

bash scripts/install-deps.sh build windows
# The end-to-end runs compare with the Linux program of the same tree.
[[ -f build/default/CMakeCache.txt ]] || cmake --preset default >/dev/null
# The motions the test programs write are compared with the Linux build's own test programs.
cmake --build --preset default

cmake --preset windows >/dev/null
cmake --build --preset windows
# Under load wine now and then fails to start a program at all (no output, no
# test run); such a test is run again, while a test that fails on its own
# assertions fails every time and still fails the suite.
ctest --preset windows -j2 --repeat until-pass:3

echo "Windows build and tests under wine: $((SECONDS - start)) s"
