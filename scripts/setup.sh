#!/usr/bin/env bash
# Installs the Debian packages the project needs (when missing) and builds it
# into build/. Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
set -euo pipefail

packages=(build-essential cmake pkg-config qtbase5-dev qtbase5-dev-tools
          umockdev libumockdev-dev xvfb xauth clang libclang-rt-14-dev
          lintian desktop-file-utils file)

"$(dirname "$0")/install-missing.sh" "${packages[@]}"

top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$top/build}"
shift || true
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
