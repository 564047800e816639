#!/usr/bin/env bash
# Builds the project and runs the whole test suite.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/setup.sh"
cd "$top/build"
ctest --output-on-failure -j2
