#!/usr/bin/env bash
# The udev rule as `cmake --install` puts it: in the folder udev reads, read
# by udevadm verify where udevadm has it (systemd 254 on, Debian 13 on), and
# tried on the channel nodes' names and on names that only look like them. No
# udev runs in a build container and no board is there for `udevadm test`, so
# the rule's KERNEL patterns are matched as udev matches them: fnmatch(3)
# with no flags, as the shell matches patterns, alternatives split at '|'.
# Usage: udev_rule.sh CMAKE BUILD_DIR
set -euo pipefail
cmake="$1" build="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
fail() { echo "FAIL: $*"; exit 1; }

env -u DESTDIR "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 \
    || { cat "$work/install.log"; fail "cmake --install"; }
rules=()
[ ! -d "$prefix/lib/udev/rules.d" ] || rules=("$prefix"/lib/udev/rules.d/*)
[ ${#rules[@]} -eq 1 ] \
    || fail "the install puts not one udev rule into lib/udev/rules.d: $(cd "$prefix" && find . -type f | sort)"
rule="${rules[0]}"
file="${rule##*/}"
echo "installed: lib/udev/rules.d/$file"
# udev reads *.rules only, in the order of their names, and grants the seat's
# user access in 73-seat-late.rules to nodes tagged by then.
[[ "$file" == *.rules ]] || fail "udev ignores $file: its name does not end in .rules"
[[ "$file" < 73-seat-late.rules ]] || fail "$file comes after 73-seat-late.rules, too late for TAG+=\"uaccess\""

# The group need not exist on the build machine, so names are not resolved.
if command -v udevadm >/dev/null && udevadm verify --help >/dev/null 2>&1; then
    udevadm verify --resolve-names=never "$rule" || fail "udevadm verify"
else
    echo "udevadm verify: not on this machine (systemd 254 or later has it), not run"
fi

# One rule of pairs KEY OP "VALUE"; what this check cannot judge (another
# key, a bare value, a second rule) stops it rather than be guessed at.
kernel="" group="" mode="" owner="" tags=" " count=0
while IFS= read -r line; do
    [[ "$line" =~ ^[[:space:]]*(#|$) ]] && continue
    count=$((count + 1))
    rest="$line"
    while [[ "$rest" =~ ^[[:space:],]*([A-Z_]+)(==|\+=|:=|=)\"([^\"]*)\"(.*)$ ]]; do
        value="${BASH_REMATCH[3]}"
        case "${BASH_REMATCH[1]}${BASH_REMATCH[2]}" in
            KERNEL==) kernel="$value" ;;
            GROUP= | GROUP:=) group="$value" ;;
            MODE= | MODE:=) mode="$value" ;;
            OWNER= | OWNER:=) owner="$value" ;;
            TAG+=) tags+="$value " ;;
            *) fail "$file: ${BASH_REMATCH[1]}${BASH_REMATCH[2]} is not judged here: $line" ;;
        esac
        rest="${BASH_REMATCH[4]}"
    done
    [[ "$rest" =~ ^[[:space:],]*$ ]] || fail "$file: cannot read \"$rest\" in: $line"
done <"$rule"
[ "$count" -eq 1 ] || fail "$file holds $count rules, not one"
[ "$group" = mil1553 ] && [[ "$mode" =~ ^[0-7]+$ ]] && [ $((8#$mode)) -eq $((8#660)) ] && [ -z "$owner" ] \
    && [[ "$tags" == *" uaccess "* ]] \
    || fail "the rule gives GROUP=\"$group\" MODE=\"$mode\" OWNER=\"$owner\" TAG=\"${tags# }\""
alternatives=()
patterns="$kernel|"
while [[ "$patterns" == *"|"* ]]; do
    alternatives+=("${patterns%%|*}")
    patterns="${patterns#*|}"
done
matched() {
    local pattern
    for pattern in "${alternatives[@]}"; do
        # shellcheck disable=SC2053 # matched as a pattern, as udev does
        [[ "$1" == $pattern ]] && return 0
    done
    return 1
}

# Every channel node, boards and channels 0 to 99.
wrong=0
for board in $(seq 0 99); do
    for channel in $(seq 0 99); do
        matched "mil1553dev-$board-ch-$channel" \
            || { [ $((wrong++)) -ge 8 ] || echo "FAIL: no rule matches /dev/mil1553dev-$board-ch-$channel"; }
    done
done
# Numbers past 99, names the driver does not make, and names that only look
# like a channel's: what a too wide glob or an empty '|' alternative takes in.
others=("" mil1553dev mil1553dev- mil1553dev-1 mil1553dev-1-ch mil1553dev-1-ch- mil1553dev--ch-1
    mil1553dev--ch- mil1553dev-1--ch-1 mil1553dev--1-ch-1 mil1553dev-1-ch--1 mil1553dev-+1-ch-1
    mil1553dev-1-ch-+1 mil1553dev-1-ch-1x mil1553dev-1x-ch-1 mil1553dev-x1-ch-1 mil1553dev-1-ch-x1
    mil1553dev-a-ch-1 mil1553dev-1-ch-a mil1553dev-1-ch-1-ch-1 mil1553dev-1-ch-1.old mil1553dev-1-ch-1/
    mil1553dev-1/ch-1 xmil1553dev-1-ch-1 "mil1553dev-1-ch-1 " " mil1553dev-1-ch-1" mil1553dev1-ch-1
    mil1553dev-1-ch1 mil1553dev-1ch-1 mil1553-1-ch-1 mil1553dev-1-CH-1 MIL1553DEV-1-ch-1
    'mil1553dev-*-ch-*' 'mil1553dev-?-ch-?' 'mil1553dev-[0-9]-ch-[0-9]' $'mil1553dev-1-ch-1\n' ttyS0 sda null)
for n in $(seq 100 199) 000 999 1000 12345; do
    others+=("mil1553dev-$n-ch-0" "mil1553dev-0-ch-$n" "mil1553dev-$n-ch-$n")
done
touched=0
for name in "${others[@]}"; do
    ! matched "$name" || { [ $((touched++)) -ge 8 ] || echo "FAIL: the rule matches \"$name\""; }
done
echo "$((10000 - wrong)) of 10000 channel nodes matched; $touched of ${#others[@]} other names matched"
[ "$wrong" -eq 0 ] && [ "$touched" -eq 0 ]
