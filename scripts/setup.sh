#!/usr/bin/env bash
# Installs the Debian packages the project needs (when missing) and builds it
# into build/. On a release that cannot serve the simulated board (Debian 11)
# it says so and builds the tool alone.
# Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
here="$(dirname "$0")"
. "$here/debian-release.sh"

tool_packages=(build-essential cmake pkg-config qtbase5-dev qtbase5-dev-tools)
test_packages=(umockdev libumockdev-dev locales xvfb xauth clang lintian desktop-file-utils file weston qtwayland5)
# Qt 6 only for a build that asks for it: Debian 11 has none.
for argument in "$@"; do
    case "$argument" in
        -DVELKOR_QT_MAJOR=6 | -DVELKOR_QT_MAJOR:STRING=6) tool_packages+=(qt6-base-dev qt6-5compat-dev qt6-wayland) ;;
    esac
done

simulator_shortfall build
only_tool=()
if [ ${#shortfall[@]} -eq 0 ]; then
    "$here/install-missing.sh" "${tool_packages[@]}" "${test_packages[@]}"
    ! debian_like || "$here/install-missing.sh" $(clang_runtime_package)
else
    echo "$(describe_shortfall "build the simulated board and the tests"); building the tool alone."
    "$here/install-missing.sh" "${tool_packages[@]}"
    only_tool=(-DVELKOR_SIMULATOR=OFF)
fi

top="$(cd "$here/.." && pwd)"
build="${1:-$top/build}"
shift || true
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${only_tool[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
