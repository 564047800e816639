#!/usr/bin/env bash
# Installs those of the given Debian packages that are not installed yet,
# after checking that the release has each of them.
# Usage: scripts/install-missing.sh PACKAGE...
set -euo pipefail
. "$(dirname "$0")/debian-release.sh"
if ! debian_like; then
    echo "$(release_label) has no apt-get and dpkg, so nothing is installed here: it needs what these Debian packages give: $*" >&2
    exit 0
fi
missing=()
for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -gt 0 ] || exit 0
apt_update
for package in "${missing[@]}"; do
    [ -n "$(package_version "$package")" ] || { echo "$(release_label) has no package $package." >&2; exit 1; }
done
echo "Installing: ${missing[*]}"
# Others may be installing at the same time: wait for dpkg's lock.
as_root apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${missing[@]}"
