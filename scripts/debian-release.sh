# What the Debian release this machine runs offers the project; sourced by
# the scripts that set it up. No package name here is tied to one release:
# versions and names are read from what the release offers.

release_label() {
    (. /etc/os-release 2>/dev/null && echo "${PRETTY_NAME:-this system}") || echo "this system"
}

debian_like() { command -v apt-get >/dev/null && command -v dpkg-query >/dev/null; }

# sudo resets the environment, so what apt must see is handed over by env.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        env DEBIAN_FRONTEND=noninteractive "$@"
    else
        sudo env DEBIAN_FRONTEND=noninteractive "$@"
    fi
}

# Others may be installing at the same time: apt waits for dpkg's lock.
apt_install() { as_root apt-get -o DPkg::Lock::Timeout=600 "$@"; }

# apt knows no candidate for anything until its lists were fetched once.
ensure_package_lists() {
    compgen -G '/var/lib/apt/lists/*_Packages*' >/dev/null || as_root apt-get update -qq
}

# The build dependencies come from debian/control's Build-Depends, the one
# list of them and of their lowest versions, read by apt for the build
# profiles given (a space-separated list, empty for the whole build).
source_tree="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Whether the release offers what the build needs; when not, apt's own
# account of it is in the variable shortfall.
build_deps_available() {
    shortfall=""
    debian_like || return 0
    ensure_package_lists
    shortfall="$(apt-get -s -qq build-dep ${1:+-P "${1// /,}"} "$source_tree/" 2>&1)" && return 0
    shortfall="its apt cannot give the build dependencies:
$shortfall"
    return 1
}

# Installs what the build needs, when something is missing.
install_build_deps() {
    if ! debian_like; then
        echo "$(release_label) has no apt-get and dpkg, so nothing is installed here: it needs what debian/control's Build-Depends name." >&2
        return 0
    fi
    if command -v dpkg-checkbuilddeps >/dev/null \
        && (cd "$source_tree" && dpkg-checkbuilddeps ${1:+-P "${1// /,}"}) 2>/dev/null; then
        return 0
    fi
    as_root apt-get update -qq
    echo "Installing the build dependencies${1:+ (build profiles: $1)}"
    apt_install build-dep -y -qq ${1:+-P "${1// /,}"} "$source_tree/"
}

# Ends the calling script with "RELEASE cannot WHAT: apt's reason" when the
# release does not offer what the whole build needs.
require_build_deps() {
    build_deps_available "" && return
    echo "$(release_label) cannot $1: $shortfall" >&2
    exit 1
}

# The sanitizer and fuzzer runtimes of the installed clang: a package of
# their own from LLVM 14's packaging on (a release may carry several LLVMs),
# part of clang's own before.
clang_runtime_package() {
    local package
    package="libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
    ! apt-cache show "$package" >/dev/null 2>&1 || echo "$package"
}
