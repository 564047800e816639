#!/usr/bin/env bash
# The udev rule as `cmake --install` puts it: in the folder udev reads, read
# by udevadm verify where there is one (systemd 254 on), and tried on the
# channel nodes' names and on names that only look like them. No udev or board
# is there for `udevadm test`, so the KERNEL patterns are matched as udev does:
# fnmatch(3) with no flags, as the shell matches, alternatives split at '|'.
# Usage: udev_rule.sh CMAKE BUILD_DIR
set -euo pipefail
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

env -u DESTDIR "$1" --install "$2" --prefix "$work" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }
rules=("$work"/lib/udev/rules.d/*)
[ ${#rules[@]} -eq 1 ] && [ -f "${rules[0]}" ] || fail "the install puts not one udev rule into lib/udev/rules.d"
rule="${rules[0]}" file="${rules[0]##*/}"
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
while IFS= read -r rest; do
    [[ "$rest" =~ ^[[:space:]]*(#|$) ]] && continue
    count=$((count + 1))
    while [[ "$rest" =~ ^[[:space:],]*([A-Z_]+)(==|\+=|:=|=)\"([^\"]*)\"(.*)$ ]]; do
        value="${BASH_REMATCH[3]}"
        case "${BASH_REMATCH[1]}${BASH_REMATCH[2]}" in
            KERNEL==) kernel="$value" ;;
            GROUP= | GROUP:=) group="$value" ;;
            MODE= | MODE:=) mode="$value" ;;
            OWNER= | OWNER:=) owner="$value" ;;
            TAG+=) tags+="$value " ;;
            *) fail "$file: ${BASH_REMATCH[1]}${BASH_REMATCH[2]} is not judged here" ;;
        esac
        rest="${BASH_REMATCH[4]}"
    done
    [[ "$rest" =~ ^[[:space:],]*$ ]] || fail "$file: cannot read \"$rest\""
done <"$rule"
[ "$count" -eq 1 ] || fail "$file holds $count rules, not one"
[ "$group" = mil1553 ] && [[ "$mode" =~ ^[0-7]+$ ]] && [ $((8#$mode)) -eq $((8#660)) ] && [ -z "$owner" ] \
    && [[ "$tags" == *" uaccess "* ]] \
    || fail "the rule gives GROUP=\"$group\" MODE=\"$mode\" OWNER=\"$owner\" TAG=\"${tags# }\""
# The '|' added keeps an empty last alternative, which read would drop.
IFS='|' read -r -a alternatives <<<"$kernel|"
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
        matched "mil1553dev-$board-ch-$channel" || { [ $((wrong++)) -ge 8 ] || echo "FAIL: no rule matches mil1553dev-$board-ch-$channel"; }
    done
done
# Numbers past 99, names the driver does not make, and names that only look
# like a channel's, of boards and channels of one digit and of two: what a too
# wide glob or an empty '|' alternative takes in.
others=("" mil1553dev mil1553dev- mil1553dev--ch- 'mil1553dev-*-ch-*' 'mil1553dev-?-ch-?'
    'mil1553dev-[0-9]-ch-[0-9]' ttyS0 sda null)
for b in 1 10; do
    for c in 1 10; do
        for shape in {b} {b}-ch {b}-ch- -ch-{c} {b}--ch-{c} -{b}-ch-{c} {b}-ch--{c} +{b}-ch-{c} {b}-ch-+{c} \
            {b}-ch-{c}x {b}x-ch-{c} x{b}-ch-{c} {b}-ch-x{c} a-ch-{c} {b}-ch-a {b}-ch-{c}-ch-{c} {b}-ch-{c}.old \
            {b}-ch-{c}/ {b}/ch-{c} {b}-chx-{c} {b}-CH-{c} {b}-ch{c} {b}ch-{c} "{b}-ch-{c} " $'{b}-ch-{c}\n'; do
            name="mil1553dev-$shape"
            name="${name//"{b}"/$b}"
            others+=("${name//"{c}"/$c}")
        done
        others+=("xmil1553dev-$b-ch-$c" " mil1553dev-$b-ch-$c" "mil1553dev$b-ch-$c" "mil1553-$b-ch-$c" "MIL1553DEV-$b-ch-$c")
    done
done
for n in $(seq 100 199) 000 999 1000 12345; do
    others+=("mil1553dev-$n-ch-0" "mil1553dev-0-ch-$n" "mil1553dev-$n-ch-$n")
done
touched=0
for name in "${others[@]}"; do
    ! matched "$name" || { [ $((touched++)) -ge 8 ] || echo "FAIL: the rule matches \"$name\""; }
done
echo "$((10000 - wrong)) of 10000 channel nodes matched; $touched of ${#others[@]} other names matched"
[ "$wrong" -eq 0 ] && [ "$touched" -eq 0 ]
