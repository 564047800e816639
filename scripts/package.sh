#!/usr/bin/env bash
# Builds the Debian packages for a bench: installs only what building them
# needs (when missing), builds with Debian's hardening flags and leaves the
# .deb files in packages/ (or the folder given).
# Usage: scripts/package.sh [--tool-only] [output-dir]
#   --tool-only   only the tool's package: no umockdev needed to build it
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

simulator=ON
if [ "${1:-}" = "--tool-only" ]; then
    simulator=OFF
    shift
fi
output="$(realpath -m "${1:-$top/packages}")"

# dpkg-shlibdeps (dpkg-dev) and file find the packages' Depends.
packages=(build-essential cmake pkg-config qtbase5-dev dpkg-dev file)
[ "$simulator" = OFF ] || packages+=(libumockdev-dev)
"$(dirname "$0")/install-missing.sh" "${packages[@]}"

build="$top/build-package"
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
          -DVELKOR_SIMULATOR="$simulator" >/dev/null
cmake --build "$build" -j"$(nproc)"
mkdir -p "$output"
(cd "$build" && cpack -G DEB -B "$output/.cpack" >/dev/null)
mv "$output"/.cpack/*.deb "$output"/
rm -rf "$output/.cpack"
echo "Packages in $output:"
ls -1 "$output"/*.deb
