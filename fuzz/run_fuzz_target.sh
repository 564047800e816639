#!/usr/bin/env bash
# run_fuzz_target.sh replay|fuzz <fuzz executable>
#   replay: runs every committed input of the target once, the seed corpus
#           and fuzz/regressions/<target>/, and fails when there is none;
#   fuzz:   fuzzes for FUZZ_SECONDS (60) from a scratch copy of the seed
#           corpus, so that the committed corpus does not grow.
# Fails on a crash, a sanitizer report, a leak, a timeout or running out of memory.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
mode="$1"
executable="$2"
target="$(basename "$executable")"
limits=(-timeout=10 -rss_limit_mb=4096)
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/../tests/sanitizer/lsan.supp"

replay() {
    local inputs
    mapfile -t inputs < <(find "$here/corpus/$target" "$here/regressions/$target" -type f ! -name README.md | sort)
    echo "$target: replaying ${#inputs[@]} committed input(s)"
    if [ ${#inputs[@]} -eq 0 ]; then
        echo "$target: nothing to replay" >&2
        return 1
    fi
    "$executable" "${limits[@]}" "${inputs[@]}"
}

fuzz() {
    local scratch status=0
    scratch="$(mktemp -d)"
    cp -r "$here/corpus/$target" "$scratch/corpus"
    echo "$target: fuzzing for ${FUZZ_SECONDS:-60} s"
    "$executable" "${limits[@]}" -max_total_time="${FUZZ_SECONDS:-60}" -print_final_stats=1 \
        -artifact_prefix="$scratch/" "$scratch/corpus" || status=$?
    if [ "$status" -ne 0 ]; then
        echo "$target: failing inputs (add them to fuzz/regressions/$target/ once understood):"
        find "$scratch" -maxdepth 1 -type f -exec sh -c 'echo "$1"; od -A x -t x1z "$1" | head -20' sh {} \;
    fi
    rm -rf "$scratch"
    return "$status"
}

case "$mode" in
replay) replay ;;
fuzz) fuzz ;;
*) echo "usage: $0 replay|fuzz <fuzz executable>" >&2; exit 2 ;;
esac
