#!/bin/sh
# Installs the Debian packages that building and testing Quillon need, and
# only when one of them is missing: a machine that has them all is left
# alone (no apt-get, no sudo).
# Usage: install-deps.sh [build|bench|test] [--print]
#   build  what the three builds and the preview need (`make run`, `make build`);
#   bench  those and what draws the benchmark's charts (`make bench`);
#   test   those and what the tests add (`make test`): Wine, 32-bit Wine from
#          Debian's i386 architecture, an X server for the window tests, the
#          fuzzers' compiler, valgrind. The default.
#   --print  prints the set's packages that are missing and installs nothing.
# The test set also makes sure that 32-bit programs run, for the checks of
# the 32-bit DLL under 32-bit Wine: where the kernel runs none, Debian's
# qemu-i386 is registered for them (scripts/i386-emulation.sh), and they run
# emulated. QUILLON_SKIP_32BIT_CHECKS=1 (those checks skipped) leaves 32-bit
# Wine and the emulation out; QUILLON_EMULATE_32BIT=1 takes the emulated path
# on a machine that runs 32-bit programs natively, to prove it there
# (`scripts/i386-emulation.sh remove` undoes the registration).
set -eu

here=$(cd "$(dirname "$0")" && pwd)

BUILD_PACKAGES="
build-essential
cmake
pkg-config
libgtest-dev
libgmock-dev
libbenchmark-dev
libgdiplus
fonts-liberation
fonts-dejavu-core
nlohmann-json3-dev
libcli11-dev
libgif-dev
libpng-dev
libsdl2-dev
libinih-dev
g++-mingw-w64-i686
g++-mingw-w64-x86-64
binutils-mingw-w64
python3
"

BENCH_PACKAGES="
python3-matplotlib
"

TEST_PACKAGES="
wine64
wine
wine32:i386
fonts-wine
xvfb
xdotool
xauth
clang
libclang-rt-14-dev
valgrind
"

# What runs 32-bit programs where the kernel does not: the emulator, and
# Wine's preloader, without which the 32-bit loader cannot map its shared
# data under emulation.
EMULATION_PACKAGES="
qemu-user
wine32-preloader:i386
"

set_name=test
print_only=0
for argument in "$@"; do
    case "$argument" in
    build | bench | test) set_name=$argument ;;
    --print) print_only=1 ;;
    *) echo "usage: install-deps.sh [build|bench|test] [--print]" >&2; exit 2 ;;
    esac
done
case "$set_name" in
build) PACKAGES=$BUILD_PACKAGES ;;
bench) PACKAGES="$BUILD_PACKAGES $BENCH_PACKAGES" ;;
test) PACKAGES="$BUILD_PACKAGES $TEST_PACKAGES" ;;
esac

# How this machine will run the 32-bit checks' programs: "" (natively, or not
# at all: skipped), "present" (emulated, registered already), "needed" (no
# 32-bit programs yet: register the emulator) or "forced" (QUILLON_EMULATE_32BIT).
emulation=""
if [ "$set_name" = test ]; then
    if [ "${QUILLON_SKIP_32BIT_CHECKS:-0}" = 1 ]; then
        without_i386=""
        for package in $PACKAGES; do
            case "$package" in *:i386) ;; *) without_i386="$without_i386 $package" ;; esac
        done
        PACKAGES=$without_i386
        [ "$print_only" = 1 ] ||
            echo "note: QUILLON_SKIP_32BIT_CHECKS=1: 32-bit Wine and what runs it are left out; the 32-bit checks will be skipped"
    else
        case "$(sh "$here/i386-emulation.sh" status)" in
        emulated) emulation=present ;;
        none) emulation=needed ;;
        *) [ "${QUILLON_EMULATE_32BIT:-0}" = 1 ] && emulation=forced ;;
        esac
        [ -z "$emulation" ] || PACKAGES="$PACKAGES $EMULATION_PACKAGES"
    fi
fi

is_installed() {
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = "installed" ]
}

# Reads apt-get update's output on stdin, echoes it, and fails when an index
# failed to download (apt-get itself exits 0 for some of those).
failed_update() {
    status=0
    while IFS= read -r line; do
        printf '%s\n' "$line"
        case "$line" in
        E:* | Err:*) status=1 ;;
        esac
    done
    return $status
}

# The packages named that are not installed, each after a space.
not_installed() {
    for package in "$@"; do
        is_installed "$package" || printf ' %s' "$package"
    done
}

# shellcheck disable=SC2086 # one word per package
missing=$(not_installed $PACKAGES)

if [ "$print_only" = 1 ]; then
    for package in $missing; do echo "$package"; done
    exit 0
fi
case "$emulation" in
needed | forced) register=1 ;;
*) register=0 ;;
esac
if [ -z "$missing" ] && [ "$register" = 0 ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
elif [ -n "$missing" ]; then
    echo "error: these packages are missing and there is no sudo to install them:$missing" >&2
    exit 1
else
    echo "warning: this machine runs no 32-bit programs and registering an emulator for them needs root; the 32-bit checks will fail (QUILLON_SKIP_32BIT_CHECKS=1 skips them)" >&2
    exit 0
fi

update_log=$(mktemp)
alias_sources=$(mktemp -d)
trap 'rm -rf "$update_log" "$alias_sources"' EXIT
# Options for apt-get; set when the sources are swapped for their aliases.
apt_options=""
apt_dir=${QUILLON_APT_DIR:-/etc/apt}
apt_helper=${QUILLON_APT_HELPER:-/usr/lib/apt/apt-helper}

# A mirror caught mid-sync fails an index now and then: try the update a few
# times, then let the install decide whether what is missing can be had from
# the indexes that did arrive.
update_indexes() {
    tries=${1:-${QUILLON_APT_UPDATE_TRIES:-3}}
    # A sync takes minutes: the pauses grow (15 s, then 60 s).
    pause=${QUILLON_APT_UPDATE_PAUSE:-15}
    try=1
    while ! $as_root env DEBIAN_FRONTEND=noninteractive apt-get update $apt_options 2>&1 | tee "$update_log" | failed_update; do
        if [ "$try" -ge "$tries" ]; then
            echo "warning: apt-get update failed $try times; installing from the indexes that did arrive" >&2
            return 0
        fi
        sleep $((pause * try * try))
        try=$((try + 1))
    done
}

# One package that cannot be had (say, from an index that did not arrive) must
# not keep the others out: after a failed install, each goes in on its own.
install_packages() {
    # shellcheck disable=SC2086 # one word per package
    if ! $as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y $apt_options "$@"; then
        for package in "$@"; do
            is_installed "$package" ||
                $as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y $apt_options "$package" || true
        done
    fi
}

# The emulator goes in and is registered before 32-bit Wine: wine32's own
# install steps run 32-bit programs.
register_emulation() {
    is_installed qemu-user || install_packages qemu-user
    if ! $as_root sh "$here/i386-emulation.sh" register; then
        echo "warning: 32-bit programs cannot be made to run on this machine (no emulator could be registered through binfmt_misc); the 32-bit checks will fail (QUILLON_SKIP_32BIT_CHECKS=1 skips them)" >&2
        return 0
    fi
    if [ "$emulation" = forced ]; then
        echo "note: 32-bit programs run under emulation here, as QUILLON_EMULATE_32BIT=1 asks (qemu-i386 registered through binfmt_misc; scripts/i386-emulation.sh remove undoes it)"
    else
        echo "note: this machine's kernel runs no 32-bit programs: they run under emulation here (qemu-i386 registered through binfmt_misc), slower than natively"
    fi
}

if [ -n "$missing" ]; then
    echo "Installing missing Debian packages:$missing"
    # wine32 (the 32-bit Windows programs that run the shipped DLL) comes from
    # Debian's i386 architecture, which apt knows only once it is added.
    case "$missing" in
    *:i386*)
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            $as_root dpkg --add-architecture i386
        fi
        ;;
    esac
    update_indexes
fi
[ "$register" = 0 ] || register_emulation
if [ -n "$missing" ]; then
    # shellcheck disable=SC2086 # one word per package
    install_packages $missing
fi

# The other name of a suite (bookworm-security is also oldstable-security), as
# its Release file gives it. apt keeps no Release of a suite whose update
# failed, so it is fetched again here; it only names the alias, whose own
# Release apt then checks.
suite_alias() {
    $apt_helper download-file "$1/dists/$2/InRelease" "$alias_sources/Release" >/dev/null 2>&1 ||
        $apt_helper download-file "$1/dists/$2/Release" "$alias_sources/Release" >/dev/null 2>&1 ||
        return 0
    sed -n 's/^\(Suite\|Codename\): *//p' "$alias_sources/Release" | grep -vx "$2" | head -n 1
    rm -f "$alias_sources/Release"
}

# A mirror that serves a stale index for a suite (its size not the one its
# signed Release gives) may serve the same archive whole under the suite's
# other name. Tried only once the install has failed: the sources are copied
# with the suite swapped for its alias, for every architecture so that amd64
# and i386 stay at the same versions. That copy may be older than its
# Valid-Until; its signature is still checked, and apt never downgrades.
install_from_suite_aliases() {
    swapped=""
    for url in $failed_indexes; do
        base=${url%%/dists/*}
        suite=${url#*/dists/}
        suite=${suite%%/*}
        alias=$(suite_alias "$base" "$suite")
        [ -n "$alias" ] || continue
        case " $swapped " in *" $suite:$alias "*) continue ;; esac
        swapped="$swapped $suite:$alias"
    done
    [ -n "$swapped" ] || return 0
    [ ! -f "$apt_dir/sources.list" ] || cp "$apt_dir/sources.list" "$alias_sources/00-sources.list"
    for file in "$apt_dir"/sources.list.d/*.list "$apt_dir"/sources.list.d/*.sources; do
        [ ! -f "$file" ] || cp "$file" "$alias_sources/"
    done
    for swap in $swapped; do
        sed -i "/^\(deb\|Suites:\)/ s/\([[:space:]]\)${swap%%:*}\([[:space:]]\|\$\)/\1${swap#*:}\2/" "$alias_sources"/*
    done
    echo "warning: trying the suites whose indexes failed under their other names (${swapped# }), from a copy of the sources"
    apt_options="-o Dir::Etc::SourceParts=$alias_sources -o Dir::Etc::sourcelist=/dev/null -o Acquire::Check-Valid-Until=false -o APT::Get::List-Cleanup=false"
    update_indexes 1
    # shellcheck disable=SC2086 # one word per package
    install_packages $still_missing
}

# shellcheck disable=SC2086 # one word per package
still_missing=$(not_installed $missing)
failed_indexes=$(grep '^E: Failed to fetch' "$update_log" | sed -n 's/.*\(https\{0,1\}:[^ ]*\).*/\1/p' | sort -u | tr '\n' ' ')
if [ -n "$still_missing" ] && [ -n "$failed_indexes" ]; then
    install_from_suite_aliases
    still_missing=$(not_installed $missing)
fi
if [ -n "$still_missing" ]; then
    echo "error: still not installed:$still_missing${failed_indexes:+ (indexes that failed to download: $failed_indexes)}" >&2
    exit 1
fi
