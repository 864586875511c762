#!/usr/bin/env bash
# The Linux and the Windows build agree: `minihost --json` of both prints the same bytes, and
# exits with the same status and the same standard error, for every bundled example, every real
# file alone, twice and against another, every fuzz seed (split into its one or two files as the
# fuzz target splits it), and a generated benchmark file; both builds' file generators write
# the same bytes; and both write the same CSV files and, but for its time stamp, the same
# workbook for the examples, a real file and tests/tools/minihost/data's awkward values.
#
#   builds_agree_test.sh NATIVE_BIN WINDOWS_BIN EMULATOR
#
# NATIVE_BIN and WINDOWS_BIN are the two builds' program folders; EMULATOR runs a Windows program.
# Exits 77 (skipped) when the native build is not there. minihost.exe takes texts as UTF-8, as
# the Linux build does, through its manifest's code page; the 8-bit names of the fuzz seeds show
# whether it does.
set -euo pipefail
native=$1
windows=$2
emulator=$3
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
if [ ! -x "$native/minihost" ] || [ ! -x "$native/generate-out-file" ]; then
  echo "skipped: no native build in $native (build the default preset first)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Names are given relative to the folder they are in, so that both builds see the same texts.
cases=()
for file in examples/*.out; do cases+=("$root|$file"); done
cases+=("$root|examples/regions_cycle1.out examples/regions_cycle2.out")
real=tests/data/realdata
for file in "$real"/*.out; do cases+=("$root|$file" "$root|$file $file"); done
cases+=("$root|$real/mass_balance.out $real/amr.out")

# A seed holds one file, or two around the marker; nothing after the marker picks a.out twice.
seeds=$work/seeds
for seed in "$root"/tools/fuzz/corpus/*; do
  folder=$seeds/$(basename "$seed")
  mkdir -p "$folder"
  marker=$(grep -a -b -o -F '%%next-file%%' "$seed" | head -n 1 | cut -d: -f1 || true)
  if [ -z "$marker" ]; then
    cp "$seed" "$folder/a.out"
    picked="a.out"
  else
    head -c "$marker" "$seed" >"$folder/a.out"
    tail -c +$((marker + 14)) "$seed" >"$folder/b.out"
    picked="a.out b.out"
    [ -s "$folder/b.out" ] || picked="a.out a.out"
  fi
  cases+=("$folder|$picked")
done

generated=$work/generated
mkdir -p "$generated"
"$native/generate-out-file" --size 1M --columns 30 --regions 3 --shared 3 \
  --output "$generated/native.out" >/dev/null
(cd "$generated" && "$emulator" "$windows/generate-out-file.exe" --size 1M \
  --columns 30 --regions 3 --shared 3 --output windows.out >/dev/null)
failures=0
if ! cmp "$generated/native.out" "$generated/windows.out"; then
  echo "generate-out-file: the two builds wrote different files"
  failures=$((failures + 1))
fi
cases+=("$generated|native.out")

for entry in "${cases[@]}"; do
  folder=${entry%%|*}
  read -r -a files <<<"${entry#*|}"
  native_status=0
  windows_status=0
  (cd "$folder" && "$native/minihost" --json "${files[@]}" >"$work/native.json" \
    2>"$work/native.err") || native_status=$?
  (cd "$folder" && "$emulator" "$windows/minihost.exe" --json "${files[@]}" \
    >"$work/windows.json" 2>"$work/windows.err") || windows_status=$?
  # minihost always prints something. Twice, on a heavily loaded machine, Wine ran it and nothing
  # came out, and the same run was right again at once: such a run is repeated once, saying so.
  if [ ! -s "$work/windows.json" ] && [ ! -s "$work/windows.err" ]; then
    echo "minihost.exe --json ${files[*]}: no output at all (exit status $windows_status); run again"
    windows_status=0
    (cd "$folder" && "$emulator" "$windows/minihost.exe" --json "${files[@]}" \
      >"$work/windows.json" 2>"$work/windows.err") || windows_status=$?
  fi
  what="minihost --json ${files[*]} in ${folder#"$root"/}"
  if ! cmp -s "$work/native.json" "$work/windows.json"; then
    echo "$what: standard output differs (exit status $native_status against $windows_status)"
    head -c 600 "$work/windows.err"
    diff <(fold -w 120 "$work/native.json") <(fold -w 120 "$work/windows.json") | head -20 || true
    failures=$((failures + 1))
  elif ! cmp -s "$work/native.err" "$work/windows.err" || [ "$native_status" != "$windows_status" ]; then
    echo "$what: exit status $native_status against $windows_status, or standard error differs"
    diff "$work/native.err" "$work/windows.err" | head -10 || true
    failures=$((failures + 1))
  fi
done
# The outputs: CSV files byte for byte, the workbooks' zip members but docProps/core.xml.
for files in "examples/engine_cycle.out" "examples/regions_cycle1.out examples/regions_cycle2.out" \
  "$real/cell_count_regions.out" "tests/tools/minihost/data/awkward.out"; do
  read -r -a names <<<"$files"
  rm -rf "$work/native" "$work/windows" && mkdir "$work/native" "$work/windows"
  (cd "$root" && "$native/minihost" --csv "$work/native/csv" --xlsx "$work/native/book.xlsx" \
    "${names[@]}" >/dev/null)
  (cd "$root" && "$emulator" "$windows/minihost.exe" --csv "Z:$work/windows/csv" \
    --xlsx "Z:$work/windows/book.xlsx" "${names[@]}" >/dev/null)
  if ! diff -r "$work/native/csv" "$work/windows/csv" || ! python3 -c '
import sys, zipfile
a, b = (zipfile.ZipFile(name) for name in sys.argv[1:])
differ = [n for n in a.namelist() if n != "docProps/core.xml" and a.read(n) != b.read(n)]
if differ: print("differ:", *differ)
sys.exit(a.namelist() != b.namelist() or bool(differ))
' "$work/native/book.xlsx" "$work/windows/book.xlsx"; then
    echo "minihost --csv --xlsx $files: the two builds wrote different outputs"
    failures=$((failures + 1))
  fi
done
echo "${#cases[@]} loads, the generator and the outputs compared: $failures differ"
[ "$failures" -eq 0 ]
