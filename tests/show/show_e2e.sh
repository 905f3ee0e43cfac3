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
#                 (both with an opening a minute longer, so that the picture
#                 is the opening's on a busy machine too)
#   timing        a timing.txt in the data folder, naming other music (Ogg),
#                 that starts segment 2 at 0.5 s: nothing said, and the
#                 screen a few seconds in matches orvel-capture's frame of
#                 that timing
#   music-unreadable the timing names music that cannot be played: one line
#                 says so, the show runs silent, ESC exits 0
#   timing-refused a timing.txt with a fault, or naming music that is not
#                 there: exit 1 with one line naming the file, before any
#                 window (no display is needed to be refused)
#   whole         the whole show untouched: exit 0 once its clock passed the
#                 end, its frames from 0 s to the end, no sync.txt
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
native="$(dirname "$show_dir")"

name="show_e2e $case_name"
source "$(dirname "$0")/../e2e.sh"
need Xvfb xdotool ffmpeg
[ -x "$orvel" ] || fail "no program at $orvel"
[ -d "$show_dir/demodata" ] || fail "no generated content in $show_dir (build the demodata target)"
# scripts/play builds and plays the build directory that holds show_dir.
export ORVEL_BUILD_DIR="$native"

show="$work/show"
cp -r "$show_dir" "$show"
rm -f "$show/sync.txt"
export SDL_AUDIODRIVER=dummy
# Under the sanitizers the show is checked for memory errors but not for
# leaks: it ends by exit() while X11, GLX and SDL (with the D-Bus library it
# loads and unloads) still hold memory of their own, which no suppression can
# name once their modules are gone. The show's own objects stay reachable.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# Plays the show on a 1024x768 screen until LIMIT seconds, and presses KEYS
# once its window is full screen and has drawn a few frames. ORVEL_PRELOAD
# is preloaded into the show alone, not into X or xdotool.
run_show() {
  local keys="$1" limit="$2"
  x_server 1024x768
  show_start "$show" "$limit" env ${ORVEL_PRELOAD:+LD_PRELOAD="$ORVEL_PRELOAD"} "$orvel"
  if [ -n "$keys" ]; then
    show_window 30
    sleep 0.5
    press_keys $keys
  fi
  show_end
}

case "$case_name" in
keys)
  run_show "End End End Escape" 30
  expect_exit 0
  [ -f "$show/sync.txt" ] || fail "no sync.txt"
  expect_marks "$(cat "$show/sync.txt")" 3
  ;;
silent)
  rm -f "$show"/*.mp3
  run_show "Escape" 30
  expect_exit 0
  # Frames were drawn: the rate is above zero.
  awk '/ frames per second$/ { found = $1 > 0 } END { exit !found }' "$show/sync.txt" \
    || fail "no frame rate above zero in sync.txt: $(cat "$show/sync.txt")"
  ;;
sync-blocked)
  mkdir "$show/sync.txt"
  run_show "Escape" 30
  expect_exit 1
  grep -q 'sync.txt' "$work/stderr.txt" || fail "no message naming sync.txt"
  [ "$(wc -l < "$work/stderr.txt")" = 1 ] || fail "more than one line on stderr"
  ;;
missing-scene)
  rm "$show/demodata/slutt.3ds"
  run_show "Escape" 30
  expect_exit 0
  [ "$(cat "$work/stderr.txt")" = "orvel: cannot load demodata/slutt.3ds: cannot open: No such file or directory" ] \
    || fail "unexpected stderr"
  [ -f "$show/sync.txt" ] || fail "no sync.txt"
  ;;
audio-output)
  export SDL_AUDIODRIVER=no-such-driver
  run_show "" 30
  expect_exit 1
  [ "$(wc -l < "$work/stderr.txt")" = 1 ] || fail "not one line on stderr"
  grep -q 'SDL_AUDIODRIVER=dummy runs the show without sound' "$work/stderr.txt" || fail "no hint at the dummy driver"
  ;;
audio-version)
  [ -f "$other_mixer" ] || fail "no library that fakes another SDL2_mixer version"
  export ORVEL_PRELOAD="$other_mixer"
  # The preloaded library comes before the sanitizer runtime; that is fine here.
  export ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0"
  run_show "" 30
  expect_exit 1
  grep -Eq '^orvel: SDL2_mixer 2\.4\.0 found, but the show was built with [0-9]+\.[0-9]+\.[0-9]+$' "$work/stderr.txt" \
    || fail "unexpected stderr"
  [ "$(wc -l < "$work/stderr.txt")" = 1 ] || fail "not one line on stderr"
  ;;
wide)
  write_late_timing "$show/timing.txt" 60
  x_server 1280x720
  show_start "$show" 30 "$orvel"
  grab_and_end 30
  ffmpeg -v error -i "$work/screen.png" -f rawvideo -pix_fmt gray "$work/screen.gray"
  # The 1280x720 window holds a 960x720 picture from x = 160 to 1119. The
  # bars are black, and the opening, seen from inside its object, reaches
  # the picture's left and right edges.
  python3 - "$work/screen.gray" <<'CHECK' || fail "the picture is not centred between black bars"
import sys
width, height = 1280, 720
grey = open(sys.argv[1], "rb").read()
assert len(grey) == width * height, len(grey)
def lit(x0, x1):
    return sum(1 for y in range(height) for x in range(x0, x1) if grey[y * width + x] > 0)
bars = lit(0, 160) + lit(1120, 1280)
left, right = lit(160, 170), lit(1110, 1120)
print("lit pixels: bars %d, picture's left edge %d, right edge %d" % (bars, left, right))
sys.exit(0 if bars == 0 and left > 0 and right > 0 else 1)
CHECK
  ;;
calm)
  write_late_timing "$show/timing.txt" 60
  x_server 1024x768
  show_start "$show" 30 "$orvel" --calm
  grab_and_end 30
  ffmpeg -v error -i "$work/screen.png" -f rawvideo -pix_fmt gray "$work/screen.gray"
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
timing)
  need node
  [ -x "$native/orvel-capture" ] || fail "no orvel-capture in $native"
  # Other music, in Ogg: its first ten seconds.
  ffmpeg -v error -t 10 -i "$show"/*.mp3 -c:a libvorbis "$show/retimed.ogg"
  rm "$show"/*.mp3
  write_timing "$show/timing.txt" -e 's/^music: .*/music: retimed.ogg/' -e 's/^segment 2: .*/segment 2: 0.5/'
  x_server 1024x768
  show_start "$show" 30 "$orvel"
  grab_and_end 30
  [ ! -s "$work/stderr.txt" ] || fail "the show said: $(cat "$work/stderr.txt")"
  capture_folder="$show" match_screen
  ;;
music-unreadable)
  head -c 4096 /dev/zero > "$show/broken.ogg"
  write_timing "$show/timing.txt" 's/^music: .*/music: broken.ogg/'
  run_show "Escape" 30
  expect_exit 0
  [ "$(cat "$work/stderr.txt")" = 'orvel: cannot play the music "broken.ogg" (Not an Ogg Vorbis audio stream), so the show runs silent' ] \
    || fail "unexpected stderr"
  ;;
timing-refused)
  # Refused with one line, EXPECTED, and nothing loaded: no display is
  # needed to be refused.
  expect_refused() {
    (cd "$show" && env -u DISPLAY timeout 30 "$orvel" > "$work/stdout.txt" 2> "$work/stderr.txt") \
      && show_code=0 || show_code=$?
    expect_exit 1
    [ "$(cat "$work/stderr.txt")" = "$1" ] || fail "unexpected stderr"
    [ ! -s "$work/stdout.txt" ] || fail "the show loaded its scenes before refusing its timing"
  }
  write_timing "$show/timing.txt" 's/^segment 2: .*/segment 2: 0.5s/'
  line="$(grep -n '^segment 2:' "$show/timing.txt" | cut -d: -f1)"
  expect_refused "orvel: $show/timing.txt:$line: segment 2 takes a time in plain decimal seconds, not \"0.5s\""
  write_timing "$show/timing.txt" 's/^music: .*/music: gone.mp3/'
  expect_refused "orvel: $show/timing.txt: the music \"gone.mp3\" is not in the data folder $show"
  ;;
whole)
  expect_whole_show "$show" run_show "" 200
  ;;
play-silent)
  rm -f "$ORVEL_BUILD_DIR/show/sync.txt"
  # ALSA with a device that no machine has.
  export SDL_AUDIODRIVER=alsa AUDIODEV=hw:99
  run_show "Escape" 300
  expect_exit 0
  grep -qx '== play: no sound device here, so playing the show again without sound' "$work/stdout.txt" \
    || fail "scripts/play did not say it plays without sound"
  [ "$(grep -c '^orvel: cannot open the audio output' "$work/stderr.txt")" = 1 ] \
    || fail "the show's own message is not there once"
  ! grep -q '^ALSA lib' "$work/stderr.txt" || fail "the audio library's noise came through"
  [ -f "$ORVEL_BUILD_DIR/show/sync.txt" ] || fail "the silent show wrote no sync.txt"
  rm -f "$ORVEL_BUILD_DIR/show/sync.txt"
  ;;
play-no-display)
  rm -f "$ORVEL_BUILD_DIR/orvel.mp4"
  display=99
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  (cd "$work" && DISPLAY=":$display" timeout 600 "$orvel" > stdout.txt 2> stderr.txt) || fail "scripts/play failed"
  grep -qx "== play: no display answers at DISPLAY=:$display, so rendering the show to $ORVEL_BUILD_DIR/orvel.mp4 instead" \
    "$work/stdout.txt" || fail "scripts/play did not say why it renders"
  [ -s "$ORVEL_BUILD_DIR/orvel.mp4" ] || fail "no video at $ORVEL_BUILD_DIR/orvel.mp4"
  ;;
*)
  fail "unknown case"
  ;;
esac
echo "$name: passed"
