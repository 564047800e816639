#!/usr/bin/env bash
# Builds the project and the previous implementation (commit $previous: the
# tool and velkor-sim, with today's benchmark), then measures both in turn on
# the simulated board: the polling tick on a terminal grown by real ticks to
# each size, with three consecutive ticks timed there, the memory of a line,
# a click's repaint at the largest size and the board's delivery through
# velkor-sim.
# Usage: bench/bench.sh [--sizes 100000,1000000]
# The full run, to 20,000,000 lines, grows each terminal for several minutes
# and the previous implementation's to about 6 GB; run it on a quiet machine.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
sizes=100000,1000000,10000000,20000000
if [ $# -eq 2 ] && [ "$1" = --sizes ] && [[ "$2" =~ ^[0-9]+(,[0-9]+)*$ ]]; then
    sizes="$2"
elif [ $# -ne 0 ]; then
    echo "usage: bench/bench.sh [--sizes 100000,1000000]" >&2
    exit 2
fi
. "$top/scripts/debian-release.sh"
require_build_deps "run the benchmark on the simulated board"
# The terminal as QListView laid it out, before the view of its own and the compact lines.
previous=5167683
# Ctrl-C ends the whole run, also when the step under way handled it and went on.
trap 'trap - INT; kill -INT $$' INT
"$top/scripts/setup.sh"

source="$top/build-previous/$previous/source"
build="$top/build-previous/$previous/build"
if [ ! -d "$source" ]; then
    if ! git -C "$top" cat-file -e "$previous^{commit}" 2>/dev/null; then
        echo "bench: commit $previous, the previous implementation, is not in this clone (git fetch --unshallow)" >&2
        exit 1
    fi
    mkdir -p "$source"
    git -C "$top" archive "$previous" | tar -x -C "$source"
fi
rm -rf "$source/bench"
cp -r "$top/bench" "$source/bench"
# Today's benchmark includes the process's memory headers where they are
# now; the previous tree has the same ones under terminal/.
mkdir -p "$source/src/process"
cp "$top"/src/process/*.h "$source/src/process/"
cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_polling_tick velkor-sim >/dev/null

# One terminal grows at a time, the previous implementation's to about 300
# bytes a line or to its ceiling, a quarter of the machine's memory.
meminfo_kb() { awk -v field="$1:" '$1 == field { print $2 }' /proc/meminfo; }
terminal_kb=$(( ${sizes##*,} * 300 / 1024 ))
[ "$terminal_kb" -lt $(( $(meminfo_kb MemTotal) / 4 )) ] || terminal_kb=$(( $(meminfo_kb MemTotal) / 4 ))
need_kb=$(( terminal_kb + 1024 * 1024 ))
if [ "$(meminfo_kb MemAvailable)" -lt "$need_kb" ]; then
    echo "bench: growing the terminal to ${sizes##*,} lines needs about $(( need_kb / 1024 )) MB free," \
        "and $(( $(meminfo_kb MemAvailable) / 1024 )) MB are available: fewer sizes with --sizes, or a quieter machine" >&2
    exit 1
fi
QT_QPA_PLATFORM=offscreen "$top/build/bench/bench_polling_tick" --compare "$build" --grow "$sizes"
