#!/usr/bin/env bash
# Runs every fuzz target for a bounded time, each seeded by its own code.
# Usage: run-fuzzers.sh BIN_DIR SECONDS
set -euo pipefail
bin_dir=$1
seconds=$2
status=0
for target in "$bin_dir"/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d "/tmp/zarvel-corpus-$name.XXXXXX")
  echo "== $name for ${seconds}s"
  if ! ZARVEL_SEED_DIR="$corpus" "$target" "$corpus" -max_total_time="$seconds" \
        -rss_limit_mb=2048 -print_final_stats=0 -artifact_prefix="$bin_dir/$name-" 2>"$bin_dir/$name.log"; then
    echo "!! $name found a fault; log: $bin_dir/$name.log"
    tail -n 40 "$bin_dir/$name.log"
    status=1
  fi
  rm -rf "$corpus"
done
exit $status
