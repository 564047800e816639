#!/usr/bin/env bash
# The tool's mapped window under Xvfb: the class of its WM_CLASS must be the
# StartupWMClass of the desktop entry in packaging/, which GNOME and KDE
# compare it with to give a window on X11 the entry's icon and name.
# Exits 77 (skipped) when Xvfb or x11-utils' xprop and xwininfo are missing.
# Usage: x11_wm_class.sh TOOL [PACKAGING_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/support/desktop_entry.sh"
tool="$1"
entry="$(desktop_entry "${2:-$here/../packaging}")"
expected="$(desktop_entry_key "$entry" StartupWMClass)"
[ -n "$expected" ] || { echo "FAIL: $entry names no StartupWMClass"; exit 1; }
command -v Xvfb >/dev/null && command -v xprop >/dev/null && command -v xwininfo >/dev/null \
    || { echo "SKIP: xvfb or x11-utils is not installed (scripts/setup.sh installs them)"; exit 77; }

# A test runner that kills this script by SIGKILL on a timeout gives it no
# chance to clean up; the kernel then ends Xvfb and the tool along with it.
guard=()
! setpriv --pdeathsig KILL true 2>/dev/null || guard=(setpriv --pdeathsig KILL)
# mktemp makes the folder 0700, as Qt wants its runtime folder.
work="$(mktemp -d)"
xvfb_pid="" tool_pid=""
# Killed after 5 s: a process stuck on a dead X connection would hold the test up.
stop() {
    kill "$1" 2>/dev/null || return 0
    for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.05; done
    kill -KILL "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
# The tool first: an X server gone under it makes Qt abort.
trap '[ -z "$tool_pid" ] || stop "$tool_pid"; [ -z "$xvfb_pid" ] || stop "$xvfb_pid"; rm -rf "$work"' EXIT
# Without these bash dies of the signal and skips the EXIT trap.
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
# waited PID COMMAND...: until COMMAND succeeds, while PID lives. Under load
# Xvfb alone was seen to take 6 s to listen and the tool 7 s more to map.
waited() {
    local pid="$1" end=$((SECONDS + 20))
    shift
    until "$@"; do
        kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $end ] || return 1
        sleep 0.05
    done
}
failed() {
    echo "FAIL: $1"
    cat "$work"/*.log
    exit 1
}

# Xvfb picks a free display itself and writes its number once it listens, so
# tests run side by side never race for one. An X server resets once its last
# client leaves and drops whoever connects meanwhile: xprop leaving would turn
# away the tool.
"${guard[@]}" Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x800x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
waited $xvfb_pid grep -qs . "$work/display" || failed "Xvfb named no display"
export DISPLAY=":$(head -n 1 "$work/display")" XDG_RUNTIME_DIR="$work"
unset WAYLAND_DISPLAY
# A client that cannot connect is told apart from a tool that does not start.
waited $xvfb_pid xprop -root >/dev/null 2>"$work/xprop.log" || failed "no client reaches Xvfb on $DISPLAY"

QT_QPA_PLATFORM=xcb "${guard[@]}" "$tool" >"$work/tool.log" 2>&1 &
tool_pid=$!
# No window manager runs, so the tool's toplevels are the root's children;
# Qt marks its own with _NET_WM_PID, and the main window is the mapped one.
# Outputs are matched whole in the shell: a grep -q that quits at its match
# can leave the writer dead of SIGPIPE, which pipefail counts as a miss.
mapped_window() {
    for window in $(xwininfo -root -children 2>/dev/null | sed -nE 's/^ +(0x[0-9a-f]+) .*/\1/p'); do
        [ "$(xprop -id "$window" _NET_WM_PID 2>/dev/null)" = "_NET_WM_PID(CARDINAL) = $tool_pid" ] \
            && [[ "$(xwininfo -id "$window" 2>/dev/null)" == *"Map State: IsViewable"* ]] && return 0
    done
    return 1
}
waited $tool_pid mapped_window || failed "no window of the tool mapped (the tool ran: $(kill -0 $tool_pid 2>/dev/null && echo yes || echo no))"

# WM_CLASS(STRING) = "instance", "class"
wm_class="$(xprop -id "$window" WM_CLASS)"
echo "$wm_class; StartupWMClass=$expected in $entry"
[[ "$wm_class" == "WM_CLASS(STRING) = \""*"\", \"$expected\"" ]] || failed "the window's class is not the StartupWMClass"
