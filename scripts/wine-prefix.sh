#!/bin/sh
# Makes a Wine prefix in which the Windows stand-in host can draw text:
#   scripts/wine-prefix.sh PREFIX_DIR [win64|win32]
# win64 (the default) for the x64 build, win32 (the 32-bit loader, a 32-bit
# prefix) for the product's i686 build.
# The prefix lives in the build tree (never in $HOME), is created once and
# reused; a marker file records that it is complete. No display is needed.
#
# Wine's gdiplus finds neither "Arial" nor "Tahoma" (nor its generic
# sans-serif family) in a fresh prefix, and then no text is drawn at all.
# So Wine's own Tahoma goes into the prefix's Fonts folder, and "Arial" is
# mapped to Liberation Sans (metric-compatible, and the face libgdiplus
# picks for "Arial" on Linux) through Wine's font replacements.
# Wine's tahomabd.ttf is left out on purpose: with it, bold Tahoma text
# comes out in regular weight; without it Wine draws a bold face.
set -eu

prefix=${1:?usage: wine-prefix.sh PREFIX_DIR [win64|win32]}
arch=${2:-win64}
here=$(dirname "$0")
. "$here/wine-env.sh"
case "$arch" in
win64) wine=$QUILLON_WINE64 ;;
win32) wine=${QUILLON_WINE32:?the 32-bit Wine loader is missing (Debian package wine32:i386)} ;;
*) echo "wine-prefix.sh: unknown architecture $arch" >&2; exit 2 ;;
esac

# The marker names the set-up it records, so that a prefix made by an
# older version of this script is set up again.
marker="$prefix/.quillon-prefix-fonts-2"
if [ -f "$marker" ]; then
    exit 0
fi

mkdir -p "$prefix"
WINEPREFIX=$(cd "$prefix" && pwd)
WINEARCH=$arch
export WINEPREFIX WINEARCH WINEDEBUG=-all

started=$(date +%s)
"$wine" wineboot --init >/dev/null 2>&1
quillon_wait_for_wine

fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
rm -f "$fonts/tahomabd.ttf"
cp "$(quillon_find_font tahoma.ttf)" "$fonts/"
cp "$(quillon_find_font LiberationSans-Regular.ttf)" "$fonts/"
cp "$(quillon_find_font LiberationSans-Bold.ttf)" "$fonts/"

"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
    /v Arial /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1
quillon_wait_for_wine

rm -f "$prefix"/.quillon-prefix-*
touch "$marker"
echo "wine prefix ready in $WINEPREFIX ($(( $(date +%s) - started )) s)"
