# What every end-to-end test shares. Sourced once the test has set `name`,
# the start of its messages; `native` names the native build (orvel-capture,
# show-schedule and the show's content in show/) by the time a fact of the
# show or a screen match is asked for. It gives the test a folder of its
# own ($work), an X server of its own, the show started, found and played in
# it, and a picture of the screen held against orvel-capture's frames. On a
# failure it prints what explains it, the X server's log and the program's
# output, before the folder goes.

fail() { echo "$name: $*" >&2; exit 1; }

need() {
  local tool
  for tool; do command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps installs it)"; done
}

# A fact of the show (the rest of its line) as show-schedule writes it.
show_fact() {
  local value
  value="$(sed -n "s/^$1 //p" <<< "$("$native/show-schedule")")"
  [ -n "$value" ] || fail "$native/show-schedule writes no $1"
  echo "$value"
}

# The built-in timing as show-schedule writes it, edited by the sed
# expressions given, into FILE: a retimed show's timing.txt.
write_timing() {
  local file="$1"
  shift
  "$native/show-schedule" --timing | sed "$@" > "$file"
}

# The built-in timing with every time SECONDS later, into FILE: the opening
# lasts that much longer, so that a picture taken some seconds in, however
# slow the machine, is the opening's.
write_late_timing() {
  "$native/show-schedule" --timing \
    | awk -v later="$2" '/^[a-z0-9 ]+: [0-9. ]+$/ && !/^music:/ {
        line = substr($0, 1, index($0, ":"))
        count = split(substr($0, index($0, ":") + 2), times, " ")
        for (i = 1; i <= count; ++i) line = line " " (times[i] + later)
        print line; next
      }
      { print }' > "$1"
}

work="$(mktemp -d "${TMPDIR:-/tmp}/orvel-e2e-XXXXXX")"
xserver_pid=""
show_pid=""
e2e_end() {
  local code=$? log
  kill $show_pid $xserver_pid 2>/dev/null || true
  # A reader that went away (| head) does not keep the folder.
  trap '' PIPE
  if [ "$code" != 0 ]; then
    for log in xserver.log stdout.txt stderr.txt; do
      if [ -s "$work/$log" ]; then echo "--- $name: $log (its last 40 lines)"; tail -n 40 "$work/$log"; fi >&2
    done
  fi
  # A test that mounts into its folder unmounts in release_work, which
  # fails while anything is still mounted there.
  if declare -F release_work > /dev/null && ! release_work; then
    echo "$name: $work is still in use, left in place" >&2
  else
    rm -rf "$work"
  fi
}
trap e2e_end EXIT

# Starts an X server with a screen of SIZE (WIDTHxHEIGHT) on a display that
# the server picks itself and names only once it takes connections
# (-displayfd): no other server holds that number, and nothing is started
# before it answers. By default a server resets when its last client leaves
# and drops the connections still being set up: the show, connecting while
# show_window's xdotool leaves, would find no display now and then; with
# -noreset it never does. DISPLAY names it; it ends with the test.
x_server() {
  local number=""
  screen_size="$1"
  mkfifo "$work/display"
  Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 "${screen_size}x24" 3> "$work/display" \
    > "$work/xserver.log" 2>&1 &
  xserver_pid=$!
  read -r -t 60 number < "$work/display" || true
  [ -n "$number" ] || fail "Xvfb named no display"
  export DISPLAY=":$number"
}

# Windows programs run under Wine with the prefix PREFIX, quiet and
# offering no .NET or HTML engine to install; the show's sound goes to
# SDL's dummy output, as no sound device may be there.
use_wine() {
  need wine wineserver
  export WINEPREFIX="$(realpath -m "$1")" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" SDL_AUDIODRIVER=dummy
}

# Starts COMMAND... from the folder DIR in the background, its output in
# $work/stdout.txt and $work/stderr.txt, ended after LIMIT seconds (exit code
# 124). show_end waits for its end and sets show_code; Wine's server, which
# a show under Wine leaves running, ends with it. The show writes what it
# showed when into $frame_log (ORVEL_FRAME_LOG, which a test that clears
# the environment passes on itself, as the place it has there).
frame_log="$work/frames.log"
show_start() {
  local dir="$1" limit="$2"
  shift 2
  rm -f "$frame_log"
  if [ -n "${WINEPREFIX:-}" ]; then
    ORVEL_FRAME_LOG="$(winepath -w "$frame_log" 2>/dev/null)"
  else
    ORVEL_FRAME_LOG="$frame_log"
  fi
  export ORVEL_FRAME_LOG
  launched_at="$(date +%s.%N)"
  (cd "$dir" && exec timeout "$limit" "$@" > "$work/stdout.txt" 2> "$work/stderr.txt") &
  show_pid=$!
}

show_end() {
  show_code=0
  wait "$show_pid" || show_code=$?
  show_pid=""
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
}

# Waits up to SECONDS for the show's window to cover the screen's width and
# sets window to its id and full_screen_at to that moment (`date +%s.%N`).
# The window shows at its first size while the scenes load; focus given
# before it goes full screen would be lost with it.
show_window() {
  local title
  title="$(show_fact window-title)"
  for _ in $(seq $(( $1 * 10 ))); do
    kill -0 "$show_pid" 2>/dev/null || fail "the show ended before its window went full screen"
    window="$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1 || true)"
    if [ -n "$window" ] && xdotool getwindowgeometry --shell "$window" 2>/dev/null | grep -qx "WIDTH=${screen_size%x*}"
    then
      full_screen_at="$(date +%s.%N)"
      return
    fi
    sleep 0.1
  done
  fail "no full-screen window titled $title after $1 s"
}

# Gives the window the keyboard and presses KEYS one at a time, each after
# some frames, so that every mark has a time of its own. Wine gives a window
# the keys once it is clicked; the show does nothing with the left button.
press_keys() {
  local key
  timeout 10 xdotool mousemove --sync 10 10 click 1
  timeout 10 xdotool windowfocus --sync "$window"
  for key; do
    sleep 0.4
    timeout 10 xdotool key --clearmodifiers "$key"
  done
}

# Grabs the screen into OUT.png and sets shot_time to the picture's moment,
# halfway through the grab, in seconds after the window went full screen.
# Without a window manager a full-screen window keeps its border: the
# picture is moved by the window's origin to the screen's corner, and what
# falls off the screen is left black.
grab_screen() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$window")"
  grab_before="$(date +%s.%N)"
  timeout 20 ffmpeg -v error -f x11grab -draw_mouse 0 -video_size "$screen_size" -i "$DISPLAY" -frames:v 1 \
    -vf "crop=iw-$X:ih-$Y:$X:$Y,pad=iw+$X:ih+$Y:0:0" -y "$1" || fail "cannot grab the screen"
  grab_after="$(date +%s.%N)"
  shot_time="$(awk -v b="$grab_before" -v a="$grab_after" -v f="$full_screen_at" 'BEGIN { printf "%.3f", (b + a) / 2 - f }')"
}

# Once the show's window is full screen (within SECONDS), grabs the screen
# 2.5 s later into $work/screen.png, ends the show with ESC and expects it
# to exit with 0.
grab_and_end() {
  show_window "$1"
  sleep 2.5
  grab_screen "$work/screen.png"
  press_keys Escape
  show_end
  expect_exit 0
}

# orvel-capture's frames at FPS from FROM to TO, of the screen's size, in
# $work/frames; its output in $work/capture-stdout.txt. It plays the data
# folder capture_folder (the native build's show/ unless set), and so the
# timing found there.
capture_frames() {
  rm -rf "$work/frames"
  (cd "${capture_folder:-$native/show}" && "$native/orvel-capture" --fps "$1" --size "$screen_size" --from "$2" --to "$3" \
    --png "$work/frames" > "$work/capture-stdout.txt" 2> "$work/capture-stderr.txt") \
    || fail "orvel-capture failed: $(tail -3 "$work/capture-stderr.txt")"
}

# The picture grab_and_end took against orvel-capture's frames around its
# moment, by the measure of tests/screen_match.mjs. The show says which
# frames it had on the screen while the grab ran (its frame log): first
# the closest frame at 30 frames a second among their moments, a tenth of a
# second either side, then the closest at 600 around that one. A frame spins
# by the angles that the frame before it stored, so the closest at 600 lies
# up to a 20th of a second before the one at 30, or, where nothing spins, a
# 60th either side. The moment that picture shows is then held against
# those frames, and the show's clock against when it started and covered
# the screen (tests/screen_moment.mjs): a show out of step fails however
# busy the machine, and however long the grab took.
# The time of the closest frame in what screen_match.mjs printed.
matched_time() { sed -n 's/^closest of [0-9]* frames: \([0-9.]*\) s,.*/\1/p' <<< "$1"; }

match_screen() {
  local png="$work/screen.png" here matcher span from coarse near fine picture
  here="$(dirname "${BASH_SOURCE[0]}")"
  matcher="$here/screen_match.mjs"
  [ -s "$frame_log" ] || fail "the show wrote no frame log ($frame_log)"
  span="$(awk -v b="$grab_before" -v a="$grab_after" '$1 <= b { from = $2 } $1 > b && $1 < a { to = $2 }
    END { if (from == "") exit 1; if (to == "") to = from; printf "%.3f %.3f", (from > 0.1) ? from - 0.1 : 0, to + 0.1 }' \
    "$frame_log")" || fail "the show had shown no frame when the screen was grabbed"
  from="${span% *}"
  capture_frames 30 "$from" "${span#* }"
  coarse="$(node "$matcher" "$png" "$work/frames" "$from" 30 || true)"
  echo "at 30 fps: $coarse"
  near="$(matched_time "$coarse")"
  [ -n "$near" ] || fail "no frame compared: $coarse"
  from="$(awk -v t="$near" 'BEGIN { printf "%.4f", (t > 0.06) ? t - 0.06 : 0 }')"
  capture_frames 600 "$from" "$(awk -v t="$near" 'BEGIN { printf "%.4f", t + 0.02 }')"
  fine="$(node "$matcher" "$png" "$work/frames" "$from" 600)" \
    || fail "the screen taken $shot_time s after the window went full screen matches no frame: $fine"
  echo "at 600 fps: $fine"
  picture="$(matched_time "$fine")"
  node "$here/screen_moment.mjs" "$frame_log" "$launched_at" "$full_screen_at" "$grab_before" "$grab_after" \
    "$picture" || fail "the screen is out of step with the show's clock"
}

# Runs COMMAND..., which plays the whole show untouched, and expects it to
# end with 0 at the show's end, without a sync.txt in FOLDER: by its own
# frame log, it drew its first frame at 0 s and its last before the end,
# and ended once its clock had passed the end. How long that took is the
# machine's, not the show's.
expect_whole_show() {
  local folder="$1" end
  shift
  end="$(show_fact show-end)"
  "$@"
  expect_exit 0
  [ ! -e "$folder/sync.txt" ] || fail "the end of the show wrote sync.txt"
  [ -s "$frame_log" ] || fail "the show wrote no frame log ($frame_log)"
  awk -v end="$end" 'NR == 1 && $2 != 0 { print "its first frame was drawn for " $2 " s"; bad = 1 }
    { last_drawn = $2; last_clock = $3 }
    END {
      if (last_drawn >= end) { print "it drew a frame for " last_drawn " s, past the end"; bad = 1 }
      if (last_clock < end) { print "it ended at " last_clock " s by its clock, before the end"; bad = 1 }
      exit bad
    }' "$frame_log" > "$work/whole.txt" || fail "the whole show, $end s: $(cat "$work/whole.txt")"
}

expect_exit() {
  [ "$show_code" = "$1" ] || fail "exit code $show_code, expected $1"
}

# The marks that END left in the sync.txt text TEXT: COUNT of them, in the
# order pressed, so in increasing time. The lines' form is the sync file's
# unit tests' concern.
expect_marks() {
  local text="$1" count="$2" marks
  marks="$(grep '^time: ' <<< "$text" | sed 's/^time: //' || true)"
  [ "$(grep -c . <<< "$marks")" = "$count" ] || fail "not $count marks: $text"
  sort -c -g -u <<< "$marks" || fail "marks are not in increasing order: $text"
}
