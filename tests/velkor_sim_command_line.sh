#!/bin/sh
# velkor-sim's command line: --help, usage errors, --boards. Usage: SCRIPT VELKOR_SIM
sim="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$sim" --help >"$work/out" 2>"$work/err" || fail "--help exits $?"
[ -s "$work/err" ] && fail "--help writes to standard error"
for word in --boards --trace --load --fault --help 25000 no-channel-number fail=IOCTL_NAME; do
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
CASES

"$sim" --load >/dev/null 2>"$work/err"
status=$?
[ "$status" -eq 2 ] || fail "--load without a value: exit status $status"
head -n 1 "$work/err" | grep -q -- "'--load' needs a value" || fail "--load without a value: $(head -n 1 "$work/err")"

nodes="$("$sim" --boards 2 -- sh -c 'ls /dev | grep -cE "^mil1553dev-[01]-ch-[0-3]$"' 2>/dev/null)"
[ "$nodes" = 8 ] || fail "--boards 2 lists $nodes nodes"

[ "$failures" -eq 0 ]
