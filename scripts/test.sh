#!/usr/bin/env bash
# Installs what is missing, checks the includes against the architecture's table, then builds and
# runs every test: the default build, the build with AddressSanitizer and
# UndefinedBehaviorSanitizer, a two-minute fuzz run of the whole load from the checked-in corpus,
# the coverage of the add-on's own code with its floor, and the Windows build (MinGW-w64) with its
# tests under Wine, which include the comparison of its output with the default build's. Prints
# how long each stage took.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
timings=()
stage_start=$SECONDS
stage() {
  timings+=("$(printf '%-28s %5d s' "$1" $((SECONDS - stage_start)))")
  stage_start=$SECONDS
}
report() {
  echo "== stage times"
  printf '%s\n' "${timings[@]}"
}
trap report EXIT

scripts/install-deps.sh --windows
stage "dependencies"
# The includes against docs/architecture-rules.md, before anything is built; the tests of each
# build run the check again with its own test, and the sanitize build (Debug) checks its objects.
echo "== architecture check"
scripts/check-architecture.py
stage "architecture check"
for preset in default sanitize; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  stage "$preset build"
  ctest --preset "$preset" -j "$jobs"
  stage "$preset tests"
done
echo "== fuzz run"
scripts/fuzz.sh 120
stage "fuzz run"

# Coverage of the add-on's own code by the tests, per file and in total, with its floor.
echo "== coverage"
scripts/coverage.sh --min-lines 99 --min-branches 95
stage "coverage"

echo "== windows build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
stage "windows build"
# The tests start one Wine server for the build's prefix and leave it running for the next
# program; it is ended here, whatever the tests gave.
export WINEPREFIX=$PWD/build/wine
trap 'wineserver -k 2>/dev/null || true; report' EXIT
ctest --preset windows -j "$jobs"
stage "windows tests (Wine)"
