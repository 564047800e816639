#!/usr/bin/env bash
# A bench's apt takes a package folder only as it was signed: a copy of it
# with one byte of its Packages changed must make apt-get update fail and
# offer nothing.
# Usage: apt_refuses_changed_folder.sh PACKAGE_DIR
set -euo pipefail
. "$(dirname "$0")/apt_private.sh"
copy="$apt_state/folder"
mkdir "$copy"
find "$(realpath "$1")" -maxdepth 1 -type f -exec cp -t "$copy" {} +

apt_private_setup "$copy"
apt_private apt-get -q update >/dev/null || { echo "FAIL: apt does not read the folder as it was signed"; exit 1; }

# The middle byte, replaced by another.
offset=$(($(stat -c %s "$copy/Packages") / 2))
byte="$(dd if="$copy/Packages" bs=1 skip="$offset" count=1 status=none)"
[ "$byte" = x ] && other=y || other=x
printf %s "$other" | dd of="$copy/Packages" bs=1 seek="$offset" conv=notrunc status=none

apt_private_setup "$copy"
! apt_private apt-get -q update || { echo "FAIL: apt-get update took the folder with Packages changed after signing"; exit 1; }
! offered="$(apt_candidate)" || { echo "FAIL: apt offers the tool $offered from the changed folder"; exit 1; }
echo "apt refuses the folder once one byte of its Packages changed"
