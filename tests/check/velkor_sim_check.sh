#!/bin/sh
# velkor-sim --check end to end: a session recorded by velkor-record under
# velkor-sim, with a fault and without, checked against clean boards; and
# the usage errors and unreadable files that end it with 2.
# Usage: SCRIPT VELKOR_SIM VELKOR_RECORD PROBE
sim="$1" record="$2" probe="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# CASE EXPECTED COMMAND...: the exit status, the output in $work/out and $work/err.
expect() {
    case="$1" expected="$2"
    shift 2
    "$@" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -eq "$expected" ] || fail "$case: exit status $status, not $expected: $(cat "$work/out" "$work/err")"
}

"$sim" --fault fail=IOCTL_GET_VERSION_INFO -- "$record" -o "$work/faulty.rec" -- "$probe" 2>/dev/null ||
    fail "recording under a fault: exit status $?"
expect "check of the faulty recording" 1 "$sim" --check "$work/faulty.rec"
grep -q 'IOCTL_GET_VERSION_INFO: result -1 errno 5 (EIO) recorded, 0 by the model' "$work/out" ||
    fail "the failed command is not named: $(cat "$work/out")"
grep -q '^1 difference in 3 commands$' "$work/out" || fail "no count of one difference: $(cat "$work/out")"
expect "the same faulty recording, checked with its fault" 0 \
    "$sim" --fault fail=IOCTL_GET_VERSION_INFO --check "$work/faulty.rec"

"$sim" -- "$record" -o "$work/clean.rec.gz" -- "$probe" 2>/dev/null || fail "clean recording: exit status $?"
expect "check of the clean recording" 0 "$sim" --check "$work/clean.rec.gz"
grep -q '^no differences in 3 commands$' "$work/out" || fail "clean check says: $(cat "$work/out")"

printf 'velkor-recording 1\nioctl node=mil1553dev-0-ch-0 nonsense\n' >"$work/broken.rec"
expect "a malformed line" 2 "$sim" --check "$work/broken.rec"
grep -q "^velkor-sim: $work/broken.rec:2: " "$work/err" || fail "malformed line: $(cat "$work/err")"
expect "a missing file" 2 "$sim" --check "$work/missing.rec"
grep -q "^velkor-sim: $work/missing.rec: " "$work/err" || fail "missing file: $(cat "$work/err")"

for options in "--check $work/clean.rec.gz -- $probe" "--cuse --check $work/clean.rec.gz" \
    "--check $work/clean.rec.gz --replay $work/clean.rec.gz" "--trace - --check $work/clean.rec.gz"; do
    # shellcheck disable=SC2086
    expect "$options" 2 "$sim" $options
    head -n 1 "$work/err" | grep -q -- '--check' || fail "$options: first line: $(head -n 1 "$work/err")"
done

[ "$failures" -eq 0 ] || exit 1
echo "all velkor-sim --check cases passed"
