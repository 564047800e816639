#!/usr/bin/env bash
# The release matrix: for each Debian release named (all four unless told),
# the packages built and linted in a clean chroot of it (package.sh
# --release) and their autopkgtest in another; from Debian 12 on, their
# autopkgtest in a booted machine of the release, and the Qt 6 packages too, and bullseye's tool package when this run built it. One
# table of stages, passed, SKIPPED or FAILED; logs in build-releases/logs/.
# Usage: scripts/test-releases.sh [bullseye] [bookworm] [trixie] [forky]
set -uo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
. "$top/scripts/debian-release.sh"
releases=("$@")
[ ${#releases[@]} -gt 0 ] || releases=(bullseye bookworm trixie forky)
logs="$top/build-releases/logs"
summary="$logs/autopkgtest-summary"
mkdir -p "$logs"
install_missing autopkgtest
rows=() failed=0 skipped=0
# Ctrl-C ends the whole run, also when the step under way handled it and went on.
trap 'trap - INT; kill -INT $$' INT

row() { rows+=("$(printf '%-9s | %-28s | %6s s | %s' "$@")"); }

# One stage, logged, and its row; status 77 is a skip of the tests the
# autopkgtest summary names.
stage() {
    local release="$1" name="$2" log start status=0
    log="$logs/$release-$(tr -c 'A-Za-z0-9\n' - <<<"$name" | tr -s -).log"
    shift 2
    start=$(date +%s)
    echo "== $release: $name (log: $log)"
    # Through a pipe: autopkgtest's testbed reopens its output, over a file's head.
    "$@" 2>&1 | cat >"$log" || status=${PIPESTATUS[0]}
    case "$status" in
        0) row "$release" "$name" "$(($(date +%s) - start))" passed ;;
        77) row "$release" "$name" "$(($(date +%s) - start))" \
                "SKIPPED: $(awk '$2 == "SKIP" {print $1}' "$summary" | paste -s -d ' ')"
            skipped=$((skipped + 1)) ;;
        *) row "$release" "$name" "$(($(date +%s) - start))" FAILED
           failed=$((failed + 1))
           tail -n 20 "$log"
           return 1 ;;
    esac
}

# autopkgtest in a fresh chroot of RELEASE, of the tool from FOLDER and the
# simulator and the recorder from packages/RELEASE; without the simulator,
# the boardless test and the recorder's.
# The booted machine's test has a stage of its own.
autopkgtest_in() {
    local release="$1" folder="${2:-$top/packages/$1}" tarball sim recorder
    local tests=(--test-name=window-without-a-board --test-name=recorder-records)
    tarball="$(release_tarball "$release")" || return 1
    sim=("$top/packages/$release"/velkor-sim_*.deb)
    [ -e "${sim[0]}" ] && tests+=(--test-name=tool-on-the-simulated-board) || sim=()
    recorder=("$top/packages/$release"/velkor-record_*.deb)
    # The tarball has no package lists: --apt-upgrade fetches them first.
    autopkgtest --apt-upgrade --summary-file="$summary" "${tests[@]}" \
        "$folder"/velkor-linux-pci-driver-test_*.deb "${sim[@]}" "${recorder[@]}" "$top/packages/$release"/*.dsc \
        -- unshare --release "$release" --tarball "$tarball"
    case $? in 0) return 0 ;; 2) return 77 ;; *) return 1 ;; esac
}

# A failed build leaves an earlier run's packages, not to be taken for this run's.
built=" "
for release in "${releases[@]}"; do
    stage "$release" "packages built, lintian" "$top/scripts/package.sh" --release "$release" || continue
    built+="$release "
    stage "$release" "autopkgtest" autopkgtest_in "$release"
    [ "$release" != bullseye ] || continue
    stage "$release" "booted machine, autopkgtest" machine_autopkgtest "$release" "$top/packages/$release"
    if stage "$release" "Qt 6 packages built, lintian" \
        "$top/scripts/package.sh" --qt6 --release "$release" "$top/packages/$release-qt6"; then
        stage "$release" "Qt 6 tool, autopkgtest" autopkgtest_in "$release" "$top/packages/$release-qt6"
    fi
    [[ "$built" != *" bullseye "* ]] \
        || stage "$release" "bullseye's tool, autopkgtest" autopkgtest_in "$release" "$top/packages/bullseye"
done

printf '\n%-9s | %-28s | %8s | %s\n' release stage time result
printf '%s\n' "${rows[@]}"
echo "$failed stages failed, $skipped skipped (not passed)"
[ "$failed" -eq 0 ]
