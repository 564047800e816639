#!/usr/bin/env bash
# Builds the project and runs the polling benchmark on the simulated board.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
. "$top/scripts/debian-release.sh"
require_simulator "run the benchmark on the simulated board" build
"$top/scripts/setup.sh"
LD_PRELOAD=libumockdev-preload.so.0 QT_QPA_PLATFORM=offscreen "$top/build/bench/bench_polling_tick"
