#!/usr/bin/env bash
# Installs what the project and its tests need (when missing) and builds it
# into build/. On a release that cannot serve the simulated board (Debian
# 11) it says so and builds the tool alone.
# Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
. "$top/scripts/debian-release.sh"

# What the tests need beside Build-Depends: Xvfb, xprop, clang, lintian, cgcreate.
test_tools=(xvfb xauth x11-utils clang lintian desktop-file-utils apt-utils cgroup-tools)
profiles=""
[[ " $* " != *" -DVELKOR_QT_MAJOR=6 "* ]] || profiles=pkg.velkor.qt6

only_tool=()
if build_deps_available "$profiles"; then
    install_build_deps "$profiles"
    install_missing "${test_tools[@]}"
    # clang's sanitizer and fuzzer runtimes, a package of their own from LLVM 14 on.
    runtime="libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
    ! apt-cache show "$runtime" >/dev/null 2>&1 || install_missing "$runtime"
else
    printf '%s cannot build the simulated board and the tests: %s\nBuilding the tool alone.\n' "$(release_label)" "$shortfall"
    install_build_deps "${profiles:+$profiles }pkg.velkor.toolonly"
    only_tool=(-DVELKOR_SIMULATOR=OFF)
fi

build="${1:-$top/build}"
shift || true
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${only_tool[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
