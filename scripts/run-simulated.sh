#!/usr/bin/env bash
# The main job on the simulated keyboard: what `make run` does.
set -euo pipefail
bin=$1
exec "$bin/zarvelctl"
