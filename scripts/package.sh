#!/usr/bin/env bash
# Builds the Debian packages for a bench: installs only what building them
# needs (when missing), builds with Debian's hardening flags and leaves the
# .deb files in packages/ (or the folder given), after removing the packages
# an earlier build left there. With --release, builds them inside a clean
# chroot of that Debian release instead, so that their Depends name that
# release's libraries, and leaves them in packages/RELEASE/.
# Usage: scripts/package.sh [--tool-only] [--qt6] [--release NAME] [output-dir]
#   --tool-only       only the tool's package: no umockdev needed to build it
#   --qt6             built with Qt 6 (Debian 12 and later) instead of Qt 5
#   --release NAME    bullseye, bookworm, trixie or forky (Debian 11 to 14)
set -euo pipefail
here="$(dirname "$0")"
top="$(cd "$here/.." && pwd)"
. "$here/debian-release.sh"

usage() { echo "Usage: $0 [--tool-only] [--qt6] [--release NAME] [output-dir]" >&2; exit 2; }
simulator=ON qt=5 release="" output=""
while [ $# -gt 0 ]; do
    case "$1" in
        --tool-only) simulator=OFF ;;
        --qt6) qt=6 ;;
        --release) [ $# -gt 1 ] || usage; release="$2"; shift ;;
        -*) usage ;;
        *) [ -z "$output" ] || usage; output="$1" ;;
    esac
    shift
done
[ -n "$output" ] || output="$top/packages${release:+/$release}"
output="$(realpath -m "$output")"

if [ -n "$release" ]; then
    options=()
    [ "$simulator" = ON ] || options+=(--tool-only)
    [ "$qt" = 5 ] || options+=(--qt6)
    exec "$here/release-chroot.sh" "$release" --source --output "$output" -- \
        /src/scripts/package.sh "${options[@]}" /out
fi

if ! debian_like; then
    echo "$(release_label) has no dpkg to build Debian packages with: build them in a chroot with --release NAME (needs debootstrap)." >&2
    exit 1
fi
if [ "$simulator" = ON ]; then
    simulator_shortfall package
    if [ ${#shortfall[@]} -gt 0 ]; then
        echo "$(describe_shortfall "build the simulated board's package"); building the tool's alone."
        simulator=OFF
    fi
fi
# dpkg-shlibdeps (dpkg-dev) and file find the packages' Depends.
packages=(build-essential cmake pkg-config dpkg-dev file)
if [ "$qt" = 5 ]; then packages+=(qtbase5-dev); else packages+=(qt6-base-dev qt6-5compat-dev); fi
[ "$simulator" = OFF ] || packages+=(libumockdev-dev)
"$here/install-missing.sh" "${packages[@]}"

build="$top/build-package"
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
          -DVELKOR_SIMULATOR="$simulator" -DVELKOR_QT_MAJOR="$qt" >/dev/null
cmake --build "$build" -j"$(nproc)"
"$here/cpack-debs.sh" "$build" "$output"
echo "Packages in $output:"
ls -1 "$output"/*.deb
