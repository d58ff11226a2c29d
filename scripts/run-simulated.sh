#!/usr/bin/env bash
# The main job on the simulated keyboard: what `make run` does.
# Shows the keyboard's information, reads its four profiles and macros into a
# profile file and prints that file. Usage: run-simulated.sh BIN_FOLDER
set -euo pipefail
bin=${1:?usage: run-simulated.sh BIN_FOLDER}
ctl="$bin/zarvelctl"
if [ ! -x "$ctl" ]; then
  echo "run-simulated.sh: $ctl is not built" >&2
  exit 1
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvel-run.XXXXXX")
trap 'rm -rf "$work"' EXIT
state="$work/keyboard.state"
profiles="$work/profiles.zvl"

echo "== zarvelctl --simulate info"
"$ctl" --simulate="$state" info
echo
echo "== zarvelctl --simulate read $(basename "$profiles")"
"$ctl" --simulate="$state" read "$profiles"
echo
echo "== zarvelctl dump $(basename "$profiles")"
"$ctl" dump "$profiles"
