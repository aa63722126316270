# Sourced by the Wine scripts: finds the 64-bit loader (the loader itself, not
# a launcher that may pick the 32-bit one), the wine server and
# the fonts the prefix needs. Debian 12 keeps the loaders in /usr/lib/wine
# (wine64 is on PATH only with some packagings). The 32-bit loader (package
# wine32:i386) may be missing: QUILLON_WINE32 is then empty, and the 32-bit
# checks say so.

quillon_find_tool() {
    for candidate in "$@"; do
        if command -v "$candidate" >/dev/null 2>&1; then
            command -v "$candidate"
            return 0
        fi
    done
    return 1
}

QUILLON_WINE64=${QUILLON_WINE64:-$(quillon_find_tool /usr/lib/wine/wine64 wine64 || true)}
QUILLON_WINESERVER=${QUILLON_WINESERVER:-$(quillon_find_tool wineserver /usr/lib/wine/wineserver || true)}
QUILLON_WINE32=${QUILLON_WINE32:-$(quillon_find_tool /usr/lib/wine/wine /usr/lib/i386-linux-gnu/wine/wine || true)}
if [ -z "$QUILLON_WINE64" ] || [ -z "$QUILLON_WINESERVER" ]; then
    echo "wine64 not found (Debian package wine64)" >&2
    exit 1
fi

# No Mono or Gecko install prompts, and no crash debugger: a side process that
# crashes (Wine's services do, now and then, under emulation) would otherwise
# wait on winedbg for ever, and the scripts' waits for the server with it.
WINEDLLOVERRIDES="mscoree,mshtml,winedbg.exe="
export WINEDLLOVERRIDES

# Waits for the prefix's Wine processes to end, at most QUILLON_WINE_WAIT
# seconds (300); then stops them, saying so, and fails, rather than hang the
# run.
quillon_wait_for_wine() {
    timeout "${QUILLON_WINE_WAIT:-300}" "$QUILLON_WINESERVER" -w && return 0
    echo "warning: Wine's processes in $WINEPREFIX did not end within ${QUILLON_WINE_WAIT:-300} s; stopped" >&2
    "$QUILLON_WINESERVER" -k || true
    return 1
}

# Prints the path of an installed font file, looking in Wine's own fonts
# folder first, then in the system's font folders.
quillon_find_font() {
    for dir in /usr/share/wine/fonts /usr/lib/wine/fonts /usr/share/fonts/truetype/liberation \
               /usr/share/fonts/truetype/liberation2 /usr/share/fonts; do
        found=$(find "$dir" -name "$1" -print -quit 2>/dev/null || true)
        if [ -n "$found" ]; then
            echo "$found"
            return 0
        fi
    done
    echo "font $1 not found (Debian packages fonts-wine, fonts-liberation)" >&2
    return 1
}
