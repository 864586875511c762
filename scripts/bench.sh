#!/usr/bin/env bash
# Loader benchmark: builds the benchmark programs, generates the benchmark files (once; they are
# deterministic) and measures, in one process per file set:
#   1. load throughput of the add-on into the stand-in host against the floor loops (the fair
#      floor and the mapped one) and, when CVL_BENCH_BASELINE names an earlier build of the
#      add-on, against that, on a 100 MB single-zone file of 20 columns and a 100 MB file of 300
#      columns in three regions with shared columns (medians of interleaved rounds after a
#      warm-up, wall time and the thread's CPU time);
#   2. how the cost grows with the file: the loader alone on single-zone files of 10 MB, 100 MB
#      and 1 GB;
#   3. the header reader's cost on files of 1 MB to 1 GB.
# With --big it then generates a file larger than 4 GiB, loads it in process with a check of its
# values at the first, middle and last rows, loads it once more with minihost for its peak RSS,
# and deletes it. With --python it measures the Python package on the two 100 MB files instead
# (tools/bench/timing/python_load_benchmark.py: convergeout.load against numpy and pandas in the
# same process, 11 rounds; peak RSS), then a sweep of 200 files of 1 to 5 MB on one thread against
# two, a Python process per load (tools/bench/timing/python_sweep_benchmark.py).
#
# With --case it measures a real-sized case instead: 40 generated files of 1 to 8 MB, shaped like a
# solver's thermo.out (17 columns), species_mass.out (60 columns) and region files (122 columns in
# three regions, two of them shared), loaded one after another in one process (cvl-bench-load
# --case, against the fair floor and CVL_BENCH_BASELINE), then through convergeout.load on one
# thread, one Python process per round and package (against the package on
# CVL_BENCH_BASELINE_PYTHON, a PYTHONPATH entry, when set).
#
#   scripts/bench.sh [--big | --python | --case] [--prepare-only] [--no-build]
#
# --prepare-only builds and generates, and measures nothing; --no-build uses the programs already
# in the build folder.
#
# Environment: CVL_BENCH_DIR (files; default /tmp/cvl-bench), CVL_BENCH_BUILD (build folder;
# default build/bench), CVL_BENCH_RUNS (measured rounds; default 7), CVL_BENCH_BASELINE (an
# earlier libconvergeoutloader.so to compare with; none by default).
set -euo pipefail
cd "$(dirname "$0")/.."

big=false
python=false
real_case=false
prepare_only=false
build_first=true
for arg in "$@"; do
  case "$arg" in
    --big) big=true ;;
    --python) python=true ;;
    --case) real_case=true ;;
    --prepare-only) prepare_only=true ;;
    --no-build) build_first=false ;;
    *) echo "usage: $0 [--big | --python | --case] [--prepare-only] [--no-build]" >&2; exit 2 ;;
  esac
done

data=${CVL_BENCH_DIR:-/tmp/cvl-bench}
build=${CVL_BENCH_BUILD:-build/bench}
runs=${CVL_BENCH_RUNS:-7}
bin=$build/bin

if $build_first; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j "$(nproc)" --target generate-out-file cvl-bench-load \
    cvl-fair-floor cvl-bench-header convergeoutloader minihost convergeout_package >/dev/null
fi

mkdir -p "$data"
# generate NAME GENERATOR-OPTIONS...: writes $data/NAME unless it is there already.
generate() {
  local name=$1
  shift
  [ -s "$data/$name" ] || "$bin/generate-out-file" --output "$data/$name" "$@"
}
generate single-100M.out --size 100M --columns 20
generate regions-100M.out --size 100M --columns 300 --regions 3 --shared 3
generate single-1M.out --size 1M --columns 20
generate single-10M.out --size 10M --columns 20
generate single-1G.out --size 1G --columns 20
# The real-sized case: file i is of kind i % 3 and (1 + 3i mod 8) MB.
real=$data/case-40
if [ ! -s "$real/39-thermo.out" ]; then
  mkdir -p "$real"
  for i in $(seq 0 39); do
    size="$((1 + (3 * i) % 8))M"
    case $((i % 3)) in
      0) generate "case-40/$(printf '%02d' "$i")-thermo.out" --size "$size" --columns 17 \
           --seed "$((i + 1))" ;;
      1) generate "case-40/$(printf '%02d' "$i")-species_mass.out" --size "$size" --columns 60 \
           --seed "$((i + 1))" ;;
      2) generate "case-40/$(printf '%02d' "$i")-regions.out" --size "$size" --columns 122 \
           --regions 3 --shared 2 --seed "$((i + 1))" ;;
    esac
  done
fi
$prepare_only && exit 0

# recache FILE...: drops the files from the page cache and reads them back, so that they are
# cached as a read from disk caches them (in large folios, where the kernel uses them), whatever
# wrote them: a file written in small pieces stays cached in 4 KiB pages, whose look-up roughly
# doubles the kernel's cost of every read of it, for the loader and the floors alike.
recache() {
  local file
  for file in "$@"; do
    dd if="$file" iflag=nocache count=0 status=none
    cat "$file" >/dev/null
  done
}

echo "== machine"
echo "$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
  "$(free -g | awk '/Mem:/ {print $2}') GB memory;" \
  "load average now: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "build: $build (RelWithDebInfo, $(c++ --version | head -1))"
echo "transparent huge pages: $(cat /sys/kernel/mm/transparent_hugepage/enabled)," \
  "defrag $(cat /sys/kernel/mm/transparent_hugepage/defrag)"

if $real_case; then
  echo "== a real-sized case: 40 files of 1 to 8 MB, one after another, $runs rounds"
  recache "$real"/*.out
  baseline=()
  [ -n "${CVL_BENCH_BASELINE:-}" ] && baseline=(--baseline "$CVL_BENCH_BASELINE")
  "$bin/cvl-bench-load" --case --only fair,baseline,loader --runs "$runs" "${baseline[@]}" \
    "$real"/*.out
  echo "== the same case through convergeout.load, one Python process per round and package"
  PYTHONPATH=$build/python /usr/bin/python3 tools/bench/timing/python_load_benchmark.py --case \
    --rounds "$runs" ${CVL_BENCH_BASELINE_PYTHON:+--baseline-path "$CVL_BENCH_BASELINE_PYTHON"} \
    "$real"/*.out
  exit 0
fi

if $python; then
  echo "== the Python package, 100 MB files, in one Python process"
  recache "$data/single-100M.out" "$data/regions-100M.out"
  PYTHONPATH=$build/python /usr/bin/python3 tools/bench/timing/python_load_benchmark.py --rounds 11 \
    "$data/single-100M.out" "$data/regions-100M.out"
  # A sweep of 200 cases, each with a thermo.out of 1 to 5 MB (17 columns, as the solver writes
  # it), loaded on one thread and on two.
  sweep=$data/sweep-200
  if [ ! -s "$sweep/case199/thermo.out" ]; then
    for i in $(seq 0 199); do
      mkdir -p "$sweep/$(printf 'case%03d' "$i")"
      "$bin/generate-out-file" --output "$sweep/$(printf 'case%03d' "$i")/thermo.out" \
        --size "$((1 + i % 5))M" --columns 17 --seed "$((i + 1))"
    done
  fi
  recache "$sweep"/case*/thermo.out
  PYTHONPATH=$build/python /usr/bin/python3 tools/bench/timing/python_sweep_benchmark.py \
    --rounds 11 "$sweep" thermo.out
  exit 0
fi

echo "== 1. loader against the floor loops, 100 MB files ($runs rounds after 1 warm-up)"
recache "$data/single-100M.out" "$data/regions-100M.out"
baseline=()
[ -n "${CVL_BENCH_BASELINE:-}" ] && baseline=(--baseline "$CVL_BENCH_BASELINE")
"$bin/cvl-bench-load" --runs "$runs" --check "${baseline[@]}" "$data/single-100M.out" \
  "$data/regions-100M.out"

echo "== 2. growth with size: the loader alone, single zone, 20 columns"
recache "$data/single-10M.out" "$data/single-100M.out" "$data/single-1G.out"
"$bin/cvl-bench-load" --only loader --runs "$runs" "$data/single-10M.out" "$data/single-100M.out"
"$bin/cvl-bench-load" --only loader --runs 3 "$data/single-1G.out"

echo "== 3. header reader"
"$bin/cvl-bench-header" "$data/single-1M.out" "$data/single-10M.out" "$data/single-100M.out" \
  "$data/single-1G.out"

if $big; then
  echo "== 4. a file larger than 4 GiB"
  big_file=$data/single-4.5GiB.out
  need_kb=$((5 * 1024 * 1024))
  free_kb=$(df -Pk "$data" | awk 'NR == 2 {print $4}')
  if [ "$free_kb" -lt $((3 * need_kb)) ]; then
    echo "skipped: $((free_kb / 1024 / 1024)) GiB free in $data," \
      "want $((3 * need_kb / 1024 / 1024))"
  else
    trap 'rm -f "$big_file"' EXIT
    /usr/bin/time -f "generated in %e s" "$bin/generate-out-file" --output "$big_file" \
      --size 4.5GiB --columns 20
    "$bin/cvl-bench-load" --only loader --runs 3 --check "$big_file"
    /usr/bin/time -f "minihost as a process: %e s, peak RSS %M KiB" "$bin/minihost" "$big_file" \
      >/dev/null
    rm -f "$big_file"
  fi
fi
