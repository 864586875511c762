#!/usr/bin/env bash
# Builds the add-on and minihost (default preset) and loads the bundled examples with them:
# the single-zone engine file alone, then the region file with its compatible partner, with a
# replay of the stored load instructions.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target minihost convergeoutloader
minihost=build/default/bin/minihost

run() {
  echo
  echo "== minihost $*"
  "$minihost" "$@"
}

run examples/engine_cycle.out
run --replay examples/regions_cycle1.out examples/regions_cycle2.out
