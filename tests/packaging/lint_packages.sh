#!/usr/bin/env bash
# lintian's verdict on Debian packages: fails on any error. A first upload
# closes no bug, which is no fault of a package built outside Debian.
# Usage: lint_packages.sh PACKAGE.deb...
set -euo pipefail
exec lintian --fail-on error --suppress-tags initial-upload-closes-no-bugs "$@"
