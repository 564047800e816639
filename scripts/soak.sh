#!/usr/bin/env bash
# Runs the tool's real window on the simulated board at full bus load for a
# given time, 10 minutes unless told, and reports the lines written, lines a
# second, resident memory a line, the longest tick, and whether every DMA
# block the board delivered was reported; fails if one was not, or on a crash.
# Usage: scripts/soak.sh [seconds]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
. "$top/scripts/debian-release.sh"
require_simulator "run the soak on the simulated board" build
"$top/scripts/setup.sh"
QT_QPA_PLATFORM=offscreen "$top/build/sim/velkor-sim" --load max -- "$top/build/bench/soak_terminal" "$seconds"
