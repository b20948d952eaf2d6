#!/usr/bin/env bash
# Every motion the Windows test programs wrote (kept by tests/support/TempDir
# under KEPT/windows/AREA/TEST) must be the same bytes as one the Linux build's
# same test wrote, and the other way round: each program of an area that kept any runs again on
# Linux into KEPT/linux/AREA. Tests that only the Linux build has (the
# terminal, program-run and third-party checks) keep theirs unchecked.
#   test-motions.sh LINUX_BUILD KEPT
# Exits 77 (skipped) without a Linux build.
set -euo pipefail

linux_build=$(realpath -m "$1") kept=$(realpath -m "$2")
if [[ ! -d "$linux_build/tests" ]]; then
    echo "no Linux test programs in $linux_build: build the default preset first"
    exit 77
fi

failures=0 motions=0 tests=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# A folder's motions by their bytes alone: where a test spells a name through
# the narrow code page, the Windows build's file has another name.
contents() {
    (cd "$1" && find . -type f -exec sha256sum {} + | cut -d' ' -f1 | sort)
}
listing() {
    (cd "$1" && find . -type f -exec sha256sum {} + | sort)
}

for area_dir in "$kept"/windows/*/; do
    [[ -d "$area_dir" ]] || continue
    area=$(basename "$area_dir")
    count=$(find "$area_dir" -type f | wc -l)
    [[ $count -gt 0 ]] || continue
    program=$linux_build/tests/${area}_tests
    if [[ ! -x "$program" ]]; then
        fail "no Linux $area tests at $program"
        continue
    fi
    rm -rf "$kept/linux/$area"
    if ! ZORVEK_TEST_MOTIONS_DIR="$kept/linux/$area" "$program" >"$kept/linux-$area.log" 2>&1; then
        fail "the Linux $area tests failed (see $kept/linux-$area.log)"
        continue
    fi
    for test_dir in "$area_dir"*/; do
        test=$(basename "$test_dir")
        files=$(find "$test_dir" -type f | wc -l)
        [[ $files -gt 0 ]] || continue
        tests=$((tests + 1))
        motions=$((motions + files))
        if [[ ! -d "$kept/linux/$area/$test" ]]; then
            fail "$area: the Linux build's $test kept no motions"
        elif [[ "$(contents "$kept/linux/$area/$test")" != "$(contents "$test_dir")" ]]; then
            fail "$area: $test wrote other motions on Windows"
            diff <(listing "$kept/linux/$area/$test") <(listing "$test_dir") || true
        fi
    done
done

[[ $motions -gt 0 ]] || fail "the Windows test programs kept no motions in $kept/windows"
if [[ $failures -gt 0 ]]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "Linux and Windows test programs wrote the same $motions motion(s) in $tests test(s)"
