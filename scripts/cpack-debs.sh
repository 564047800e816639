#!/usr/bin/env bash
# Makes the Debian packages of a built build folder with CPack and leaves them
# in OUTPUT_DIR, after removing the packages an earlier run left there, so
# that ./OUTPUT_DIR/*.deb is this build's.
# Usage: scripts/cpack-debs.sh BUILD_DIR OUTPUT_DIR
set -euo pipefail
build="$1" output="$2"
mkdir -p "$output"
rm -f "$output"/velkor-linux-pci-driver-test_*.deb "$output"/velkor-sim_*.deb
rm -rf "$output/.cpack"
(cd "$build" && cpack -G DEB -B "$output/.cpack" >/dev/null)
mv "$output"/.cpack/*.deb "$output"/
rm -rf "$output/.cpack"
