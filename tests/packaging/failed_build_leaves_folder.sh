#!/usr/bin/env bash
# A build that fails changes nothing in its folder, which holds an earlier
# build and files of others, nor makes one that was not there: the compiler
# is given an option it does not know, so dpkg-buildpackage fails at once.
# Usage: failed_build_leaves_folder.sh PACKAGE_DIR
set -euo pipefail
folder="$(realpath "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
status=0
# Each entry's type, mode and name, each file's checksum.
listing() {
    (cd "$1" && find . -maxdepth 1 ! -name . -printf '%y %m %s %p\n' | sort \
        && find . -maxdepth 1 -type f -print0 | sort -z | xargs -0 -r sha256sum)
}
fails_to_build() {
    if DEB_BUILD_OPTIONS="nocheck ${DEB_BUILD_OPTIONS:-}" DEB_BUILD_PROFILES="nocheck pkg.velkor.toolonly" \
        DEB_CXXFLAGS_APPEND=-fno-such-option-velkor "$here/../../scripts/package.sh" "$1" >"$log" 2>&1; then
        cat "$log"
        echo "FAIL: the build into $1 did not fail"
        status=1
    fi
}
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
log="$scratch/log"
# Were the build to go on to sign, the key would be made here.
export XDG_DATA_HOME="$scratch/data"

before="$(listing "$folder")"
fails_to_build "$folder"
[ "$(listing "$folder")" = "$before" ] || { diff <(echo "$before") <(listing "$folder"); echo "FAIL: $folder changed"; status=1; }

absent="$scratch/not-made"
fails_to_build "$absent"
[ ! -e "$absent" ] || { echo "FAIL: the failed build made $absent"; status=1; }
[ $status -ne 0 ] || echo "two failed builds left $folder as it was and made no folder"
exit $status
