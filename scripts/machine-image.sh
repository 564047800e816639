#!/usr/bin/env bash
# Makes, once, a bootable Debian of a release for autopkgtest-virt-qemu, and
# prints the folder it is kept in: root.img (the whole disk one ext2 file
# system, made by mmdebstrap in unshare mode, no root needed), the kernel and
# initrd it boots with, and qemu-system-x86_64, the command to give
# autopkgtest-virt-qemu, which boots that kernel (the image has no boot
# loader) with KVM where a guest gets to print under it, with TCG elsewhere.
# (Unshare mode for a user, root mode for root.) The image holds systemd, udev, logind, CUSE's fuse3, acl, Xvfb and the
# accessibility bus a test reads the tool's window through; autopkgtest
# copies the packages under test in and installs them with apt.
# Usage: scripts/machine-image.sh RELEASE
set -euo pipefail
. "$(dirname "$0")/debian-release.sh"
release="$1"
folder="${XDG_CACHE_HOME:-$HOME/.cache}/velkor-machine/$release-amd64"
# A change to this script makes the image anew.
stamp="$(sha256sum <"$0" | cut -c1-16)"
[ "$(cat "$folder/stamp" 2>/dev/null)" != "$stamp" ] || { echo "$folder"; exit 0; }
install_missing mmdebstrap uidmap genext2fs e2fsprogs qemu-system-x86 qemu-utils autopkgtest >&2
echo "Making a bootable $release with mmdebstrap (once; kept in $folder)" >&2
partial="$(mktemp -d "${folder%/*}/.$release.XXXXXX" 2>/dev/null || { mkdir -p "${folder%/*}" && mktemp -d "${folder%/*}/.$release.XXXXXX"; })"
trap 'rm -rf "$partial"' EXIT
packages=(systemd-sysv udev dbus dbus-user-session libpam-systemd linux-image-amd64 kmod
          fuse3 acl sudo locales xvfb at-spi2-core python3-pyatspi libglib2.0-bin
          # The tool's own libraries, so that a test under TCG does not unpack them.
          '?name(^libqt5widgets5)')
# The guest finds the mirror through qemu's user network: DHCP by
# systemd-networkd, qemu's resolver written down, as no resolved may run.
network='[Match]
Name=en* eth*
[Network]
DHCP=yes'
# A hook runs as the namespace's root, which may not write the user's own
# folders: the kernel and initrd come out by mmdebstrap's download instead.
mmdebstrap --variant=minbase --format=ext2 --include="$(IFS=,; echo "${packages[*]}")" \
    --customize-hook="printf '%s\n' '$network' >\"\$1/etc/systemd/network/80-dhcp.network\"" \
    --customize-hook='chroot "$1" systemctl enable systemd-networkd' \
    --customize-hook='rm -f "$1/etc/resolv.conf"; echo "nameserver 10.0.2.3" >"$1/etc/resolv.conf"' \
    --customize-hook='echo velkor-machine >"$1/etc/hostname"' \
    --customize-hook='echo "/dev/vda / ext4 errors=remount-ro 0 1" >"$1/etc/fstab"' \
    --customize-hook='sed -i "s/^# *\(ru_RU.UTF-8\)/\1/" "$1/etc/locale.gen"; chroot "$1" locale-gen' \
    --customize-hook=/usr/share/autopkgtest/setup-commands/setup-testbed \
    --customize-hook='cp -L "$1/vmlinuz" "$1/initrd.img" "$1/tmp/"' \
    --customize-hook="download /tmp/vmlinuz '$partial/vmlinuz'" \
    --customize-hook="download /tmp/initrd.img '$partial/initrd.img'" \
    --customize-hook='rm "$1/tmp/vmlinuz" "$1/tmp/initrd.img"' \
    "$release" "$partial/root.img" http://deb.debian.org/debian >&2
# Room for the packages and the tests' files. e2fsprogs is in the sbin
# folders, which a user's PATH on Debian leaves out.
PATH="$PATH:/usr/sbin:/sbin"
e2fsck -fy "$partial/root.img" >&2 || [ $? -le 1 ]
resize2fs "$partial/root.img" 4G >&2
# On some hosts /dev/kvm opens but a guest under it never gets to print.
accel=tcg
if [ -w /dev/kvm ] && timeout 30 qemu-system-x86_64 -accel kvm -m 256 -nographic -no-reboot \
        -kernel "$partial/vmlinuz" -append "console=ttyS0 panic=-1" </dev/null 2>/dev/null \
        | grep "Linux version" >/dev/null; then
    accel=kvm
fi
echo "Guests of this machine run under ${accel^^}" >&2
cat >"$partial/qemu-system-x86_64" <<EOF
#!/bin/sh
# Written by scripts/machine-image.sh: boots $release's kernel on its disk.
here="\$(dirname "\$0")"
for argument; do
    shift
    [ "\$argument" = -enable-kvm ] || set -- "\$@" "\$argument"
done
exec qemu-system-x86_64 -accel $accel -kernel "\$here/vmlinuz" -initrd "\$here/initrd.img" \\
    -append "root=/dev/vda rw console=ttyS0 systemd.unified_cgroup_hierarchy=1" "\$@"
EOF
chmod 755 "$partial/qemu-system-x86_64"
echo "$stamp" >"$partial/stamp"
rm -rf "$folder"
mv "$partial" "$folder"
echo "$folder"
