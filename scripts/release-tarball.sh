#!/usr/bin/env bash
# Makes, once, a clean buildd chroot of a Debian release with mmdebstrap in
# unshare mode (no root, nothing of the machine mounted into it), keeps it as
# a tarball in build-releases/ and prints its path. sbuild builds and
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
tarball="$top/build-releases/$release.tar"
mirror=http://deb.debian.org/debian
if [ ! -e "$tarball" ]; then
    mkdir -p "$top/build-releases"
    echo "Making a chroot of $release with mmdebstrap (once; kept in $tarball)" >&2
    # Another run making the same one at the same time finishes as whole too.
    partial="$(mktemp "$tarball.XXXXXX")"
    # Debian's testing release is signed a week at a time (Valid-Until); a
    # mirror that stopped following it must still serve it, and only it.
    options=()
    if /usr/lib/apt/apt-helper download-file "$mirror/dists/$release/InRelease" "$partial" >/dev/null \
        && grep -qx 'Suite: testing' "$partial"; then
        options+=(--aptopt='Acquire::Check-Valid-Until "false"')
    fi
    mmdebstrap --mode=unshare --variant=buildd --format=tar "${options[@]}" "$release" "$partial" "$mirror" >&2 \
        || { rm -f "$partial"; exit 1; }
    chmod 644 "$partial"
    mv "$partial" "$tarball"
fi
echo "$tarball"
