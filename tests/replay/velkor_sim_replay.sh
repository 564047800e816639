#!/bin/sh
# velkor-sim --replay end to end: a recording written here by hand, replayed
# to a probe that makes its calls or departs from them.
# Usage: SCRIPT VELKOR_SIM REPLAY_PROBE
sim="$1"
probe="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
export TMPDIR="$work/tmp"
mkdir "$TMPDIR"
# CASE STATUS EXPECTED: the status, and no testbed left behind.
check_end() {
    [ "$2" -eq "$3" ] || fail "$1: exit status $2, not $3"
    [ -z "$(ls -A "$TMPDIR")" ] || fail "$1: testbed left behind"
}

# One block of 128 bytes, 00 01 02 ... 7f, delivered into room for two.
block="$(i=0; while [ $i -lt 128 ]; do printf '%02x' $i; i=$((i + 1)); done)"
null=0000000000000000
cat >"$work/session" <<EOF_RECORDING
velkor-recording 1
# channel 1 did not open; channel 0 answers a version and one DMA block
open node=mil1553dev-0-ch-1 fd=-1 flags=0x2 result=-1 errno=2 start=0 us=8
open node=mil1553dev-0-ch-0 fd=3 flags=0x2 result=3 errno=0 start=10 us=14
ioctl node=mil1553dev-0-ch-0 fd=3 request=0x80046228 name=IOCTL_GET_DRIVER_VERSION result=0 errno=0 start=30 us=5 in=00000000 out=14081012
ioctl node=mil1553dev-0-ch-0 fd=3 request=0xc0106206 name=IOCTL_READ_DMA_BLOCKS result=0 errno=0 start=40 us=41 in=0200000000010000$null out=0100000000010000$null out@8=$block
close node=mil1553dev-0-ch-0 fd=3 result=0 errno=0 start=90 us=3
EOF_RECORDING

# The recorded answers, bytes as they were, the probe's pointer kept, the
# second block's room untouched; the failed open fails again.
"$sim" --replay "$work/session" --trace "$work/trace" -- "$probe" same >"$work/out" 2>"$work/err"
check_end "the recorded calls" $? 0
cat >"$work/expected" <<EOF_OUT
ch-1 open ENOENT
version 0 12100814
dma 0 count=1 length=256 pointer=kept untouched=128 block=$block
EOF_OUT
diff "$work/expected" "$work/out" || fail "the recorded calls: what the probe got"
grep -q 'replay' "$work/err" && fail "the recorded calls: $(cat "$work/err")"
cut -c 17- "$work/trace" | grep -v ' open$' >"$work/out"
printf '%s\n' "mil1553dev-0-ch-0 IOCTL_GET_DRIVER_VERSION = 0" "mil1553dev-0-ch-0 IOCTL_READ_DMA_BLOCKS = 0" \
    | diff - "$work/out" || fail "--trace of a replay"

# A call that departs fails with ENOMSG and is told once, with the node, the
# event and what it expected; the calls after it still meet their events.
"$sim" --replay "$work/session" -- "$probe" depart >"$work/out" 2>"$work/err"
check_end "a departing call" $? 3
sed -n 3,4p "$work/out" | cut -d ' ' -f 1-3 >"$work/got"
printf '%s\n' "number ENOMSG" "dma 0 count=1" | diff - "$work/got" || fail "a departing call: $(cat "$work/out")"
[ "$(grep -c '^velkor-sim: replay: ' "$work/err")" -eq 1 ] || fail "a departing call: $(cat "$work/err")"
grep -q '^velkor-sim: replay: mil1553dev-0-ch-0: event 4 expects IOCTL_READ_DMA_BLOCKS (0xc0106206), came IOCTL_GET_NUMBER_CHANNEL (0xc0046237)$' \
    "$work/err" || fail "a departing call: $(cat "$work/err")"
grep -q '^  last matched: event 3 IOCTL_GET_DRIVER_VERSION (0x80046228)$' "$work/err" \
    || fail "a departing call, last matched: $(cat "$work/err")"

# --replay-strict stops the program at once: it never wakes to print.
"$sim" --replay "$work/session" --replay-strict -- "$probe" depart-and-wait >"$work/out" 2>"$work/err"
check_end "--replay-strict" $? 3
grep -q 'not stopped' "$work/out" && fail "--replay-strict: the program went on"
grep -q '^velkor-sim: replay: mil1553dev-0-ch-0: event 4 expects' "$work/err" || fail "--replay-strict: $(cat "$work/err")"

# A program that ends before the recording does.
"$sim" --replay "$work/session" -- "$probe" short >/dev/null 2>"$work/err"
check_end "recorded calls left" $? 3
grep -q '^velkor-sim: replay: 1 recorded ioctl left unanswered, the first event 4 on mil1553dev-0-ch-0: IOCTL_READ_DMA_BLOCKS' \
    "$work/err" || fail "recorded calls left: $(cat "$work/err")"

# --replay-timing=recorded waits each call's duration, here half a second
# for the version; the answers stay.
sed '5s/ us=5 / us=500000 /' "$work/session" >"$work/slow"
started="$(date +%s%N)"
"$sim" --replay "$work/slow" --replay-timing=recorded -- "$probe" same >"$work/out" 2>/dev/null
check_end "--replay-timing=recorded" $? 0
[ $(($(date +%s%N) - started)) -ge 500000000 ] || fail "--replay-timing=recorded: no wait"
diff "$work/expected" "$work/out" || fail "--replay-timing=recorded: what the probe got"

# A file that cannot be read: one line, where and what, and no program.
sed '5s/request=0x80046228/request=80046228/' "$work/session" >"$work/corrupt"
for file in corrupt no-such-file; do
    rm -f "$work/started"
    "$sim" --replay "$work/$file" -- touch "$work/started" >/dev/null 2>"$work/err.$file"
    check_end "an unreadable $file" $? 2
    [ -e "$work/started" ] && fail "an unreadable $file: the program started"
    [ "$(wc -l <"$work/err.$file")" -eq 1 ] || fail "an unreadable $file: $(cat "$work/err.$file")"
done
grep -q "^velkor-sim: $work/corrupt:5: .*request" "$work/err.corrupt" || fail "a corrupt file: $(cat "$work/err.corrupt")"
grep -q "^velkor-sim: $work/no-such-file: " "$work/err.no-such-file" || fail "no file: $(cat "$work/err.no-such-file")"

# Options that shape boards have no place in a replay, nor replay's without it.
while IFS='|' read -r options word; do
    # shellcheck disable=SC2086
    "$sim" $options -- true >/dev/null 2>"$work/err"
    check_end "$options" $? 2
    head -n 1 "$work/err" | grep -q -- "$word" || fail "$options: $(head -n 1 "$work/err")"
done <<CASES
--replay $work/session --boards 2|--boards does not go with --replay
--replay $work/session --load max|--load does not go with --replay
--fault no-channel-number --replay $work/session|--fault does not go with --replay
--replay $work/session --replay-timing=slow|--replay-timing 'slow'
--replay-strict|need --replay
CASES

[ "$failures" -eq 0 ] || exit 1
