#!/usr/bin/env bash
# Builds the load fuzz target with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz, and runs it from the checked-in corpus.
#
#   scripts/fuzz.sh [seconds] [libFuzzer options...]
#
# seconds: how long to fuzz, 120 when not given. Further arguments go to libFuzzer as they are
# (for example -jobs=1 -workers=1 for a long run in the background). Inputs that the run finds
# go to build/fuzz/found, never into the checked-in corpus. On a crash, a leak, a sanitizer
# report or a broken load rule the script prints the input that caused it as a hexdump and
# exits non-zero; the input stays in build/fuzz/artifacts. CVL_FUZZ_BUILD names another build
# folder than build/fuzz, for a long run that goes on while the code changes.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-120}
[ $# -gt 0 ] && shift
if ! [[ "$seconds" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 [seconds] [libFuzzer options...]" >&2
  exit 2
fi

build=${CVL_FUZZ_BUILD:-build/fuzz}
corpus=tools/fuzz/corpus
found=$build/found
artifacts=$build/artifacts
scratch=$build/tmp

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCVL_SANITIZE=ON -DCVL_FUZZ=ON >/dev/null
cmake --build "$build" --target load_fuzzer -j "$(nproc)"

# The input files of the target live in a scratch folder of the run, cleared first, so that a
# crashed run leaves nothing in the system's temporary folder.
rm -rf "$scratch" "$artifacts"
mkdir -p "$found" "$artifacts" "$scratch"

status=0
TMPDIR="$PWD/$scratch" \
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}" \
  "$build/bin/load_fuzzer" \
  -max_total_time="$seconds" \
  -max_len=65536 \
  -timeout=20 \
  -rss_limit_mb=2048 \
  -dict=tools/fuzz/out_format.dict \
  -artifact_prefix="$artifacts/" \
  -print_final_stats=1 \
  "$@" "$found" "$corpus" || status=$?

shopt -s nullglob
inputs=("$artifacts"/*)
if ((status != 0 || ${#inputs[@]} > 0)); then
  echo "fuzz run failed (exit status $status)" >&2
  for input in "${inputs[@]}"; do
    echo "== $input ($(stat -c %s "$input") bytes)" >&2
    od -A x -t x1z -v "$input" >&2
  done
  exit 1
fi
echo "fuzz run: nothing found in ${seconds} s"
