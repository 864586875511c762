#!/usr/bin/env bash
# Smoke run of the benchmark: generates a small single-zone file and a small file with regions
# and shared columns in a temporary folder, loads each through the add-on and the floor loop
# once, and checks the loaded values against the files.
set -euo pipefail
generator=$1
benchmark=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$generator" --size 2M --columns 20 --output "$work/single.out"
"$generator" --size 2M --columns 30 --regions 3 --shared 3 --output "$work/regions.out"
"$benchmark" --runs 1 --warmup 0 --check "$work/single.out" "$work/regions.out"
