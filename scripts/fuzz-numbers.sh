#!/usr/bin/env bash
# Fuzzes the number grammar against std::from_chars: the full grammar and every row kernel the
# processor supports (tools/fuzz/number_fuzzer.cpp), built with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer in build/fuzz, from the number tokens of the
# grammar's tests (tests/addon/numbers/data/tokens.txt).
#
#   scripts/fuzz-numbers.sh [seconds] [libFuzzer options...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ $# -gt 0 ] && shift
build=build/fuzz
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCVL_SANITIZE=ON -DCVL_FUZZ=ON >/dev/null
cmake --build "$build" --target number_fuzzer -j "$(nproc)"
seeds=$build/number-seeds
mkdir -p "$seeds" "$build/number-artifacts"
# The seeds: the number tokens of the grammar's tests, one file each.
i=0
while IFS= read -r token; do
  case $token in "#"*) continue ;; esac
  printf '%s' "$token" >"$seeds/seed$i"
  i=$((i + 1))
done <tests/addon/numbers/data/tokens.txt
"$build/bin/number_fuzzer" -max_total_time="$seconds" -max_len=64 \
  -artifact_prefix="$build/number-artifacts/" "$@" "$seeds"
