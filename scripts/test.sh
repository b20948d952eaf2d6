#!/usr/bin/env bash
# Installs what the tests need, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --tests
(cd tests/pmx/mmd-parser && npm ci --no-audit --no-fund --silent)
cmake --preset default
cmake --build --preset default
ctest --preset default -j2
