#!/usr/bin/env bash
# Plays the real show in a virtual X server from a copy of the generated
# content and drives it with xdotool, then checks its exit and sync.txt.
#
#   show_e2e.sh CASE ORVEL SHOW_DIR [OTHER_MIXER_VERSION_LIBRARY]
#
# CASE is one of:
#   keys          END three times, then ESC: exit 0, three marks in order
#   silent        no music file: the show still runs, ESC exits 0
#   sync-blocked  a directory named sync.txt: ESC exits 1 with a message
#   missing-scene a scene file missing: one line names it, the show goes on
#   audio-output  no usable audio output: exit 1 at start-up with a message
#   audio-version another SDL2_mixer version (the preloaded library given):
#                 exit 1 at start-up with a message
#   wide          a 16:9 screen: the 4:3 picture centred between black bars
#   calm          --calm: the opening is drawn, dimmed as the calm show dims it
#   whole         the whole show untouched: exit 0 after about 121 s, no sync.txt
#
#   show_e2e.sh play-silent|play-no-display PLAY SHOW_DIR
#
#   play-silent     scripts/play (PLAY) where ALSA finds no sound device:
#                   it says so and plays the show silent, without the
#                   audio library's noise; ESC ends it
#   play-no-display scripts/play with DISPLAY naming no display: it says so
#                   and renders the video
set -euo pipefail

case_name="$1"
orvel="$(realpath "$2")"
show_dir="$(realpath "$3")"
other_mixer="${4:-}"
title="orvel zivuvaruro v1.0b"

fail() { echo "show_e2e $case_name: $*" >&2; exit 1; }
source "$(dirname "$0")/../show_run.sh"

[ -x "$orvel" ] || fail "no program at $orvel"
[ -d "$show_dir/demodata" ] || fail "no generated content in $show_dir (build the demodata target)"
# scripts/play builds and plays the build directory that holds show_dir.
export ORVEL_BUILD_DIR="$(dirname "$show_dir")"

work="$(mktemp -d "${TMPDIR:-/tmp}/orvel-e2e-XXXXXX")"
trap 'rm -rf "$work"' EXIT
cp -r "$show_dir"/. "$work/"
show_folder="$work"
rm -f "$work/sync.txt"
export SDL_AUDIODRIVER=dummy
# Under the sanitizers the show is checked for memory errors but not for
# leaks: it ends by exit() while X11, GLX and SDL (with the D-Bus library it
# loads and unloads) still hold memory of their own, which no suppression can
# name once their modules are gone. The show's own objects stay reachable.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# Runs inside xvfb-run: starts the show, waits for its window, plays the
# case's keys, and leaves the show's exit code in $work/exit_code.
driver="$work/driver.sh"
cat > "$driver" <<'DRIVER'
#!/usr/bin/env bash
set -uo pipefail
orvel="$1"; title="$2"; keys="$3"; limit="$4"; screen="$5"; shot="${6:-}"
# The time limit ends a show that hangs; its exit code is then 124.
# ORVEL_PRELOAD is preloaded into the show alone, not into X or xdotool;
# ORVEL_OPTIONS are the show's options.
timeout "$limit" env ${ORVEL_PRELOAD:+LD_PRELOAD="$ORVEL_PRELOAD"} "$orvel" ${ORVEL_OPTIONS:-} > stdout.txt 2> stderr.txt &
pid=$!
if [ -n "$keys" ]; then
  window="$("$FULL_SCREEN_WINDOW" "$pid" "$title" "${screen%x*}" 300)"
  if [ -z "$window" ]; then
    echo "no full-screen window titled $title" >&2
    kill "$pid" 2>/dev/null
    exit 1
  fi
  # Give the show a few frames, then press the keys one at a time, each
  # after some frames, so that every mark has a time of its own.
  sleep 0.5
  # The screen as grey levels, one byte a pixel, row after row, and where
  # the window's first pixel lies on it: without a window manager a
  # full-screen window keeps a border, and its last column and row fall
  # off the screen.
  if [ -n "$shot" ]; then
    timeout 20 ffmpeg -v error -f x11grab -draw_mouse 0 -video_size "$screen" -i "$DISPLAY" -frames:v 1 \
      -f rawvideo -pix_fmt gray -y "$shot" || echo "cannot grab the screen" >&2
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "$X $Y" > "$shot.origin"
  fi
  timeout 10 xdotool windowfocus --sync "$window"
  for key in $keys; do
    timeout 10 xdotool key --clearmodifiers "$key"
    sleep 0.4
  done
fi
wait "$pid"
echo $? > exit_code
exit 0
DRIVER
chmod +x "$driver"

run_show() {
  local keys="$1" limit="$2" screen="${3:-1024x768}" shot="${4:-}"
  run_in_xvfb "$screen" "$driver" "$orvel" "$title" "$keys" "$limit" "$screen" "$shot"
}

case "$case_name" in
keys)
  code="$(run_show "End End End Escape" 30)"
  expect_exit 0 "$code"
  [ -f "$work/sync.txt" ] || fail "no sync.txt"
  expect_marks "$(cat "$work/sync.txt")" 3
  ;;
silent)
  rm -f "$work/dj ranko - quickbite.mp3"
  code="$(run_show "Escape" 30)"
  expect_exit 0 "$code"
  [ "$(cat "$work/sync.txt")" != "" ] || fail "no sync.txt"
  # Frames were drawn: the rate is above zero.
  awk '/ frames per second$/ { found = $1 > 0 } END { exit !found }' "$work/sync.txt" \
    || fail "no frame rate above zero in sync.txt: $(cat "$work/sync.txt")"
  ;;
sync-blocked)
  mkdir "$work/sync.txt"
  code="$(run_show "Escape" 30)"
  expect_exit 1 "$code"
  grep -q 'sync.txt' "$work/stderr.txt" || fail "no message naming sync.txt: $(cat "$work/stderr.txt")"
  [ "$(wc -l < "$work/stderr.txt")" = 1 ] || fail "more than one line on stderr: $(cat "$work/stderr.txt")"
  ;;
missing-scene)
  rm "$work/demodata/slutt.3ds"
  code="$(run_show "Escape" 30)"
  expect_exit 0 "$code"
  [ "$(cat "$work/stderr.txt")" = "orvel: cannot load demodata/slutt.3ds: cannot open: No such file or directory" ] \
    || fail "unexpected stderr: $(cat "$work/stderr.txt")"
  [ -f "$work/sync.txt" ] || fail "no sync.txt"
  ;;
audio-output)
  export SDL_AUDIODRIVER=no-such-driver
  code="$(run_show "" 30)"
  expect_exit 1 "$code"
  [ "$(wc -l < "$work/stderr.txt")" = 1 ] || fail "not one line on stderr: $(cat "$work/stderr.txt")"
  grep -q 'SDL_AUDIODRIVER=dummy runs the show without sound' "$work/stderr.txt" \
    || fail "no hint at the dummy driver: $(cat "$work/stderr.txt")"
  ;;
audio-version)
  [ -f "$other_mixer" ] || fail "no library that fakes another SDL2_mixer version"
  export ORVEL_PRELOAD="$other_mixer"
  # The preloaded library comes before the sanitizer runtime; that is fine here.
  export ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0"
  code="$(run_show "" 30)"
  expect_exit 1 "$code"
  grep -Eq '^orvel: SDL2_mixer 2\.4\.0 found, but the show was built with [0-9]+\.[0-9]+\.[0-9]+$' "$work/stderr.txt" \
    || fail "unexpected stderr: $(cat "$work/stderr.txt")"
  [ "$(wc -l < "$work/stderr.txt")" = 1 ] || fail "not one line on stderr: $(cat "$work/stderr.txt")"
  ;;
wide)
  code="$(run_show "Escape" 30 1280x720 "$work/screen.gray")"
  expect_exit 0 "$code"
  [ -s "$work/screen.gray" ] || fail "no picture of the screen"
  # The 1280x720 window holds a 960x720 picture from x = 160 to 1119. The
  # bars are black, and the opening, seen from inside its object, reaches
  # the picture's left and right edges.
  python3 - "$work/screen.gray" <<'CHECK' || fail "the picture is not centred between black bars"
import sys
width, height = 1280, 720
grey = open(sys.argv[1], "rb").read()
ox, oy = (int(v) for v in open(sys.argv[1] + ".origin").read().split())
assert len(grey) == width * height, len(grey)
def lit(x0, x1):
    # Window columns x0 to x1 - 1, as far as they are on the screen.
    return sum(1 for y in range(height - oy) for x in range(x0, min(x1, width - ox))
               if grey[(y + oy) * width + x + ox] > 0)
bars = lit(0, 160) + lit(1120, 1280)
left, right = lit(160, 170), lit(1110, 1120)
print("lit pixels: bars %d, picture's left edge %d, right edge %d" % (bars, left, right))
sys.exit(0 if bars == 0 and left > 0 and right > 0 else 1)
CHECK
  ;;
calm)
  export ORVEL_OPTIONS=--calm
  code="$(run_show "Escape" 30 1024x768 "$work/screen.gray")"
  expect_exit 0 "$code"
  [ -s "$work/screen.gray" ] || fail "no picture of the screen"
  # Grabbed in the opening, which the calm show draws no brighter than a
  # grey of 69 (shell/calm.h); the ordinary opening's textures go up to 255.
  python3 - "$work/screen.gray" <<'CHECK' || fail "the opening is not the calm show's"
import sys
grey = open(sys.argv[1], "rb").read()
lit = sum(1 for g in grey if g > 0)
print("lit pixels %d, the brightest %d" % (lit, max(grey)))
sys.exit(0 if lit > len(grey) // 2 and max(grey) <= 69 else 1)
CHECK
  ;;
whole)
  start=$(date +%s)
  code="$(run_show "" 200)"
  elapsed=$(( $(date +%s) - start ))
  expect_exit 0 "$code"
  [ ! -e "$work/sync.txt" ] || fail "the end of the show wrote sync.txt"
  [ "$elapsed" -ge 120 ] || fail "the show ended after $elapsed s, expected about 121 s"
  [ "$elapsed" -le 150 ] || fail "the show ended after $elapsed s, expected about 121 s"
  ;;
play-silent)
  rm -f "$ORVEL_BUILD_DIR/show/sync.txt"
  # ALSA with a device that no machine has.
  export SDL_AUDIODRIVER=alsa AUDIODEV=hw:99
  code="$(run_show "Escape" 300)"
  expect_exit 0 "$code"
  grep -qx '== play: no sound device here, so playing the show again without sound' "$work/stdout.txt" \
    || fail "scripts/play did not say it plays without sound: $(cat "$work/stdout.txt")"
  [ "$(grep -c '^orvel: cannot open the audio output' "$work/stderr.txt")" = 1 ] \
    || fail "the show's own message is not there once: $(cat "$work/stderr.txt")"
  ! grep -q '^ALSA lib' "$work/stderr.txt" || fail "the audio library's noise came through: $(cat "$work/stderr.txt")"
  [ -f "$ORVEL_BUILD_DIR/show/sync.txt" ] || fail "the silent show wrote no sync.txt"
  rm -f "$ORVEL_BUILD_DIR/show/sync.txt"
  ;;
play-no-display)
  rm -f "$ORVEL_BUILD_DIR/orvel.mp4"
  display=99
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  (cd "$work" && DISPLAY=":$display" timeout 600 "$orvel" > stdout.txt 2> stderr.txt) \
    || fail "scripts/play failed: $(tail -5 "$work/stderr.txt")"
  grep -qx "== play: no display answers at DISPLAY=:$display, so rendering the show to $ORVEL_BUILD_DIR/orvel.mp4 instead" \
    "$work/stdout.txt" || fail "scripts/play did not say why it renders: $(cat "$work/stdout.txt")"
  [ -s "$ORVEL_BUILD_DIR/orvel.mp4" ] || fail "no video at $ORVEL_BUILD_DIR/orvel.mp4"
  ;;
*)
  fail "unknown case"
  ;;
esac
echo "show_e2e $case_name: passed"
