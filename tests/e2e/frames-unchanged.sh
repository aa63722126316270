#!/bin/sh
# frames-unchanged.sh RENDER_FRAMES MODULE WORK_DIR
# Renders the frame list with the pilots' options unset, at 0 and at 99 (no
# such option; for the dimming, which reads anything above 90 as 90, -99 and
# 9, both no dimming) and fails unless every picture is identical byte for byte.
set -eu
tool=$1 module=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
"$tool" "$module" "$work/unset" >/dev/null
"$tool" --set "Radar Altitude Tags=0" --set "Radar Filter=0" --set "Radar Alerts=0" --set "Radar Auto Range=0" \
  --set "Radar Alert Mute=0" --set "Radar Trails=0" --set "Radar Dimming=0" "$module" "$work/zero" >/dev/null
"$tool" --set "Radar Altitude Tags=99" --set "Radar Filter=99" --set "Radar Alerts=99" --set "Radar Auto Range=99" \
  --set "Radar Alert Mute=99" --set "Radar Trails=99" --set "Radar Dimming=-99" "$module" "$work/out-of-band" >/dev/null
"$tool" --set "Radar Dimming=9" "$module" "$work/below-a-step" >/dev/null
status=0
count=0
for picture in "$work"/unset/*.png; do
  name=$(basename "$picture")
  count=$((count + 1))
  for other in zero out-of-band below-a-step; do
    if ! cmp -s "$picture" "$work/$other/$name"; then
      echo "$name differs with the options $other" >&2
      status=1
    fi
  done
done
[ "$count" -gt 0 ] || { echo "no frame rendered" >&2; exit 1; }
echo "$count frames compared"
exit $status
