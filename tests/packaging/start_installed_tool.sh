#!/usr/bin/env bash
# On a bench machine: installs the packages in a folder with apt, as a user
# would, then starts the installed tool with the probe preloaded, on the
# installed simulated board when the folder has its package, else without a
# board. The probe is built after the install, so that only the packages'
# own Depends brought what the tool needs.
# Usage: start_installed_tool.sh PACKAGE_DIR
set -euo pipefail
packages="$1"
here="$(cd "$(dirname "$0")" && pwd)"
(cd "$packages" && DEBIAN_FRONTEND=noninteractive apt install -y -q ./*.deb)
"$here/../../scripts/install-missing.sh" g++ pkg-config qtbase5-dev
probe=/tmp/unpacked_tool_probe.so
# shellcheck disable=SC2046
g++ -std=c++17 -shared -fPIC -o "$probe" "$here/unpacked_tool_probe.cpp" $(pkg-config --cflags --libs Qt5Widgets)
sim=-
! command -v velkor-sim >/dev/null || sim="$(command -v velkor-sim)"
"$here/run_unpacked_tool.sh" / "$sim" "$probe"
