# shellcheck shell=bash
# apt as a bench runs it on a package folder (signed-by the folder's keyring),
# with all of its state in a folder of its own: neither the machine's apt nor
# its dpkg is read or changed, and no root is needed. Sourced.
# apt_private_setup FOLDER [DPKG_STATUS] makes the state (an empty dpkg status
# unless one is given); apt_private COMMAND... runs apt in it.
apt_state="$(mktemp -d)"
trap 'rm -rf "$apt_state"' EXIT

apt_private_setup() {
    local folder="$1" status="${2:-}"
    rm -rf "$apt_state/apt"
    mkdir -p "$apt_state/apt/lists/partial" "$apt_state/apt/cache" "$apt_state/apt/preferences.d"
    cp "${status:-/dev/null}" "$apt_state/apt/status"
    echo "deb [signed-by=$folder/velkor-bench-archive.gpg] file:$folder ./" >"$apt_state/apt/sources.list"
}

apt_private() {
    LC_ALL=C "$@" -o Dir::Etc::sourcelist="$apt_state/apt/sources.list" -o Dir::Etc::sourceparts=- \
        -o Dir::State="$apt_state/apt" -o Dir::State::lists="$apt_state/apt/lists" \
        -o Dir::State::status="$apt_state/apt/status" -o Dir::Cache="$apt_state/apt/cache" \
        -o Dir::Etc::preferences="$apt_state/apt/preferences" -o Dir::Etc::preferencesparts="$apt_state/apt/preferences.d" \
        -o Debug::NoLocking=1 -o APT::Sandbox::User="$(id -un)"
}

# The version apt would install of the tool; fails when it has none.
apt_candidate() {
    local record
    record="$(apt_private apt-cache show --no-all-versions velkor-linux-pci-driver-test)" || return 1
    sed -n 's/^Version: //p' <<<"$record"
}
