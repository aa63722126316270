#!/bin/sh
# The shipped 32-bit DLL timed under 32-bit Wine against its reference
# (Quillon-direct.dll) in one run, frame by frame over the frame list, with
# where each redraw's time goes by element (docs/performance.md).
# Usage: bench-wine.sh BUILD_DIR [REDRAWS [FRAME_NAME...]]
# Output: the table on standard output and in BUILD_DIR/logs/bench-wine.log,
# the pictures in BUILD_DIR/bench-wine/ (the reference's in reference/).
set -eu

build=$(cd "${1:?usage: bench-wine.sh BUILD_DIR [REDRAWS [FRAME_NAME...]]}" && pwd)
shift
redraws=${1:-50}
[ $# -gt 0 ] && shift
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"

[ -n "$QUILLON_WINE32" ] || { echo "bench-wine: no 32-bit Wine loader (Debian package wine32:i386)" >&2; exit 1; }
windows="$build/windows-i686"
for file in "$windows/Quillon.dll" "$windows/Quillon-direct.dll" "$windows/tools/render-frames/quillon-render-frames.exe"; do
    [ -f "$file" ] || { echo "bench-wine: $file is missing (build first)" >&2; exit 1; }
done
prefix="$windows/wine-prefix"
sh "$here/wine-prefix.sh" "$prefix" win32
WINEPREFIX=$(cd "$prefix" && pwd)
export WINEPREFIX WINEDEBUG=-all

mkdir -p "$build/logs" "$build/bench-wine"
echo "  load average before: $(cut -d' ' -f1-3 /proc/loadavg)" | tee "$build/logs/bench-wine.log"
# Code run by an emulator says nothing of a simmer's Windows: the renderer is
# told, and says so beside its ratios.
if [ "$(sh "$here/i386-emulation.sh" status)" = emulated ]; then
    QUILLON_I386_EMULATED=1
    export QUILLON_I386_EMULATED
fi
# Relative paths: Wine maps the current Linux folder to a drive of its own.
# Wine's own messages go to their log, not into the table.
rm -f "$build/logs/bench-wine.status"
{ (cd "$windows" && "$QUILLON_WINE32" tools/render-frames/quillon-render-frames.exe --time "$redraws" --rounds 3 \
    --reference Quillon-direct.dll --profile Quillon.dll ../bench-wine "$@") 2>"$build/logs/bench-wine.err" ||
    echo $? >"$build/logs/bench-wine.status"; } | tr -d '\r' | tee -a "$build/logs/bench-wine.log"
quillon_wait_for_wine || true  # the renderer's own status decides
if [ -f "$build/logs/bench-wine.status" ]; then
    echo "bench-wine: the renderer failed (exit $(cat "$build/logs/bench-wine.status")):" >&2
    cat "$build/logs/bench-wine.err" >&2
    exit 1
fi
echo "  load average after: $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$build/logs/bench-wine.log"
