#!/usr/bin/env bash
# The Windows show that scripts/windows leaves in dist/, unzipped into a
# folder of its own and played under Wine in a virtual X server, driven
# with xdotool as the Linux show is by tests/show/show_e2e.sh.
#
#   wine_e2e.sh CASE DIST NATIVE_BUILD WINEPREFIX
#
# DIST holds orvel-windows/ and orvel-windows.zip; NATIVE_BUILD is the
# native build with orvel-capture, show-schedule and the generated content
# in show/. CASE is one of:
#   prefix   makes the Wine prefix when there is none
#   imports  orvel.exe imports Windows' own DLLs and no other
#   folder   the zip unpacks to the folder: the program, README.txt,
#            LICENSE.txt (orvel's LICENSE) and copyright.txt with CR LF line
#            ends, and the generated content and music unchanged
#   screen   with a timing.txt beside orvel.exe that starts segment 2 at
#            0.5 s, the window goes full screen, and the screen a few
#            seconds in matches orvel-capture's frame of that size and
#            timing near that moment; the console shows the loader's lines
#            of the Linux show
#   keys     END three times, then ESC: exit 0, sync.txt beside orvel.exe
#            with three ordered marks and the frame rate, in CR LF lines
#   whole    the whole show untouched: exit 0 after about 121 s, no sync.txt
set -euo pipefail

case_name="$1"
dist="$(realpath "$2")"
native="$(realpath "$3")"
screen=1024x768

name="wine_e2e $case_name"
source "$(dirname "$0")/../e2e.sh"
use_wine "$4"
need Xvfb xdotool ffmpeg unzip node x86_64-w64-mingw32-objdump
[ -f "$dist/orvel-windows/orvel.exe" ] && [ -f "$dist/orvel-windows.zip" ] \
  || fail "no orvel-windows/ and orvel-windows.zip in $dist (scripts/windows makes them)"
[ -d "$native/show/demodata" ] || fail "no generated content in $native/show (scripts/windows makes it)"

unpack() {
  (cd "$work" && unzip -q "$dist/orvel-windows.zip")
  folder="$work/orvel-windows"
}

# Plays the unpacked show until LIMIT seconds, and presses KEYS once its
# window is full screen: it covers the screen from its corner.
run_show() {
  local keys="$1" limit="$2" geometry
  x_server "$screen"
  show_start "$folder" "$limit" wine orvel.exe
  if [ -n "$keys" ]; then
    show_window 60
    geometry="$(xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y|WIDTH|HEIGHT)=' | tr '\n' ' ')"
    [ "$geometry" = "X=0 Y=0 WIDTH=${screen%x*} HEIGHT=${screen#*x} " ] || fail "the window is not full screen: $geometry"
    press_keys $keys
  fi
  show_end
}

case "$case_name" in
prefix)
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    x_server "$screen"
    { wineboot --init && wineserver -w; } > "$work/stdout.txt" 2> "$work/stderr.txt" \
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
  [ "$(cd "$folder" && ls | sort)" = "$(printf '%s\n' README.txt LICENSE.txt copyright.txt demodata "$(cd "$native/show" && ls *.mp3)" orvel.exe | sort)" ] \
    || fail "the folder holds: $(cd "$folder" && ls)"
  diff -r "$native/show/demodata" "$folder/demodata" >/dev/null || fail "demodata/ differs from the generated content"
  cmp -s "$native/show/"*.mp3 "$folder/"*.mp3 || fail "the music differs from the generated music"
  cmp -s "$dist/orvel-windows/orvel.exe" "$folder/orvel.exe" || fail "the zip's orvel.exe is not the folder's"
  for text in README.txt LICENSE.txt copyright.txt; do
    lines="$(wc -l < "$folder/$text")"
    [ "$lines" -gt 0 ] && [ "$(grep -c $'\r$' "$folder/$text")" = "$lines" ] || fail "$text has lines without CR LF"
  done
  tr -d '\r' < "$folder/LICENSE.txt" | cmp -s - "$(dirname "$0")/../../LICENSE" || fail "LICENSE.txt is not orvel's LICENSE"
  ;;
screen)
  [ -x "$native/orvel-capture" ] || fail "no orvel-capture in $native (build the native build: scripts/test does)"
  unpack
  write_timing "$folder/timing.txt" 's/^segment 2: .*/segment 2: 0.5/'
  x_server "$screen"
  show_start "$folder" 60 wine orvel.exe
  grab_and_end 60
  capture_folder="$folder" match_screen
  # A Windows console program ends its lines with CR LF.
  tr -d '\r' < "$work/stdout.txt" | cmp -s - "$work/capture-stdout.txt" \
    || fail "the loader's lines differ from the Linux ones: $(tr -d '\r' < "$work/stdout.txt" | diff - "$work/capture-stdout.txt" | head -5)"
  ;;
keys)
  unpack
  run_show "End End End Escape" 60
  expect_exit 0
  sync="$folder/sync.txt"
  [ -f "$sync" ] || fail "no sync.txt beside orvel.exe"
  [ "$(grep -c $'\r$' "$sync")" = "$(wc -l < "$sync")" ] || fail "sync.txt has lines without CR LF"
  text="$(tr -d '\r' < "$sync")"
  expect_marks "$text" 3
  echo "sync.txt: $(echo $text)"
  ;;
whole)
  unpack
  expect_whole_show "$folder" run_show "" 200
  ;;
*)
  fail "unknown case"
  ;;
esac
echo "$name: passed"
