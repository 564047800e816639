#!/usr/bin/env bash
# Builds the Debian packages into packages/ (or the folder given), a flat
# apt folder signed with the builder's key, its keyring beside them. Only a
# whole build replaces what the build before made (the files its .changes
# named) and the index; a failed one leaves the folder as it was. --release
# builds with sbuild in a clean chroot of that release, linted by its
# lintian, with the release in the version (~deb11u1), into packages/RELEASE.
# Usage: scripts/package.sh [--tool-only] [--qt6] [--release NAME] [output-dir]
#   --tool-only       only the tool's package: no umockdev needed to build it
#   --qt6             built with Qt 6 (Debian 12 and later) instead of Qt 5
#   --release NAME    bullseye, bookworm, trixie or forky (Debian 11 to 14)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
. "$top/scripts/debian-release.sh"

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
# Debian 11 to 14: 1.0.1~deb11u1 before 1.0.1~deb12u1, both after 1.0.0-1.
releases=(bullseye bookworm trixie forky) suffix=""
for i in "${!releases[@]}"; do [ "${releases[$i]}" != "$release" ] || suffix="~deb$((11 + i))u1"; done
[ -z "$release" ] || [ -n "$suffix" ] || { echo "Unknown release '$release': one of ${releases[*]}" >&2; exit 2; }
output="$(realpath -m "${output:-$top/packages${release:+/$release}}")"
joined() { local IFS="$1"; echo "${profiles[*]}"; }

work="$(mktemp -d)" staged=()
trap 'rm -rf "$work" "${staged[@]}"' EXIT
install_missing apt-utils gnupg devscripts
# Packed as debian/source/options says: the checkout without its builds.
(cd "$work" && dpkg-source -b "$top" >/dev/null)
dsc=("$work"/*.dsc)
dpkg-source -q -x "${dsc[0]}" "$work/source" >/dev/null
mkdir "$work/out"

if [ -n "$release" ]; then
    install_missing sbuild
    release_tarball "$release" >/dev/null
    (cd "$work/source" && dpkg-genchanges -q -S -u"$work" \
        -O"$work/$(dpkg-parsechangelog -S Source)_$(dpkg-parsechangelog -S Version)_source.changes")
    # The release's lintian failing fails the build. A first upload closes no
    # bug, and one changelog serves every release.
    # shellcheck disable=SC2016 # Perl's variable, for sbuild to read
    printf '%s\n' '$lintian_require_success = 1;' '1;' >"$work/sbuild.conf"
    build_in_release() {
        rm -rf "$work/build" && mkdir "$work/build"
        SBUILD_CONFIG="$work/sbuild.conf" sbuild --chroot-mode=unshare --dist="$release" \
            --nolog --build-dir="$work/build" ${profiles[0]:+--profiles="$(joined ,)"} --no-source \
            --append-to-version="$suffix" --maintainer="$(dpkg-parsechangelog -l "$work/source/debian/changelog" -S Maintainer)" \
            --debbuildopt=-jauto --no-run-piuparts --no-run-autopkgtest --run-lintian \
            --lintian-opts="--fail-on error --suppress-tags initial-upload-closes-no-bugs,distribution-and-changes-mismatch" \
            "${dsc[0]}" | tee "$work/sbuild.log"
    }
    if ! build_in_release; then
        # Only where the release cannot give the simulator's build
        # dependencies (apt said why, above) does the tool's alone go on.
        grep -qx 'Fail-Stage: install-deps' "$work/sbuild.log" && [ -z "$tool_only" ] || exit 1
        echo "$release cannot install the simulated board's build dependencies; building the tool's alone."
        profiles+=(pkg.velkor.toolonly)
        build_in_release
    fi
    dcmd mv "$work"/*_source.changes "$work/build"/*.changes "$work/out/"
else
    if [ -z "$tool_only" ] && ! build_deps_available "$(joined ' ')"; then
        echo "$(release_label) cannot build the simulated board's package: $shortfall; building the tool's alone."
        profiles+=(pkg.velkor.toolonly)
    fi
    install_build_deps "$(joined ' ')"
    (cd "$work/source" && DEB_BUILD_PROFILES="$(joined ' ')" dpkg-buildpackage -us -uc -b -jauto)
    dcmd mv "$work"/*.changes "$work/out/"
fi

# The index of this build alone, its Release not naming itself, signed with
# a key made once: a bench that took the keyring trusts this builder alone.
index="$work/index" && mkdir "$index"
(cd "$work/out" && apt-ftparchive packages .) >"$index/Packages"
(cd "$index" && apt-ftparchive -o APT::FTPArchive::Release::Origin=VelkorLinuxPciDriverTest \
    -o APT::FTPArchive::Release::Label="VelkorLinuxPciDriverTest bench packages" release .) >"$work/Release"
mv "$work/Release" "$index/"
signing_home="${XDG_DATA_HOME:-$HOME/.local/share}/velkor-linux-pci-driver-test/apt-key"
(umask 077 && mkdir -p "$signing_home")
key="VelkorLinuxPciDriverTest bench archive <velkor-bench@example.org>"
(
    export GNUPGHOME="$signing_home"
    flock 9
    trap 'gpgconf --kill gpg-agent' EXIT # which would outlive the run
    gpg --batch --quiet --list-secret-keys "$key" >/dev/null 2>&1 \
        || gpg --batch --quiet --passphrase '' --quick-generate-key "$key" default default never
    gpg --batch --yes --quiet --local-user "$key" --clearsign -o "$index/InRelease" "$index/Release"
    gpg --batch --yes --quiet --local-user "$key" --armor --detach-sign -o "$index/Release.gpg" "$index/Release"
    gpg --batch --export "$key" >"$index/velkor-bench-archive.gpg"
) 9>"$signing_home/lock"
[ -s "$index/velkor-bench-archive.gpg" ]

# Into the folder, one run at a time: copied in aside, then renamed into
# place, each .changes before its files (the next run undoes one cut short),
# the index last; then what the build before named, and this did not, goes.
mkdir -p "$output" && exec 9<"$output" && flock 9
mapfile -t earlier < <(! compgen -G "$output/*.changes" >/dev/null || dcmd -r --tac "$output"/*.changes)
mapfile -t made < <(dcmd --tac "$work/out"/*.changes; printf '%s\n' "$index"/{Packages,velkor-bench-archive.gpg,Release,Release.gpg,InRelease})
for file in "${made[@]}"; do
    staged+=("$output/.$(basename "$file").new-$$")
    cp "$file" "${staged[-1]}"
done
for i in "${!made[@]}"; do mv -f "${staged[$i]}" "$output/$(basename "${made[$i]}")"; done
staged=()
names=" $(basename -a "${made[@]}" | paste -s -d ' ') "
for file in "${earlier[@]}"; do
    # A name leading out of the folder is none of its files.
    [ "$(dirname "$file")" != "$output" ] || [[ "$names" == *" $(basename "$file") "* ]] || rm -f "$file"
done
echo "Packages in $output:"
for file in "${made[@]}"; do [[ "$file" != *.deb ]] || echo "$output/$(basename "$file")"; done
