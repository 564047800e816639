#!/usr/bin/env bash
# Reads a package folder as a bench's apt would, from its sources line, with
# apt's state kept in a folder of its own so the machine's is not touched,
# and checks that apt offers the tool from it at the version it holds.
# Usage: apt_offers_tool.sh PACKAGE_DIR
set -euo pipefail
folder="$(realpath "$1")"
state="$(mktemp -d)"
trap 'rm -rf "$state"' EXIT
mkdir -p "$state/lists/partial" "$state/cache"
echo "deb [trusted=yes] file:$folder ./" >"$state/sources.list"
apt_private() {
    LC_ALL=C "$@" -o Dir::Etc::sourcelist="$state/sources.list" -o Dir::Etc::sourceparts=- \
        -o Dir::State::lists="$state/lists" -o Dir::Cache="$state/cache" -o Debug::NoLocking=1 \
        -o APT::Sandbox::User="$(id -un)"
}
apt_private apt-get -q update >/dev/null
offered="$(apt_private apt-cache show --no-all-versions velkor-linux-pci-driver-test | sed -n 's/^Version: //p')"
held="$(dpkg-deb -f "$folder"/velkor-linux-pci-driver-test_*.deb Version)"
[ "$offered" = "$held" ] || { echo "apt offers \"$offered\", the folder holds $held"; exit 1; }
echo "apt offers velkor-linux-pci-driver-test $offered from $folder"
