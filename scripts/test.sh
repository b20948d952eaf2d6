#!/usr/bin/env bash
# Installs what the tests need, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build tests
# The tree keeps the style of .clang-format (Debian's clang-format 14).
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
(cd tests/pmx/mmd-parser && npm ci --no-audit --no-fund --silent)
(cd tests/dff/rw-parser && npm ci --no-audit --no-fund --silent)
(cd tests/motion/three && npm ci --no-audit --no-fund --silent)
cmake --preset default
cmake --build --preset default
ctest --preset default -j2

# Further suites, each in a script of its own.
for suite in scripts/test-*.sh; do
    [[ -e "$suite" ]] || continue
    echo "== $suite"
    bash "$suite"
done
