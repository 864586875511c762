#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the default build, the build with
# AddressSanitizer and UndefinedBehaviorSanitizer, and a two-minute fuzz run of the whole load
# from the checked-in corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
for preset in default sanitize; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
echo "== fuzz run"
scripts/fuzz.sh 120
# Coverage of the add-on's own code by the tests, per file and in total, with its floor.
echo "== coverage"
scripts/coverage.sh --min-lines 96 --min-branches 95
