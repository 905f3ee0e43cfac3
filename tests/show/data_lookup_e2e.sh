#!/usr/bin/env bash
# The show and orvel-capture find their data from anywhere, and say where
# they looked when they cannot.
#
#   data_lookup_e2e.sh CASE ORVEL CAPTURE SHOW_DIR VERSION INSTALLED_DATA_FOLDER
#
# CASE is one of:
#   version        --version prints the project's version, without a display
#   no-data        no data anywhere: one line naming every place, exit 1,
#                  before any window (no display is even tried)
#   program-folder the programs copied beside the data, started from another
#                  directory: the show plays and ESC writes sync.txt where it
#                  was started; the capture's relative output lands there too
set -euo pipefail

case_name="$1"
orvel="$(realpath "$2")"
capture="$(realpath "$3")"
show_dir="$(realpath "$4")"
version="$5"
installed="$6"
title="orvel zivuvaruro v1.0b"

fail() { echo "data_lookup_e2e $case_name: $*" >&2; exit 1; }
for tool in xvfb-run xdotool; do command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps installs it)"; done
[ -d "$show_dir/demodata" ] || fail "no generated content in $show_dir (build the demodata target)"

work="$(mktemp -d "${TMPDIR:-/tmp}/orvel-lookup-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=dummy
# As in show_e2e.sh: under the sanitizers, memory errors but not X's leaks.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
full_screen_window="$(cd "$(dirname "$0")/.." && pwd)/full_screen_window.sh"

# The programs alone in a folder of their own, and an empty place to start in.
mkdir "$work/program" "$work/started"
cp "$orvel" "$capture" "$work/program/"
data="the folder demodata and the music \"dj ranko - quickbite.mp3\""

case "$case_name" in
version)
  out="$(cd "$work/started" && env -u DISPLAY "$work/program/orvel" --version)" || fail "orvel --version failed"
  [ "$out" = "orvel $version" ] || fail "orvel --version printed '$out', expected 'orvel $version'"
  out="$(cd "$work/started" && "$work/program/orvel-capture" --version)" || fail "orvel-capture --version failed"
  [ "$out" = "orvel-capture $version" ] || fail "orvel-capture --version printed '$out'"
  code=0
  (cd "$work/started" && env -u DISPLAY "$work/program/orvel" --bogus > out.txt 2> err.txt) || code=$?
  [ "$code" = 2 ] || fail "an unknown option exits with $code, expected 2"
  [ "$(head -n 1 "$work/started/err.txt")" = "orvel: unknown option --bogus" ] || fail "stderr: $(cat "$work/started/err.txt")"
  ;;
no-data)
  [ ! -d "$installed/demodata" ] || fail "$installed holds the data: this case needs a machine without it"
  for program in orvel orvel-capture; do
    code=0
    args=()
    [ "$program" = orvel ] || args=(--png frames)
    # No DISPLAY: a show that tried to open its window would say so instead.
    (cd "$work/started" && env -u DISPLAY "$work/program/$program" "${args[@]}" > out.txt 2> err.txt) || code=$?
    [ "$code" = 1 ] || fail "$program exits with $code, expected 1: $(cat "$work/started/err.txt")"
    want="$program: cannot find the show's data ($data); looked in $work/started, $work/program and $installed"
    [ "$(cat "$work/started/err.txt")" = "$want" ] || fail "$program said: $(cat "$work/started/err.txt"); expected: $want"
  done
  [ "$(ls -A "$work/started")" = "$(printf 'err.txt\nout.txt')" ] || fail "something was made: $(ls -A "$work/started")"
  ;;
program-folder)
  cp -r "$show_dir/demodata" "$show_dir"/*.mp3 "$work/program/"
  (cd "$work/started" && "$work/program/orvel-capture" --from 1 --to 1.05 --size 64x48 --png frames \
    > capture-out.txt 2> capture-err.txt) || fail "orvel-capture failed: $(cat "$work/started/capture-err.txt")"
  [ -f "$work/started/frames/frame-00000.png" ] || fail "no frames where orvel-capture was started"
  ! grep -q 'cannot load' "$work/started/capture-err.txt" || fail "orvel-capture: $(cat "$work/started/capture-err.txt")"
  cat > "$work/driver.sh" <<DRIVER
#!/usr/bin/env bash
set -uo pipefail
"$work/program/orvel" > out.txt 2> err.txt &
pid=\$!
window="\$("$full_screen_window" "\$pid" "$title" 1024 300)"
[ -n "\$window" ] && timeout 10 xdotool windowfocus --sync "\$window" && sleep 0.5 && timeout 10 xdotool key Escape
wait "\$pid"
echo \$? > exit_code
DRIVER
  chmod +x "$work/driver.sh"
  (cd "$work/started" && timeout 60 xvfb-run -a -n $((100 + RANDOM % 400)) -s "-screen 0 1024x768x24" "$work/driver.sh") || true
  [ "$(cat "$work/started/exit_code" 2>/dev/null)" = 0 ] || fail "the show did not end with 0: $(cat "$work/started/err.txt")"
  [ ! -s "$work/started/err.txt" ] || fail "stderr: $(cat "$work/started/err.txt")"
  grep -q 'frames per second$' "$work/started/sync.txt" || fail "no sync.txt where the show was started"
  [ ! -e "$work/program/sync.txt" ] || fail "sync.txt went to the data folder"
  ;;
*)
  fail "unknown case"
  ;;
esac
echo "data_lookup_e2e $case_name: passed"
