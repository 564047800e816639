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
#           controller (cgroup-tools), or systemd on cgroup v2 (the user's
#           own systemd needs no root); where none can be made it says so
#           and exits 77;
#   data    the processes' own data limit (RLIMIT_DATA), which any user sets;
#   either  (the default) a group where one can be made, else the data limit.
# Usage: bench/soak.sh [--memory MB [--limit group|data|either]] [seconds]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
usage="usage: bench/soak.sh [--memory MB [--limit group|data|either]] [seconds]"
memory=""
limit="either"
no_group="no memory control group can be made here (it needs root with cgroup v1's memory controller \
and cgroup-tools, or systemd on cgroup v2)"

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

# cgroup v1's memory controller, where root makes groups with cgroup-tools.
v1_group_here() {
    [ "$(id -u)" -eq 0 ] && findmnt -n -t cgroup -O memory >/dev/null && command -v cgcreate >/dev/null
}

# A systemd scope under a memory limit that its group in fact carries, as
# it does only where the memory controller is there (and delegated).
v2_scope_here() {
    scope=(systemd-run --scope --quiet --collect -p MemoryMax="${memory}M" -p MemorySwapMax=0)
    [ "$(id -u)" -eq 0 ] || scope+=(--user)
    command -v systemd-run >/dev/null && [ "$("${scope[@]}" sh -c \
        'cat "/sys/fs/cgroup$(sed -n "s/^0:://p" /proc/self/cgroup)/memory.max"' 2>/dev/null)" = $((memory << 20)) ]
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
        cgdelete -g "memory:$group" 2>/dev/null || true
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

with_data_limit() {
    ulimit -S -d $((memory << 10))
    exec "$@"
}

. "$top/scripts/debian-release.sh"
require_build_deps "run the soak on the simulated board"
"$top/scripts/setup.sh"
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

soak=(env QT_QPA_PLATFORM=offscreen "$top/build/sim/velkor-sim" --load max -- "$top/build/bench/soak_terminal" "$seconds")

case "$how" in
    none)
        run "${soak[@]}"
        ;;
    v1)
        group="velkor-soak-$$"
        cgcreate -g "memory:$group"
        cgset -r memory.limit_in_bytes=$((memory << 20)) "$group"
        # Swap counts too, where the kernel accounts for it.
        ! cgget -n -r memory.memsw.limit_in_bytes "$group" >/dev/null 2>&1 \
            || cgset -r memory.memsw.limit_in_bytes=$((memory << 20)) "$group"
        echo "soak: in a new memory control group of $memory MB (memory:$group)"
        run cgexec -g "memory:$group" "${soak[@]}" cut
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
