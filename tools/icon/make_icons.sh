#!/usr/bin/env bash
# The program's icons, from the show's frame at the moment of segment 9 (a
# flower on black, which reads at 16 pixels as well as at 256): orvel-SIZE.png
# for each SIZE and orvel.ico holding them all, in OUT.
#
#   make_icons.sh OUT SHOW_SCHEDULE ORVEL_CAPTURE MAKE_ICON SHOW_DIR SIZE...
set -euo pipefail
mkdir -p "$1"
out="$(realpath "$1")"; schedule="$(realpath "$2")"; capture="$(realpath "$3")"; make_icon="$(realpath "$4")"
show_dir="$5"
shift 5
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || { echo "make_icons: no icon size given" >&2; exit 2; }

moment="$("$schedule" | awk '$1 == "segment-moments" { print $10 }')"
[ -n "$moment" ] || { echo "make_icons: show-schedule names no moment of segment 9" >&2; exit 1; }
echo "make_icons: the frame at $moment s, as icons of ${sizes[*]} pixels in $out"
rm -rf "$out/frame"
# A sanitizer build's capture is not checked for leaks here: OSMesa keeps
# memory of its own to the end, which only the tests' suppressions name.
(cd "$show_dir" && ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$capture" --fps 10 --from "$moment" --to "$moment" --size 512x384 --supersample 2 \
  --png "$out/frame" >"$out/capture.log" 2>&1) || { tail -5 "$out/capture.log" >&2; exit 1; }
images=()
for size in "${sizes[@]}"; do
  "$make_icon" png "$out/frame/frame-00000.png" "$size" "$out/orvel-$size.png"
  images+=("$out/orvel-$size.png")
done
"$make_icon" ico "$out/orvel.ico" "${images[@]}"
rm -rf "$out/frame" "$out/capture.log"
