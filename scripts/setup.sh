#!/usr/bin/env bash
# Installs what the project needs (when missing) and builds it into build/:
# the build dependencies that debian/control names, with apt-get build-dep,
# and the tools of the tests that Build-Depends cannot name. On a release
# that cannot serve the simulated board (Debian 11) it says so and builds the
# tool alone.
# Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
here="$(dirname "$0")"
. "$here/debian-release.sh"

# A virtual X server for run-simulated.sh and its window class read by xprop, clang's libFuzzer for the fuzz
# target, and what the packaging tests read the packages with.
test_tools=(xvfb xauth x11-utils clang lintian desktop-file-utils apt-utils)
profiles=""
for argument in "$@"; do
    case "$argument" in
        -DVELKOR_QT_MAJOR=6 | -DVELKOR_QT_MAJOR:STRING=6) profiles=pkg.velkor.qt6 ;;
    esac
done

only_tool=()
if build_deps_available "$profiles"; then
    install_build_deps "$profiles"
    "$here/install-missing.sh" "${test_tools[@]}"
    ! debian_like || "$here/install-missing.sh" $(clang_runtime_package)
else
    printf '%s cannot build the simulated board and the tests: %s\nBuilding the tool alone.\n' "$(release_label)" "$shortfall"
    install_build_deps "${profiles:+$profiles }pkg.velkor.toolonly"
    only_tool=(-DVELKOR_SIMULATOR=OFF)
fi

top="$(cd "$here/.." && pwd)"
build="${1:-$top/build}"
shift || true
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${only_tool[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
