#!/bin/sh
# The release gate must not pass on nothing. Each case runs the real scripts
# in a scratch tree with stand-ins for Wine and the picture check:
#   no-tests        run-ctest.sh fails on a tree that registered no tests;
#   skip-first      QUILLON_SKIP_32BIT_CHECKS=1 skips before anything of Wine
#                   is looked at, says so, and leaves no stamp;
#   expected-tests  wine32-checks.sh stamps the DLL only when the expected
#                   32-bit tests ran and passed (none, or others, is no stamp).
# Usage: release-gate.sh SOURCE_DIR SCRATCH_DIR CASE
set -u
# The scratch runs decide for themselves whether to skip: a `make test` run
# with the 32-bit checks skipped must not skip them here too.
unset QUILLON_SKIP_32BIT_CHECKS

source_dir=$1
scratch=$2
case_name=$3
rm -rf "$scratch"
mkdir -p "$scratch/scripts" "$scratch/build/windows-i686"
scratch=$(cd "$scratch" && pwd)
cp "$source_dir/scripts/run-ctest.sh" "$source_dir/scripts/wine32-checks.sh" "$source_dir/scripts/i386-emulation.sh" \
   "$scratch/scripts/"
stamp="$scratch/build/windows-i686/Quillon.dll.checked"
echo "not a real DLL" >"$scratch/build/windows-i686/Quillon.dll"

fail() {
    echo "FAILED ($case_name): $1" >&2
    [ -f "$scratch/out" ] && cat "$scratch/out" >&2
    exit 1
}

# A tree whose ctest registers the named tests, each passing.
register_tests() {
    : >"$scratch/build/windows-i686/CTestTestfile.cmake"
    for name in "$@"; do
        echo "add_test($name \"true\")" >>"$scratch/build/windows-i686/CTestTestfile.cmake"
    done
}

# Wine as a machine with it has it; the prefix and the picture check pass.
working_wine() {
    printf 'QUILLON_WINE32=true\nQUILLON_WINE64=true\nQUILLON_WINESERVER=true\n' >"$scratch/scripts/wine-env.sh"
    echo "exit 0" >"$scratch/scripts/wine-prefix.sh"
    echo "exit 0" >"$scratch/scripts/wine-check.sh"
    chmod +x "$scratch/scripts/"*.sh
}

checks() { sh "$scratch/scripts/wine32-checks.sh" "$scratch/build" >"$scratch/out" 2>&1; }

expected="windows.LoadsRunsAndUnloads windows.StandInHostSurfacesAndLoader windows.HostCallingConditions"

case "$case_name" in
no-tests)
    register_tests
    sh "$scratch/scripts/run-ctest.sh" "empty" "$scratch/build/windows-i686" 1 >"$scratch/out" 2>&1 &&
        fail "a tree without tests passed"
    register_tests windows.LoadsRunsAndUnloads
    sh "$scratch/scripts/run-ctest.sh" "one" "$scratch/build/windows-i686" 1 >"$scratch/out" 2>&1 ||
        fail "a tree with a passing test failed"
    ;;
skip-first)
    # Looking at Wine at all fails the run here, as on a machine without it.
    printf 'echo "looked at Wine" >&2\nexit 1\n' >"$scratch/scripts/wine-env.sh"
    echo stale >"$stamp"
    QUILLON_SKIP_32BIT_CHECKS=1 checks || fail "the skip variable did not skip"
    grep -q SKIPPED "$scratch/out" || fail "the skip was silent"
    [ ! -e "$stamp" ] || fail "a skipped run left a stamp"
    ;;
expected-tests)
    working_wine
    register_tests
    checks && fail "a tree without tests passed"
    [ ! -e "$stamp" ] || fail "a tree without tests was stamped"
    register_tests windows.LoadsRunsAndUnloads windows.SomethingElse
    checks && fail "a tree without the expected tests passed"
    [ ! -e "$stamp" ] || fail "a tree without the expected tests was stamped"
    # shellcheck disable=SC2086 # one word per test
    register_tests $expected
    checks || fail "the expected tests passed but the checks failed"
    (cd "$scratch/build/windows-i686" && sha256sum --check --status Quillon.dll.checked) ||
        fail "the expected tests passed but the DLL was not stamped"
    ;;
*)
    echo "release-gate.sh: unknown case $case_name" >&2
    exit 2
    ;;
esac
echo "$case_name: ok"
