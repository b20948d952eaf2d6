#!/usr/bin/env bash
# The whole test suite a second time, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (preset sanitize). Any report fails: the first
# one stops the process, and reports written by child processes (the
# terminal tests fork, some tests run the zorvek binary) are collected too.
#   SANITIZE_BUILD_DIR picks the build folder (default build/sanitize).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

build="${SANITIZE_BUILD_DIR:-build/sanitize}"
reports="$root/$build/sanitizer-reports"

bash scripts/install-deps.sh build tests
cmake --preset sanitize -B "$build" >/dev/null
cmake --build "$build" -j2

rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:strict_string_checks=1:check_initialization_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="log_path=$reports/lsan"

status=0
# The Node.js checks of third-party readers run once, in the default build:
# they read the same bytes, and what runs under the sanitizers is our code.
ctest --test-dir "$build" --output-on-failure --no-tests=error -j2 -LE third-party || status=$?

if compgen -G "$reports/*" >/dev/null; then
    for report in "$reports"/*; do
        echo "== $report" >&2
        cat "$report" >&2
    done
    echo "sanitizers: reports above" >&2
    exit 1
fi
exit "$status"
