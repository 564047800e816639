#!/usr/bin/env bash
# apt, trusting a package folder only by its keyring's signature, offers the
# tool from it at the version it holds: to a bench without the tool, and as
# the upgrade of one that has the earlier packages' 1.0.0-1 installed.
# Usage: apt_offers_tool.sh PACKAGE_DIR
set -euo pipefail
folder="$(realpath "$1")"
. "$(dirname "$0")/apt_private.sh"
held="$(dpkg-deb -f "$folder"/velkor-linux-pci-driver-test_*.deb Version)"
status=0

apt_private_setup "$folder"
apt_private apt-get -q update >/dev/null
offered="$(apt_candidate)" || offered="none"
[ "$offered" = "$held" ] || { echo "FAIL: apt offers \"$offered\", the folder holds $held"; status=1; }

# The earlier packages are not kept: the built one, its version made
# 1.0.0-1 and its maintainer scripts left out, stands in for them, installed
# by dpkg into a root of its own.
old="$apt_state/old"
mkdir "$old"
dpkg-deb -R "$folder"/velkor-linux-pci-driver-test_*.deb "$old/package"
sed -i 's/^Version: .*/Version: 1.0.0-1/' "$old/package/DEBIAN/control"
rm -f "$old/package/DEBIAN"/{preinst,postinst,prerm,postrm}
dpkg-deb --root-owner-group -b "$old/package" "$old/velkor-linux-pci-driver-test_1.0.0-1.deb" >/dev/null
admin="$old/root/var/lib/dpkg"
mkdir -p "$admin/info" "$admin/updates" "$admin/triggers"
: >"$admin/status"
# dpkg looks for ldconfig and start-stop-daemon, which a user's PATH lacks.
PATH="$PATH:/usr/sbin:/sbin" dpkg --root="$old/root" --force-not-root --force-depends --log=/dev/null \
    -i "$old/velkor-linux-pci-driver-test_1.0.0-1.deb" >"$old/dpkg.log" 2>&1 \
    || { cat "$old/dpkg.log"; exit 1; }
apt_private_setup "$folder" "$admin/status"
apt_private apt-get -q update >/dev/null
upgrade="$(apt_candidate)" || upgrade="none"
[ "$upgrade" = "$held" ] \
    || { echo "FAIL: with 1.0.0-1 installed apt would install \"$upgrade\", not the folder's $held"; status=1; }
[ $status -ne 0 ] || echo "apt offers velkor-linux-pci-driver-test $held from $folder, also as the upgrade of 1.0.0-1"
exit $status
