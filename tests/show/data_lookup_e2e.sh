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
#   started-gone   the directory started in removed before they start: a
#                  relative --timing is refused in one line by both, not
#                  read from the data folder, where a timing of its name lies
set -euo pipefail

case_name="$1"
orvel="$(realpath "$2")"
capture="$(realpath "$3")"
show_dir="$(realpath "$4")"
version="$5"
installed="$6"
native="$(dirname "$show_dir")"

name="data_lookup_e2e $case_name"
source "$(dirname "$0")/../e2e.sh"
need Xvfb xdotool
[ -d "$show_dir/demodata" ] || fail "no generated content in $show_dir (build the demodata target)"
export SDL_AUDIODRIVER=dummy
# As in show_e2e.sh: under the sanitizers, memory errors but not X's leaks.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# The programs alone in a folder of their own, and an empty place to start in.
mkdir "$work/program" "$work/started"
cp "$orvel" "$capture" "$work/program/"

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
    args=()
    [ "$program" = orvel ] || args=(--png frames)
    # No DISPLAY: a show that tried to open its window would say so instead.
    show_start "$work/started" 30 env -u DISPLAY "$work/program/$program" "${args[@]}"
    show_end
    expect_exit 1
    # One line, the program's name first, that names every place looked in,
    # in order; the words are data_places_test's concern.
    [ "$(wc -l < "$work/stderr.txt")" = 1 ] || fail "$program said more than one line"
    grep -q "^$program: .* $work/started, $work/program and $installed\$" "$work/stderr.txt" \
      || fail "$program did not name $work/started, $work/program and $installed in order"
  done
  [ -z "$(ls -A "$work/started")" ] || fail "something was made: $(ls -A "$work/started")"
  ;;
program-folder)
  cp -r "$show_dir/demodata" "$show_dir"/*.mp3 "$work/program/"
  (cd "$work/started" && "$work/program/orvel-capture" --from 1 --to 1.05 --size 64x48 --png frames \
    > capture-out.txt 2> capture-err.txt) || fail "orvel-capture failed: $(cat "$work/started/capture-err.txt")"
  [ -f "$work/started/frames/frame-00000.png" ] || fail "no frames where orvel-capture was started"
  ! grep -q 'cannot load' "$work/started/capture-err.txt" || fail "orvel-capture: $(cat "$work/started/capture-err.txt")"
  rm -r "$work/started"/*
  x_server 1024x768
  show_start "$work/started" 60 "$work/program/orvel"
  show_window 30
  press_keys Escape
  show_end
  expect_exit 0
  [ ! -s "$work/stderr.txt" ] || fail "the show wrote to stderr"
  grep -q 'frames per second$' "$work/started/sync.txt" || fail "no sync.txt where the show was started"
  [ ! -e "$work/program/sync.txt" ] || fail "sync.txt went to the data folder"
  ;;
started-gone)
  cp -r "$show_dir/demodata" "$show_dir"/*.mp3 "$work/program/"
  write_timing "$work/program/retimed.txt" 's/^end: .*/end: 130/'
  for program in orvel orvel-capture; do
    args=(--timing retimed.txt)
    [ "$program" = orvel ] || args+=(--png "$work/frames")
    mkdir "$work/gone"
    code=0
    # No DISPLAY: a show that went on to open its window would say so instead.
    (cd "$work/gone" && rmdir "$work/gone" && env -u DISPLAY timeout 30 "$work/program/$program" "${args[@]}" \
      > "$work/stdout.txt" 2> "$work/stderr.txt") || code=$?
    [ "$code" = 1 ] || fail "$program exits with $code, expected 1: $(cat "$work/stderr.txt")"
    expected="$program: the directory $program started in is gone: give --timing an absolute path"
    [ "$(cat "$work/stderr.txt")" = "$expected" ] || fail "$program said: $(cat "$work/stderr.txt")"
    [ ! -s "$work/stdout.txt" ] || fail "$program loaded its scenes: $(head -3 "$work/stdout.txt")"
  done
  [ ! -e "$work/frames" ] || fail "orvel-capture made $work/frames"
  ;;
*)
  fail "unknown case"
  ;;
esac
echo "$name: passed"
