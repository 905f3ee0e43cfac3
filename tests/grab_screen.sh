#!/usr/bin/env bash
# Grabs the X screen ($DISPLAY) of SIZE (WIDTHxHEIGHT) into OUT.png and
# prints the picture's moment, halfway through the grab, in seconds since
# SINCE (a `date +%s.%N`). Given the window's origin X Y, the picture is
# moved to the screen's corner: without a window manager a full-screen
# window keeps its border, and what falls off the screen is left black.
# Usage: grab_screen.sh OUT.png SIZE SINCE [X Y]
set -euo pipefail
out="$1"; size="$2"; since="$3"; x="${4:-0}"; y="${5:-0}"
before="$(date +%s.%N)"
timeout 20 ffmpeg -v error -f x11grab -draw_mouse 0 -video_size "$size" -i "$DISPLAY" -frames:v 1 \
  -vf "crop=iw-$x:ih-$y:$x:$y,pad=iw+$x:ih+$y:0:0" -y "$out"
after="$(date +%s.%N)"
awk -v b="$before" -v a="$after" -v f="$since" 'BEGIN { printf "%.3f\n", (b + a) / 2 - f }'
