#!/usr/bin/env bash
# Builds static Windows libraries of freeglut, SDL2 and SDL2_mixer from
# Debian's source packages, of the same versions as the -dev packages that
# the Linux show links, into PREFIX (lib/, include/, lib/cmake/). Nothing is
# done when PREFIX already holds this build: its versions.txt names the
# versions, the compiler and this script.
#
#   windows/libraries.sh PREFIX WORK [linux]
#
# With "linux", the same libraries are built static for the machine itself,
# for the portable Linux folder (scripts/release): SDL without video (GLUT
# opens the window) and with its ALSA and PulseAudio outputs loaded at run
# time, so the program needs no sound library to start.
#
# WORK holds a private apt source list (deb-src lines derived from the
# machine's own sources), the downloaded sources and the build trees; it is
# emptied first and removed at the end.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
prefix="$1"
work="$2"
target="${3:-windows}"
toolchain="$here/toolchain.cmake"
case "$target" in
windows)
  compiler=x86_64-w64-mingw32-gcc-posix
  target_options=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORVEL_WINDOWS_LIBS="$prefix")
  sdl_options=(-DSDL_LOCALE=OFF -DSDL_MISC=OFF -DSDL_FILESYSTEM=OFF)
  ;;
linux)
  compiler=gcc
  # Debian's compilers make position-independent programs.
  target_options=(-DCMAKE_POSITION_INDEPENDENT_CODE=ON)
  sdl_options=(-DSDL_VIDEO=OFF -DSDL_X11=OFF -DSDL_WAYLAND=OFF -DSDL_KMSDRM=OFF -DSDL_OPENGL=OFF
    -DSDL_OPENGLES=OFF -DSDL_VULKAN=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF -DSDL_FILESYSTEM=OFF
    -DSDL_ALSA=ON -DSDL_ALSA_SHARED=ON -DSDL_PULSEAUDIO=ON -DSDL_PULSEAUDIO_SHARED=ON -DSDL_PIPEWIRE=OFF
    -DSDL_JACK=OFF -DSDL_SNDIO=OFF -DSDL_ESD=OFF -DSDL_ARTS=OFF -DSDL_NAS=OFF -DSDL_LIBSAMPLERATE=OFF
    -DSDL_DBUS=OFF -DSDL_IBUS=OFF -DSDL_LIBUDEV=OFF)
  ;;
*)
  echo "libraries: the target is windows or linux, not $target" >&2
  exit 2
  ;;
esac

# The source package and version of each library's -dev package.
source_of() { dpkg-query -W -f='${source:Package}=${source:Version}' "$1"; }
sources=("$(source_of libglut-dev)" "$(source_of libsdl2-dev)" "$(source_of libsdl2-mixer-dev)")

wanted="$(printf '%s\n' "${sources[@]}"
  echo "$target"
  "$compiler" -dumpfullversion
  sha256sum "$0" "$toolchain" | cut -d' ' -f1)"
if [ -f "$prefix/versions.txt" ] && [ "$(cat "$prefix/versions.txt")" = "$wanted" ]; then
  echo "libraries: ${sources[*]} already built in $prefix"
  exit 0
fi

rm -rf "$prefix" "$work"
mkdir -p "$prefix" "$work"/apt/{lists/partial,cache/archives/partial,sources.list.d} "$work/src"
prefix="$(cd "$prefix" && pwd)"
work="$(cd "$work" && pwd)"

echo "== libraries: a source list from the machine's Debian sources"
# One-line entries and deb822 stanzas of Debian's archives, as deb-src.
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] && sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' "$f"
done > "$work/apt/sources.list"
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] && awk 'BEGIN { RS = ""; ORS = "\n\n" }
    /(^|\n)URIs:[^\n]*debian/ && /(^|\n)Types:[^\n]*deb/ && !/(^|\n)Enabled: *no/ {
      sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); print }' "$f"
done > "$work/apt/sources.list.d/debian.sources"
apt_options=(
  -o Dir::Etc::SourceList="$work/apt/sources.list"
  -o Dir::Etc::SourceParts="$work/apt/sources.list.d"
  -o Dir::State::Lists="$work/apt/lists"
  -o Dir::Cache="$work/apt/cache"
  -o APT::Sandbox::User="$(id -un)"
  -o Acquire::Languages=none
)
apt-get -q "${apt_options[@]}" update >/dev/null

echo "== libraries: fetching ${sources[*]}"
(cd "$work/src" && apt-get -q "${apt_options[@]}" source --download-only "${sources[@]}" >/dev/null)
# Each unpacked, with Debian's patches, into a folder named after its package.
for dsc in "$work"/src/*.dsc; do
  package="$(basename "$dsc")"
  (cd "$work/src" && dpkg-source -x "$dsc" "$work/src/${package%%_*}" >/dev/null)
done

# A static release build of one library, installed into the prefix.
build() {
  local name="$1" dir="$2"
  shift 2
  echo "== libraries: building $name"
  cmake -S "$dir" -B "$work/build-$name" "${target_options[@]}" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release "$@" >"$work/$name.log" 2>&1 \
    && cmake --build "$work/build-$name" -j2 >>"$work/$name.log" 2>&1 \
    && cmake --install "$work/build-$name" >>"$work/$name.log" 2>&1 \
    || { tail -40 "$work/$name.log" >&2; echo "libraries: building $name failed" >&2; exit 1; }
}

# SDL for its audio, events, threads and timers; its video stays on, since
# this version does not link for Windows without it.
build SDL2 "$work/src/libsdl2" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
  -DSDL_RENDER=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_POWER=OFF -DSDL_SENSOR=OFF \
  "${sdl_options[@]}"
# The show's music is MP3: dr_mp3, built in; WAV comes at no cost.
build SDL2_mixer "$work/src/libsdl2-mixer" -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_SAMPLES=OFF \
  -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF \
  -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF \
  -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF -DSDL2MIXER_WAVE=ON
# As a replacement for GLUT, so that <GL/glut.h> is there as on Linux.
build freeglut "$work/src/freeglut" -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON \
  -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_REPLACE_GLUT=ON

# Written last: a build cut short is built again.
echo "$wanted" > "$prefix/versions.txt"
rm -rf "$work"
echo "libraries: ${sources[*]} built in $prefix"
