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
# Under load (tests side by side, builds) Xvfb alone was seen to take 6 s to
# listen and the tool 7 s more to map; each wait below gets this long.
deadline_seconds=20

missing=()
command -v Xvfb >/dev/null || missing+=(xvfb)
command -v xprop >/dev/null && command -v xwininfo >/dev/null || missing+=(x11-utils)
if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIP: not installed: ${missing[*]} (scripts/setup.sh installs them)"
    exit 77
fi

# A test runner that kills this script by SIGKILL on a timeout gives it no
# chance to clean up; the kernel then ends Xvfb and the tool along with it.
orphan_guard=()
! setpriv --pdeathsig KILL true 2>/dev/null || orphan_guard=(setpriv --pdeathsig KILL)

work="$(mktemp -d)"
xvfb_pid="" tool_pid=""
# stop PID: asks it to end and kills it if it has not within a few seconds, so
# that a process stuck on a dead X connection cannot hold the test up.
stop() {
    local end=$((SECONDS + 5))
    kill "$1" 2>/dev/null || return 0
    while kill -0 "$1" 2>/dev/null && [ $SECONDS -lt $end ]; do sleep 0.05; done
    kill -KILL "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
cleanup() {
    # The tool first: an X server gone under it makes Qt abort.
    [ -z "$tool_pid" ] || stop "$tool_pid"
    [ -z "$xvfb_pid" ] || stop "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT
# Without these bash dies of the signal and skips the EXIT trap.
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# Made first: the forked shell that opens it for Xvfb can be outrun by the loop.
: >"$work/display"
# Xvfb picks a free display itself and writes its number once it listens, so
# tests run side by side never race for one. Only local clients reach it.
# An X server resets once its last client leaves and drops whoever connects
# meanwhile: the probe below leaving would turn away the tool or the next xprop.
"${orphan_guard[@]}" Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x800x24 \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
end=$((SECONDS + deadline_seconds))
until grep -q . "$work/display" || ! kill -0 "$xvfb_pid" 2>/dev/null || [ $SECONDS -ge $end ]; do
    sleep 0.05
done
display="$(head -n 1 "$work/display")"
[[ "$display" =~ ^[0-9]+$ ]] || {
    kill -0 "$xvfb_pid" 2>/dev/null && echo "FAIL: Xvfb named no display within $deadline_seconds s" \
        || echo "FAIL: Xvfb ended without naming a display"
    cat "$work/xvfb.log"
    exit 1
}
# mktemp made the folder 0700, as Qt wants its runtime folder.
export DISPLAY=":$display" XDG_RUNTIME_DIR="$work"
unset WAYLAND_DISPLAY
# A client that cannot connect is told apart from a tool that does not start.
until xprop -root >/dev/null 2>"$work/xprop.log"; do
    if ! kill -0 "$xvfb_pid" 2>/dev/null || [ $SECONDS -ge $end ]; then
        echo "FAIL: no client reaches Xvfb on $DISPLAY within $deadline_seconds s"
        cat "$work/xprop.log" "$work/xvfb.log"
        exit 1
    fi
    sleep 0.05
done

QT_QPA_PLATFORM=xcb "${orphan_guard[@]}" "$tool" >"$work/tool.log" 2>&1 &
tool_pid=$!

# No window manager runs, so the tool's toplevels are the root's children;
# Qt marks its own with _NET_WM_PID, and the main window is the mapped one.
# Outputs are matched whole in the shell: a grep -q that quits at its match
# can leave the writer dead of SIGPIPE, which pipefail counts as a miss.
tool_window() {
    local id
    for id in $(xwininfo -root -children 2>/dev/null | sed -nE 's/^ +(0x[0-9a-f]+) .*/\1/p'); do
        [ "$(xprop -id "$id" _NET_WM_PID 2>/dev/null)" = "_NET_WM_PID(CARDINAL) = $tool_pid" ] || continue
        [[ "$(xwininfo -id "$id" 2>/dev/null)" == *"Map State: IsViewable"* ]] || continue
        echo "$id"
        return 0
    done
    return 0
}
window=""
end=$((SECONDS + deadline_seconds))
until window="$(tool_window)"; [ -n "$window" ] || ! kill -0 "$tool_pid" 2>/dev/null || [ $SECONDS -ge $end ]; do
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
wm_class="$(xprop -id "$window" WM_CLASS)" \
    || { echo "FAIL: the WM_CLASS of the tool's window $window cannot be read"; cat "$work/tool.log"; exit 1; }
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
