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
set -eu

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

missing=""
for package in $PACKAGES; do
    is_installed "$package" || missing="$missing $package"
done

if [ "$print_only" = 1 ]; then
    for package in $missing; do echo "$package"; done
    exit 0
fi
if [ -z "$missing" ]; then
    exit 0
fi

echo "Installing missing Debian packages:$missing"
if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
else
    echo "error: these packages are missing and there is no sudo to install them:$missing" >&2
    exit 1
fi

# wine32 (the 32-bit Windows programs that run the shipped DLL) comes from
# Debian's i386 architecture, which apt knows only once it is added.
case "$missing" in
*:i386*)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $as_root dpkg --add-architecture i386
    fi
    ;;
esac
# A mirror caught mid-sync fails an index now and then: try the update a few
# times, then let the install decide whether what is missing can be had from
# the indexes that did arrive.
update_log=$(mktemp)
trap 'rm -f "$update_log"' EXIT
update_tries=${QUILLON_APT_UPDATE_TRIES:-3}
update_pause=${QUILLON_APT_UPDATE_PAUSE:-10}
try=1
while ! $as_root env DEBIAN_FRONTEND=noninteractive apt-get update 2>&1 | tee "$update_log" | failed_update; do
    if [ "$try" -ge "$update_tries" ]; then
        echo "warning: apt-get update failed $try times; installing from the indexes that did arrive" >&2
        break
    fi
    try=$((try + 1))
    sleep "$update_pause"
done
# One package that cannot be had (say, from an index that did not arrive) must
# not keep the others out: after a failed install, each goes in on its own.
# shellcheck disable=SC2086 # one word per package
if ! $as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y $missing; then
    for package in $missing; do
        is_installed "$package" ||
            $as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "$package" || true
    done
fi

still_missing=""
for package in $missing; do
    is_installed "$package" || still_missing="$still_missing $package"
done
if [ -n "$still_missing" ]; then
    failed_indexes=$(grep '^E: Failed to fetch' "$update_log" | sed -n 's/.*\(https\{0,1\}:[^ ]*\).*/\1/p' | sort -u | tr '\n' ' ')
    echo "error: still not installed:$still_missing${failed_indexes:+ (indexes that failed to download: $failed_indexes)}" >&2
    exit 1
fi
