#!/usr/bin/env bash
# Smoke run of the benchmark: generates a small single-zone file and a small file with regions
# and shared columns in a temporary folder, loads each through the add-on and the floor loop
# once, and checks the loaded values against the files; then once more with each row kernel by
# name (a kernel this processor does not support is said so and passed over).
set -euo pipefail
generator=$1
benchmark=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$generator" --size 2M --columns 20 --output "$work/single.out"
"$generator" --size 2M --columns 30 --regions 3 --shared 3 --output "$work/regions.out"
"$benchmark" --runs 1 --warmup 0 --check "$work/single.out" "$work/regions.out"
for kernel in avx2 portable; do
  status=0
  "$benchmark" --kernel "$kernel" --only loader --runs 1 --warmup 0 --check "$work/single.out" \
    "$work/regions.out" || status=$?
  if [ "$status" -eq 3 ] && [ "$kernel" != portable ]; then
    echo "kernel $kernel: not supported by this processor"
  elif [ "$status" -ne 0 ]; then
    exit "$status"
  fi
done
