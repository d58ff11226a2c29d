#!/usr/bin/env bash
# The main job on the simulated keyboard: what `make run` does.
# Shows the keyboard's information, changes a few keys and the lighting the way
# the window would, then reads the four profiles and the macros back into a
# profile file and prints it. Everything happens in a scratch folder: the
# simulated keyboard's memory, the per-user store and the settings.
# Usage: run-simulated.sh BIN_FOLDER
set -euo pipefail
bin=${1:?usage: run-simulated.sh BIN_FOLDER}
ctl="$bin/zarvelctl"
if [ ! -x "$ctl" ]; then
  echo "run-simulated.sh: $ctl is not built" >&2
  exit 1
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvel-run.XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
sim="--simulate=$work/keyboard.state"
profiles="$work/profiles.zvl"

step() { echo; echo "== zarvelctl $*"; "$ctl" "$@"; }

step "$sim" info
step "$sim" sync
step "$sim" assign F1 key:B
step "$sim" assign CapsLock mouse:wheel-up
step "$sim" assign Esc media:mute
step "$sim" lighting --effect 5 --brightness 3 --colour 00c0ff --random off
step "$sim" read "$profiles"
step dump "$profiles"
