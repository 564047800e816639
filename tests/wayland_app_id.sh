#!/usr/bin/env bash
# The tool natively on Wayland under a headless weston: its toplevel's app id
# must be the file name of the desktop entry in packaging/, which GNOME and
# KDE look up for the window's icon and name (xdg-shell carries no icon), and
# the compositor must map the window: weston tells a surface that it entered
# an output only once the surface is on screen.
# Usage: wayland_app_id.sh TOOL [PACKAGING_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/support/desktop_entry.sh"
tool="$1"
entry="$(desktop_entry "${2:-$here/../packaging}")"
expected="$(basename "$entry" .desktop)"
command -v weston >/dev/null || { echo "FAIL: weston is not installed (scripts/setup.sh installs it)"; exit 1; }

# weston wants a private runtime folder, which `su -` or root may not have;
# mktemp makes it mode 0700.
work="$(mktemp -d)"
weston_pid="" tool_pid=""
# weston's shell and keyboard helpers share its process group.
trap '[ -z "$tool_pid" ] || kill "$tool_pid" 2>/dev/null || true; [ -z "$weston_pid" ] || kill -- "-$weston_pid" 2>/dev/null || true
    wait 2>/dev/null; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work" WAYLAND_DISPLAY="velkor-test-$$"
# headless-backend.so is the name every weston takes; weston 12 on also calls it "headless".
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
first() { sed -nE "s/.*$1.*/\\1/p" "$log" | head -n 1; }
toplevel="" surface=""
mapped() {
    if [ -z "$surface" ]; then
        local xdg_surface
        xdg_surface="$(first "xdg_surface[@#]([0-9]+)\\.get_toplevel\\(")"
        [ -n "$xdg_surface" ] || return 1
        toplevel="$(first "xdg_surface[@#]$xdg_surface\\.get_toplevel\\(new id xdg_toplevel[@#]([0-9]+)\\)")"
        surface="$(first "new id xdg_surface[@#]$xdg_surface, wl_surface[@#]([0-9]+)\\)")"
    fi
    [ -n "$surface" ] && grep -qE "\\] (\\{[^}]*\\} )?wl_surface[@#]$surface\\.enter\\(" "$log"
}
for _ in $(seq 150); do
    mapped || ! kill -0 "$tool_pid" 2>/dev/null && break
    sleep 0.1
done

status=0
app_id="$(first "-> xdg_toplevel[@#]$toplevel\\.set_app_id\\(\"([^\"]*)\"\\)")"
echo "app id: ${app_id:-(none)}"
[ -n "$toplevel" ] || { echo "FAIL: the tool made no xdg toplevel"; status=1; }
[ "$app_id" = "$expected" ] || { echo "FAIL: app id is not $expected, as $entry names it"; status=1; }
mapped || { echo "FAIL: weston did not map the window within 15 s"; status=1; }
# What the tool itself wrote, between the protocol lines (a sanitizer's report, say).
grep -vE '^\[ *[0-9]+\.[0-9]+\] ' "$log" || true
if [ "$status" -ne 0 ]; then
    kill -0 "$tool_pid" 2>/dev/null || echo "the tool ended early"
    grep -E 'xdg_|wl_surface[@#]' "$log" | tail -n 30
    tail -n 20 "$work/weston.log"
fi
exit $status
