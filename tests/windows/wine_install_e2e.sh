#!/usr/bin/env bash
# The Windows show started the ways a person starts it: from another
# folder, without its data, and as a file with an icon and a version.
#
#   wine_install_e2e.sh CASE DIST NATIVE_BUILD WINEPREFIX VERSION
#
# DIST holds orvel-windows.zip; NATIVE_BUILD is the native build with
# orvel-capture, show-schedule and the generated content in show/. CASE is
# one of:
#   resources  orvel.exe holds an icon of 16 to 256 pixels and version
#              information naming the product and VERSION
#   elsewhere  started from another folder, the show finds its data beside
#              orvel.exe: its screen matches orvel-capture's frame, ESC ends
#              it with 0 and sync.txt lands in the folder it was started in
#   no-data    demodata renamed: a message box naming the data and the
#              folders looked in, no show window, and after OK an exit
#              code that is not 0
#   bad-timing a timing.txt beside orvel.exe that ends the show after
#              600 s: a message box, no show window, stderr naming the
#              file, its line and the fault, an exit code that is not 0
#   no-sound   no audio output: a message box saying why, exit code 1
#   own-scenes a timing.txt giving segment 2 its own words and segment 9 a
#              file that is no scene: the words' title is made (in a
#              temporary file where a user may write), and the file is
#              refused in a message box naming it, exit code not 0
set -euo pipefail

case_name="$1"
dist="$(realpath "$2")"
native="$(realpath "$3")"
version="$5"
screen=1024x768

name="wine_install_e2e $case_name"
source "$(dirname "$0")/../e2e.sh"
use_wine "$4"
need Xvfb xdotool ffmpeg unzip node wrestool icotool
[ -f "$dist/orvel-windows.zip" ] || fail "no orvel-windows.zip in $dist (scripts/windows makes it)"

(cd "$work" && unzip -q "$dist/orvel-windows.zip")
folder="$work/orvel-windows"
mkdir "$work/elsewhere"

# Starts the show from its folder and waits for Wine's message box titled
# orvel; presses OK once it is seen. With NO_SHOW_WINDOW=yes the show's own
# window must never appear. The exit code must then not be 0, nor the time
# limit's.
expect_message_box() {
  local no_show_window="$1" title box="" shown=no
  title="$(show_fact window-title)"
  x_server "$screen"
  show_start "$folder" 60 wine "$folder/orvel.exe"
  for _ in $(seq 300); do
    kill -0 "$show_pid" 2>/dev/null || break
    ! xdotool search --name "^$title\$" >/dev/null 2>&1 || shown=yes
    box="$(xdotool search --onlyvisible --name '^orvel$' 2>/dev/null | head -n 1 || true)"
    if [ -n "$box" ]; then
      sleep 0.5
      xdotool windowactivate --sync "$box" 2>/dev/null || true
      xdotool key --window "$box" Return || true
      sleep 1
      ! kill -0 "$show_pid" 2>/dev/null || xdotool windowclose "$box" 2>/dev/null || true
      break
    fi
    sleep 0.1
  done
  show_end
  [ -n "$box" ] || fail "no message box appeared"
  [ "$no_show_window" = no ] || [ "$shown" = no ] || fail "the show's window opened"
  [ "$show_code" != 0 ] || fail "exit code 0 after the message box"
  [ "$show_code" != 124 ] || fail "the program did not end after OK"
  echo "message box, exit code $show_code: $(tr -d '\r' < "$work/stderr.txt")"
}

case "$case_name" in
resources)
  exe="$dist/orvel-windows/orvel.exe"
  wrestool -x --type=group_icon --name=1 "$exe" > "$work/orvel.ico" || fail "no icon in orvel.exe"
  sizes="$(icotool -l "$work/orvel.ico" | sed -n 's/.*--width=\([0-9]*\) --height=\1 .*/\1/p' | tr '\n' ' ')"
  [ "$sizes" = "16 32 48 256 " ] || fail "the icon holds the sizes '$sizes', expected 16 32 48 256"
  wrestool -x --raw --type=version "$exe" > "$work/version.bin" || fail "no version information in orvel.exe"
  # The strings are UTF-16, each name followed by its value.
  strings -el "$work/version.bin" > "$work/version.txt"
  for pair in "ProductName orvel" "ProductVersion $version" "FileVersion $version"; do
    grep -A1 -x "${pair%% *}" "$work/version.txt" | tail -n 1 | grep -qx "${pair#* }" \
      || fail "no $pair in the version information: $(tr '\n' ' ' < "$work/version.txt")"
  done
  grep -q '^FileDescription$' "$work/version.txt" || fail "no FileDescription"
  ;;
elsewhere)
  x_server "$screen"
  show_start "$work/elsewhere" 60 wine "$folder/orvel.exe"
  grab_and_end 60
  grep -q 'frames per second' "$work/elsewhere/sync.txt" 2>/dev/null || fail "no sync.txt in the folder it was started in"
  [ ! -e "$folder/sync.txt" ] || fail "sync.txt went beside orvel.exe"
  ! grep -q 'cannot load' "$work/stderr.txt" || fail "the data was not found"
  match_screen
  ;;
no-data)
  mv "$folder/demodata" "$folder/demodata-renamed"
  expect_message_box yes
  # One place looked in, in Windows' form: the folder it was started in,
  # which is orvel.exe's too.
  tr -d '\r' < "$work/stderr.txt" | grep -q '^orvel: .* [A-Z]:\\.*\\orvel-windows$' \
    || fail "stderr does not name the folder looked in"
  ;;
bad-timing)
  write_timing "$folder/timing.txt" 's/^end: .*/end: 601/'
  expect_message_box yes
  tr -d '\r' < "$work/stderr.txt" | grep -q '^orvel: .*\\timing\.txt:[0-9]*: .*600' \
    || fail "stderr does not name the timing file, its line and the fault"
  ;;
own-scenes)
  write_timing "$folder/timing.txt" -e '$a words 2: OUR GROUP 2026!' -e '$a scene 9: junk.3ds'
  printf 'no scene at all' > "$folder/junk.3ds"
  expect_message_box no
  tr -d '\r' < "$work/stderr.txt" | grep -q '^orvel: cannot load junk\.3ds: ' \
    || fail "stderr does not refuse junk.3ds"
  ;;
no-sound)
  export SDL_AUDIODRIVER=no-such-driver
  expect_message_box no
  [ "$show_code" = 1 ] || fail "exit code $show_code, expected 1"
  tr -d '\r' < "$work/stderr.txt" | grep -q 'SDL_AUDIODRIVER=dummy runs the show without sound' \
    || fail "stderr does not say how to watch without sound"
  ;;
*)
  fail "unknown case"
  ;;
esac
echo "$name: passed"
