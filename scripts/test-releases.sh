#!/usr/bin/env bash
# The release matrix: for each Debian release named (all four unless told),
# in clean chroots of it (scripts/release-chroot.sh), builds the packages
# there, installs them with apt and starts the tool offscreen, on the
# simulated board where the release has one; on later releases also installs
# the tool package built on the oldest, bullseye, when this run built it; and
# runs the whole test command, scripts/test.sh, on a clean copy of the
# source. Prints one table: release, stage, result and time. Each stage's
# output is in build-releases/logs/. Downloads whole releases: not part of
# scripts/test.sh.
# Usage: scripts/test-releases.sh [bullseye] [bookworm] [trixie] [forky]
set -uo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
releases=("$@")
[ ${#releases[@]} -gt 0 ] || releases=(bullseye bookworm trixie forky)
logs="$top/build-releases/logs"
mkdir -p "$logs"
rows=()
failed=0
# Ctrl-C ends the whole run, also when the step under way handled it and went on.
trap 'trap - INT; kill -INT $$' INT

# Runs one stage, logged, and adds its row. A release that cannot run a
# stage says so in one line, "... cannot ...": that is a row, not a failure.
stage() {
    local release="$1" name="$2" log start result
    log="$logs/$release-$(tr -c 'a-z0-9\n' - <<<"$name" | tr -s -).log"
    shift 2
    start=$(date +%s)
    echo "== $release: $name (log: $log)"
    if "$@" >"$log" 2>&1; then
        result=passed
    elif grep -q -E '^Debian .* cannot ' "$log"; then
        result="not possible: $(grep -E '^Debian .* cannot ' "$log" | tail -n 1)"
    else
        result=FAILED
        failed=$((failed + 1))
        tail -n 20 "$log"
    fi
    rows+=("$(printf '%-9s | %-26s | %6s s | %s' "$release" "$name" "$(($(date +%s) - start))" "$result")")
}

in_chroot() { "$top/scripts/release-chroot.sh" "$@"; }

# A folder with the tool package from one release and, where it was built,
# the simulated board's from another.
bench_packages() {
    local folder="$top/build-releases/bench-packages/$1-with-$2"
    rm -rf "$folder"
    mkdir -p "$folder"
    cp "$top/packages/$2"/velkor-linux-pci-driver-test_*.deb "$folder"/
    cp "$top/packages/$1"/velkor-sim_*.deb "$folder"/ 2>/dev/null || true
    echo "$folder"
}

for release in "${releases[@]}"; do
    stage "$release" "packages built" "$top/scripts/package.sh" --release "$release"
    stage "$release" "lintian, in the release" in_chroot "$release" --source --input "$top/packages/$release" -- \
        sh -c '/src/scripts/install-missing.sh lintian && /src/tests/packaging/lint_packages.sh /in/*.deb'
    stage "$release" "installed, started" in_chroot "$release" --source \
        --input "$(bench_packages "$release" "$release")" -- /src/tests/packaging/start_installed_tool.sh /in
    if [ "$release" != bullseye ] && compgen -G "$top/packages/bullseye/velkor-linux-pci-driver-test_*.deb" >/dev/null \
        && [[ " ${releases[*]} " == *" bullseye "* ]]; then
        stage "$release" "bullseye's tool, started" in_chroot "$release" --source \
            --input "$(bench_packages "$release" bullseye)" -- /src/tests/packaging/start_installed_tool.sh /in
    fi
    stage "$release" "scripts/test.sh" in_chroot "$release" --source -- /src/scripts/test.sh
done

printf '\n%-9s | %-26s | %8s | %s\n' release stage time result
printf '%s\n' "${rows[@]}"
echo
for release in "${releases[@]}"; do
    for package in "$top/packages/$release"/velkor-linux-pci-driver-test_*.deb; do
        [ -e "$package" ] && echo "Depends of the tool built on $release: $(dpkg-deb -f "$package" Depends)"
    done
done
[ "$failed" -eq 0 ]
