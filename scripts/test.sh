#!/usr/bin/env bash
# Builds the project and runs the whole test suite: the normal build's tests,
# two 60-second soaks of the tool at full bus load, under a 300 MB data limit
# and in a 300 MB memory control group (where the terminal must reach its
# memory ceiling, cut its oldest lines, lose nothing else and stay under the
# limit; where no group can be made, it says so and the made-up trees of
# test_memory_limit stand in for it), the same tests on a build against
# Qt 6 and on a build with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer, then the fuzz targets on their committed inputs and
# for a bounded time. Any failure or sanitizer report fails the command, and so
# does a stage that does not build; the last line sums up all stages in
# ctest's words, since CI reads ctest's closing lines, even when the run stops
# short. A test or stage that was skipped (ctest's, or the group soak where
# no group can be made) counts in the total but not as passed.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
. "$top/scripts/debian-release.sh"
passed=0
failed=0
skipped=0
interrupted=""

heading() { printf '\n========== %s ==========\n' "$1"; }

count() {
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}

# A stage whose build fails counts as one failure and runs no tests.
built() {
    "$top/scripts/setup.sh" "$@" || { failed=$((failed + 1)); return 1; }
}

# The summary closes every run, one cut short included.
summary() {
    local status=$? total
    if [ "$status" -ne 0 ] || [ -n "$interrupted" ]; then [ "$failed" -gt 0 ] || failed=1; fi
    total=$((passed + failed + skipped))
    heading "All stages"
    [ -z "$interrupted" ] || echo "Interrupted: the stages left did not run."
    [ "$skipped" -eq 0 ] || echo "$skipped tests skipped: counted in the total, not as passed."
    echo "$((total ? 100 * passed / total : 0))% tests passed, $failed tests failed out of $total"
    [ "$failed" -eq 0 ] || exit 1
}
trap summary EXIT
# Ctrl-C ends the whole run, also when the stage under way handled it and
# went on; the summary still closes it.
trap 'interrupted=1; trap - INT; kill -INT $$' INT

# A release that cannot serve the simulated board says so, then the summary.
require_build_deps "run the test suite"

# Runs ctest in a build folder and adds its numbers to the totals; ctest
# counts a skipped test as passed, here it is a skip.
run_ctest() {
    local log="$1/ctest-output.log" status=0 total failures skips
    (cd "$1" && ctest --output-on-failure -j2) 2>&1 | tee "$log" || status=1
    total="$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$log")"
    failures="$(sed -n 's/.* \([0-9]*\) tests failed out of .*/\1/p' "$log")"
    if [ -z "$total" ]; then
        failed=$((failed + 1))
        return
    fi
    skips="$(grep -c -E '^ *[0-9]+ - .* \(Skipped\)$' "$log" || true)"
    passed=$((passed + total - failures - skips))
    failed=$((failed + failures))
    skipped=$((skipped + skips))
    [ "$status" -eq 0 ] || [ "$failures" -gt 0 ] || failed=$((failed + 1))
}

# A report also fails the run when it comes from a process whose exit status
# no test checks: ctest keeps every test's output in LastTest.log.
sanitized_ctest() {
    local build="$top/build-sanitize" reports
    ASAN_OPTIONS="allocator_may_return_null=1:detect_leaks=1:fast_unwind_on_malloc=0" \
    LSAN_OPTIONS="suppressions=$top/tests/sanitizer/lsan.supp" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        run_ctest "$build"
    reports="$(grep -c -E 'ERROR: (Address|Leak)Sanitizer|runtime error:' \
        "$build/Testing/Temporary/LastTest.log" || true)"
    if [ "$reports" -gt 0 ]; then
        echo "$reports sanitizer report(s) in $build/Testing/Temporary/LastTest.log"
        failed=$((failed + 1))
    fi
}

heading "Tests (build/)"
built && run_ctest "$top/build"

heading "Soak at full bus load under a 300 MB data limit, 60 s (build/)"
count "$top/bench/soak.sh" --memory 300 --limit data 60

heading "Soak at full bus load in a 300 MB memory control group, 60 s (build/)"
group_soak=0
"$top/bench/soak.sh" --memory 300 --limit group 60 || group_soak=$?
case "$group_soak" in
    0) passed=$((passed + 1)) ;;
    77) skipped=$((skipped + 1))
        echo "Skipped: test_memory_limit reads made-up v1, v2 and hybrid trees instead." ;;
    *) failed=$((failed + 1)) ;;
esac

heading "Tests on Qt 6 (build-qt6/)"
built "$top/build-qt6" -DVELKOR_QT_MAJOR=6 && run_ctest "$top/build-qt6"

heading "Tests under AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize/)"
built "$top/build-sanitize" -DVELKOR_SANITIZE=ON && sanitized_ctest

heading "Fuzz target (build-fuzz/)"
if CC=clang CXX=clang++ built "$top/build-fuzz" -DVELKOR_FUZZ=ON -DBUILD_TESTING=OFF; then
    for target in fuzz_polling_tick fuzz_terminal_line; do
        count "$top/fuzz/run_fuzz_target.sh" replay "$top/build-fuzz/fuzz/$target"
        count "$top/fuzz/run_fuzz_target.sh" fuzz "$top/build-fuzz/fuzz/$target"
    done
fi
