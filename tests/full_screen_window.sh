#!/usr/bin/env bash
# Waits for the show's window to go full screen in the current X display
# and prints its id; prints nothing and fails when the show (process PID)
# ends first or TENTHS tenths of a second pass. The window shows at its
# first size while the scenes load; focus given before it goes full screen
# would be lost with it.
# Usage: full_screen_window.sh PID TITLE SCREEN_WIDTH TENTHS
set -uo pipefail
pid="$1"; title="$2"; width="$3"; tenths="$4"
for _ in $(seq "$tenths"); do
  kill -0 "$pid" 2>/dev/null || exit 1
  window="$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n 1 || true)"
  if [ -n "$window" ] && xdotool getwindowgeometry --shell "$window" 2>/dev/null | grep -qx "WIDTH=$width"; then
    echo "$window"
    exit 0
  fi
  sleep 0.1
done
exit 1
