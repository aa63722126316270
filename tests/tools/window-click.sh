#!/bin/sh
# Runs inside an X server (xvfb-run): starts the preview window, waits for
# it, clicks at a point of it with xdotool and lets it close by itself.
#   window-click.sh PREVIEW X Y -- WINDOW-ARGS...
set -eu
preview=$1 x=$2 y=$3
shift 3
[ "$1" = "--" ] && shift
"$preview" "$@" &
pid=$!
# --sync waits until the window exists.
id=$(timeout 30 xdotool search --sync --name "Quillon preview" | head -n 1)
# Let the first frames come up before clicking.
sleep 1
xdotool mousemove --window "$id" "$x" "$y" click 1
wait "$pid"
