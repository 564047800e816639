# Sourced by the tests of the tool's window on a desktop (SCRIPT TOOL
# [PACKAGING_DIR], under set -euo pipefail): tool; entry, the desktop entry
# from which GNOME and KDE take the window's icon and name; XDG_RUNTIME_DIR;
# and the clean-up of the server (server_pid, or server_kill) and tool_pid.
tool="$1" packaging="${2:-$(dirname "$0")/../packaging}"
entries=("$packaging"/*.desktop)
[ ${#entries[@]} -eq 1 ] && [ -f "${entries[0]}" ] || { echo "FAIL: $packaging holds not one desktop entry"; exit 1; }
entry="${entries[0]}"

# A test runner that kills this script by SIGKILL on a timeout gives it no
# chance to clean up; the kernel then ends the server and the tool with it.
guard=()
! setpriv --pdeathsig KILL true 2>/dev/null || guard=(setpriv --pdeathsig KILL)
# mktemp makes the folder 0700, as Qt and weston want their runtime folder.
work="$(mktemp -d)"
export XDG_RUNTIME_DIR="$work"
server_pid="" server_kill="" tool_pid=""
# stop PID [TARGET]: ends TARGET (PID itself unless given), by SIGKILL after
# 5 s: a process stuck on a dead connection would hold the test up.
stop() {
    local target="${2:-$1}"
    kill -- "$target" 2>/dev/null || return 0
    for _ in $(seq 100); do kill -0 -- "$target" 2>/dev/null || break; sleep 0.05; done
    kill -KILL -- "$target" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
# The tool first: a display server gone under it makes Qt abort.
trap '[ -z "$tool_pid" ] || stop "$tool_pid"; [ -z "$server_pid" ] || stop "$server_pid" "${server_kill:-$server_pid}"
    rm -rf "$work"' EXIT
# Without these bash dies of the signal and skips the EXIT trap.
for signal in HUP:129 INT:130 TERM:143; do trap "exit ${signal#*:}" "${signal%:*}"; done
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
    echo "FAIL: $1 (the tool ran: $([ -n "$tool_pid" ] && kill -0 "$tool_pid" 2>/dev/null && echo yes || echo no))"
    cat "$work"/*.log
    exit 1
}

