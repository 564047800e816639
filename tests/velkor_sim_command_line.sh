#!/bin/sh
# velkor-sim's command line: --help and usage errors, every option end to end,
# the exit statuses of its man page, and the stop signals. Usage: SCRIPT VELKOR_SIM
sim="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Testbeds are made here, where one left behind shows.
export TMPDIR="$work/tmp"
mkdir "$TMPDIR"
testbed_made() { [ -n "$(ls -A "$TMPDIR")" ]; }
check_no_testbed() {
    testbed_made || return
    fail "$1: testbed left behind"
    rm -rf "${TMPDIR:?}"/*
}

"$sim" --help >"$work/out" 2>"$work/err" || fail "--help exits $?"
[ -s "$work/err" ] && fail "--help writes to standard error"
for word in --boards --trace --load --fault --help 25000 no-channel-number fail=IOCTL_NAME dma-count=N overreport=N; do
    grep -qw -- "$word" "$work/out" || fail "--help does not name $word"
done

# Each: the options, and a word the error line must carry.
while IFS='|' read -r options word; do
    rm -f "$work/started"
    # shellcheck disable=SC2086
    "$sim" $options -- touch "$work/started" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -eq 2 ] || fail "$options: exit status $status"
    [ -e "$work/started" ] && fail "$options: the program started"
    head -n 1 "$work/err" | grep -q -- "$word" || fail "$options: first line: $(head -n 1 "$work/err")"
    sed -n 2p "$work/err" | grep -q '^Usage: velkor-sim' || fail "$options: no usage after the error"
done <<'CASES'
--no-such-option|no-such-option
--boards 0|--boards
--boards 9|--boards
--boards 2x|--boards
--load 25001|--load
--load fast|--load
--fault no-such-fault|no-such-fault
--fault fail=IOCTL_NO_SUCH|IOCTL_NO_SUCH
--fault fail=IOCTL_READ_REG:0|IOCTL_READ_REG
--fault dma-count=x|dma-count
--fault overreport=0|overreport
CASES

"$sim" --load >/dev/null 2>"$work/err"
status=$?
[ "$status" -eq 2 ] || fail "--load without a value: exit status $status"
head -n 1 "$work/err" | grep -q -- "'--load' needs a value" || fail "--load without a value: $(head -n 1 "$work/err")"

# The program that the options meet: it sends one command (a request code and
# record words, in hex) to a node and prints the record's first four words in
# hex, or the error. perl-base, on every Debian system, reaches ioctl(2).
cat >"$work/send" <<'PERL'
open(my $node, "+<", shift) or die "$!\n";
my $request = hex shift;
my $record = pack("L32", map { hex } @ARGV);
print ioctl($node, $request, $record) ? join(" ", map { sprintf "%x", $_ } unpack("L4", $record)) : "$!", "\n";
PERL

# Two boards, traced, with every fault; each board counts its own.
"$sim" --boards 2 --trace "$work/trace" --fault no-channel-number --fault fail=IOCTL_GET_DRIVER_VERSION:2 \
    --fault dma-count=7 --fault overreport=5 -- sh -c '
    send() { perl "$0" "$@"; }
    ls /dev | grep -c "^mil1553dev-[01]-ch-[0-3]$"
    for n in 1 2 3; do send /dev/mil1553dev-0-ch-0 80046228; done
    send /dev/mil1553dev-1-ch-3 80046228
    send /dev/mil1553dev-1-ch-2 c0046237
    send /dev/mil1553dev-1-ch-2 800d6229
    send /dev/mil1553dev-0-ch-1 c0046207
    for node in 0-ch-1 0-ch-1 1-ch-0; do send /dev/mil1553dev-$node c0106206 1 80; done
    ' "$work/send" >"$work/out" 2>/dev/null
# The location is "0000:04:00.2" in little-endian words.
cat >"$work/expected" <<'OUT'
8
Input/output error
Input/output error
12100814 0 0 0
Input/output error
Input/output error
30303030 3a34303a 322e3030 0
7 0 0 0
5 80 0 0
0 80 0 0
5 80 0 0
OUT
diff "$work/expected" "$work/out" || fail "two boards with every fault"
grep -vqE '^[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{6} ' "$work/trace" && fail "a trace line without its time"
cut -c 17- "$work/trace" | sed -n 1,3p >"$work/out"
printf '%s\n' "mil1553dev-0-ch-0 open" "mil1553dev-0-ch-0 IOCTL_GET_DRIVER_VERSION = EIO" \
    "mil1553dev-0-ch-0 open" | diff - "$work/out" || fail "--trace"
[ "$(grep -c ' open$' "$work/trace")" -eq 10 ] || fail "--trace: $(grep -c ' open$' "$work/trace") opens"

# Terminal 5 on channel 0 meets the load at once; 25000 messages a second are
# more than its messages allow, and the trace says so.
for load in 25000 max; do
    "$sim" --load "$load" --trace - -- sh -c '
        for command in "40046204 2" "40016213 5" "40046222 1" 6208 c0046207; do
            perl "$0" /dev/mil1553dev-0-ch-0 $command
        done' "$work/send" >"$work/out" 2>"$work/err"
    [ "$(tail -n 1 "$work/out" | cut -d ' ' -f 1)" != 0 ] || fail "--load $load: no block"
    limits="$(grep -c ' mil1553dev-0 bus at its limit: these messages allow 4166 a second$' "$work/err")"
    [ "$limits" -eq "$([ "$load" = max ] && echo 0 || echo 1)" ] || fail "--load $load: $limits limit lines"
done

# The exit statuses of the man page (2, for a usage error, is checked above).
expect_status() {
    expected="$1" case="$2"
    shift 2
    "$@" >/dev/null 2>&1
    status=$?
    [ "$status" -eq "$expected" ] || fail "$case: exit status $status, not $expected"
    check_no_testbed "$case"
}
expect_status 3 "the program's own" "$sim" -- sh -c 'exit 3'
expect_status 137 "a program killed" "$sim" -- sh -c 'kill -KILL $$'
expect_status 127 "no such program" "$sim" -- "$work/no-such-program"
expect_status 125 "no trace" "$sim" --trace "$work/no-such-folder/trace" -- touch "$work/started"
[ -e "$work/started" ] && fail "the program started although the trace did not open"
# A re-execution that fails is the launcher's own failure: here the preload
# makes its environment longer than one variable may be.
expect_status 125 "no re-execution" env LD_PRELOAD="$(printf '%131050s' '')" "$sim" -- true

# The program of the signal cases. A script's background jobs ignore SIGINT,
# and a signal ignored at start stays ignored: hence env.
cat >"$work/wait" <<'SH'
# PID_FILE [STATUS]: exits STATUS on SIGTERM if given, says its pid once
# ready, then sleeps for a minute.
[ -z "$2" ] || trap "exit $2" TERM
echo $$ >"$1.new" && mv "$1.new" "$1"
for _ in $(seq 600); do sleep 0.1; done
SH
# STATUS COMMAND...: runs the command with that program in the background.
run_waiting() {
    on_term="$1"
    shift
    rm -f "$work/pid"
    # shellcheck disable=SC2086
    env --default-signal=INT "$@" -- sh "$work/wait" "$work/pid" $on_term >/dev/null 2>&1 &
}
wait_until() {
    tries=0
    until "$@" || [ "$tries" -ge 300 ]; do
        sleep 0.05
        tries=$((tries + 1))
    done
}

# A stop signal goes to the program; the launcher waits for it, removes its
# testbed and ends as the program ended: with its exit status, or killed by
# its signal (seen here as 128 + the signal).
while IFS='|' read -r signal status_on_term expected; do
    case="SIG$signal${status_on_term:+ to a program exiting $status_on_term}"
    run_waiting "$status_on_term" "$sim"
    launcher=$!
    wait_until test -s "$work/pid"
    kill -s "$signal" "$launcher"
    wait "$launcher" 2>/dev/null
    status=$?
    [ "$status" -eq "$expected" ] || fail "$case: exit status $status, not $expected"
    check_no_testbed "$case"
    if kill -0 "$(cat "$work/pid")" 2>/dev/null; then
        fail "$case: the program outlived the launcher"
        kill "$(cat "$work/pid")"
    fi
done <<'CASES'
INT||130
TERM||143
HUP||129
TERM|3|3
CASES

# One that comes while the testbed is set up is held for the program: here
# the launcher waits to open a trace FIFO until someone reads it.
mkfifo "$work/fifo"
run_waiting '' "$sim" --trace "$work/fifo"
launcher=$!
wait_until testbed_made
kill -s TERM "$launcher"
exec 3<>"$work/fifo"
wait "$launcher" 2>/dev/null
status=$?
exec 3<&-
[ "$status" -eq 143 ] || fail "SIGTERM during set-up: exit status $status"
check_no_testbed "SIGTERM during set-up"

# Ctrl-C goes to a script's whole process group, and bash goes on with the
# script unless the command it ran died of SIGINT.
run_waiting '' setsid bash -c '"$@"; echo "the script went on"' bash "$sim"
script=$!
wait_until test -s "$work/pid"
kill -s INT -- "-$script"
wait "$script" 2>/dev/null
status=$?
[ "$status" -eq 130 ] || fail "Ctrl-C in a bash script: exit status $status"
check_no_testbed "Ctrl-C in a bash script"

[ "$failures" -eq 0 ]
