#!/bin/sh
# Runs inside an X server (xvfb-run): starts the preview window, waits for
# it, clicks at a point of its frame with xdotool and lets it close by itself.
# The window may show the frame scaled down to fit the screen: the point is
# scaled to the window's size.
#   window-click.sh PREVIEW X Y FRAME-WIDTH FRAME-HEIGHT -- WINDOW-ARGS...
set -eu
preview=$1 x=$2 y=$3 frame_width=$4 frame_height=$5
shift 5
[ "$1" = "--" ] && shift
"$preview" "$@" &
pid=$!
# --sync waits until the window exists.
id=$(timeout 30 xdotool search --sync --name "Quillon preview" | head -n 1)
# Let the first frames come up before clicking.
sleep 1
eval "$(xdotool getwindowgeometry --shell "$id")"
echo "window ${WIDTH}x${HEIGHT}"
xdotool mousemove --window "$id" $((x * WIDTH / frame_width)) $((y * HEIGHT / frame_height)) click 1
wait "$pid"
