#!/bin/sh
# Renders the fixed frame list twice, on Linux (Quillon.so, libgdiplus) and
# under Wine (a Windows build's Quillon.dll, Wine's own gdiplus, real device
# contexts), and compares the pictures frame by frame; then both again with
# the altitude tags on. No display is needed; the Wine prefix lives in the
# Windows build's tree.
# Usage: wine-check.sh BUILD_DIR [windows-x64|windows-i686]
#   windows-x64 (the default): the 64-bit DLL under wine64;
#   windows-i686: the product itself under 32-bit Wine, called by the 32-bit
#   stand-in in the simulator's calling conditions.
# Pictures: BUILD_DIR/wine-check/linux/<frame>.png, and per Windows build
# BUILD_DIR/wine-check/{wine,difference}/ (x64) or {wine-i686,difference-i686}/;
# with the tags on the same folders with "-tags" at the end of their names.
# The 32-bit build then renders the tagged frames twice more with all but 8
# and all but 64 MB of its address space taken first ({wine-i686,
# difference-i686}-tags-spent-<N>mb/, the figures in wine-i686-tags-spent-
# <N>mb.err): the same pictures, and every frame leaves the heap as it found it.
set -eu

build=$(cd "${1:?usage: wine-check.sh BUILD_DIR [windows-x64|windows-i686]}" && pwd)
windows_build=${2:-windows-x64}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"

case "$windows_build" in
windows-x64) arch=win64 wine=$QUILLON_WINE64 suffix="" ;;
windows-i686) arch=win32 wine=${QUILLON_WINE32:?the 32-bit Wine loader is missing} suffix="-i686" ;;
*) echo "wine check: unknown Windows build $windows_build" >&2; exit 2 ;;
esac

linux_tool="$build/linux/tools/render-frames/quillon-render-frames"
compare_tool="$build/linux/tools/render-compare/quillon-compare-renders"
windows="$build/$windows_build"
wine_tool="$windows/tools/render-frames/quillon-render-frames.exe"
for file in "$linux_tool" "$compare_tool" "$build/linux/Quillon.so" "$wine_tool" "$windows/Quillon.dll"; do
    if [ ! -f "$file" ]; then
        echo "wine check: $file is missing (build first)" >&2
        exit 1
    fi
done

out="$build/wine-check"
mkdir -p "$out"

prefix="$windows/wine-prefix"
sh "$here/wine-prefix.sh" "$prefix" "$arch"
WINEPREFIX=$(cd "$prefix" && pwd)
export WINEPREFIX WINEDEBUG=-all

# One pass over the frame list: rendered on Linux and under Wine with the same
# named variables set (none: the defined picture), then compared.
# Usage: compare_pass NAME_SUFFIX [--set NAME=VALUE]...
compare_pass() {
    tag=$1
    shift
    linux="linux$tag"
    pictures="wine$suffix$tag"
    difference="difference$suffix$tag"
    rm -rf "$out/$linux" "$out/$pictures" "$out/$difference"
    mkdir -p "$out/$linux" "$out/$pictures" "$out/$difference"

    "$linux_tool" "$@" "$build/linux/Quillon.so" "$out/$linux" >"$out/$linux.log"

    # Relative paths: Wine maps the current Linux folder to a drive of its own.
    # The renderer's lines (clock, selection) are on its standard output;
    # Wine, its server and an emulator write their own messages to standard
    # error, which is kept apart and shown only when something fails.
    status=0
    (cd "$windows" && "$wine" tools/render-frames/quillon-render-frames.exe "$@" Quillon.dll \
        "../wine-check/$pictures") >"$out/$pictures.log" 2>"$out/$pictures.err" || status=$?
    quillon_wait_for_wine || true  # the renderer's own status decides
    if [ "$status" -ne 0 ]; then
        echo "wine check: rendering under Wine failed (exit $status)" >&2
        cat "$out/$pictures.log" "$out/$pictures.err" >&2
        exit "$status"
    fi

    # Both hosts must have run the same frames: same clock, same target clicked.
    if ! tr -d '\r' <"$out/$pictures.log" | cmp -s - "$out/$linux.log"; then
        echo "wine check: the Linux and Wine runs differ in clock or selection:" >&2
        tr -d '\r' <"$out/$pictures.log" | diff "$out/$linux.log" - >&2 || true
        echo "wine check: what Wine printed besides ($out/$pictures.err):" >&2
        cat "$out/$pictures.err" >&2
        exit 1
    fi

    "$compare_tool" "$out/$linux" "$out/$pictures" "$out/$difference"
}

# The product in a 32-bit host whose address space is nearly spent: drawn
# with the tags on, compared with the Linux pictures of the pass above; where
# backdrops and tag atlases cannot be had the module draws directly.
# Usage: spent_pass MEGABYTES_LEFT
spent_pass() {
    pictures="wine$suffix-tags-spent-$1mb"
    difference="difference$suffix-tags-spent-$1mb"
    rm -rf "$out/$pictures" "$out/$difference"
    mkdir -p "$out/$pictures" "$out/$difference"
    status=0
    (cd "$windows" && "$wine" tools/render-frames/quillon-render-frames.exe --set "Radar Altitude Tags=1" \
        --leave-address-space "$1" Quillon.dll "../wine-check/$pictures") \
        >"$out/$pictures.log" 2>"$out/$pictures.err" || status=$?
    quillon_wait_for_wine || true  # the renderer's own status decides
    if [ "$status" -ne 0 ]; then
        echo "wine check: rendering with all but $1 MB of the address space taken failed (exit $status)" >&2
        cat "$out/$pictures.err" >&2
        exit "$status"
    fi
    if ! tr -d '\r' <"$out/$pictures.log" | cmp -s - "$out/linux-tags.log"; then
        echo "wine check: the run with all but $1 MB of the address space differs in clock or selection:" >&2
        tr -d '\r' <"$out/$pictures.log" | diff "$out/linux-tags.log" - >&2 || true
        cat "$out/$pictures.err" >&2
        exit 1
    fi
    # The renderer's own figure of the address space, among whatever Wine said.
    tr -d '\r' <"$out/$pictures.err" | grep -m 1 '^address space free' || true
    "$compare_tool" "$out/linux-tags" "$out/$pictures" "$out/$difference"
}

compare_pass ""
# The pilots' altitude tags draw text and arrows in every scope frame: the
# same comparison with them on (the grid frames have none and stay as above).
echo "with altitude tags on:"
compare_pass "-tags" --set "Radar Altitude Tags=1"
if [ "$windows_build" = windows-i686 ] && [ "$(sh "$here/i386-emulation.sh" status)" = emulated ]; then
    # qemu-i386 lays out the 32-bit address space itself: Wine sees about 1 MB
    # of it free before anything is reserved, so these passes would test the
    # emulator, not the module.
    echo "with the address space nearly spent: SKIPPED, 32-bit programs run under emulation here (natively only)"
elif [ "$windows_build" = windows-i686 ]; then
    for megabytes in 8 64; do
        echo "with altitude tags on and all but $megabytes MB of the address space taken:"
        spent_pass "$megabytes"
    done
fi
