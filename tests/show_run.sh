# What the end-to-end tests of the Linux show (tests/show/show_e2e.sh) and
# of the Windows show under Wine (tests/windows/wine_e2e.sh) share. Sourced;
# the sourcing script defines fail() and sets show_folder, the folder the
# show runs in, where its driver leaves exit_code and stderr.txt.

# The drivers, which run inside the virtual X server, wait for the show's
# window and grab the screen with these.
export FULL_SCREEN_WINDOW="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/full_screen_window.sh"
export GRAB_SCREEN="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/grab_screen.sh"

# Runs DRIVER ARGS... from show_folder in a virtual X server with a screen
# of SCREEN (WIDTHxHEIGHT) and prints the show's exit code. xvfb-run -a can
# hand out a display that another test's server takes at the same moment;
# such a run is tried again, and starting the search at a random number
# makes that rare.
run_in_xvfb() {
  local screen="$1" attempt
  shift
  for attempt in 1 2 3; do
    rm -f "$show_folder/exit_code" "$show_folder/stderr.txt"
    (cd "$show_folder" && xvfb-run -a -n $((100 + RANDOM % 400)) -s "-screen 0 ${screen}x24" "$@") || true
    grep -q 'failed to open display' "$show_folder/stderr.txt" 2>/dev/null || break
  done
  [ -f "$show_folder/exit_code" ] || fail "the show did not end: $(cat "$show_folder/stderr.txt" 2>/dev/null)"
  cat "$show_folder/exit_code"
}

expect_exit() {
  local want="$1" got="$2"
  [ "$got" = "$want" ] || fail "exit code $got, expected $want; stderr: $(cat "$show_folder/stderr.txt")"
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
