#!/usr/bin/env bash
# Builds the project and the previous implementation (commit $previous: the
# tool and velkor-sim, with today's benchmark), then measures both in turn on
# the simulated board: the polling tick on a growing terminal, the
# memory of a line and the board's delivery through velkor-sim, as medians of
# three runs. Takes a few minutes; run it on a quiet machine.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
. "$top/scripts/debian-release.sh"
require_build_deps "run the benchmark on the simulated board"
# Before the byte-built report lines, the memory ceiling and velkor-sim's heap settings.
previous=c216a55
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
# Today's benchmark names Qt by the major version, which that tree never set.
cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQT_VERSION_MAJOR=5 >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_polling_tick velkor-sim >/dev/null

QT_QPA_PLATFORM=offscreen "$top/build/bench/bench_polling_tick" --compare "$build"
