#!/bin/sh
# The tool's real window in a scripted bench session (driver test, bus
# controller, remote terminal, polled by hand) on the simulated board at
# live load with a fault: recorded, then replayed.
# Usage: SCRIPT VELKOR_SIM VELKOR_RECORD SCRIPTED_SESSION
sim="$1"
record="$2"
session="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
board="--load 2000 --fault fail=IOCTL_GET_VERSION_INFO"
# The events without their times, which differ from run to run.
timeless() { sed -E 's/ start=[0-9]+ us=[0-9]+//' "$1"; }

# The recorder passes every call on unchanged: the board sees the same
# commands with it as without it, and the driver test prints the same.
"$sim" $board --trace "$work/plain.trace" -- "$session" >"$work/plain" || fail "the session without the recorder"
"$sim" $board --trace "$work/recorded.trace" -- "$record" -o "$work/session.rec" -- "$session" >"$work/recorded" \
    || fail "the session under the recorder"
# How many blocks each poll found depends on when it came.
commands() { cut -d ' ' -f 2- "$1" | sed -E '/(READ_(DMA|INT)_BLOCKS|GET_COUNT_)/ s/[0-9]+/N/g'; }
commands "$work/plain.trace" >"$work/plain.commands"
commands "$work/recorded.trace" >"$work/recorded.commands"
diff "$work/plain.commands" "$work/recorded.commands" >/dev/null \
    || fail "the recorder changed the commands the board got: $(diff "$work/plain.commands" "$work/recorded.commands" | head -5)"
head -n 4 "$work/recorded" >"$work/recorded.head"
head -n 4 "$work/plain" | diff - "$work/recorded.head" \
    || fail "the recorder changed the driver test's lines"
grep -q "CntDataWords" "$work/recorded" || fail "the recorded session saw no traffic: $(cat "$work/recorded")"

# Replayed, the window writes the same lines, line for line.
"$sim" --replay "$work/session.rec" -- "$session" >"$work/replayed" 2>"$work/replay.err" \
    || fail "the replay ended $?: $(cat "$work/replay.err")"
diff "$work/recorded" "$work/replayed" || fail "the replay's lines differ from the recorded session's"

# A replay recorded is the recording again, times apart; .gz alike.
"$sim" --replay "$work/session.rec" -- "$record" -o "$work/again.rec.gz" -- "$session" >/dev/null \
    || fail "the recorded replay ended $?"
gzip -dc "$work/again.rec.gz" >"$work/again.rec"
[ "$(timeless "$work/session.rec")" = "$(timeless "$work/again.rec")" ] \
    || fail "a recorded replay differs from its recording: $(timeless "$work/session.rec" | diff - "$work/again.rec" | head -5)"

# A session that departs at one call is told so, and velkor-sim ends 3.
"$sim" --replay "$work/session.rec" -- "$session" --depart >/dev/null 2>"$work/depart.err"
status=$?
[ "$status" -eq 3 ] || fail "a departing session ended $status, not 3"
grep -q "IOCTL_SET_RT_ADDRESS" "$work/depart.err" || fail "the departure is not named: $(cat "$work/depart.err")"

[ "$failures" -eq 0 ] && echo "PASS"
[ "$failures" -eq 0 ]
