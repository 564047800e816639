#!/usr/bin/env bash
# Builds the Debian packages for a bench from debian/ with dpkg-buildpackage:
# installs only what building them needs (when missing), and puts the
# packages into packages/ (or the folder given), a flat apt repository signed
# with the builder's own key, whose public keyring lies beside them
# (velkor-bench-archive.gpg). The build runs in a folder of its own; only
# when all of it succeeded, the folder gets its files and a new index, and
# loses what the build before made (the files its .changes named) and
# nothing else. A failed build leaves the folder as it was. With --release,
# builds them with sbuild in a clean chroot of that Debian release instead
# (scripts/release-tarball.sh), so that their Depends name that release's
# libraries and their version carries the release (~deb11u1 on Debian 11),
# and the release's lintian checks source and packages; they go to
# packages/RELEASE/.
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
# The release's number orders its build between the others': 1.0.1~deb11u1
# before 1.0.1~deb12u1, both after the earlier packages' 1.0.0-1.
case "$release" in
    "") ;;
    bullseye) suffix="~deb11u1" ;;
    bookworm) suffix="~deb12u1" ;;
    trixie) suffix="~deb13u1" ;;
    forky) suffix="~deb14u1" ;;
    *) echo "Unknown release '$release': one of bullseye bookworm trixie forky" >&2; exit 2 ;;
esac
[ -n "$output" ] || output="$top/packages${release:+/$release}"
output="$(realpath -m "$output")"
# The build profiles as one list, joined by the character given.
joined() { local IFS="$1"; echo "${profiles[*]}"; }

if ! debian_like; then
    echo "$(release_label) has no dpkg to build Debian packages with." >&2
    exit 1
fi

work="$(mktemp -d)"
staged=()
cleanup() {
    [ ${#staged[@]} -eq 0 ] || rm -f "${staged[@]}"
    rm -rf "$work"
}
trap cleanup EXIT

"$here/install-missing.sh" apt-utils gnupg
# The source package, packed by dpkg-source as debian/source/options says:
# the checkout's files, committed or not, without its builds and packages.
(cd "$work" && dpkg-source -b "$top" >/dev/null)
dsc=("$work"/*.dsc)
dpkg-source -q -x "${dsc[0]}" "$work/source" >/dev/null
version="$(dpkg-parsechangelog -l "$work/source/debian/changelog" -S Version)"

# The files a .changes names.
named_by() {
    awk '/^Files:/ {files = 1; next} files && /^ / {print $NF; next} {files = 0}' "$1"
}

# Gathers each .changes given and what it names into the folder out/.
collect() {
    local changes name
    mkdir -p "$work/out"
    for changes in "$@"; do
        while read -r name; do
            mv "$(dirname "$changes")/$name" "$work/out/"
        done < <(named_by "$changes")
        mv "$changes" "$work/out/"
    done
}

if [ -n "$release" ]; then
    "$here/install-missing.sh" sbuild
    # Made once, where sbuild looks for the release's chroot by itself.
    "$here/release-tarball.sh" "$release" >/dev/null
    # Its source part of the folder, named as an upload names it.
    (cd "$work/source" && dpkg-genchanges -q -S -u"$work" \
        -O"$work/$(dpkg-parsechangelog -S Source)_${version}_source.changes")
    # sbuild fails the build when the release's lintian fails (Debian 11's
    # sbuild knows the setting; one that did not would refuse the file). With no
    # source built, it hands lintian the .dsc beside the packages. A first
    # upload closes no bug, and one changelog serves every release.
    # shellcheck disable=SC2016 # Perl's variable, for sbuild to read
    printf '%s\n' '$lintian_require_success = 1;' '1;' >"$work/sbuild.conf"
    maintainer="$(dpkg-parsechangelog -l "$work/source/debian/changelog" -S Maintainer)"
    build_in_release() {
        rm -rf "$work/build"
        mkdir "$work/build"
        SBUILD_CONFIG="$work/sbuild.conf" sbuild --chroot-mode=unshare --dist="$release" \
            --nolog --build-dir="$work/build" ${profiles[0]:+--profiles="$(joined ,)"} --no-source \
            --append-to-version="$suffix" --maintainer="$maintainer" --debbuildopt=-jauto \
            --no-run-piuparts --no-run-autopkgtest --run-lintian \
            --lintian-opts="--fail-on error --suppress-tags initial-upload-closes-no-bugs,distribution-and-changes-mismatch" \
            "${dsc[0]}" | tee "$work/sbuild.log"
    }
    if ! build_in_release; then
        # sbuild's summary names the stage that failed; only where the
        # release cannot give the build dependencies (apt said why, above)
        # does the tool's package alone go on.
        grep -qx 'Fail-Stage: install-deps' "$work/sbuild.log" && [ -z "$tool_only" ] || exit 1
        echo "$release cannot install the simulated board's build dependencies; building the tool's alone."
        profiles+=(pkg.velkor.toolonly)
        build_in_release
    fi
    collect "$work"/*_source.changes "$work/build"/*.changes
else
    if [ -z "$tool_only" ] && ! build_deps_available "$(joined ' ')"; then
        echo "$(release_label) cannot build the simulated board's package: $shortfall; building the tool's alone."
        profiles+=(pkg.velkor.toolonly)
    fi
    install_build_deps "$(joined ' ')"
    (cd "$work/source" && DEB_BUILD_PROFILES="$(joined ' ')" dpkg-buildpackage -us -uc -b -jauto)
    collect "$work"/*.changes
fi

# The index of this build alone: Packages, a Release that names it (and not
# itself), signed inline (InRelease) and apart (Release.gpg).
index="$work/index"
mkdir "$index"
(cd "$work/out" && apt-ftparchive packages .) >"$index/Packages"
(cd "$index" && apt-ftparchive -o APT::FTPArchive::Release::Origin=VelkorLinuxPciDriverTest \
    -o APT::FTPArchive::Release::Label="VelkorLinuxPciDriverTest bench packages" release .) >"$work/Release"
mv "$work/Release" "$index/"
# The builder's key, made once, so that a bench that took its keyring once
# trusts each later folder of this builder and no other. Runs at the same
# time make and use it one after the other.
signing_home="${XDG_DATA_HOME:-$HOME/.local/share}/velkor-linux-pci-driver-test/apt-key"
mkdir -p "$(dirname "$signing_home")"
[ -d "$signing_home" ] || mkdir -m 700 "$signing_home"
key="VelkorLinuxPciDriverTest bench archive <velkor-bench@example.org>"
(
    export GNUPGHOME="$signing_home"
    flock 9
    # gpg's agent would outlive the run otherwise.
    trap 'gpgconf --kill gpg-agent' EXIT
    gpg --batch --quiet --list-secret-keys "$key" >/dev/null 2>&1 \
        || gpg --batch --quiet --passphrase '' --quick-generate-key "$key" default default never
    gpg --batch --yes --quiet --local-user "$key" --clearsign -o "$index/InRelease" "$index/Release"
    gpg --batch --yes --quiet --local-user "$key" --armor --detach-sign -o "$index/Release.gpg" "$index/Release"
    gpg --batch --export "$key" >"$index/velkor-bench-archive.gpg"
) 9>"$signing_home/lock"
[ -s "$index/velkor-bench-archive.gpg" ]

# Into the folder: each file first under a name of its own there, then
# renamed into place, each .changes before the files it names, so that the
# next run undoes one cut short, and the index last; then what the build
# before named and this one did not make again goes. One run at a time does
# this to a folder.
mkdir -p "$output"
exec 9<"$output"
flock 9
earlier=()
for changes in "$output"/*.changes; do
    [ ! -e "$changes" ] || mapfile -t -O ${#earlier[@]} earlier < <(basename "$changes"; named_by "$changes")
done
made=()
for changes in "$work/out"/*.changes; do
    mapfile -t -O ${#made[@]} made < <(basename "$changes"; named_by "$changes")
done
sources=()
for name in "${made[@]}"; do sources+=("$work/out/$name"); done
sources+=("$index/Packages" "$index/velkor-bench-archive.gpg" "$index/Release" "$index/Release.gpg" "$index/InRelease")
for file in "${sources[@]}"; do
    staged+=("$output/.$(basename "$file").new-$$")
    cp "$file" "${staged[-1]}"
done
for i in "${!sources[@]}"; do
    mv -f "${staged[$i]}" "$output/$(basename "${sources[$i]}")"
done
staged=()
for name in "${earlier[@]}"; do
    # A name with a slash is no file of this folder.
    if [[ "$name" != */* && " ${made[*]} " != *" $name "* ]]; then
        rm -f "$output/$name"
    fi
done
echo "Packages in $output:"
for name in "${made[@]}"; do
    [[ "$name" != *.deb ]] || echo "$output/$name"
done
