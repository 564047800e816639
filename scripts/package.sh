#!/usr/bin/env bash
# Builds the Debian packages for a bench from debian/ with dpkg-buildpackage:
# installs only what building them needs (when missing), and leaves the
# packages in packages/ (or the folder given), after removing what an earlier
# build left there, with the index that makes the folder a flat apt
# repository. With --release, builds them with sbuild in a clean chroot of
# that Debian release instead (scripts/release-tarball.sh), so that their
# Depends name that release's libraries, and checks them there with lintian;
# they go to packages/RELEASE/. A failed build leaves the folder empty.
# Usage: scripts/package.sh [--tool-only] [--qt6] [--release NAME] [output-dir]
#   --tool-only       only the tool's package: no umockdev needed to build it
#   --qt6             built with Qt 6 (Debian 12 and later) instead of Qt 5
#   --release NAME    bullseye, bookworm, trixie or forky (Debian 11 to 14)
set -euo pipefail
here="$(dirname "$0")"
top="$(cd "$here/.." && pwd)"
. "$here/debian-release.sh"

usage() { echo "Usage: $0 [--tool-only] [--qt6] [--release NAME] [output-dir]" >&2; exit 2; }
tool_only="" release="" output=""
read -r -a profiles <<<"${DEB_BUILD_PROFILES:-}"
while [ $# -gt 0 ]; do
    case "$1" in
        --tool-only) tool_only=1; profiles+=(pkg.velkor.toolonly) ;;
        --qt6) profiles+=(pkg.velkor.qt6) ;;
        --release) [ $# -gt 1 ] || usage; release="$2"; shift ;;
        -*) usage ;;
        *) [ -z "$output" ] || usage; output="$1" ;;
    esac
    shift
done
[ -n "$output" ] || output="$top/packages${release:+/$release}"
output="$(realpath -m "$output")"
# The build profiles as one list, joined by the character given.
joined() { local IFS="$1"; echo "${profiles[*]}"; }
[[ " ${DEB_BUILD_OPTIONS:-} " == *" parallel="* ]] || DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-} parallel=$(nproc)"
export DEB_BUILD_OPTIONS

if ! debian_like; then
    echo "$(release_label) has no dpkg to build Debian packages with." >&2
    exit 1
fi

mkdir -p "$output"
rm -f "$output"/*.deb "$output"/*.ddeb "$output"/*.changes "$output"/*.buildinfo "$output"/*.dsc \
    "$output"/*.tar.* "$output"/Packages "$output"/Release
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The files git knows and would know, as a fresh clone has them, with what
# is not committed yet.
mkdir "$work/source"
git -C "$top" ls-files -z --cached --others --exclude-standard \
    | (cd "$top" && tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -C "$work/source" -xf -

if [ -n "$release" ]; then
    "$here/install-missing.sh" sbuild apt-utils
    tarball="$("$here/release-tarball.sh" "$release")"
    (cd "$work" && dpkg-source -b source >/dev/null)
    # The release's lintian judges source and packages, warnings allowed. A
    # first upload closes no bug, and one changelog serves every release.
    build_in_release() {
        rm -rf "$work/build"
        mkdir "$work/build"
        sbuild --chroot-mode=unshare --chroot="$tarball" --dist="$release" --nolog --build-dir="$work/build" \
            ${profiles[0]:+--profiles="$(joined ,)"} --source --no-run-piuparts --no-run-autopkgtest \
            --run-lintian --lintian-opts="--fail-on error --suppress-tags initial-upload-closes-no-bugs,distribution-and-changes-mismatch" \
            "$work"/*.dsc | tee "$work/sbuild.log"
    }
    if ! build_in_release; then
        grep -qx 'Fail-Stage: install-deps' "$work/sbuild.log" && [ -z "$tool_only" ] || exit 1
        # apt names each unmet one: "... : Depends: X (>= 1) but 0.9 is to be installed".
        echo "$release cannot build the simulated board's package: $(sed -n 's/.*Depends: \(.* is to be installed\)$/\1/p' \
            "$work/sbuild.log" | sort -u | paste -s -d ';' | sed 's/;/; /g'); building the tool's alone."
        profiles+=(pkg.velkor.toolonly)
        build_in_release
    fi
    grep -qxE 'Lintian: (pass|warn)' "$work/sbuild.log" || { echo "lintian found errors in the packages." >&2; exit 1; }
    mv "$work/build"/* "$output"/
else
    if [ -z "$tool_only" ] && ! build_deps_available "$(joined ' ')"; then
        echo "$(release_label) cannot build the simulated board's package: $shortfall; building the tool's alone."
        profiles+=(pkg.velkor.toolonly)
    fi
    install_build_deps "$(joined ' ')"
    "$here/install-missing.sh" apt-utils
    (cd "$work/source" && DEB_BUILD_PROFILES="$(joined ' ')" dpkg-buildpackage -us -uc -b)
    mv "$work"/*.deb "$work"/*.changes "$work"/*.buildinfo "$output"/
    mv "$work"/*.ddeb "$output"/ 2>/dev/null || true
fi

# A bench reads the folder as a flat repository: deb [trusted=yes] file:/FOLDER ./
(cd "$output" && apt-ftparchive packages . >Packages && apt-ftparchive release . >Release)
echo "Packages in $output:"
ls -1 "$output"/*.deb
