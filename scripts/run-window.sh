#!/usr/bin/env bash
# What `make run` does: the window program on the simulated keyboard.
#
# With a display (X11 or Wayland) the window opens there and this script stays
# until the program ends (its Close button, the tray's Exit, or Ctrl+C).
# Without one (a server, CI) the window runs under Xvfb, takes a short tour (the
# window shown, a key given another function and applied, another profile
# selected), saves screenshots under BUILD/screenshots/ and prints their paths;
# then the zarvelctl demo runs as well.
#
# Everything the program stores goes to a scratch folder: the simulated
# keyboard's memory, the per-user store and settings. ZARVEL_HEADLESS=1 takes
# the display-less path even on a desktop.
# Usage: run-window.sh BIN_FOLDER
set -euo pipefail
bin=$(cd "${1:?usage: run-window.sh BIN_FOLDER}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
zarvel="$bin/zarvel"
if [ ! -x "$zarvel" ]; then
  echo "run-window.sh: $zarvel is not built; running the zarvelctl demo only" >&2
  exec "$here/run-simulated.sh" "$bin"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/zarvel-window.XXXXXX")
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
# A runtime folder of our own, so a Zarvel the user already runs is left
# alone; the Wayland socket is then named by its full path.
if [ -n "${WAYLAND_DISPLAY:-}" ] && [ "${WAYLAND_DISPLAY#/}" = "$WAYLAND_DISPLAY" ]; then
  export WAYLAND_DISPLAY="${XDG_RUNTIME_DIR:-/run/user/$(id -u)}/$WAYLAND_DISPLAY"
fi
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
sim="--simulate=$work/keyboard.state"

if [ "${ZARVEL_HEADLESS:-0}" != 1 ] && { [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${DISPLAY:-}" ]; }; then
  echo "Starting zarvel on the simulated keyboard; end it with the window's close button,"
  echo "the notification area's Exit, or Ctrl+C here."
  "$zarvel" "$sim" || true
  exit 0
fi

if ! command -v Xvfb >/dev/null; then
  echo "run-window.sh: no display and no Xvfb; running the zarvelctl demo only" >&2
  exec "$here/run-simulated.sh" "$bin"
fi
# Xvfb picks a free display and writes its number once it is ready.
exec 3< <(Xvfb -displayfd 1 -nolisten tcp -screen 0 1600x1000x24 2>/dev/null & echo "pid $!")
read -r _ xvfb_pid <&3
read -r -t 15 display <&3 || { echo "run-window.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
# No desktop session here: nothing may start a bus of its own.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"

shots="$(dirname "$bin")/screenshots"
rm -rf "$shots"
mkdir -p "$shots"
echo "No display: a tour of the window under Xvfb, screenshots in $shots"
tour=0
"$zarvel" "$sim" --tour="$shots" || tour=$?
kill "$xvfb_pid" 2>/dev/null || true
xvfb_pid=""
"$here/run-simulated.sh" "$bin"
if [ "$tour" != 0 ]; then
  echo "run-window.sh: the window's tour failed (exit status $tour)" >&2
  exit "$tour"
fi
