#!/usr/bin/env bash
# Installs the Debian packages the project needs (when missing) and builds it
# into build/. Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
set -euo pipefail

packages=(build-essential cmake pkg-config qtbase5-dev qtbase5-dev-tools
          umockdev libumockdev-dev xvfb xauth clang libclang-rt-14-dev
          lintian desktop-file-utils file)
# Qt 6 only for a build that asks for it: Debian 11 has none.
for argument in "$@"; do
    case "$argument" in
        -DVELKOR_QT_MAJOR=6 | -DVELKOR_QT_MAJOR:STRING=6) packages+=(qt6-base-dev qt6-5compat-dev) ;;
    esac
done

"$(dirname "$0")/install-missing.sh" "${packages[@]}"

top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$top/build}"
shift || true
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
