#!/usr/bin/env bash
# The packages of this machine's release in a booted virtual machine of it,
# which has what this machine may lack (systemd, logind and a seat, udev,
# cgroup v2, CUSE): debian/tests' bench-machine, through autopkgtest. Builds
# the packages (without their tests, which the suite ran) and, the first
# time, the machine's image. Exits 77, after one line saying why, where no
# virtual machine can be made here.
set -uo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
. "$top/scripts/debian-release.sh"
skip() { echo "SKIP: no virtual machine of $(release_label) here: $1"; exit 77; }
release="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
case "$release" in
    bookworm | trixie | forky) ;;
    *) skip "its simulated board's package needs Debian 12 or later" ;;
esac
# mmdebstrap makes the image in a user namespace mapped to these.
[ "$(id -u)" -eq 0 ] || grep -q "^$(id -un):" /etc/subuid \
    || skip "$(id -un) has no subordinate ids in /etc/subuid, which mmdebstrap needs"
folder="$top/packages/machine"
DEB_BUILD_OPTIONS="nocheck${DEB_BUILD_OPTIONS:+ $DEB_BUILD_OPTIONS}" "$top/scripts/package.sh" "$folder" || exit 1
machine_autopkgtest "$release" "$folder"
