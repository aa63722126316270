#!/bin/sh
# make-traffic-voice.sh [OUTPUT]
# Makes the voice Quillon plays at a new traffic advisory, "Traffic,
# traffic", from Debian's espeak-ng, and resamples it with sox to what the
# DLL carries: 11,025 Hz, 16-bit, mono, trimmed of silence (some 25 KB).
# The WAV is committed (resources/voice/traffic-traffic.wav): the build does
# not need either program. To make it again:
#   apt-get install espeak-ng sox && resources/voice/make-traffic-voice.sh
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/traffic-traffic.wav}
# The settings: a plain English voice, a little faster and lower than
# espeak-ng's default, as cockpit voices speak; a short pause at the comma.
voice=en-us
speed=185     # words per minute (default 175)
pitch=35      # 0 to 99 (default 50)
gap=4         # pause between words, in 10 ms units
text="Traffic, traffic"
rate=11025

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
espeak-ng -v "$voice" -s "$speed" -p "$pitch" -g "$gap" -w "$work/spoken.wav" "$text"
# Mono 16-bit at the rate, leading and trailing silence cut, peaks at -1 dBFS.
sox "$work/spoken.wav" -r "$rate" -c 1 -b 16 "$work/voice.wav" \
    silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse norm -1
mv "$work/voice.wav" "$out"
echo "$out: $(wc -c < "$out") bytes"
