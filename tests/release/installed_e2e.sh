#!/usr/bin/env bash
# The releases as a person installs them, each on a fresh minimal Debian 12
# (debootstrap --variant=minbase, made once and kept as a tarball in CACHE),
# played in a virtual X server of the test's own. Needs root (chroot, mount).
#
#   installed_e2e.sh CASE DIST NATIVE_BUILD CACHE
#
# DIST holds what scripts/release made; NATIVE_BUILD is the native build with
# orvel-capture, show-schedule and the generated content in show/. CASE is
# one of:
#   deb       apt-get installs dist/orvel_*.deb with its Depends; an ordinary
#             user runs orvel from their home: its screen matches
#             orvel-capture's frame, ESC writes sync.txt in the home and exits
#             0, nothing is made under the package's folders; a purge leaves
#             no file of the package
#   portable  a Debian with only the runtime libraries a desktop has (libGL,
#             libGLU, X11, ALSA): ldd finds every library of the tarball's
#             orvel, which, started from another folder, plays and ESC ends
#             it with 0 and sync.txt where it was started; the folder holds
#             README.txt, copyright.txt and LICENSE.txt (orvel's LICENSE)
set -euo pipefail

case_name="$1"
dist="$(realpath "$2")"
native="$(realpath "$3")"
mkdir -p "$4"
cache="$(realpath "$4")"
base="$cache/debian12-minbase.tar.gz"
desktop_libs=(libgl1 libglu1-mesa libx11-6 libxext6 libxi6 libxrandr2 libxxf86vm1 libasound2)

name="installed_e2e $case_name"
source "$(dirname "$0")/../e2e.sh"
say() { echo "$name: $*"; }
[ "$(id -u)" = 0 ] || fail "needs root for chroot and mount"
need debootstrap Xvfb xdotool ffmpeg node readelf

root="$work/root"
# Everything mounted into the chroot is unmounted before the folder goes.
release_work() {
  for m in "$root/tmp/.X11-unix" "$root/proc"; do
    if mountpoint -q "$m" 2>/dev/null; then umount "$m" || umount -l "$m"; fi
  done
  ! grep -q " $work/" /proc/mounts
}

# The minimal Debian, made once: the suites of this machine's Debian sources.
if [ ! -s "$base" ]; then
  say "making a minimal Debian 12 in $base (once, about 3 minutes)"
  mirror="$(sed -n 's/^URIs: *\(http[^ ]*debian\)$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)"
  mirror="${mirror:-http://deb.debian.org/debian}"
  debootstrap --variant=minbase bookworm "$work/base" "$mirror" > "$work/debootstrap.log" 2>&1 \
    || { tail -20 "$work/debootstrap.log" >&2; fail "debootstrap failed"; }
  cp /etc/apt/sources.list.d/debian.sources "$work/base/etc/apt/sources.list.d/" 2>/dev/null || true
  tar -C "$work/base" -czf "$base.part" . && mv "$base.part" "$base"
  rm -rf "$work/base"
fi

mkdir "$root"
tar -C "$root" -xzf "$base"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
x_server 800x600
# The server's socket, seen from inside the chroot too.
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }
apt_install() {
  in_root apt-get update -q > "$work/apt.log" 2>&1 \
    && in_root apt-get install -y -q --no-install-recommends "$@" >> "$work/apt.log" 2>&1 \
    || { tail -20 "$work/apt.log" >&2; fail "apt-get install $* failed"; }
}

# Plays the show as USER in DIR inside the chroot (COMMAND from there),
# grabs the screen 2.5 s after the window went full screen, presses ESC, and
# holds the picture against orvel-capture's frames. The show's frame log is
# in the chroot's /tmp, which every user may write.
play() {
  local user="$1" dir="$2" command="$3"
  frame_log="$root/tmp/orvel-frames.log"
  show_start "$root" 60 chroot --userspec="$user" "$root" env -i HOME="$dir" DISPLAY="$DISPLAY" \
    ORVEL_FRAME_LOG=/tmp/orvel-frames.log SDL_AUDIODRIVER=dummy PATH=/usr/local/bin:/usr/bin:/bin:/usr/games \
    sh -c "cd '$dir' && exec $command"
  grab_and_end 30
  ! grep -q 'cannot load' "$work/stderr.txt" || fail "the data was not found"
  match_screen
}

case "$case_name" in
deb)
  debs=("$dist"/orvel_*_amd64.deb)
  [ "${#debs[@]}" = 1 ] && [ -f "${debs[0]}" ] || fail "not one orvel_*_amd64.deb in $dist (scripts/release makes it)"
  cp "${debs[0]}" "$root/tmp/"
  say "apt-get install ./$(basename "${debs[0]}") with its Depends"
  apt_install "./tmp/$(basename "${debs[0]}")"
  in_root useradd --create-home viewer
  # What the package holds, and its folders as they are before the show runs.
  in_root dpkg -L orvel > "$work/package-files.txt"
  listing() { (cd "$root" && find usr/games usr/share/games/orvel | sort); }
  listing > "$work/before.txt"
  [ "$(in_root /usr/games/orvel --version)" = "orvel $(dpkg-deb -f "${debs[0]}" Version)" ] || fail "orvel --version"
  say "the show, played by an ordinary user from their home"
  play viewer /home/viewer orvel
  grep -q 'frames per second' "$root/home/viewer/sync.txt" || fail "no sync.txt in the home"
  listing | diff "$work/before.txt" - || fail "the show made files under the package's folders"
  say "apt-get remove --purge orvel"
  in_root apt-get remove --purge -y -q orvel > "$work/purge.log" 2>&1 || { cat "$work/purge.log" >&2; fail "purge failed"; }
  left=""
  while IFS= read -r path; do
    [ "$path" = /. ] && continue
    # Folders that other packages share stay; anything of orvel's own goes.
    if [ -e "$root$path" ] && { [ ! -d "$root$path" ] || [[ "$path" == *orvel* ]]; }; then left+="$path "; fi
  done < "$work/package-files.txt"
  [ -z "$left" ] || fail "the purge left: $left"
  ;;
portable)
  tarball="$dist/orvel-linux-x86_64.tar.gz"
  [ -f "$tarball" ] || fail "no orvel-linux-x86_64.tar.gz in $dist (scripts/release makes it)"
  say "a Debian with only ${desktop_libs[*]}"
  apt_install "${desktop_libs[@]}"
  mkdir -p "$root/opt" "$root/root/elsewhere"
  tar -C "$root/opt" -xzf "$tarball"
  [ "$(ls "$root/opt")" = orvel-linux-x86_64 ] || fail "the tarball does not hold one folder orvel-linux-x86_64"
  for text in README.txt copyright.txt LICENSE.txt; do
    [ -s "$root/opt/orvel-linux-x86_64/$text" ] || fail "the tarball's folder has no $text"
  done
  cmp -s "$root/opt/orvel-linux-x86_64/LICENSE.txt" "$(dirname "$0")/../../LICENSE" \
    || fail "the folder's LICENSE.txt is not orvel's LICENSE"
  head -c 4 "$root/opt/orvel-linux-x86_64/orvel" | grep -q 'ELF' || fail "orvel in the tarball is not the program itself"
  in_root ldd /opt/orvel-linux-x86_64/orvel > "$work/ldd.txt" || fail "ldd failed: $(cat "$work/ldd.txt")"
  ! grep -q 'not found' "$work/ldd.txt" || fail "libraries missing: $(grep 'not found' "$work/ldd.txt")"
  # What the program itself asks for: the C library, OpenGL and X11's
  # client libraries; freeglut, SDL, the JPEG decoder and the C++ runtime
  # are inside it.
  allowed=" ld-linux-x86-64.so.2 libc.so.6 libm.so.6 libGL.so.1 libGLU.so.1 libX11.so.6 libXext.so.6 libXi.so.6 libXrandr.so.2 libXxf86vm.so.1 "
  for lib in $(readelf -d "$root/opt/orvel-linux-x86_64/orvel" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    [[ "$allowed" == *" $lib "* ]] || fail "orvel needs $lib, which is not the C library, OpenGL or X11"
  done
  say "libraries: $(awk '{ print $1 }' "$work/ldd.txt" | tr '\n' ' ')"
  play 0:0 /root/elsewhere /opt/orvel-linux-x86_64/orvel
  grep -q 'frames per second' "$root/root/elsewhere/sync.txt" || fail "no sync.txt where it was started"
  ;;
*)
  fail "unknown case"
  ;;
esac
say passed
