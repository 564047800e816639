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

# The build dependencies come from debian/control's Build-Depends, the one
# list of them and of their lowest versions, read by apt for the build
# profiles given (a space-separated list, empty for the whole build).
source_tree="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Whether the release offers what the build needs; when not, apt's reason is
# in the variable shortfall.
build_deps_available() {
    shortfall=""
    debian_like || return 0
    ensure_package_lists
    local report
    report="$(LC_ALL=C apt-get -s -q build-dep ${1:+-P "${1// /,}"} "$source_tree/" 2>&1)" && return 0
    # apt names each unmet one: "builddeps:... : Depends: X (>= 1) but 0.9 is to be installed".
    shortfall="$(sed -n 's/.*Depends: //p' <<<"$report" | paste -s -d ';' | sed 's/;/; /g')"
    [ -n "$shortfall" ] || shortfall="$(sed -n 's/^E: //p' <<<"$report" | tail -n 1)"
    shortfall="its apt cannot give the build dependencies: $shortfall"
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
    apt_update
    echo "Installing the build dependencies${1:+ (build profiles: $1)}"
    # Others may be installing at the same time: wait for dpkg's lock.
    as_root apt-get -o DPkg::Lock::Timeout=600 build-dep -y -qq ${1:+-P "${1// /,}"} "$source_tree/"
}

# Ends the calling script with one line, "RELEASE cannot WHAT: apt's reason",
# when the release does not offer what the whole build needs.
require_build_deps() {
    build_deps_available "" && return
    echo "$(release_label) cannot $1: $shortfall" >&2
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
