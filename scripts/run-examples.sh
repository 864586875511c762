#!/usr/bin/env bash
# Builds the add-on and minihost (default preset) and loads the bundled examples with them:
# the single-zone engine file alone, then the region file with its compatible partner, with a
# replay of the stored load instructions. Both are drawn as plots, and the regions dataset is
# also written as a folder of CSV files and a workbook, all in build/examples-output.
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

output=build/examples-output
mkdir -p "$output"
run --plot "$output/engine.png" examples/engine_cycle.out
run --replay --plot "$output/regions.png" --csv "$output/csv" --xlsx "$output/regions.xlsx" \
  examples/regions_cycle1.out examples/regions_cycle2.out

echo
echo "The examples handed on, in $(cd "$output" && pwd):"
echo "  plots:    $output/engine.png, $output/regions.png"
echo "  CSV:      $output/csv/"
echo "  workbook: $output/regions.xlsx"
