# shellcheck shell=bash
# What the Debian release this machine runs offers the project, for the
# scripts that set it up. Names no package of one release alone: apt reads
# the build dependencies, with their lowest versions, from debian/control.
release_label() { (. /etc/os-release && echo "$PRETTY_NAME") 2>/dev/null || echo "this system"; }

# sudo resets the environment, so what apt must see is handed over by env;
# others may be installing at the same time, so apt waits for dpkg's lock.
as_root() { if [ "$(id -u)" -eq 0 ]; then env DEBIAN_FRONTEND=noninteractive "$@"; else sudo env DEBIAN_FRONTEND=noninteractive "$@"; fi; }
apt_install() { as_root apt-get -o DPkg::Lock::Timeout=600 "$@"; }
source_tree="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Whether the release offers what the build needs for the build profiles
# given (space-separated); when not, apt's own account is in $shortfall.
build_deps_available() {
    # apt knows no candidate for anything until its lists were fetched once.
    compgen -G '/var/lib/apt/lists/*_Packages*' >/dev/null || as_root apt-get update -qq
    shortfall="$(apt-get -s -qq build-dep ${1:+-P "${1// /,}"} "$source_tree/" 2>&1)" && return 0
    shortfall="its apt cannot give the build dependencies:"$'\n'"$shortfall"
    return 1
}

install_build_deps() {
    (cd "$source_tree" && dpkg-checkbuilddeps ${1:+-P "${1// /,}"}) 2>/dev/null && return 0
    as_root apt-get update -qq
    apt_install build-dep -y -qq ${1:+-P "${1// /,}"} "$source_tree/"
}

# Installs those of the packages given that are not installed yet.
install_missing() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    as_root apt-get update -qq
    echo "Installing: ${missing[*]}"
    apt_install install -y -qq "${missing[@]}"
}

# Ends the script with "RELEASE cannot WHAT: apt's reason" where it must.
require_build_deps() {
    build_deps_available "" && return
    echo "$(release_label) cannot $1: $shortfall" >&2
    exit 1
}

# Makes, once, a clean buildd chroot of a Debian release with mmdebstrap in
# unshare mode (no root; the caller's subordinate ids), kept where sbuild's
# unshare mode looks by itself, and prints its path. sbuild and autopkgtest
# work in fresh copies of it.
release_tarball() (
    tarball="$HOME/.cache/sbuild/$1-$(dpkg --print-architecture).tar"
    mirror=http://deb.debian.org/debian
    [ ! -e "$tarball" ] || { echo "$tarball"; exit 0; }
    install_missing mmdebstrap uidmap >&2 || exit
    mkdir -p "$(dirname "$tarball")"
    echo "Making a chroot of $1 with mmdebstrap (once; kept in $tarball)" >&2
    # Made aside, so that another run making it at the same time finishes
    # whole too; what a run leaves half made, on any exit, goes with it.
    partial="$(mktemp "$tarball.XXXXXX")" inrelease="$(mktemp)"
    trap 'rm -f "$partial" "$inrelease"' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    # A mirror may lag behind testing, signed a week at a time: only when the
    # release's signature has in fact run out does apt take it all the same.
    options=()
    /usr/lib/apt/apt-helper download-file "$mirror/dists/$1/InRelease" "$inrelease" >/dev/null || exit
    valid_until="$(sed -n 's/^Valid-Until: //p' "$inrelease")"
    if [ -n "$valid_until" ] && [ "$(date -d "$valid_until" +%s)" -lt "$(date +%s)" ]; then
        echo "$mirror's $1 expired on $valid_until: apt is told not to check its Valid-Until" >&2
        options+=(--aptopt='Acquire::Check-Valid-Until "false"')
    fi
    # Each step checked: a caller's || switches set -e off in here.
    mmdebstrap --mode=unshare --variant=buildd --format=tar "${options[@]}" "$1" "$partial" "$mirror" >&2 \
        && chmod 644 "$partial" && mv "$partial" "$tarball" && echo "$tarball"
)

# The booted machine's autopkgtest (debian/tests' bench-machine) of the
# packages in FOLDER, in a virtual machine of RELEASE booted from
# machine-image.sh's image; the summary goes to $summary where it is set.
# The tests are the source package's in FOLDER, or this tree's, packed as
# debian/source/options says.
machine_autopkgtest() (
    image="$("$source_tree/scripts/machine-image.sh" "$1")" || exit 1
    dsc=("$2"/*.dsc)
    if [ ! -e "${dsc[0]}" ]; then
        packed="$(mktemp -d)" && trap 'rm -rf "$packed"' EXIT
        (cd "$packed" && dpkg-source -b "$source_tree" >/dev/null) || exit 1
        dsc=("$packed"/*.dsc)
    fi
    # -U: the image holds no package lists, and its mirror has moved on since.
    run() {
        autopkgtest -U ${summary:+--summary-file="$summary"} --test-name=bench-machine \
            "$2"/velkor-linux-pci-driver-test_*.deb "$2"/velkor-sim_*.deb "${dsc[0]}" \
            -- qemu --qemu-command "$image/qemu-system-x86_64" --ram-size 2048 --cpus 2 "$image/root.img"
    }
    run "$@"
    status=$?
    # 16, the testbed failed: autopkgtest-virt-qemu gives an emulated
    # machine's shell 5 s to answer as it sets up, which a busy host misses.
    if [ "$status" -eq 16 ]; then
        echo "autopkgtest: the virtual machine failed as a testbed (16); once more"
        run "$@"
        status=$?
    fi
    case $status in 0) exit 0 ;; 2) exit 77 ;; *) exit 1 ;; esac
)
