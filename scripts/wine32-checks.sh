#!/bin/sh
# The product itself under 32-bit Wine: the very BUILD_DIR/windows-i686/
# Quillon.dll, loaded and driven by the 32-bit stand-in host in the
# simulator's calling conditions (sim/ModuleCall.h):
#   - the i686 ctest: load check, stand-in host check, calling conditions;
#   - the picture comparison against the Linux renders (wine-check.sh).
# When all passed, BUILD_DIR/windows-i686/Quillon.dll.checked holds the
# DLL's sha256 (sha256sum format): the bytes these checks ran.
# Usage: wine32-checks.sh BUILD_DIR
# QUILLON_SKIP_32BIT_CHECKS=1 skips them, saying so, before anything of Wine
# is looked at; on a machine that cannot run 32-bit programs they fail with
# one line naming that variable. The stamp is written only when every test of
# EXPECTED_TESTS below ran in the i686 tree and passed: a tree that registered
# fewer (configured without Wine, say) checked less than the product needs.
set -eu

build=$(cd "${1:?usage: wine32-checks.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

dll="$build/windows-i686/Quillon.dll"
stamp="$dll.checked"
rm -f "$stamp"

if [ "${QUILLON_SKIP_32BIT_CHECKS:-0}" = 1 ]; then
    echo "  32-bit checks SKIPPED (QUILLON_SKIP_32BIT_CHECKS=1): $dll was not run and is not stamped as checked"
    exit 0
fi

# The i686 tree's tests (tests/windows/CMakeLists.txt) that the stamp vouches for.
EXPECTED_TESTS="windows.LoadsRunsAndUnloads windows.StandInHostSurfacesAndLoader windows.HostCallingConditions"

. "$here/wine-env.sh"

cannot_run() {
    echo "error: this machine cannot run 32-bit Windows programs ($1), which the checks of $dll need; set QUILLON_SKIP_32BIT_CHECKS=1 to skip them" >&2
    exit 1
}

# The 32-bit loader is itself a 32-bit Linux program: running it tells
# whether the kernel runs 32-bit programs at all.
[ -n "$QUILLON_WINE32" ] || cannot_run "no 32-bit Wine loader; Debian package wine32:i386"
"$QUILLON_WINE32" --version >/dev/null 2>&1 || cannot_run "$QUILLON_WINE32 does not start"
prefix="$build/windows-i686/wine-prefix"
sh "$here/wine-prefix.sh" "$prefix" win32 || cannot_run "no 32-bit Wine prefix could be made in $prefix"

before=$(sha256sum "$dll" | cut -d' ' -f1)
how=natively
if [ "$(sh "$here/i386-emulation.sh" status)" = emulated ]; then
    how="under emulation (qemu-i386)"
fi
echo "  32-bit checks, 32-bit programs run $how: $dll (sha256 $before)"
"$here/run-ctest.sh" "windows-i686 tests" "$build/windows-i686" 1
for test in $EXPECTED_TESTS; do
    if ! grep -q -E "Test +#[0-9]+: $test \.+ +Passed" "$build/windows-i686/ctest.log"; then
        echo "error: the 32-bit test $test did not run in $build/windows-i686 (configured without Wine?); $dll is not stamped as checked" >&2
        exit 1
    fi
done
echo "  wine check (32-bit): Linux and 32-bit Wine renders compared"
"$here/wine-check.sh" "$build" windows-i686

after=$(sha256sum "$dll" | cut -d' ' -f1)
if [ "$after" != "$before" ]; then
    echo "error: $dll changed while it was being checked" >&2
    exit 1
fi
(cd "$build/windows-i686" && sha256sum Quillon.dll >"$stamp")
