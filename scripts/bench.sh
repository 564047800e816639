#!/usr/bin/env bash
# Builds the project and the previous implementation of the terminal and the
# report (commit $previous, with today's benchmark), then measures both in
# turn on the simulated board: the polling tick on a growing terminal, the
# memory of a line and the board's delivery through velkor-sim, as medians of
# three runs. Takes a few minutes; run it on a quiet machine.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
# The implementation before the byte-built report lines and the memory ceiling.
previous=c216a55
"$top/scripts/setup.sh"

source="$top/build-previous/source"
if [ ! -d "$source" ]; then
    mkdir -p "$source"
    git -C "$top" archive "$previous" | tar -x -C "$source"
fi
rm -rf "$source/bench"
cp -r "$top/bench" "$source/bench"
cmake -S "$source" -B "$top/build-previous/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build-previous/build" -j"$(nproc)" --target bench_polling_tick velkor-sim >/dev/null

QT_QPA_PLATFORM=offscreen "$top/build/bench/bench_polling_tick" --compare "$top/build-previous/build"
