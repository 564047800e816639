# The tool's desktop entry as packaging/ holds it, for the tests that check a
# window against it; sourced. Its file name is what desktops look a window up
# by, so it is read here each time rather than written into the tests.

# desktop_entry PACKAGING_DIR: the path of the one desktop entry in it.
desktop_entry() {
    local entries=("$1"/*.desktop)
    if [ ${#entries[@]} -ne 1 ] || [ ! -f "${entries[0]}" ]; then
        echo "FAIL: $1 holds not one desktop entry: ${entries[*]}" >&2
        return 1
    fi
    echo "${entries[0]}"
}

# desktop_entry_id ENTRY: its file name without .desktop.
desktop_entry_id() {
    local name="${1##*/}"
    echo "${name%.desktop}"
}

# desktop_entry_key ENTRY KEY: the key's value in the [Desktop Entry] group,
# where the keys about the application itself live; nothing if it has none.
# Blanks around '=' do not count.
desktop_entry_key() {
    awk -v key="$2" '
        /^\[/ { group = $0; next }
        group == "[Desktop Entry]" && index($0, key) == 1 {
            rest = substr($0, length(key) + 1)
            if (rest ~ /^[ \t]*=/) { sub(/^[ \t]*=[ \t]*/, "", rest); print rest; exit }
        }' "$1"
}
