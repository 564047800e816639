# What the Debian release this machine runs offers the project; sourced by
# the scripts that set it up. No package name here is tied to one release:
# versions and names are read from what the release offers.

release_label() {
    (. /etc/os-release 2>/dev/null && echo "${PRETTY_NAME:-this system}") || echo "this system"
}

debian_like() { command -v apt-get >/dev/null && command -v dpkg-query >/dev/null; }

# apt-get waits for dpkg's lock when told (DPkg::Lock::Timeout, known to
# apt from Debian 11 on), but "update" fails at once while another holds the
# lock of its lists: wait for that one here, up to 10 minutes. apt translates
# its messages, so the one looked for is read in the C locale.
apt_update() {
    local waited=0 errors
    until errors="$(as_root LC_ALL=C apt-get update -qq 2>&1 >/dev/null)"; do
        if [[ "$errors" != *"Could not get lock"* ]] || [ $waited -ge 600 ]; then
            echo "$errors" >&2
            return 1
        fi
        [ $waited -gt 0 ] || echo "Waiting for another apt-get update to finish."
        sleep 10
        waited=$((waited + 10))
    done
    [ -z "$errors" ] || echo "$errors" >&2
}

# apt knows no candidate for anything until its lists were fetched once.
ensure_package_lists() {
    compgen -G '/var/lib/apt/lists/*_Packages*' >/dev/null || apt_update
}

# sudo resets the environment, so what apt must see is handed over by env.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        env DEBIAN_FRONTEND=noninteractive "$@"
    else
        sudo env DEBIAN_FRONTEND=noninteractive "$@"
    fi
}

# The installed version of a package, else the one apt would install; empty
# when the release has no such package.
package_version() {
    if dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; then
        dpkg-query -W -f='${Version}' "$1"
    else
        apt-cache show --no-all-versions "$1" 2>/dev/null | sed -n 's/^Version: //p' | head -n 1 || true
    fi
}

# Adds "WHAT VERSION or later (RELEASE has ...)" to the array shortfall when
# the release's PACKAGE is older.
need_version() {
    local package="$1" minimum="$2" what="$3" have
    have="$(package_version "$package")"
    if [ -z "$have" ] || dpkg --compare-versions "$have" lt "$minimum"; then
        have="${have#*:}"
        have="${have%%-*}"
        shortfall+=("$what $minimum or later (it has ${have:-none})")
    fi
}

# What the release lacks for the simulated board (umockdev 0.15, of Debian
# 11, has no ioctl handler API; its trace names errors with glibc 2.32's
# strerrorname_np), in the array shortfall. LEVEL: "package" the board alone,
# "build" with the tests and benchmarks (glibc 2.33's mallinfo2, CMake 3.15),
# "fuzz" also the fuzz target (CMake 3.24).
simulator_shortfall() {
    local level="$1"
    shortfall=()
    debian_like || return 0
    ensure_package_lists
    need_version libumockdev-dev 0.16 "umockdev"
    case "$level" in
        package) need_version libc6 2.32 "glibc" ;;
        build) need_version libc6 2.33 "glibc"; need_version cmake 3.15 "CMake" ;;
        fuzz) need_version libc6 2.33 "glibc"; need_version cmake 3.24 "CMake" ;;
    esac
}

# One line: "Debian GNU/Linux 11 (bullseye) cannot WHAT: it needs ...".
describe_shortfall() {
    local joined
    joined="$(printf '%s, ' "${shortfall[@]}")"
    echo "$(release_label) cannot $1: it needs ${joined%, }"
}

# Ends the calling script with that line when the release cannot do WHAT
# ("run the tests", say) at LEVEL.
require_simulator() {
    simulator_shortfall "$2"
    [ ${#shortfall[@]} -eq 0 ] && return
    echo "$(describe_shortfall "$1")." >&2
    exit 1
}

# The sanitizer and fuzzer runtimes of the installed clang: a package of
# their own from LLVM 14's packaging on (a release may carry several LLVMs),
# part of clang's own before.
clang_runtime_package() {
    local major
    major="$(clang -dumpversion | cut -d. -f1)"
    [ -z "$(package_version "libclang-rt-$major-dev")" ] || echo "libclang-rt-$major-dev"
}
