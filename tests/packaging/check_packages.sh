#!/usr/bin/env bash
# Builds the Debian packages with scripts/package.sh (its tests skipped, as
# ctest runs them) into a folder that an earlier build and others use, and
# checks what a bench machine gets: the earlier build's files replaced and the
# others' kept, an index of this build alone, the files, Depends and
# Recommends, the binary's libraries, lintian, and apt offering the tool.
# Usage: check_packages.sh OUTPUT_DIR QT_MAJOR
set -euo pipefail
output="$1" qt_major="$2"
here="$(cd "$(dirname "$0")" && pwd)"
status=0
fail() { echo "FAIL: $*"; status=1; }

# The builder's signing key, made anew for this build, apart from the user's.
export XDG_DATA_HOME
XDG_DATA_HOME="$(mktemp -d)"
trap 'rm -rf "$XDG_DATA_HOME"' EXIT

# The folder as an earlier build left it, its .changes naming its files, and
# files of others beside them.
rm -rf "$output"
mkdir -p "$output"
earlier=(velkor-linux-pci-driver-test_0.9.0_amd64.deb velkor-sim_0.9.0_amd64.deb
         velkor-linux-pci-driver-test_0.9.0_amd64.buildinfo)
for name in "${earlier[@]}"; do echo "$name" >"$output/$name"; done
{
    printf '%s\n' "Format: 1.8" "Source: velkor-linux-pci-driver-test" "Version: 0.9.0" "Files:"
    for name in "${earlier[@]}"; do
        echo " $(md5sum <"$output/$name" | cut -d' ' -f1) $(stat -c %s "$output/$name") electronics optional $name"
    done
} >"$output/velkor-linux-pci-driver-test_0.9.0_amd64.changes"
earlier+=(velkor-linux-pci-driver-test_0.9.0_amd64.changes)
others=(README bench-notes_2.0.tar.gz other-tool_2.0_all.deb)
echo "Copied from the bench's share." >"$output/README"
echo notes | gzip >"$output/bench-notes_2.0.tar.gz"
echo "no .changes names it" >"$output/other-tool_2.0_all.deb"
others_before="$(cd "$output" && sha256sum "${others[@]}")"
qt6=()
[ "$qt_major" = 5 ] || qt6=(--qt6)
DEB_BUILD_OPTIONS="nocheck ${DEB_BUILD_OPTIONS:-}" DEB_BUILD_PROFILES="nocheck ${DEB_BUILD_PROFILES:-}" \
    "$here/../../scripts/package.sh" "${qt6[@]}" "$output"
for name in "${earlier[@]}"; do [ ! -e "$output/$name" ] || fail "the earlier build's $name is left"; done
[ "$(cd "$output" && sha256sum "${others[@]}" 2>&1)" = "$others_before" ] || fail "files of others changed: $(ls -l "$output")"
# The index is this build's alone: Release names Packages and nothing else
# (not itself), and Packages the packages that the build's .changes name.
listed="$(awk '/^[A-Za-z0-9-]+:/ {sums = /^(MD5Sum|SHA1|SHA256|SHA512):/; next} sums {print $3}' "$output/Release" | sort -u)"
[ "$listed" = Packages ] || fail "Release lists: $listed"
indexed="$(sed -n 's|^Filename: \./||p' "$output/Packages" | sort)"
built="$(awk '/^Files:/ {files = 1; next} files && /^ / {print $NF; next} {files = 0}' "$output"/*.changes | grep '\.deb$' | sort)"
[ -n "$indexed" ] && [ "$indexed" = "$built" ] || fail "Packages names $indexed, the build made $built"
tool=("$output"/velkor-linux-pci-driver-test_*.deb)
sim=("$output"/velkor-sim_*.deb)
record=("$output"/velkor-record_*.deb)
[ ${#tool[@]} -eq 1 ] && [ ${#sim[@]} -eq 1 ] && [ ${#record[@]} -eq 1 ] \
    || fail "not one package of each: $(ls "$output")"

files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sort; }

expected_tool="./usr/bin/VelkorLinuxPciDriverTest
./usr/lib/udev/rules.d/60-velkor-mil1553.rules
./usr/share/applications/velkor-linux-pci-driver-test.desktop
./usr/share/doc/velkor-linux-pci-driver-test/changelog.gz
./usr/share/doc/velkor-linux-pci-driver-test/copyright
./usr/share/icons/hicolor/256x256/apps/velkor-linux-pci-driver-test.png
./usr/share/man/man1/VelkorLinuxPciDriverTest.1.gz"
expected_sim="./usr/bin/velkor-sim
./usr/lib/systemd/system/velkor-sim-cuse.service
./usr/share/doc/velkor-sim/changelog.gz
./usr/share/doc/velkor-sim/copyright
./usr/share/man/man1/velkor-sim.1.gz"
expected_record="./usr/bin/velkor-record
./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/velkor-record/libvelkor-record.so
./usr/share/doc/velkor-record/changelog.gz
./usr/share/doc/velkor-record/copyright
./usr/share/man/man1/velkor-record.1.gz"
[ "$(files "${tool[0]}")" = "$expected_tool" ] || fail "tool package holds: $(files "${tool[0]}")"
[ "$(files "${sim[0]}")" = "$expected_sim" ] || fail "simulator package holds: $(files "${sim[0]}")"
[ "$(files "${record[0]}")" = "$expected_record" ] || fail "recorder package holds: $(files "${record[0]}")"

# Runtime libraries only: Qt and the C/C++ runtime, found by dpkg-shlibdeps.
# From Debian 13 on, Qt 5's libraries and some of Qt 6's carry the 64-bit
# time suffix (libqt5core5a became libqt5core5t64).
if [ "$qt_major" = 6 ]; then
    # Qt 6's platform plugins are a package of their own, which its
    # libraries only recommend: without one the tool cannot start.
    qt_libraries=('libqt6widgets6(t64)?' 'libqt6gui6(t64)?' 'libqt6core6(t64)?' 'libqt6core5compat6(t64)?'
                  qt6-qpa-plugins)
    wayland_plugin=qt6-wayland
else
    qt_libraries=('libqt5widgets5(t64)?' 'libqt5gui5(t64)?' 'libqt5core5(a|t64)')
    wayland_plugin=qtwayland5
fi
depends="$(dpkg-deb -f "${tool[0]}" Depends)"
for needed in "${qt_libraries[@]}" libc6 'libstdc\+\+6' adduser; do
    grep -qE "(^|, )$needed( \(|,|$)" <<<"$depends" || fail "tool Depends lacks $needed: $depends"
done
names="$(tr ',|' '\n\n' <<<"$depends" | awk '{print $1}')"
! grep -E '^(.*-dev|.*umockdev.*|clang.*|gcc.*|g\+\+.*|xvfb|xauth)$' <<<"$names" \
    || fail "tool Depends on build or test packages: $depends"
[[ "$(dpkg-deb -f "${sim[0]}" Depends)" == *umockdev* ]] || fail "simulator does not depend on umockdev"
# The recorder goes onto benches with the board, which have no umockdev.
record_depends="$(dpkg-deb -f "${record[0]}" Depends)"
for needed in libc6 'libstdc\+\+6' zlib1g; do
    grep -qE "(^|, )$needed( \(|,|$)" <<<"$record_depends" || fail "recorder Depends lacks $needed: $record_depends"
done
[[ "$record_depends" != *umockdev* ]] || fail "recorder depends on umockdev: $record_depends"
# On a Wayland desktop Qt needs its Wayland plugin for the window's app id.
recommends="$(dpkg-deb -f "${tool[0]}" Recommends)"
[ "$recommends" = "$wayland_plugin" ] || fail "tool Recommends \"$recommends\", not $wayland_plugin"

unpacked="$output/unpacked"
dpkg-deb -x "${tool[0]}" "$unpacked"
cmake -DBINARY="$unpacked/usr/bin/VelkorLinuxPciDriverTest" -DQT_MAJOR="$qt_major" \
    -P "$here/../check_shipped_binary.cmake" || fail "the shipped binary links more than Qt"
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop || fail "desktop entry"
# The rule's contents are tried on node names by udev_rule.sh, on the same install.
# A first upload closes no bug, which is no fault of a package built outside Debian.
lintian --fail-on error --suppress-tags initial-upload-closes-no-bugs "$output"/*.changes || fail "lintian"
"$here/apt_offers_tool.sh" "$output" || fail "apt does not offer the tool from $output"
exit $status
