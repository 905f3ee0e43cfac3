#!/usr/bin/env bash
# A picture of the show's screen against orvel-capture's frames around the
# moment it was taken, by the measure of tests/windows/screen_match.mjs: the
# closest frame among those at 60 frames a second around T, then the closest
# among those at 600 around that one (the opening spins by a degree between
# two frames at 60; a frame spins by the angles the frame before it stored,
# so the closest at 600 lies up to a 60th of a second before the one at 60).
# T is the time since the window went full screen; the show's clock started
# a little before that.
# Usage: match_screen.sh SCREEN.png T NATIVE_BUILD WxH WORK_DIR
set -euo pipefail
screen_png="$1"; t="$2"; native="$3"; size="$4"; frames="$5"
matcher="$(cd "$(dirname "$0")" && pwd)/windows/screen_match.mjs"
[ -s "$screen_png" ] || { echo "match_screen: no picture at $screen_png" >&2; exit 1; }
[ -x "$native/orvel-capture" ] || { echo "match_screen: no orvel-capture in $native" >&2; exit 1; }

capture() {
  rm -rf "$frames"
  (cd "$native/show" && "$native/orvel-capture" --fps "$1" --size "$size" --from "$2" --to "$3" --png "$frames" \
    > /dev/null 2> "$frames.log") || { tail -3 "$frames.log" >&2; exit 1; }
}
from="$(awk -v t="$t" 'BEGIN { printf "%.3f", (t > 0.5) ? t - 0.5 : 0 }')"
capture 60 "$from" "$(awk -v t="$t" 'BEGIN { printf "%.3f", t + 1.5 }')"
coarse="$(node "$matcher" "$screen_png" "$frames" "$from" 60 || true)"
echo "at 60 fps: $coarse"
near="$(sed -n 's/^closest of [0-9]* frames: \([0-9.]*\) s,.*/\1/p' <<< "$coarse")"
[ -n "$near" ] || { echo "match_screen: no frame compared" >&2; exit 1; }
from="$(awk -v t="$near" 'BEGIN { printf "%.4f", (t > 0.04) ? t - 0.04 : 0 }')"
capture 600 "$from" "$(awk -v t="$near" 'BEGIN { printf "%.4f", t + 0.02 }')"
node "$matcher" "$screen_png" "$frames" "$from" 600
