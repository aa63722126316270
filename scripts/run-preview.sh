#!/bin/sh
# Renders the four gauges over the built-in traffic scenario with the
# preview tool: a contact sheet of all gauges in all views, one animation,
# a still of each gauge in each view and one with a selected aircraft.
#   scripts/run-preview.sh [BUILD_DIR] [OUT_DIR]     (defaults: build, out)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=${2:-$root/out}
preview=$build/linux/tools/quillon-preview
module=$build/linux/Quillon.so
dll=$build/windows-i686/Quillon.dll

for needed in "$preview" "$module"; do
    if [ ! -e "$needed" ]; then
        echo "run-preview: $needed is missing; build first (make build)" >&2
        exit 1
    fi
done
mkdir -p "$out"

log=$out/preview.log
: >"$log"
# The tool's progress goes to the log; a failure shows it.
run() {
    if ! "$preview" --module "$module" "$@" >/dev/null 2>>"$log"; then
        echo "run-preview: quillon-preview $* failed:" >&2
        tail -n 20 "$log" >&2
        exit 1
    fi
}

echo "Rendering the gauges into $out ..."
echo "  contact sheet: four gauges in three views"
run render --all --seconds 4 -o "$out/contact-sheet.png"
echo "  stills of each gauge in each view"

for gauge in circular-green circular-amber rectangular-green rectangular-amber; do
    for view in full arc grid; do
        run --view "$view" render --gauge "$gauge" --seconds 4 -o "$out/$gauge-$view.png"
    done
done

# A selected aircraft with its data block: the nearest one the full circle shows.
nearest=$("$preview" --module "$module" render --gauge rectangular-green --seconds 4 --list \
    -o "$out/rectangular-green-full.png" 2>>"$log" | awk 'NF >= 6 { print $6; exit }')
if [ -n "$nearest" ]; then
    echo "  stills with $nearest selected"
    for gauge in circular-green rectangular-amber; do
        run render --gauge "$gauge" --seconds 4 --select "$nearest" -o "$out/$gauge-selected.png"
    done
fi

echo "  animation of the full circle"
run animate --gauge circular-green --seconds 8 -o "$out/circular-green-full.gif"

echo ""
echo "Pictures (PNG) and animation (GIF) in $out:"
for file in "$out"/*.png "$out"/*.gif; do
    [ -e "$file" ] && echo "  $file"
done
if [ -e "$dll" ]; then
    echo "Quillon.dll for FS2004 and FSX: $dll"
fi
echo "Interactive window: $preview window --gauge circular-green --gauge rectangular-amber"
