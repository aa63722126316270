#!/bin/sh
# Renders the fixed frame list twice, on Linux (Quillon.so, libgdiplus) and
# under Wine (the 64-bit Quillon.dll, Wine's own gdiplus, real device
# contexts), and compares the pictures frame by frame. No display is needed;
# the Wine prefix lives in the build tree.
# Usage: wine-check.sh BUILD_DIR   (holding linux/ and windows-x64/)
# Pictures: BUILD_DIR/wine-check/{linux,wine,difference}/<frame>.png
set -eu

build=$(cd "${1:?usage: wine-check.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"

linux_tool="$build/linux/tools/render-frames/quillon-render-frames"
compare_tool="$build/linux/tools/render-compare/quillon-compare-renders"
x64="$build/windows-x64"
wine_tool="$x64/tools/render-frames/quillon-render-frames.exe"
for file in "$linux_tool" "$compare_tool" "$build/linux/Quillon.so" "$wine_tool" "$x64/Quillon.dll"; do
    if [ ! -f "$file" ]; then
        echo "wine check: $file is missing (build first)" >&2
        exit 1
    fi
done

out="$build/wine-check"
rm -rf "$out"
mkdir -p "$out/linux" "$out/wine" "$out/difference"

prefix="$x64/wine-prefix"
sh "$here/wine-prefix.sh" "$prefix"
WINEPREFIX=$(cd "$prefix" && pwd)
export WINEPREFIX WINEDEBUG=-all

"$linux_tool" "$build/linux/Quillon.so" "$out/linux" >"$out/linux.log"

# Relative paths: Wine maps the current Linux folder to a drive of its own.
status=0
(cd "$x64" && "$QUILLON_WINE64" tools/render-frames/quillon-render-frames.exe Quillon.dll \
    ../wine-check/wine) >"$out/wine.log" 2>&1 || status=$?
"$QUILLON_WINESERVER" -w
if [ "$status" -ne 0 ]; then
    echo "wine check: rendering under Wine failed (exit $status)" >&2
    cat "$out/wine.log" >&2
    exit "$status"
fi

# Both hosts must have run the same frames: same clock, same target clicked.
if ! tr -d '\r' <"$out/wine.log" | cmp -s - "$out/linux.log"; then
    echo "wine check: the Linux and Wine runs differ in clock or selection:" >&2
    tr -d '\r' <"$out/wine.log" | diff "$out/linux.log" - >&2 || true
    exit 1
fi

"$compare_tool" "$out/linux" "$out/wine" "$out/difference"
