#!/usr/bin/env bash
# The release matrix: for each Debian release named (all four unless told),
# builds the packages with sbuild in a clean chroot of it and lints source
# and packages with its lintian (scripts/package.sh --release), then runs
# their autopkgtest in another clean chroot of it; on later releases also
# the autopkgtest of the tool package built on the oldest, bullseye, when
# this run built it. Prints one table: release, stage, time and result. Each
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
# Ctrl-C ends the whole run, also when the step under way handled it and went on.
trap 'trap - INT; kill -INT $$' INT

row() { rows+=("$(printf '%-9s | %-28s | %6s s | %s' "$@")"); }

# What a passed stage's log says in short: lintian's verdict and warnings,
# and autopkgtest's line a test.
outcome() {
    tr -d '\r' <"$1" | sed -n -e 's/^Lintian: /lintian: /p' -e 's/^\([WE]\): velkor[^ ]* /\1: /p' \
        -e '/@@@@ summary$/,${/@@@@ summary$/d;p}' | tr -s ' ' | paste -s -d ';' | sed 's/;/, /g'
}

# Runs one stage, logged, and adds its row.
stage() {
    local release="$1" name="$2" log start
    log="$logs/$release-$(tr -c 'a-z0-9\n' - <<<"$name" | tr -s -).log"
    shift 2
    start=$(date +%s)
    echo "== $release: $name (log: $log)"
    # Through a pipe: a step that opens its output anew (autopkgtest's testbed
    # does) would write over the head of a file.
    if "$@" 2>&1 | cat >"$log"; then
        row "$release" "$name" "$(($(date +%s) - start))" "passed ($(outcome "$log"))"
    else
        row "$release" "$name" "$(($(date +%s) - start))" FAILED
        failed=$((failed + 1))
        tail -n 20 "$log"
        return 1
    fi
}

# The installed packages start: autopkgtest in a fresh chroot of RELEASE,
# with the tool package built on TOOL_RELEASE and the rest of RELEASE's.
autopkgtest_in() {
    local release="$1" tool_release="$2" tarball sim
    tarball="$("$top/scripts/release-tarball.sh" "$release")" || return 1
    sim=("$top/packages/$release"/velkor-sim_*.deb)
    [ -e "${sim[0]}" ] || sim=()
    # The tarball has no package lists: --apt-upgrade fetches them first.
    autopkgtest --apt-upgrade "$top/packages/$tool_release"/velkor-linux-pci-driver-test_*.deb \
        "${sim[@]}" "$top/packages/$release"/*.dsc \
        -- unshare --release "$release" --tarball "$tarball"
    # 2: a test was skipped, as the board's is where its package was not built.
    case $? in 0 | 2) return 0 ;; *) return 1 ;; esac
}

for release in "${releases[@]}"; do
    # Built, and linted by sbuild in the release; a build that failed leaves
    # no package for the later stages.
    stage "$release" "packages built, lintian" "$top/scripts/package.sh" --release "$release" || continue
    stage "$release" "autopkgtest" autopkgtest_in "$release" "$release"
    if [ "$release" != bullseye ] && [[ " ${releases[*]} " == *" bullseye "* ]] \
        && compgen -G "$top/packages/bullseye/velkor-linux-pci-driver-test_*.deb" >/dev/null; then
        stage "$release" "bullseye's tool, autopkgtest" autopkgtest_in "$release" bullseye
    fi
done

printf '\n%-9s | %-28s | %8s | %s\n' release stage time result
printf '%s\n' "${rows[@]}"
echo
for release in "${releases[@]}"; do
    for package in "$top/packages/$release"/velkor-linux-pci-driver-test_*.deb; do
        [ -e "$package" ] && echo "Depends of the tool built on $release: $(dpkg-deb -f "$package" Depends)"
    done
done
[ "$failed" -eq 0 ]
