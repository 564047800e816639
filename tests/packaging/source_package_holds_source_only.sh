#!/usr/bin/env bash
# dpkg-source packs a used checkout as debian/source/options says: the
# checkout's files plus what builds and package runs leave (build trees,
# package folders, chroots, dpkg-buildpackage's build folder, Qt Creator's
# settings, git's own folder) give a tarball of the checkout's files alone,
# dpkg-source's own leaving out .gitignore.
# Usage: source_package_holds_source_only.sh SOURCE_DIR
set -euo pipefail
top="$(realpath "$1")"
git -C "$top" rev-parse --git-dir >/dev/null 2>&1 || { echo "SKIP: $top is no git checkout"; exit 77; }
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
tree="$scratch/checkout"
mkdir "$tree"
# The files as the checkout has them, those being deleted or added left out.
(cd "$top" && git ls-files -z --cached --others --exclude-standard \
    | while IFS= read -r -d '' name; do [ ! -f "$name" ] || printf '%s\0' "$name"; done \
    | tar --null -T - -cf -) | tar -C "$tree" -xf -
expected="$(cd "$tree" && find . -type f ! -name .gitignore | sed 's|^\./||' | sort)"
for left in build/CMakeCache.txt build-dev/src/main.o build-qt6/Makefile build-releases/bookworm.tar \
    build-releases/logs/bookworm-autopkgtest.log packages/velkor-sim_1.0.1_amd64.deb \
    packages/bookworm/Packages obj-x86_64-linux-gnu/Makefile CMakeLists.txt.user .git/HEAD; do
    mkdir -p "$(dirname "$tree/$left")"
    echo "left by a build" >"$tree/$left"
done
(cd "$scratch" && dpkg-source -b checkout >/dev/null)
packed="$(tar -tf "$scratch"/*.tar.* | sed -n 's|^checkout/||p' | grep -v '/$' | grep . | sort)"
[ "$packed" = "$expected" ] || { echo "FAIL: the source tarball differs from the checkout's files (< checkout, > tarball):"
    diff <(echo "$expected") <(echo "$packed"); exit 1; }
echo "the source tarball holds the checkout's $(wc -l <<<"$expected") files and nothing that builds left"
