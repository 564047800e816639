#!/usr/bin/env bash
# Starts the tool on X11 under Xvfb and checks that its mapped window's
# WM_CLASS leads a desktop to the tool's desktop entry in packaging/, from
# which GNOME and KDE take the window's icon and name on X11 (the dock, the
# window switcher). With StartupWMClass= in the entry, the class string of
# WM_CLASS must be that value, which both GNOME and KDE compare it with.
# Without it, GNOME tries the instance and the class, as they are and
# lowercased with blanks as '-', as the entry's file name; so does this.
# Exits 77 (skipped) when Xvfb or x11-utils' xprop and xwininfo are missing.
# Usage: x11_wm_class.sh TOOL [PACKAGING_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/support/desktop_entry.sh"
tool="$1"
entry="$(desktop_entry "${2:-$here/../packaging}")"
deadline_seconds=15

missing=()
command -v Xvfb >/dev/null || missing+=(xvfb)
command -v xprop >/dev/null && command -v xwininfo >/dev/null || missing+=(x11-utils)
if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIP: not installed: ${missing[*]} (scripts/install-missing.sh ${missing[*]} installs them)"
    exit 77
fi

work="$(mktemp -d)"
xvfb_pid="" tool_pid=""
cleanup() {
    # The tool first: an X server gone under it makes Qt abort.
    [ -z "$tool_pid" ] || { kill "$tool_pid" 2>/dev/null; wait "$tool_pid" 2>/dev/null; } || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number once it listens, so
# tests run side by side never race for one. Only local clients reach it.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    grep -q . "$work/display" || ! kill -0 "$xvfb_pid" 2>/dev/null && break
    sleep 0.1
done
display="$(head -n 1 "$work/display")"
[ -n "$display" ] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
# mktemp made the folder 0700, as Qt wants its runtime folder.
export DISPLAY=":$display" XDG_RUNTIME_DIR="$work"
unset WAYLAND_DISPLAY
# A client that cannot connect is told apart from a tool that does not start.
for _ in $(seq 50); do
    xprop -root >/dev/null 2>&1 && break
    sleep 0.1
done
xprop -root >/dev/null || { echo "FAIL: no client reaches Xvfb on $DISPLAY"; cat "$work/xvfb.log"; exit 1; }

QT_QPA_PLATFORM=xcb "$tool" >"$work/tool.log" 2>&1 &
tool_pid=$!

# No window manager runs, so the tool's toplevels are the root's children;
# Qt marks its own with _NET_WM_PID, and the main window is the mapped one.
tool_window() {
    local id
    for id in $(xwininfo -root -children | sed -nE 's/^ +(0x[0-9a-f]+) .*/\1/p'); do
        xprop -id "$id" _NET_WM_PID 2>/dev/null | grep -qx "_NET_WM_PID(CARDINAL) = $tool_pid" || continue
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' || continue
        echo "$id"
        return
    done
}
window=""
for _ in $(seq $((deadline_seconds * 10))); do
    window="$(tool_window)"
    [ -z "$window" ] && kill -0 "$tool_pid" 2>/dev/null || break
    sleep 0.1
done

status=0
if [ -z "$window" ]; then
    kill -0 "$tool_pid" 2>/dev/null && echo "FAIL: no window of the tool mapped within $deadline_seconds s" \
        || echo "FAIL: the tool ended without mapping a window"
    xwininfo -root -children || true
    cat "$work/tool.log" "$work/xvfb.log"
    exit 1
fi

# WM_CLASS(STRING) = "instance", "class"
wm_class="$(xprop -id "$window" WM_CLASS)"
echo "$wm_class"
instance="$(sed -nE 's/^WM_CLASS\(STRING\) = "([^"]*)", "([^"]*)"$/\1/p' <<<"$wm_class")"
class="$(sed -nE 's/^WM_CLASS\(STRING\) = "([^"]*)", "([^"]*)"$/\2/p' <<<"$wm_class")"
startup_wm_class="$(desktop_entry_key "$entry" StartupWMClass)"
if [ -z "$class" ]; then
    echo "FAIL: the window has no WM_CLASS of instance and class"
    status=1
elif [ -n "$startup_wm_class" ]; then
    echo "StartupWMClass in $entry: $startup_wm_class"
    [ "$class" = "$startup_wm_class" ] \
        || { echo "FAIL: the window's class \"$class\" is not $entry's StartupWMClass"; status=1; }
else
    id="$(desktop_entry_id "$entry")"
    echo "no StartupWMClass in $entry: its file name $id.desktop must follow from WM_CLASS"
    found=""
    for name in "$instance" "$class"; do
        for candidate in "$name" "$(LC_ALL=C tr 'A-Z ' 'a-z-' <<<"$name")"; do
            [ "$candidate" != "$id" ] || found=yes
        done
    done
    [ -n "$found" ] || { echo "FAIL: neither \"$instance\" nor \"$class\" leads to $id.desktop"; status=1; }
fi
[ "$status" -eq 0 ] || cat "$work/tool.log"
exit $status
