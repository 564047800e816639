# The tool's desktop entry as packaging/ holds it, for the tests that check a
# window against it; sourced. Desktops look a window up by its file name, so
# it is read here each time rather than written into the tests.

# desktop_entry PACKAGING_DIR: the path of the one desktop entry in it.
desktop_entry() {
    local entries=("$1"/*.desktop)
    [ ${#entries[@]} -eq 1 ] && [ -f "${entries[0]}" ] || { echo "FAIL: $1 holds not one desktop entry" >&2; return 1; }
    echo "${entries[0]}"
}

# desktop_entry_key ENTRY KEY: the key's value in the [Desktop Entry] group,
# where the keys about the application itself live. Blanks around '=' do not count.
desktop_entry_key() {
    awk -v key="$2" '/^\[/ { group = $0; next }
        group == "[Desktop Entry]" && match($0, "^" key "[ \t]*=[ \t]*") { print substr($0, RLENGTH + 1); exit }' "$1"
}
