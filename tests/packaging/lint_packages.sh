#!/usr/bin/env bash
# lintian's verdict on Debian packages and sources: fails on any error. A first upload
# closes no bug, which is no fault of a package built outside Debian.
# Usage: lint_packages.sh FILE... (.deb, .changes or .dsc)
set -euo pipefail
exec lintian --fail-on error --suppress-tags initial-upload-closes-no-bugs "$@"
