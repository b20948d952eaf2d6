#!/usr/bin/env bash
# The whole suite again on a plain Release build (-O3): converted files must
# not depend on the optimisation level, and GCC must have nothing to report there.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build tests
cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release -j2
