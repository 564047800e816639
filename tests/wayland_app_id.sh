#!/usr/bin/env bash
# The tool natively under a headless weston: its toplevel's app id must be the
# file name of the desktop entry in packaging/ (xdg-shell carries no icon), and
# weston must map the window: it tells a surface that it entered an output
# only once the surface is on screen. Usage: wayland_app_id.sh TOOL [PACKAGING_DIR]
set -euo pipefail
. "$(dirname "$0")/support/desktop_session.sh"
command -v weston >/dev/null || failed "weston is not installed (scripts/setup.sh installs it)"
export WAYLAND_DISPLAY="velkor-test-$$"
# headless-backend.so is the name every weston takes; weston 12 on also calls it "headless".
"${guard[@]}" setsid weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --no-config \
    --idle-time=0 --log="$work/weston.log" >/dev/null 2>&1 &
server_pid=$!
# weston's shell and keyboard helpers share its process group.
server_kill="-$server_pid"
waited $server_pid test -S "$work/$WAYLAND_DISPLAY" || failed "weston did not start"
QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client "${guard[@]}" "$tool" 2>"$work/protocol" &
tool_pid=$!
# The client log names objects interface@id (interface#id from libwayland
# 1.23 on), events possibly behind their queue's name in braces.
first() { sed -nE "s/.*$1.*/\\1/p" "$work/protocol" | head -n 1; }
mapped() {
    local xdg_surface surface
    xdg_surface="$(first "xdg_surface[@#]([0-9]+)\\.get_toplevel\\(")"
    toplevel="$(first "xdg_surface[@#]$xdg_surface\\.get_toplevel\\(new id xdg_toplevel[@#]([0-9]+)\\)")"
    surface="$(first "new id xdg_surface[@#]$xdg_surface, wl_surface[@#]([0-9]+)\\)")"
    [ -n "$xdg_surface" ] && grep -qE "\\] (\\{[^}]*\\} )?wl_surface[@#]$surface\\.enter\\(" "$work/protocol"
}
toplevel=""
mapped_in_time=yes
waited $tool_pid mapped || mapped_in_time=""
# What the tool itself wrote between the protocol lines, a sanitizer's report say.
grep -vE '^\[ *[0-9]+\.[0-9]+\] ' "$work/protocol" || true
app_id="$(first "-> xdg_toplevel[@#]$toplevel\\.set_app_id\\(\"([^\"]*)\"\\)")"
echo "app id: ${app_id:-(none)}"
expected="$(basename "$entry" .desktop)"
[ -n "$toplevel" ] || failed "the tool made no xdg toplevel"
[ "$app_id" = "$expected" ] || failed "app id is not $expected, as $entry names it"
[ -n "$mapped_in_time" ] || failed "weston did not map the window within 20 s"
