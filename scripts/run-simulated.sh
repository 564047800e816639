#!/usr/bin/env bash
# Builds the tool and starts it on a simulated board of four channels; the
# arguments go to velkor-sim (scripts/run-simulated.sh --load max --trace -).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
. "$top/scripts/debian-release.sh"
require_build_deps "run the tool on the simulated board"
"$top/scripts/setup.sh"

run=("$top/build/sim/velkor-sim" "$@" -- "$top/build/src/VelkorLinuxPciDriverTest")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting the tool on a virtual X server (Xvfb)."
    exec xvfb-run -a -s "-screen 0 1280x800x24" "${run[@]}"
fi
exec "${run[@]}"
