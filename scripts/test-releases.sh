#!/usr/bin/env bash
# The release matrix: for each Debian release named (all four unless told),
# builds the packages with sbuild in a clean chroot of it and lints source
# and packages with its lintian (scripts/package.sh --release), then runs
# their autopkgtest in another clean chroot of it; from Debian 12 on the same
# for the packages built with Qt 6, and the autopkgtest of the tool package
# built on the oldest, bullseye, when this run built it. Prints one table:
# release, stage, time and result (passed, SKIPPED or FAILED), and fails
# when a stage failed. Each
# stage's output is in build-releases/logs/. Downloads whole releases: not
# part of scripts/test.sh.
# Usage: scripts/test-releases.sh [bullseye] [bookworm] [trixie] [forky]
set -uo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
releases=("$@")
[ ${#releases[@]} -gt 0 ] || releases=(bullseye bookworm trixie forky)
logs="$top/build-releases/logs"
mkdir -p "$logs"
"$top/scripts/install-missing.sh" autopkgtest
rows=()
failed=0
skipped=0
summary="$logs/autopkgtest-summary"
# Ctrl-C ends the whole run, also when the step under way handled it and went on.
trap 'trap - INT; kill -INT $$' INT

row() { rows+=("$(printf '%-9s | %-28s | %6s s | %s' "$@")"); }

# Runs one stage, logged, and adds its row: passed, skipped (status 77:
# autopkgtest skipped a test, named in the row) or failed.
stage() {
    local release="$1" name="$2" log start status=0
    log="$logs/$release-$(tr -c 'a-z0-9\n' - <<<"$name" | tr -s -).log"
    shift 2
    start=$(date +%s)
    echo "== $release: $name (log: $log)"
    # Through a pipe: a step that opens its output anew (autopkgtest's testbed
    # does) would write over the head of a file.
    "$@" 2>&1 | cat >"$log" || status=${PIPESTATUS[0]}
    case "$status" in
        0) row "$release" "$name" "$(($(date +%s) - start))" passed ;;
        77) row "$release" "$name" "$(($(date +%s) - start))" "SKIPPED: $(skipped_tests)"
            skipped=$((skipped + 1)) ;;
        *) row "$release" "$name" "$(($(date +%s) - start))" FAILED
           failed=$((failed + 1))
           tail -n 20 "$log"
           return 1 ;;
    esac
}

# The tests autopkgtest's last summary file names as skipped.
skipped_tests() {
    awk '$2 == "SKIP" {print $1}' "$summary" | paste -s -d ' '
}

# The installed packages start: autopkgtest in a fresh chroot of RELEASE,
# with the tool package from FOLDER (packages/RELEASE unless told) and the
# simulator from packages/RELEASE; where the release could not build the
# simulator, only the test without a board runs.
autopkgtest_in() {
    local release="$1" folder tarball sim tests=()
    folder="${2:-$top/packages/$release}"
    tarball="$("$top/scripts/release-tarball.sh" "$release")" || return 1
    sim=("$top/packages/$release"/velkor-sim_*.deb)
    [ -e "${sim[0]}" ] || { sim=(); tests=(--test-name=window-without-a-board); }
    # The tarball has no package lists: --apt-upgrade fetches them first.
    autopkgtest --apt-upgrade --summary-file="$summary" "${tests[@]}" \
        "$folder"/velkor-linux-pci-driver-test_*.deb "${sim[@]}" "$top/packages/$release"/*.dsc \
        -- unshare --release "$release" --tarball "$tarball"
    case $? in 0) return 0 ;; 2) return 77 ;; *) return 1 ;; esac
}

# The folders this run built; a failed build leaves an earlier run's
# packages in its folder, which no later stage may take for this run's.
built=()
for release in "${releases[@]}"; do
    # Built, and linted by sbuild in the release.
    stage "$release" "packages built, lintian" "$top/scripts/package.sh" --release "$release" || continue
    built+=("$top/packages/$release")
    stage "$release" "autopkgtest" autopkgtest_in "$release"
    [ "$release" != bullseye ] || continue
    if stage "$release" "Qt 6 packages built, lintian" \
        "$top/scripts/package.sh" --qt6 --release "$release" "$top/packages/$release-qt6"; then
        built+=("$top/packages/$release-qt6")
        stage "$release" "Qt 6 tool, autopkgtest" autopkgtest_in "$release" "$top/packages/$release-qt6"
    fi
    if [[ " ${built[*]} " == *" $top/packages/bullseye "* ]]; then
        stage "$release" "bullseye's tool, autopkgtest" autopkgtest_in "$release" "$top/packages/bullseye"
    fi
done

printf '\n%-9s | %-28s | %8s | %s\n' release stage time result
printf '%s\n' "${rows[@]}"
echo "$failed stages failed, $skipped skipped (not passed)"
echo
for folder in "${built[@]}"; do
    for package in "$folder"/velkor-linux-pci-driver-test_*.deb; do
        [ -e "$package" ] && echo "Depends of the tool built in $(basename "$folder"): $(dpkg-deb -f "$package" Depends)"
    done
done
[ "$failed" -eq 0 ]
