#!/usr/bin/env bash
# Fuzzes the number grammar against std::from_chars: the full grammar and every row kernel the
# processor supports (tools/fuzz/number_fuzzer.cpp), built with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer in build/fuzz, from a few number tokens.
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
i=0
for token in -3.7799880e+02 2.896544523e-19 1.5E-07 9223372036854775807 1e-400 inf -nan 0.5 \
  9.007199254740993e+15 4.9e-324 1.7976931348623157e308 +7 -.5; do
  printf '%s' "$token" >"$seeds/seed$i"
  i=$((i + 1))
done
"$build/bin/number_fuzzer" -max_total_time="$seconds" -max_len=64 \
  -artifact_prefix="$build/number-artifacts/" "$@" "$seeds"
