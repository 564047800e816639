#!/usr/bin/env bash
# Starts the tool natively on Wayland under a headless weston and checks that
# its toplevel carries the app id of its desktop entry, from which GNOME and
# KDE take the window's icon and name (xdg-shell carries no icon), and that
# the compositor maps the window: weston tells a surface that it entered an
# output only once the surface is on screen.
# The app id is held against the desktop entry's file name in packaging/
# (GNOME looks up APP_ID.desktop), not against a copy of what main.cpp sets.
# Usage: wayland_app_id.sh TOOL [PACKAGING_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/support/desktop_entry.sh"
tool="$1"
entry="$(desktop_entry "${2:-$here/../packaging}")"
expected_app_id="$(desktop_entry_id "$entry")"
deadline_seconds=15

command -v weston >/dev/null || { echo "FAIL: weston is not installed (scripts/setup.sh installs it)"; exit 1; }

# weston wants a private runtime folder, which `su -` or root may not have;
# mktemp makes it mode 0700.
work="$(mktemp -d)"
weston_pid="" tool_pid=""
cleanup() {
    [ -z "$tool_pid" ] || kill "$tool_pid" 2>/dev/null || true
    # weston's shell and keyboard helpers share its process group.
    [ -z "$weston_pid" ] || kill -- "-$weston_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$work" WAYLAND_DISPLAY="velkor-test-$$"

# headless-backend.so is the name every weston takes; from weston 12 on it is
# also called plain "headless".
setsid weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --no-config --idle-time=0 \
    --log="$work/weston.log" >/dev/null 2>&1 &
weston_pid=$!
for _ in $(seq 50); do
    [ -S "$work/$WAYLAND_DISPLAY" ] || ! kill -0 "$weston_pid" 2>/dev/null && break
    sleep 0.1
done
[ -S "$work/$WAYLAND_DISPLAY" ] || { echo "FAIL: weston did not start"; cat "$work/weston.log"; exit 1; }

log="$work/protocol.log"
QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client "$tool" 2>"$log" &
tool_pid=$!

# The client log names objects interface@id (interface#id from libwayland
# 1.23 on), events possibly behind their queue's name in braces.
id='[@#]([0-9]+)'
first() { sed -nE "s/.*$1.*/\\1/p" "$log" | head -n 1; }
xdg_surface="" toplevel="" surface=""
find_toplevel() {
    [ -n "$surface" ] && return
    xdg_surface="$(first "xdg_surface${id}\\.get_toplevel\\(")"
    [ -n "$xdg_surface" ] || return 0
    toplevel="$(first "xdg_surface[@#]$xdg_surface\\.get_toplevel\\(new id xdg_toplevel${id}\\)")"
    surface="$(first "new id xdg_surface[@#]$xdg_surface, wl_surface${id}\\)")"
}
mapped() { [ -n "$surface" ] && grep -qE "\\] (\\{[^}]*\\} )?wl_surface[@#]$surface\\.enter\\(" "$log"; }

for _ in $(seq $((deadline_seconds * 10))); do
    find_toplevel
    mapped || ! kill -0 "$tool_pid" 2>/dev/null && break
    sleep 0.1
done

status=0
if [ -z "$surface" ]; then
    echo "FAIL: the tool made no xdg toplevel"
    status=1
else
    app_id="$(first "-> xdg_toplevel[@#]$toplevel\\.set_app_id\\(\"([^\"]*)\"\\)")"
    echo "app id: ${app_id:-(none)}"
    [ "$app_id" = "$expected_app_id" ] || { echo "FAIL: app id is not $expected_app_id, as $entry names it"; status=1; }
    mapped || { echo "FAIL: weston did not map the window within $deadline_seconds s"; status=1; }
fi
# What the tool itself wrote, between the protocol lines (a sanitizer's report, say).
grep -vE '^\[ *[0-9]+\.[0-9]+\] ' "$log" || true
if [ "$status" -ne 0 ]; then
    kill -0 "$tool_pid" 2>/dev/null || echo "the tool ended early"
    grep -E 'xdg_|wl_surface[@#]' "$log" | tail -n 30
    mapped || tail -n 20 "$work/weston.log"
fi
exit $status
