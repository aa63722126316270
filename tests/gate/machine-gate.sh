#!/bin/sh
# How `make test` readies a machine and reads Wine's output. Each case runs
# the real scripts in a scratch tree, with stand-ins for apt, dpkg, the i386
# probe and Wine:
#   emulated        no i386 program starts: the emulator is installed and
#                   registered before 32-bit Wine, and that is said once;
#   native          i386 programs start: no emulator, no registration;
#   forced          QUILLON_EMULATE_32BIT=1 on a native machine registers it;
#   skip-first      QUILLON_SKIP_32BIT_CHECKS=1: neither 32-bit Wine nor the
#                   emulator, and the checks say SKIPPED;
#   failed-index    an index that fails every update still lets the install
#                   go on; what only the suite's other name offers is had
#                   from there; what cannot be had is named with the index;
#   wine-noise      Wine's messages on standard error do not fail the
#                   comparison of the Linux and Wine runs; a different clock does.
# Usage: machine-gate.sh SOURCE_DIR SCRATCH_DIR CASE
set -u

source_dir=$1
scratch=$2
case_name=$3
rm -rf "$scratch"
mkdir -p "$scratch/scripts" "$scratch/bin" "$scratch/state"
scratch=$(cd "$scratch" && pwd)
state=$scratch/state
cp "$source_dir/scripts/install-deps.sh" "$source_dir/scripts/wine-check.sh" \
   "$source_dir/scripts/wine32-checks.sh" "$scratch/scripts/"

fail() {
    echo "FAILED ($case_name): $1" >&2
    for log in "$scratch/out" "$state/apt.log"; do
        [ -f "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }
    done
    exit 1
}

stub() {
    printf '#!/bin/sh\n%s\n' "$2" >"$scratch/bin/$1"
    chmod +x "$scratch/bin/$1"
}

# A Debian machine of this kind as root: dpkg answers from state/installed,
# apt-get install adds what state/available offers, apt-get update fails
# as many times as state/update-failures says (each failure an index of
# i386 packages). The failing suite is also published as oldstable-security,
# whole, offering state/available-by-alias too; apt-get sees it through a
# copy of the sources (state/apt) that names it.
debian_machine() {
    : >"$state/installed"
    : >"$state/apt.log"
    echo 0 >"$state/update-failures"
    stub id 'echo 0'
    stub sleep ':'
    stub dpkg 'echo i386'
    stub dpkg-query "grep -qx \"\$3\" \"$state/installed\" && printf installed"
    mkdir -p "$state/apt/sources.list.d"
    printf 'Types: deb\nURIs: http://mirror/debian-security\nSuites: bookworm-security\nComponents: main\n' \
        >"$state/apt/sources.list.d/debian.sources"
    : >"$state/available-by-alias"
    stub apt-helper "printf 'Suite: oldstable-security\nCodename: bookworm-security\n' >\"\$3\""
    stub apt-get "
state=$state
echo \"\$*\" >>\"\$state/apt.log\"
verb=\$1
shift
sources=\$(printf '%s\n' \"\$@\" | sed -n 's/^Dir::Etc::SourceParts=//p')
offered=\$state/available
if [ -n \"\$sources\" ]; then
    grep -qs 'Suites: oldstable-security' \"\$sources\"/* || exit 100
    offered=\"\$offered \$state/available-by-alias\"
    [ \"\$verb\" = update ] && exit 0
fi
case \"\$verb\" in
update)
    left=\$(cat \"\$state/update-failures\")
    [ \"\$left\" -gt 0 ] || exit 0
    echo \$((left - 1)) >\"\$state/update-failures\"
    echo 'Err:4 http://mirror/debian-security bookworm-security/main i386 Packages'
    echo 'E: Failed to fetch http://mirror/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size'
    exit 100 ;;
install)
    packages=\$(printf '%s\n' \"\$@\" | grep -v '^-' | grep -v '::')
    for package in \$packages; do cat \$offered | grep -qx \"\$package\" || exit 100; done
    printf '%s\n' \$packages >>\"\$state/installed\" ;;
esac"
    # Everything but 32-bit Wine is there already.
    PATH="$scratch/bin:$PATH" QUILLON_SKIP_32BIT_CHECKS=1 sh "$scratch/scripts/install-deps.sh" test --print \
        >"$state/wanted"
    mv "$state/wanted" "$state/installed"
    printf 'wine32:i386\nwine32-preloader:i386\nqemu-user\n' >"$state/available"
}

# The i386 probe: "none" until an emulator is registered, or "native".
i386_machine() {
    echo "$1" >"$state/i386"
    cat >"$scratch/scripts/i386-emulation.sh" <<EOF
case "\$1" in
status) if [ -f "$state/registered" ]; then echo emulated; else cat "$state/i386"; fi ;;
register) grep -qx qemu-user "$state/installed" || exit 1; echo registered >>"$state/apt.log"; touch "$state/registered" ;;
esac
EOF
}

install() {
    PATH="$scratch/bin:$PATH" QUILLON_APT_DIR="$state/apt" QUILLON_APT_HELPER="$scratch/bin/apt-helper" sh "$scratch/scripts/install-deps.sh" test >"$scratch/out" 2>&1
}

installed() { grep -qx "$1" "$state/installed"; }
# The line number in the apt log of the first line matching a pattern.
step() { grep -n -m 1 -e "$1" "$state/apt.log" | cut -d: -f1; }

case "$case_name" in
emulated)
    debian_machine
    i386_machine none
    install || fail "the install failed"
    installed qemu-user && installed wine32-preloader:i386 && installed wine32:i386 ||
        fail "the emulator, the preloader or 32-bit Wine is missing"
    [ "$(step registered)" -lt "$(step 'install -y.*wine32:i386')" ] ||
        fail "32-bit Wine went in before the emulator was registered"
    [ "$(grep -c 'under emulation' "$scratch/out")" = 1 ] || fail "the emulation was not said once"
    # Once set up, a second run leaves the machine alone.
    : >"$state/apt.log"
    install && [ ! -s "$state/apt.log" ] || fail "a ready machine was set up again"
    ;;
native)
    debian_machine
    i386_machine native
    install || fail "the install failed"
    installed wine32:i386 || fail "32-bit Wine is missing"
    ! installed qemu-user && ! grep -q registered "$state/apt.log" ||
        fail "a machine that runs 32-bit programs got an emulator"
    ;;
forced)
    debian_machine
    i386_machine native
    QUILLON_EMULATE_32BIT=1 install || fail "the install failed"
    grep -q registered "$state/apt.log" && installed wine32-preloader:i386 ||
        fail "QUILLON_EMULATE_32BIT=1 did not take the emulated path"
    grep -q QUILLON_EMULATE_32BIT "$scratch/out" || fail "the forced emulation was not said"
    ;;
skip-first)
    debian_machine
    i386_machine none
    QUILLON_SKIP_32BIT_CHECKS=1 install || fail "the install failed"
    ! grep -q ':i386\|registered' "$state/apt.log" || fail "a skip still installed 32-bit Wine or an emulator"
    printf 'exit 1\n' >"$scratch/scripts/wine-env.sh"
    mkdir -p "$scratch/build/windows-i686"
    QUILLON_SKIP_32BIT_CHECKS=1 sh "$scratch/scripts/wine32-checks.sh" "$scratch/build" >"$scratch/out" 2>&1 ||
        fail "the skipped checks failed"
    grep -q SKIPPED "$scratch/out" || fail "the skip was silent"
    ;;
failed-index)
    debian_machine
    i386_machine native
    echo 99 >"$state/update-failures"
    install || fail "one failing index stopped an install that could go on"
    [ "$(grep -c '^update' "$state/apt.log")" = 3 ] || fail "the update was not tried three times"
    installed wine32:i386 || fail "the install did not go on after the failed updates"
    # Offered only where the failing suite is published under its other name.
    sed -i '/^wine32:i386$/d' "$state/installed" "$state/available"
    echo wine32:i386 >"$state/available-by-alias"
    echo 99 >"$state/update-failures"
    install || fail "what the suite's other name offers was not had from there"
    installed wine32:i386 && grep -q 'oldstable-security' "$scratch/out" ||
        fail "the install from the suite's other name did not happen or was not said"
    grep -q 'Suites: bookworm-security' "$state/apt/sources.list.d/debian.sources" ||
        fail "the machine's own sources were changed"
    # A package that no index offers: named, with the index that failed.
    sed -i '/^wine32:i386$/d' "$state/installed" "$state/available-by-alias"
    echo 99 >"$state/update-failures"
    install && fail "a package that cannot be had was reported as installed"
    grep -q 'not installed: wine32:i386.*binary-i386/Packages.xz' "$scratch/out" ||
        fail "the missing package or the failed index was not named"
    ;;
wine-noise)
    # Both runs render two frames; Wine adds messages of its own on stderr.
    build="$scratch/build"
    mkdir -p "$build/linux/tools/render-frames" "$build/linux/tools/render-compare" \
             "$build/windows-x64/tools/render-frames" "$build/windows-x64/wine-prefix"
    touch "$build/linux/Quillon.so" "$build/windows-x64/Quillon.dll" \
          "$build/windows-x64/tools/render-frames/quillon-render-frames.exe"
    printf 'one   clock 1.0000  selected -\ntwo   clock 2.0000  selected DLH4AB\n' >"$state/frames"
    cat >"$build/linux/tools/render-frames/quillon-render-frames" <<EOF
#!/bin/sh
cat "$state/frames"
EOF
    cat >"$scratch/bin/wine64" <<EOF
#!/bin/sh
echo "wine client error:74: write: Bad file descriptor" >&2
sed 's/\$/\r/' "$state/wine-frames"
echo "qemu: uncaught target signal 11 (Segmentation fault) - core dumped" >&2
EOF
    printf '#!/bin/sh\necho compared\n' >"$build/linux/tools/render-compare/quillon-compare-renders"
    chmod +x "$scratch/bin/wine64" "$build/linux/tools/render-frames/quillon-render-frames" \
             "$build/linux/tools/render-compare/quillon-compare-renders"
    printf 'QUILLON_WINE64=%s\nQUILLON_WINESERVER=true\nquillon_wait_for_wine() { :; }\n' "$scratch/bin/wine64" \
        >"$scratch/scripts/wine-env.sh"
    echo "exit 0" >"$scratch/scripts/wine-prefix.sh"
    cp "$state/frames" "$state/wine-frames"
    sh "$scratch/scripts/wine-check.sh" "$build" >"$scratch/out" 2>&1 ||
        fail "Wine's own messages failed the comparison"
    sed 's/clock 2.0000/clock 2.0556/' "$state/frames" >"$state/wine-frames"
    sh "$scratch/scripts/wine-check.sh" "$build" >"$scratch/out" 2>&1 &&
        fail "a run at another clock passed"
    grep -q 'differ in clock or selection' "$scratch/out" && grep -q 'wine client error' "$scratch/out" ||
        fail "the difference or Wine's messages were not shown"
    ;;
*)
    echo "machine-gate.sh: unknown case $case_name" >&2
    exit 2
    ;;
esac
echo "$case_name: ok"
