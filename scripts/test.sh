#!/usr/bin/env bash
# Builds the project and runs the whole test suite: the tests of the normal
# build, a Qt 6 build and a build under ASan (leaks too) and UBSan; 60-second
# soaks at full bus load under a 300 MB data limit and in a 300 MB memory
# control group; the packages in a booted virtual machine of this release
# (scripts/test-machine.sh: CUSE nodes, udev, a seat, cgroup v2); the fuzz
# targets. A failure, a sanitizer report or a stage
# that does not build fails it. The last line sums up all stages in ctest's
# words, which CI reads; a skip counts in the total but not as passed.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
. "$top/scripts/debian-release.sh"
passed=0 failed=0 skipped=0 interrupted=""

heading() { printf '\n========== %s ==========\n' "$1"; }

count() {
    local status=0
    "$@" || status=$?
    case "$status" in 0) passed=$((passed + 1)) ;; 77) skipped=$((skipped + 1)) ;; *) failed=$((failed + 1)) ;; esac
}

# A build that fails is one failure, and its tests do not run.
built() { "$top/scripts/setup.sh" "$@" || { failed=$((failed + 1)); return 1; }; }

summary() {
    local status=$? total
    [ "$status" -eq 0 ] && [ -z "$interrupted" ] || [ "$failed" -gt 0 ] || failed=1
    total=$((passed + failed + skipped))
    heading "All stages"
    [ -z "$interrupted" ] || echo "Interrupted: the stages left did not run."
    [ "$skipped" -eq 0 ] || echo "$skipped tests skipped: counted in the total, not as passed."
    echo "$((total ? 100 * passed / total : 0))% tests passed, $failed tests failed out of $total"
    [ "$failed" -eq 0 ] || exit 1
}
trap summary EXIT
# Ctrl-C ends the whole run, also when the stage under way handled it and went on.
trap 'interrupted=1; trap - INT; kill -INT $$' INT

require_build_deps "run the test suite"

# A build folder's ctest numbers; what ctest counts as passed and skipped is a skip.
run_ctest() {
    local log="$1/ctest-output.log" status=0 total failures skips reports
    (cd "$1" && ctest --output-on-failure -j2) 2>&1 | tee "$log" || status=1
    total="$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$log")"
    failures="$(sed -n 's/.* \([0-9]*\) tests failed out of .*/\1/p' "$log")"
    [ -n "$total" ] || { failed=$((failed + 1)); return; }
    skips="$(grep -c -E '^ *[0-9]+ - .* \(Skipped\)$' "$log" || true)"
    passed=$((passed + total - failures - skips))
    failed=$((failed + failures))
    skipped=$((skipped + skips))
    [ "$status" -eq 0 ] || [ "$failures" -gt 0 ] || failed=$((failed + 1))
    # A sanitizer's report fails the run also from a process whose status no test checks.
    reports="$(grep -c -E 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$1/Testing/Temporary/LastTest.log" || true)"
    [ "$reports" -eq 0 ] || { echo "$reports sanitizer report(s) in $1/Testing/Temporary/LastTest.log"; failed=$((failed + 1)); }
}

heading "Tests (build/)"
built && run_ctest "$top/build"
heading "Soak at full bus load under a 300 MB data limit, 60 s (build/)"
count "$top/bench/soak.sh" --memory 300 --limit data 60
# Where no group can be made, a skip: test_memory_limit's made-up trees stand in.
heading "Soak at full bus load in a 300 MB memory control group, 60 s (build/)"
count "$top/bench/soak.sh" --memory 300 --limit group 60
heading "The packages in a booted machine of this release: CUSE nodes, udev, a seat, cgroup v2"
count "$top/scripts/test-machine.sh"
heading "Tests on Qt 6 (build-qt6/)"
built "$top/build-qt6" -DVELKOR_QT_MAJOR=6 && run_ctest "$top/build-qt6"
heading "Tests under AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize/)"
built "$top/build-sanitize" -DVELKOR_SANITIZE=ON \
    && ASAN_OPTIONS="allocator_may_return_null=1:detect_leaks=1:fast_unwind_on_malloc=0" \
       LSAN_OPTIONS="suppressions=$top/tests/sanitizer/lsan.supp" \
       UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" run_ctest "$top/build-sanitize"
heading "Fuzz target (build-fuzz/)"
if CC=clang CXX=clang++ built "$top/build-fuzz" -DVELKOR_FUZZ=ON -DBUILD_TESTING=OFF; then
    for target in fuzz_polling_tick fuzz_terminal_line; do
        count "$top/fuzz/run_fuzz_target.sh" replay "$top/build-fuzz/fuzz/$target"
        count "$top/fuzz/run_fuzz_target.sh" fuzz "$top/build-fuzz/fuzz/$target"
    done
fi
