#!/usr/bin/env bash
# The manual pages and the bash completion are written by hand beside the
# programs' --help: this keeps them from drifting apart. Every command and
# option zarvelctl's help names is in zarvelctl(1) and offered by the
# completion, every option of zarvel's help is in zarvel(1), and every key and
# multimedia name the completion offers is one zarvelctl accepts.
#
#   help_drift_test.sh BIN_DIR SOURCE_DIR
set -euo pipefail
bin=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The man pages' text with troff's escaped hyphens made plain (read once: grep -q
# closing a pipe early would fail the pipeline under pipefail).
ctl_page=$(sed -e 's/\\-/-/g' "$source/packaging/man/zarvelctl.1")
window_page=$(sed -e 's/\\-/-/g' "$source/packaging/man/zarvel.1")

ctl_help=$("$bin/zarvelctl" --help)
commands=$(sed -n '/^Commands:/,/^Profiles/p' <<<"$ctl_help" | grep -oP '^  \K[a-z][a-z-]*')
[ "$(wc -w <<<"$commands")" -ge 16 ] || fail "could not read the commands from zarvelctl --help"
options=$(grep -oP '^\s+\K--[a-z-]+' <<<"$ctl_help" | sort -u)
completion=$source/packaging/completion/zarvelctl
completion_commands=$(bash -c 'source "$1"; COMP_WORDS=(zarvelctl ""); COMP_CWORD=1; _zarvelctl; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion")
completion_options=$(bash -c 'source "$1"; COMP_WORDS=(zarvelctl --); COMP_CWORD=1; _zarvelctl; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion")
for command in $commands; do
  grep -qE "^\.B[IR]? \"?$command( |\"|$)" <<<"$ctl_page" || fail "zarvelctl(1) has no entry for the command '$command'"
  grep -qx -- "$command" <<<"$completion_commands" || fail "the completion does not offer the command '$command'"
done
[ "$(sort <<<"$commands")" = "$(sort <<<"$completion_commands")" ] || fail "the completion offers commands zarvelctl does not have: $completion_commands"
for option in $options; do
  grep -q -- "$option" <<<"$ctl_page" || fail "zarvelctl(1) does not mention the option '$option'"
  grep -q -- "^$option=\?$" <<<"$completion_options" || fail "the completion does not offer the option '$option'"
done

window_help=$("$bin/zarvel" --help 2>/dev/null || true)
for option in $(grep -oP '^\s+\K(--[a-z-]+|/[A-Z][a-z]+)' <<<"$window_help" | sort -u); do
  grep -q -- "$option" <<<"$window_page" || fail "zarvel(1) does not mention the option '$option'"
done

# Key names: 'key:NAME' is parsed before anything is sent, so an unknown name
# fails at once; G keys cannot be sent as keys and are checked as the key to assign.
keys=$(bash -c 'source "$1"; printf "%s\n" $_zarvelctl_keys' _ "$completion")
media=$(bash -c 'source "$1"; printf "%s\n" $_zarvelctl_media' _ "$completion")
state=$work/kb.state
while IFS= read -r key; do
  if [[ $key =~ ^G[1-9]$ ]]; then
    out=$("$bin/zarvelctl" --simulate="$state" assign "$key" default 2>&1) || fail "zarvelctl does not take the completion's key '$key': $out"
  else
    out=$("$bin/zarvelctl" --simulate="$state" assign F1 "key:$key" 2>&1) || fail "zarvelctl does not take the completion's key '$key': $out"
  fi
done <<<"$keys"
while IFS= read -r name; do
  out=$("$bin/zarvelctl" --simulate="$state" assign F1 "media:$name" 2>&1) || fail "zarvelctl does not take the completion's multimedia name '$name': $out"
done <<<"$media"

[ $failures -eq 0 ] || exit 1
echo "help, manual pages and completion agree"
