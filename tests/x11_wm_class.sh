#!/usr/bin/env bash
# The tool under Xvfb: the class of its mapped window's WM_CLASS must be the
# StartupWMClass of the desktop entry in packaging/, which GNOME and KDE
# compare it with. Exits 77 (skipped) when Xvfb or x11-utils' xprop and
# xwininfo are missing. Usage: x11_wm_class.sh TOOL [PACKAGING_DIR]
set -euo pipefail
. "$(dirname "$0")/support/desktop_session.sh"
# The key's value in the [Desktop Entry] group, where the keys about the
# application itself live. Blanks around '=' do not count.
expected="$(awk '/^\[/ { group = $0; next }
    group == "[Desktop Entry]" && match($0, /^StartupWMClass[ \t]*=[ \t]*/) { print substr($0, RLENGTH + 1); exit }' "$entry")"
[ -n "$expected" ] || failed "$entry names no StartupWMClass"
command -v Xvfb >/dev/null && command -v xprop >/dev/null && command -v xwininfo >/dev/null \
    || { echo "SKIP: xvfb or x11-utils is not installed (scripts/setup.sh installs them)"; exit 77; }
# Xvfb picks a free display itself and writes its number once it listens, so
# tests run side by side never race for one. An X server resets once its last
# client leaves and drops whoever connects meanwhile: xprop and xwininfo
# leaving would turn away the tool.
"${guard[@]}" Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x800x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
server_pid=$!
waited $server_pid grep -qs . "$work/display" || failed "Xvfb named no display"
export DISPLAY=":$(head -n 1 "$work/display")"
unset WAYLAND_DISPLAY
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
waited $tool_pid mapped_window || failed "no window of the tool mapped"
# WM_CLASS(STRING) = "instance", "class"
wm_class="$(xprop -id "$window" WM_CLASS)"
echo "$wm_class; StartupWMClass=$expected in $entry"
[[ "$wm_class" == "WM_CLASS(STRING) = \""*"\", \"$expected\"" ]] || failed "the window's class is not the StartupWMClass"
