#!/usr/bin/env bash
# The udev rule as `cmake --install` puts it: in the folder udev reads, read
# by udevadm verify where udevadm has it (systemd 254 on, Debian 13 on), and
# tried on the channel nodes' names and names that only look like them by
# udev_rule_check: no udev runs in a build container and no board is there
# for `udevadm test`.
# Usage: udev_rule.sh CMAKE BUILD_DIR UDEV_RULE_CHECK
set -euo pipefail
cmake="$1" build="$2" check="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

env -u DESTDIR "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 \
    || { cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }
rules=()
[ ! -d "$prefix/lib/udev/rules.d" ] || rules=("$prefix"/lib/udev/rules.d/*)
if [ ${#rules[@]} -ne 1 ]; then
    echo "FAIL: the install puts not one udev rule into lib/udev/rules.d: $(cd "$prefix" && find . -type f | sort)"
    exit 1
fi
rule="${rules[0]}"
echo "installed: ${rule#"$prefix"/}"

status=0
# The group need not exist on the build machine, so names are not resolved.
if command -v udevadm >/dev/null && udevadm verify --help >/dev/null 2>&1; then
    udevadm verify --resolve-names=never "$rule" || { echo "FAIL: udevadm verify"; status=1; }
else
    echo "udevadm verify: not on this machine (systemd 254 or later has it), not run"
fi
"$check" "$rule" || status=1
exit $status
