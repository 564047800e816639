#!/usr/bin/env bash
# Makes, once, a clean buildd chroot of a Debian release with mmdebstrap in
# unshare mode (no root, nothing of the machine mounted into it), keeps it as
# a tarball where sbuild's unshare mode looks for one by itself
# (~/.cache/sbuild/RELEASE-ARCH.tar) and prints its path. sbuild builds and
# autopkgtest tests in a fresh copy of it each time.
# Usage: scripts/release-tarball.sh RELEASE
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
releases="bullseye bookworm trixie forky"
release="${1:-}"
[[ " $releases " == *" $release "* ]] && [ -n "$release" ] \
    || { echo "Unknown release '$release': one of $releases" >&2; exit 2; }
"$top/scripts/install-missing.sh" mmdebstrap uidmap >&2
# Unshare mode maps the chroot's users onto the caller's subordinate ids.
if ! grep -qE "^($(id -un)|$(id -u)):" /etc/subuid; then
    echo "$(id -un) has no subordinate user ids (/etc/subuid), which the chroots need: run this as a user" \
         "who has them (adduser gives them), or give some: usermod --add-subuids 200000-265535" \
         "--add-subgids 200000-265535 $(id -un)" >&2
    exit 1
fi
tarball="$HOME/.cache/sbuild/$release-$(dpkg --print-architecture).tar"
mirror=http://deb.debian.org/debian
if [ ! -e "$tarball" ]; then
    mkdir -p "$(dirname "$tarball")"
    echo "Making a chroot of $release with mmdebstrap (once; kept in $tarball)" >&2
    # Another run making the same one at the same time finishes as whole too.
    # What a run leaves half made, stopped or failed, goes with it.
    partial="$(mktemp "$tarball.XXXXXX")"
    inrelease="$(mktemp)"
    trap 'rm -f "$partial" "$inrelease"' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    # A mirror may lag behind Debian's testing release, which is signed for a
    # week at a time (Valid-Until): only when the release's signature has in
    # fact run out does apt take it all the same, and this says so.
    options=()
    if /usr/lib/apt/apt-helper download-file "$mirror/dists/$release/InRelease" "$inrelease" >/dev/null; then
        valid_until="$(sed -n 's/^Valid-Until: //p' "$inrelease")"
        if [ -n "$valid_until" ] && [ "$(date -d "$valid_until" +%s)" -lt "$(date +%s)" ]; then
            echo "$mirror's $release expired on $valid_until: apt is told not to check its Valid-Until" >&2
            options+=(--aptopt='Acquire::Check-Valid-Until "false"')
        fi
    fi
    mmdebstrap --mode=unshare --variant=buildd --format=tar "${options[@]}" "$release" "$partial" "$mirror" >&2
    chmod 644 "$partial"
    mv "$partial" "$tarball"
fi
echo "$tarball"
