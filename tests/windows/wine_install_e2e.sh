#!/usr/bin/env bash
# The Windows show started the ways a person starts it: from another
# folder, without its data, and as a file with an icon and a version.
#
#   wine_install_e2e.sh CASE DIST NATIVE_BUILD WINEPREFIX VERSION
#
# DIST holds orvel-windows.zip; NATIVE_BUILD is the native build with
# orvel-capture and the generated content in show/. CASE is one of:
#   resources  orvel.exe holds an icon of 16 to 256 pixels and version
#              information naming the product and VERSION
#   elsewhere  started from another folder, the show finds its data beside
#              orvel.exe: its screen matches orvel-capture's frame, ESC ends
#              it with 0 and sync.txt lands in the folder it was started in
#   no-data    demodata renamed: a message box naming the data and the
#              folders looked in, no show window, and after OK an exit
#              code that is not 0
#   no-sound   no audio output: a message box saying why, exit code 1
set -euo pipefail

case_name="$1"
dist="$(realpath "$2")"
native="$(realpath "$3")"
export WINEPREFIX="$(realpath -m "$4")"
version="$5"
title="orvel zivuvaruro v1.0b"
screen=1024x768
here="$(cd "$(dirname "$0")" && pwd)"

fail() { echo "wine_install_e2e $case_name: $*" >&2; exit 1; }
source "$here/../show_run.sh"
for tool in wine wineserver xvfb-run xdotool ffmpeg unzip node wrestool icotool; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps installs it)"
done
[ -f "$dist/orvel-windows.zip" ] || fail "no orvel-windows.zip in $dist (scripts/windows makes it)"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" SDL_AUDIODRIVER=dummy

work="$(mktemp -d "${TMPDIR:-/tmp}/orvel-wine-install-XXXXXX")"
trap 'rm -rf "$work"' EXIT
(cd "$work" && unzip -q "$dist/orvel-windows.zip")
folder="$work/orvel-windows"
show_folder="$work"
mkdir "$work/elsewhere"

# Runs SCRIPT (given as text) in a virtual X server with the show started
# from START in the background as $pid; Wine's server ends with the run.
in_x() {
  local start="$1" script="$2"
  cat > "$work/driver.sh" <<DRIVER
#!/usr/bin/env bash
set -uo pipefail
cd "$start"
timeout 60 wine "$folder/orvel.exe" > "$work/stdout.txt" 2> "$work/stderr.txt" &
pid=\$!
$script
wait "\$pid"
echo \$? > "$work/exit_code"
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
exit 0
DRIVER
  chmod +x "$work/driver.sh"
  run_in_xvfb "$screen" "$work/driver.sh" > /dev/null
}

# Starts the show from START and waits for Wine's message box titled orvel;
# presses OK once it is seen. With NO_SHOW_WINDOW=yes the show's own window
# must never appear. The exit code must then not be 0, nor the time limit's.
expect_message_box() {
  local start="$1" no_show_window="$2"
  in_x "$start" "
for _ in \$(seq 300); do
  kill -0 \"\$pid\" 2>/dev/null || break
  xdotool search --name \"^$title\$\" >/dev/null 2>&1 && echo shown > \"$work/show_window\"
  box=\"\$(xdotool search --onlyvisible --name '^orvel\$' 2>/dev/null | head -n 1)\"
  if [ -n \"\$box\" ]; then
    echo \"\$box\" > \"$work/box\"
    sleep 0.5
    xdotool windowactivate --sync \"\$box\" 2>/dev/null; xdotool key --window \"\$box\" Return
    sleep 1
    kill -0 \"\$pid\" 2>/dev/null && xdotool windowclose \"\$box\" 2>/dev/null
    break
  fi
  sleep 0.1
done"
  [ -s "$work/box" ] || fail "no message box appeared; stderr: $(cat "$work/stderr.txt")"
  [ "$no_show_window" = no ] || [ ! -e "$work/show_window" ] || fail "the show's window opened"
  local code
  code="$(cat "$work/exit_code")"
  [ "$code" != 0 ] || fail "exit code 0 after the message box"
  [ "$code" != 124 ] || fail "the program did not end after OK"
  echo "message box, exit code $code: $(tr -d '\r' < "$work/stderr.txt")"
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
  in_x "$work/elsewhere" "
window=\"\$(\"$here/../full_screen_window.sh\" \"\$pid\" \"$title\" ${screen%x*} 600)\"
if [ -n \"\$window\" ]; then
  full=\"\$(date +%s.%N)\"
  sleep 2.5
  \"$GRAB_SCREEN\" \"$work/screen.png\" $screen \"\$full\" > \"$work/shot_time.txt\"
  xdotool mousemove --sync 10 10 click 1
  sleep 0.4
  timeout 10 xdotool key Escape
fi"
  [ "$(cat "$work/exit_code")" = 0 ] || fail "exit code $(cat "$work/exit_code"); stderr: $(cat "$work/stderr.txt")"
  [ -s "$work/screen.png" ] || fail "no full-screen window titled $title: $(cat "$work/stderr.txt")"
  grep -q 'frames per second' "$work/elsewhere/sync.txt" 2>/dev/null || fail "no sync.txt in the folder it was started in"
  [ ! -e "$folder/sync.txt" ] || fail "sync.txt went beside orvel.exe"
  ! grep -q 'cannot load' "$work/stderr.txt" || fail "the data was not found: $(cat "$work/stderr.txt")"
  "$here/../match_screen.sh" "$work/screen.png" "$(cat "$work/shot_time.txt")" "$native" "$screen" "$work/frames" \
    || fail "the screen taken $(cat "$work/shot_time.txt") s after the window went full screen matches no frame"
  ;;
no-data)
  mv "$folder/demodata" "$folder/demodata-renamed"
  expect_message_box "$folder" yes
  tr -d '\r' < "$work/stderr.txt" | grep -q "^orvel: cannot find the show's data (the folder demodata and the music" \
    || fail "stderr does not name the data: $(cat "$work/stderr.txt")"
  ;;
no-sound)
  export SDL_AUDIODRIVER=no-such-driver
  expect_message_box "$folder" no
  [ "$(cat "$work/exit_code")" = 1 ] || fail "exit code $(cat "$work/exit_code"), expected 1"
  tr -d '\r' < "$work/stderr.txt" | grep -q 'SDL_AUDIODRIVER=dummy runs the show without sound' \
    || fail "stderr does not say how to watch without sound: $(cat "$work/stderr.txt")"
  ;;
*)
  fail "unknown case"
  ;;
esac
echo "wine_install_e2e $case_name: passed"
