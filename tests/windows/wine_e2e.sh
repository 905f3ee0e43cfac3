#!/usr/bin/env bash
# The Windows show that scripts/windows leaves in dist/, unzipped into a
# folder of its own and played under Wine in a virtual X server, driven
# with xdotool as the Linux show is by tests/show/show_e2e.sh.
#
#   wine_e2e.sh CASE DIST NATIVE_BUILD WINEPREFIX
#
# DIST holds orvel-windows/ and orvel-windows.zip; NATIVE_BUILD is the
# native build with orvel-capture and the generated content in show/.
# CASE is one of:
#   prefix   makes the Wine prefix when there is none
#   imports  orvel.exe imports Windows' own DLLs and no other
#   folder   the zip unpacks to the folder: the program, README.txt with
#            CR LF line ends, and the generated content and music unchanged
#   screen   the window goes full screen, and the screen a few seconds in
#            matches orvel-capture's frame of that size near that moment;
#            the console shows the loader's lines of the Linux show
#   keys     END three times, then ESC: exit 0, sync.txt beside orvel.exe
#            with three ordered marks and the frame rate, in CR LF lines
#   whole    the whole show untouched: exit 0 after about 121 s, no sync.txt
set -euo pipefail

case_name="$1"
dist="$(realpath "$2")"
native="$(realpath "$3")"
export WINEPREFIX="$(realpath -m "$4")"
title="orvel zivuvaruro v1.0b"
screen=1024x768
here="$(cd "$(dirname "$0")" && pwd)"

fail() { echo "wine_e2e $case_name: $*" >&2; exit 1; }
source "$here/../show_run.sh"
need() { command -v "$1" >/dev/null || fail "$1 is missing (scripts/deps installs it)"; }

for tool in wine wineserver xvfb-run xdotool ffmpeg unzip node x86_64-w64-mingw32-objdump; do need "$tool"; done
[ -f "$dist/orvel-windows/orvel.exe" ] && [ -f "$dist/orvel-windows.zip" ] \
  || fail "no orvel-windows/ and orvel-windows.zip in $dist (scripts/windows makes them)"
[ -d "$native/show/demodata" ] || fail "no generated content in $native/show (scripts/windows makes it)"

# Quiet Wine, which offers no .NET or HTML engine to install here; the
# show's audio goes to SDL's dummy output, as no sound device may be there.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" SDL_AUDIODRIVER=dummy

work="$(mktemp -d "${TMPDIR:-/tmp}/orvel-wine-XXXXXX")"
trap 'rm -rf "$work"' EXIT
unpack() {
  (cd "$work" && unzip -q "$dist/orvel-windows.zip")
  folder="$work/orvel-windows"
  show_folder="$folder"
}

# Runs inside xvfb-run from the show's folder: starts the show, waits for
# its full-screen window, takes the screen SHOT seconds after that when
# asked, plays the keys, and leaves the exit code in exit_code. Wine's
# server and its programs end with the run.
driver="$work/driver.sh"
cat > "$driver" <<'DRIVER'
#!/usr/bin/env bash
set -uo pipefail
title="$1"; keys="$2"; limit="$3"; screen="$4"; shot="$5"
timeout "$limit" wine orvel.exe > stdout.txt 2> stderr.txt &
pid=$!
if [ -n "$keys$shot" ]; then
  window="$("$FULL_SCREEN_WINDOW" "$pid" "$title" "${screen%x*}" 600)"
  full_screen="$(date +%s.%N)"
  if [ -z "$window" ]; then
    echo "no full-screen window titled $title" >&2
    kill "$pid" 2>/dev/null
  else
    xdotool getwindowgeometry --shell "$window" > geometry.txt
    if [ -n "$shot" ]; then
      sleep "$shot"
      "$GRAB_SCREEN" screen.png "$screen" "$full_screen" > shot_time.txt || echo "cannot grab the screen" >&2
    fi
    # Wine gives the window the keys once it is clicked; the left button
    # does nothing in the show.
    xdotool mousemove --sync 10 10 click 1
    for key in $keys; do
      sleep 0.4
      timeout 10 xdotool key "$key"
    done
  fi
fi
wait "$pid"
echo $? > exit_code
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
exit 0
DRIVER
chmod +x "$driver"

run_show() {
  local keys="$1" limit="$2" shot="${3:-}"
  run_in_xvfb "$screen" "$driver" "$title" "$keys" "$limit" "$screen" "$shot"
}

# The window covers the screen from its corner.
expect_full_screen() {
  [ -f "$folder/geometry.txt" ] || fail "no full-screen window titled $title"
  local geometry
  geometry="$(grep -E '^(X|Y|WIDTH|HEIGHT)=' "$folder/geometry.txt" | tr '\n' ' ')"
  [ "$geometry" = "X=0 Y=0 WIDTH=${screen%x*} HEIGHT=${screen#*x} " ] || fail "the window is not full screen: $geometry"
}

case "$case_name" in
prefix)
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    xvfb-run -a -n $((100 + RANDOM % 400)) sh -c 'wineboot --init && wineserver -w' >/dev/null 2>&1 \
      || fail "wineboot cannot make the prefix $WINEPREFIX"
  fi
  [ -f "$WINEPREFIX/system.reg" ] || fail "no Wine prefix at $WINEPREFIX"
  ;;
imports)
  dlls="$(x86_64-w64-mingw32-objdump -p "$dist/orvel-windows/orvel.exe" | sed -n 's/^\s*DLL Name: //p' | tr 'a-z' 'A-Z' | sort)"
  echo "orvel.exe imports: $(echo $dlls)"
  # Windows' own DLLs; the compiler's runtime, threads, SDL, freeglut and
  # any JPEG library are linked into the program.
  windows_dlls=(KERNEL32 USER32 GDI32 OPENGL32 GLU32 WINMM ADVAPI32 MSVCRT OLE32 OLEAUT32 SHELL32 IMM32 VERSION SETUPAPI)
  for dll in $dlls; do
    printf '%s.DLL\n' "${windows_dlls[@]}" | grep -qx "$dll" || fail "orvel.exe imports $dll, which is not Windows' own"
  done
  for dll in OPENGL32.DLL GLU32.DLL WINMM.DLL KERNEL32.DLL; do
    grep -qx "$dll" <<< "$dlls" || fail "orvel.exe does not import $dll"
  done
  ;;
folder)
  unpack
  [ "$(cd "$folder" && ls | sort)" = "$(printf '%s\n' README.txt demodata "$(cd "$native/show" && ls *.mp3)" orvel.exe | sort)" ] \
    || fail "the folder holds: $(cd "$folder" && ls)"
  diff -r "$native/show/demodata" "$folder/demodata" >/dev/null || fail "demodata/ differs from the generated content"
  cmp -s "$native/show/"*.mp3 "$folder/"*.mp3 || fail "the music differs from the generated music"
  cmp -s "$dist/orvel-windows/orvel.exe" "$folder/orvel.exe" || fail "the zip's orvel.exe is not the folder's"
  lines="$(wc -l < "$folder/README.txt")"
  [ "$lines" -gt 0 ] && [ "$(grep -c $'\r$' "$folder/README.txt")" = "$lines" ] || fail "README.txt has lines without CR LF"
  ;;
screen)
  [ -x "$native/orvel-capture" ] || fail "no orvel-capture in $native (build the native build: scripts/test does)"
  unpack
  code="$(run_show "Escape" 60 2.5)"
  expect_exit 0 "$code"
  expect_full_screen
  [ -s "$folder/screen.png" ] || fail "no picture of the screen"
  # The picture was taken t seconds after the window went full screen; the
  # show's clock started a little before that, by the start-up's time. The
  # closest frame among those at 60 fps around then, then the closest among
  # those at 600 fps around that one: the opening spins by a degree between
  # two frames at 60. A frame spins by the angles that the frame before it
  # stored, so the closest at 600 fps lies up to a 60th of a second before
  # the closest at 60.
  t="$(cat "$folder/shot_time.txt")"
  capture() {
    rm -rf "$work/frames"
    (cd "$native/show" && "$native/orvel-capture" --fps "$1" --size "$screen" --from "$2" --to "$3" --png "$work/frames" \
      > "$work/capture-stdout.txt" 2> "$work/capture-stderr.txt") || fail "orvel-capture failed: $(tail -3 "$work/capture-stderr.txt")"
  }
  from="$(awk -v t="$t" 'BEGIN { printf "%.3f", (t > 0.5) ? t - 0.5 : 0 }')"
  capture 60 "$from" "$(awk -v t="$t" 'BEGIN { printf "%.3f", t + 1.5 }')"
  coarse="$(node "$here/screen_match.mjs" "$folder/screen.png" "$work/frames" "$from" 60 || true)"
  echo "at 60 fps: $coarse"
  near="$(sed -n 's/^closest of [0-9]* frames: \([0-9.]*\) s,.*/\1/p' <<< "$coarse")"
  [ -n "$near" ] || fail "no frame compared: $coarse"
  from="$(awk -v t="$near" 'BEGIN { printf "%.4f", (t > 0.04) ? t - 0.04 : 0 }')"
  capture 600 "$from" "$(awk -v t="$near" 'BEGIN { printf "%.4f", t + 0.02 }')"
  node "$here/screen_match.mjs" "$folder/screen.png" "$work/frames" "$from" 600 \
    || fail "the screen taken $t s after the window went full screen matches no frame"
  # A Windows console program ends its lines with CR LF.
  tr -d '\r' < "$folder/stdout.txt" | cmp -s - "$work/capture-stdout.txt" \
    || fail "the loader's lines differ from the Linux ones: $(tr -d '\r' < "$folder/stdout.txt" | diff - "$work/capture-stdout.txt" | head -5)"
  ;;
keys)
  unpack
  code="$(run_show "End End End Escape" 60)"
  expect_exit 0 "$code"
  expect_full_screen
  sync="$folder/sync.txt"
  [ -f "$sync" ] || fail "no sync.txt beside orvel.exe"
  [ "$(grep -c $'\r$' "$sync")" = "$(wc -l < "$sync")" ] || fail "sync.txt has lines without CR LF"
  text="$(tr -d '\r' < "$sync")"
  expect_marks "$text" 3
  echo "sync.txt: $(echo $text)"
  ;;
whole)
  unpack
  start=$(date +%s)
  code="$(run_show "" 200)"
  elapsed=$(( $(date +%s) - start ))
  expect_exit 0 "$code"
  [ ! -e "$folder/sync.txt" ] || fail "the end of the show wrote sync.txt"
  [ "$elapsed" -ge 121 ] && [ "$elapsed" -le 150 ] || fail "the show ended after $elapsed s, expected about 121 s"
  ;;
*)
  fail "unknown case"
  ;;
esac
echo "wine_e2e $case_name: passed"
