#!/bin/sh
# Runs inside an X server (xvfb-run): starts the preview window, presses the
# given keys one by one and prints the window title after the last one.
#   window-keys.sh PREVIEW "KEY KEY ..." -- WINDOW-ARGS...
set -eu
preview=$1 keys=$2
shift 2
[ "$1" = "--" ] && shift
"$preview" "$@" &
pid=$!
id=$(timeout 30 xdotool search --sync --name "Quillon preview" | head -n 1)
sleep 1
for key in $keys; do
    xdotool key --window "$id" "$key"
    sleep 0.3
done
xdotool getwindowname "$id"
wait "$pid"
