#!/usr/bin/env bash
# Starts the tool binary found under a root (a package unpacked there) on the
# simulated board with the probe preloaded, and checks the window, its icon
# and the driver test's lines.
# Usage: run_unpacked_tool.sh ROOT VELKOR_SIM PROBE
set -euo pipefail
unpacked="$1" sim="$2" probe="$3"
output="$(QT_QPA_PLATFORM=offscreen "$sim" -- sh -c \
    'LD_PRELOAD="${LD_PRELOAD:+$LD_PRELOAD:}$1" exec "$2"' sh "$probe" "$unpacked/usr/bin/VelkorLinuxPciDriverTest" 2>&1)"
echo "$output"
status=0
for line in "visible: 1" "icon size: 1024x993" ":  - ТЕСТ ДРАЙВЕРА - '/dev/mil1553dev-0-ch-0' -" \
    ": PCI локация: 0000:03:00.0;"; do
    grep -q -F -- "$line" <<<"$output" || { echo "FAIL: no \"$line\""; status=1; }
done
grep -q -E '^line: [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}: Дата драйвера: ' <<<"$output" || { echo "FAIL: no driver date line"; status=1; }
exit $status
