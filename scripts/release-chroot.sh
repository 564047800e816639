#!/usr/bin/env bash
# Runs a command as root inside a fresh, clean chroot of a Debian release, the
# way pbuilder and sbuild build packages. The release is made once with
# debootstrap and kept as a tarball in build-releases/; each run unpacks it
# anew and removes it afterwards, so nothing one run installs is seen by the
# next. Downloaded packages are kept per release in build-releases/, so a
# second run downloads nothing it had before. The host is never changed: the
# chroot's mounts live in a mount namespace of their own, gone when the run
# ends, whichever way it ends.
#
# Usage: scripts/release-chroot.sh RELEASE [--source] [--output DIR] [--input DIR] -- COMMAND...
#   RELEASE     bullseye, bookworm, trixie or forky (Debian 11 to 14)
#   --source    a clean copy of this source tree (its files known to git) in /src
#   --output    DIR of the host at /out, written by the command
#   --input     DIR of the host at /in, read only
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
releases="bullseye bookworm trixie forky"
mirror="http://deb.debian.org/debian"

usage() { echo "Usage: $0 RELEASE [--source] [--output DIR] [--input DIR] -- COMMAND..." >&2; exit 2; }

# Inside the chroot's own mount namespace: mount, run, unmount.
if [ "${1:-}" = "--in-namespace" ]; then
    release="$2" root="$3" output="$4" input="$5"
    shift 5
    mounted=()
    mount_in() { mount "$@"; mounted=("${@: -1}" "${mounted[@]}"); }
    unmount_all() {
        local pid
        # Processes the command left running (a virtual X server, say) would
        # keep the mounts busy.
        for pid in /proc/[0-9]*; do
            [ "$(readlink "$pid/root" 2>/dev/null)" != "$root" ] || kill -9 "${pid#/proc/}" 2>/dev/null || true
        done
        for target in "${mounted[@]}"; do umount -R "$target" || umount -l "$target"; done
    }
    trap unmount_all EXIT
    mount_in -t proc proc "$root/proc"
    mount_in -t sysfs -o ro sysfs "$root/sys"
    # The soak limits its memory in a control group of its own.
    mount_in --rbind /sys/fs/cgroup "$root/sys/fs/cgroup"
    mount_in -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
    mount_in -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
    mount_in --bind "$top/build-releases/archives/$release" "$root/var/cache/apt/archives"
    if [ -n "$output" ]; then mkdir -p "$root/out"; mount_in --bind "$output" "$root/out"; fi
    if [ -n "$input" ]; then
        mkdir -p "$root/in"
        mount_in --bind "$input" "$root/in"
        mount -o remount,bind,ro "$root/in"
    fi
    # Stopped from outside: everything in the chroot ends with it.
    trap 'exit 143' TERM INT HUP
    chroot "$root" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@" &
    wait $!
    exit
fi

release="${1:-}"
[[ " $releases " == *" $release "* ]] && [ -n "$release" ] \
    || { echo "Unknown release '$release': one of $releases" >&2; usage; }
shift
source=0 output="" input=""
while [ $# -gt 0 ]; do
    case "$1" in
        --source) source=1 ;;
        --output) output="$(realpath -m "$2")"; mkdir -p "$output"; shift ;;
        --input) input="$(realpath "$2")"; shift ;;
        --) shift; break ;;
        *) usage ;;
    esac
    shift
done
[ $# -gt 0 ] || usage
[ "$(id -u)" -eq 0 ] || { echo "A chroot needs root: run it with sudo." >&2; exit 1; }

cache="$top/build-releases"
tarball="$cache/$release.tar"
mkdir -p "$cache/archives/$release"
# One run of a release at a time: its chroots share the downloaded packages,
# whose folder apt locks without waiting.
exec 9>"$cache/$release.lock"
flock -n 9 || { echo "Waiting for another run in a chroot of $release to end."; flock 9; }

# Debian's testing release is refreshed weekly and its Release file says so
# (Valid-Until); a mirror that stopped following it must still be usable.
allow_stale_testing() {
    local root="$1" release_file
    chroot "$root" apt-get -q -o Acquire::Check-Valid-Until=false update >/dev/null
    release_file="$(ls "$root"/var/lib/apt/lists/*_dists_"${release}"_*Release | head -n 1)"
    if grep -qx 'Suite: testing' "$release_file"; then
        echo 'Acquire::Check-Valid-Until "false";' >"$root/etc/apt/apt.conf.d/99testing-valid-until"
    fi
}

make_tarball() {
    local root="$cache/$release.new" script=/usr/share/debootstrap/scripts/$release
    command -v debootstrap >/dev/null || "$top/scripts/install-missing.sh" debootstrap
    # A release newer than this debootstrap is made the way unstable is.
    [ -e "$script" ] || script=/usr/share/debootstrap/scripts/sid
    echo "Making a chroot of $release with debootstrap (once; kept in $tarball)"
    rm -rf "$root"
    # debootstrap's own mounts in the new root stay out of sight too.
    unshare --mount --propagation private debootstrap --variant=minbase --cache-dir="$cache/archives/$release" \
        "$release" "$root" "$mirror" "$script" >"$cache/$release.debootstrap.log"
    # No service starts inside the chroot when a package is installed.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod 755 "$root/usr/sbin/policy-rc.d"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    allow_stale_testing "$root"
    tar --numeric-owner -C "$root" -cf "$tarball.new" .
    mv "$tarball.new" "$tarball"
    rm -rf "$root"
}

# Stopped from outside, the step under way ends first, then the chroot's
# processes, then what was made for this run; then this script ends of the
# same signal, so that the script that ran it stops too.
inside=""
stop() {
    [ -z "$inside" ] || { kill -TERM "$inside"; wait "$inside"; }
    trap - "$1"
    kill -"$1" $$
}
for signal in TERM INT HUP; do trap "stop $signal" "$signal"; done

[ -e "$tarball" ] || make_tarball

root="$(mktemp -d "$cache/$release.XXXXXX")"
remove_root() {
    # The mounts were never seen here; refuse all the same if one is.
    if grep -q " $root/" /proc/self/mounts; then
        echo "Still mounted under $root: left in place." >&2
    else
        rm -rf "$root"
    fi
}
trap remove_root EXIT
tar --numeric-owner -C "$root" -xf "$tarball"
cp /etc/resolv.conf "$root/etc/resolv.conf"
if [ "$source" -eq 1 ]; then
    mkdir "$root/src"
    git -C "$top" ls-files -z --cached --others --exclude-standard \
        | (cd "$top" && tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -C "$root/src" -xf -
fi
unshare --mount --propagation private "$0" --in-namespace "$release" "$root" "$output" "$input" "$@" &
inside=$!
wait $inside
