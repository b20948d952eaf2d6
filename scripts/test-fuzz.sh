#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz) and runs each for a bounded time,
# two at a time, from the seeds that zorvek-fuzz-seeds writes. Exits non-zero
# on any finding: a crash, a sanitizer report, a timeout or an out-of-memory.
#   test-fuzz.sh [SECONDS [TARGET ...]]   default: 60 seconds for each of
#   convert rescale bone_table ik_table txd txd_image ifp motion vmd animation file_name pmx. FUZZ_BUILD_DIR picks the
#   build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(convert rescale bone_table ik_table txd txd_image ifp motion vmd animation file_name pmx)
build="${FUZZ_BUILD_DIR:-build/fuzz}"
work="$build/fuzz-run"

bash scripts/install-deps.sh build fuzz
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target "${targets[@]/%/_fuzzer}" zorvek-fuzz-seeds

rm -rf "$work/seeds" "$work/findings"
"$build/fuzz/zorvek-fuzz-seeds" "$work/seeds"

run_target() {
    local target="$1"
    mkdir -p "$work/corpus/$target" "$work/findings/$target"
    "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$work/findings/$target/" \
        "$work/corpus/$target" "$work/seeds/$target" >"$work/$target.log" 2>&1
}

failed=0
report() {
    local target="$1" status="$2"
    grep -E '^#[0-9]+[[:space:]]+DONE' "$work/$target.log" | tail -1 | sed "s/^/$target: /" || true
    if [[ "$status" -ne 0 ]] || [[ -n "$(ls -A "$work/findings/$target")" ]]; then
        echo "$target: FINDING (exit $status); log $work/$target.log, inputs in $work/findings/$target" >&2
        grep -E 'ERROR|SUMMARY|runtime error|deadly signal|timeout|out-of-memory' "$work/$target.log" | head -20 >&2
        failed=1
    fi
}

# Two at a time: the machine has two cores.
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    pids=()
    batch=("${targets[@]:i:2}")
    for target in "${batch[@]}"; do
        run_target "$target" &
        pids+=($!)
    done
    for j in "${!batch[@]}"; do
        status=0
        wait "${pids[$j]}" || status=$?
        report "${batch[$j]}" "$status"
    done
done

if [[ "$failed" -ne 0 ]]; then
    echo "fuzzing: findings above" >&2
    exit 1
fi
echo "fuzzing: no findings in ${seconds} s per target"
