#!/usr/bin/env bash
# Runs the tool's real window on the simulated board at full bus load for a
# given time, 10 minutes unless told, and reports the lines written, lines a
# second, resident memory a line, the longest tick, whether every DMA block
# the board delivered was reported, and what the terminal's memory ceiling
# cut; fails if a block went unreported, if a line went other than in an
# announced cut of the oldest lines, or on a crash.
# With --memory MB it runs in a new memory control group of that limit (it
# needs root, and cgroup v1's memory controller or systemd on cgroup v2): the
# terminal must then reach its ceiling (a quarter of the limit), cut, run on,
# and the group must stay under its limit.
# Usage: scripts/soak.sh [--memory MB] [seconds]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
memory=""
if [ "${1:-}" = "--memory" ]; then
    memory="$2"
    shift 2
fi
seconds="${1:-600}"
. "$top/scripts/debian-release.sh"
require_build_deps "run the soak on the simulated board"
"$top/scripts/setup.sh"
soak=(env QT_QPA_PLATFORM=offscreen "$top/build/sim/velkor-sim" --load max -- "$top/build/bench/soak_terminal" "$seconds")

# Runs a command in a new group limited to $memory MB, below the script's own.
in_memory_group() {
    local own status=0
    own="$(sed -n 's/^[0-9]*:\([^:]*,\)\{0,1\}memory\(,[^:]*\)\{0,1\}:\(.*\)$/\3/p' /proc/self/cgroup)"
    if [ -n "$own" ] && [ -w "/sys/fs/cgroup/memory${own}" ]; then
        group="/sys/fs/cgroup/memory${own%/}/velkor-soak-$$"
        mkdir "$group"
        trap 'rmdir "$group" 2>/dev/null || true' EXIT
        echo $((memory << 20)) >"$group/memory.limit_in_bytes"
        (echo "$BASHPID" >"$group/cgroup.procs" && exec "$@") || status=$?
        return "$status"
    elif [ -f /sys/fs/cgroup/cgroup.controllers ] && command -v systemd-run >/dev/null; then
        systemd-run --scope --quiet -p MemoryMax="${memory}M" -p MemorySwapMax=0 -- "$@"
    else
        echo "soak: cannot make a memory control group here (needs root with cgroup v1, or systemd on cgroup v2)" >&2
        return 1
    fi
}

if [ -z "$memory" ]; then
    "${soak[@]}"
else
    in_memory_group "${soak[@]}" cut
fi
