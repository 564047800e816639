#!/usr/bin/env bash
# Runs the tool's real window on the simulated board at full bus load for a
# given time, 10 minutes unless told, and reports the lines written, lines a
# second, resident memory a line, the longest tick, whether every DMA block
# the board delivered was reported, and what the terminal's memory ceiling
# cut; fails if a block went unreported, if a line went other than in an
# announced cut of the oldest lines, or on a crash.
# With --memory MB it runs under a memory limit of that size: the terminal
# must then reach its ceiling (a quarter of the limit), cut, run on and stay
# under the limit. --limit says which:
#   group   a new memory control group: root with cgroup v1's memory
#           controller, or systemd on cgroup v2 (the user's own systemd
#           needs no root); where none can be made it says so and exits 77;
#   data    the processes' own data limit (RLIMIT_DATA), which any user sets;
#   either  (the default) a group where one can be made, else the data limit.
# Usage: bench/soak.sh [--memory MB [--limit group|data|either]] [seconds]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
usage="usage: bench/soak.sh [--memory MB [--limit group|data|either]] [seconds]"
memory=""
limit="either"
no_group="no memory control group can be made here (it needs root with cgroup v1's memory controller, \
or systemd on cgroup v2)"

usage_error() {
    printf 'soak: %s\n%s\n' "$1" "$usage" >&2
    exit 2
}

while [ $# -gt 0 ]; do
    case "$1" in
        --memory) [ $# -ge 2 ] || usage_error "--memory needs a size in MB"; memory="$2"; shift 2 ;;
        --limit) [ $# -ge 2 ] || usage_error "--limit needs group, data or either"; limit="$2"; shift 2 ;;
        -h | --help) echo "$usage"; exit 0 ;;
        -*) usage_error "unknown option $1" ;;
        *) break ;;
    esac
done
[ $# -le 1 ] || usage_error "one time at most, not '$*'"
seconds="${1:-600}"
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || usage_error "the time is a whole number of seconds, not '$seconds'"
[ -z "$memory" ] || [[ "$memory" =~ ^[1-9][0-9]*$ ]] || usage_error "the memory is a whole number of MB, not '$memory'"
case "$limit" in group | data | either) ;; *) usage_error "--limit is group, data or either, not '$limit'" ;; esac

# The folder of a group in the first hierarchy of a type ("cgroup2", or
# "cgroup" with the memory controller) that shows it: the mount point joined
# with the group's path below the group the mount shows as its top (a
# container's own group, say). findmnt writes a space in a path as \x20.
group_folder() {
    local type="$1" group="$2" point top
    local filter=(-t "$type")
    [ "$type" = cgroup2 ] || filter+=(-O memory)
    while read -r point top; do
        top="$(printf '%b' "${top%/}")"
        [ "$group" = "$top" ] || [[ "$group" == "$top/"* ]] || continue
        printf '%b%s\n' "$point" "${group#"$top"}"
        return
    done < <(findmnt -n -r -o TARGET,FSROOT "${filter[@]}")
}

# This shell's folder in a hierarchy ("cgroup" for v1's memory controller,
# "cgroup2"), from its line in /proc/self/cgroup ("ID:CONTROLLERS:PATH"); a
# group outside the shell's cgroup namespace ("/../..") has none.
own_folder() {
    local own
    own="$(awk -F: -v v2="$([ "$1" = cgroup2 ] && echo 1)" '
        (v2 ? $1 == "0" && $2 == "" : ("," $2 ",") ~ /,memory,/) { sub(/^[^:]*:[^:]*:/, ""); print; exit }
    ' /proc/self/cgroup)"
    case "$own/" in */../* | */./* | [!/]*) return 0 ;; esac
    group_folder "$1" "${own%/}"
}

# cgroup v1's memory controller, where this shell may make a group.
v1_group_here() {
    v1_folder="$(own_folder cgroup)"
    [ -n "$v1_folder" ] && [ -w "$v1_folder" ]
}

# cgroup v2 with its memory controller, and a systemd that makes this user a
# scope under a memory limit.
v2_scope_here() {
    local own
    own="$(own_folder cgroup2)"
    scope=(systemd-run --scope --quiet --collect -p MemoryMax="${memory}M" -p MemorySwapMax=0)
    [ "$(id -u)" -eq 0 ] || scope+=(--user)
    [ -n "$own" ] && grep -qw memory "$own/cgroup.controllers" 2>/dev/null &&
        command -v systemd-run >/dev/null && "${scope[@]}" true 2>/dev/null
}

# The soak runs in the background, so that a stop signal reaches the script
# at once; velkor-sim passes TERM on to the tool and removes its testbed. A
# background job of a script ignores INT, so INT becomes TERM for it.
child=""
group=""
clean_up() {
    if [ -n "$child" ]; then
        kill -TERM "$child" 2>/dev/null || true
        wait "$child" 2>/dev/null || true
        child=""
    fi
    if [ -n "$group" ]; then
        rmdir "$group" 2>/dev/null || true
        group=""
    fi
}
trap clean_up EXIT
for signal in INT TERM HUP; do
    trap "clean_up; trap - $signal; kill -$signal \$\$" "$signal"
done

run() {
    local status=0
    "$@" &
    child=$!
    wait "$child" || status=$?
    child=""
    return "$status"
}

in_v1_group() {
    echo "$BASHPID" >"$group/cgroup.procs"
    exec "$@"
}

with_data_limit() {
    ulimit -S -d $((memory << 10))
    exec "$@"
}

how="none"
if [ -n "$memory" ] && [ "$limit" != data ]; then
    if v1_group_here; then
        how="v1"
    elif v2_scope_here; then
        how="v2"
    elif [ "$limit" = group ]; then
        echo "soak: $no_group" >&2
        exit 77
    else
        echo "soak: $no_group; the processes' own data limit stands in"
    fi
fi
if [ -n "$memory" ] && [ "$how" = none ]; then
    if ! (ulimit -S -d $((memory << 10))) 2>/dev/null; then
        reason="a data limit of $memory MB is above the hard one, $(ulimit -H -d) KB"
        [ "$limit" = data ] || reason="no memory limit of any kind can be set here: no control group, and $reason"
        echo "soak: $reason" >&2
        exit 1
    fi
    how="data"
fi

. "$top/scripts/debian-release.sh"
require_build_deps "run the soak on the simulated board"
"$top/scripts/setup.sh"
soak=(env QT_QPA_PLATFORM=offscreen "$top/build/sim/velkor-sim" --load max -- "$top/build/bench/soak_terminal" "$seconds")

case "$how" in
    none)
        run "${soak[@]}"
        ;;
    v1)
        group="$v1_folder/velkor-soak-$$"
        mkdir "$group"
        echo $((memory << 20)) >"$group/memory.limit_in_bytes"
        [ ! -e "$group/memory.memsw.limit_in_bytes" ] || echo $((memory << 20)) >"$group/memory.memsw.limit_in_bytes"
        echo "soak: in a new memory control group of $memory MB ($group)"
        run in_v1_group "${soak[@]}" cut
        ;;
    v2)
        echo "soak: in a new systemd scope of $memory MB (cgroup v2)"
        run "${scope[@]}" --unit="velkor-soak-$$" -- "${soak[@]}" cut
        ;;
    data)
        echo "soak: under a data limit (RLIMIT_DATA) of $memory MB"
        run with_data_limit "${soak[@]}" cut
        ;;
esac
