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
# CASE STATUS EXPECTED: the status, and no testbed left behind.
check_end() {
    [ "$2" -eq "$3" ] || fail "$1: exit status $2, not $3"
    [ -n "$(ls -A "$TMPDIR")" ] || return 0
    fail "$1: testbed left behind"
    rm -rf "${TMPDIR:?}"/*
}

"$sim" --help >"$work/out" 2>"$work/err" || fail "--help exits $?"
[ -s "$work/err" ] && fail "--help writes to standard error"
for word in --boards --trace --load --fault --cuse --help 25000 no-channel-number fail=IOCTL_NAME dma-count=N overreport=N; do
    grep -qw -- "$word" "$work/out" || fail "--help does not name $word"
done

# Each: the options, and what the error line must carry; given a program,
# but for a --load alone, which would take it for its value, and the case
# of no program.
while IFS='|' read -r options word; do
    rm -f "$work/started"
    # shellcheck disable=SC2046,SC2086
    "$sim" $options $(case "$options" in --load | --boards\ 2) ;; *) echo -- touch "$work/started" ;; esac) \
        >/dev/null 2>"$work/err"
    check_end "$options" $? 2
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
--load|'--load' needs a value
--fault no-such-fault|no-such-fault
--fault fail=IOCTL_NO_SUCH|IOCTL_NO_SUCH
--fault fail=IOCTL_READ_REG:0|IOCTL_READ_REG
--fault dma-count=x|dma-count
--fault overreport=0|overreport
--boards 2|no program to run
--cuse|--cuse takes no program
CASES

# --cuse runs without the preload, so an environment too long to re-execute
# in does not stop it (see "no re-execution" below); where /dev/cuse cannot be
# opened (no CUSE in the kernel, or not root) it stops at the start with one
# line saying why and what it needs.
if [ ! -r /dev/cuse ] || [ ! -w /dev/cuse ]; then
    env LD_PRELOAD="$(printf '%131050s' '')" "$sim" --cuse --boards 2 >/dev/null 2>"$work/err"
    check_end "--cuse without /dev/cuse" $? 125
    [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q '^velkor-sim: cannot open /dev/cuse: .*sudo modprobe cuse' "$work/err" \
        || fail "--cuse without /dev/cuse: $(cat "$work/err")"
fi

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
# A re-execution that fails is the launcher's own failure: there the preload
# makes its environment longer than one variable may be.
rm -f "$work/started"
while IFS='|' read -r case expected command; do
    eval "$command" >/dev/null 2>&1
    check_end "$case" $? "$expected"
done <<'CASES'
the program's own|3|"$sim" -- sh -c 'exit 3'
a program killed|137|"$sim" -- sh -c 'kill -KILL $$'
no such program|127|"$sim" -- "$work/no-such-program"
no trace|125|"$sim" --trace "$work/no-such-folder/trace" -- touch "$work/started"
no re-execution|125|env LD_PRELOAD="$(printf '%131050s' '')" "$sim" -- true
CASES
[ -e "$work/started" ] && fail "the program started although the trace did not open"

# COMMAND... in the background, with a program that says its pid once ready and
# sleeps a minute, exiting ON_TERM on SIGTERM if that is set. A script's jobs
# ignore SIGINT, and a signal ignored at start stays so: hence env.
run_waiting() {
    rm -f "$work/pid"
    env --default-signal=INT "$@" -- sh -c '[ -z "$1" ] || trap "exit $1" TERM
        echo $$ >"$0.new" && mv "$0.new" "$0"
        for _ in $(seq 600); do sleep 0.1; done' "$work/pid" "$on_term" >/dev/null 2>&1 &
}
wait_for_pid() { for _ in $(seq 300); do [ -s "$work/pid" ] && return; sleep 0.05; done; }

# A stop signal goes to the program; the launcher waits for it, removes its
# testbed and ends as the program ended: with its exit status, or killed by
# its signal (seen here as 128 + the signal).
while IFS='|' read -r signal on_term expected; do
    case="SIG$signal${on_term:+ to a program exiting $on_term}"
    run_waiting "$sim"
    launcher=$!
    wait_for_pid
    kill -s "$signal" "$launcher"
    wait "$launcher" 2>/dev/null
    check_end "$case" $? "$expected"
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

# Ctrl-C goes to a script's whole process group, and bash goes on with the
# script unless the command it ran died of SIGINT.
on_term=""
run_waiting setsid bash -c '"$@"; echo "the script went on"' bash "$sim"
script=$!
wait_for_pid
kill -s INT -- "-$script"
wait "$script" 2>/dev/null
check_end "Ctrl-C in a bash script" $? 130

[ "$failures" -eq 0 ]
