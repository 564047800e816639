#!/usr/bin/env bash
# Installs those of the given Debian packages that are not installed yet.
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
as_root apt-get update -qq
echo "Installing: ${missing[*]}"
apt_install install -y -qq "${missing[@]}"
