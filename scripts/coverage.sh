#!/usr/bin/env bash
# Builds the coverage preset (clang source-based coverage), runs every test, and prints the line
# and branch coverage of the code that goes into the add-on's library: every source file under
# addon/ (the add-on's own code) and under the stand-ins that are linked into it,
# standins/qvtoolbox/, standins/qorutilutil_utils/ and standins/common_strutil/, that the build
# compiled, per file and in total. The stand-in host (standins/qvsdkbase/) and the tools are not
# counted.
#
#   scripts/coverage.sh [--uncovered] [--min-lines PERCENT] [--min-branches PERCENT]
#
# --uncovered also prints each line that no test ran and each condition that went only one way,
# with the source text. --min-lines and --min-branches make the script fail when the total is
# below them. The merged profile stays in build/coverage/coverage.profdata.
set -euo pipefail
cd "$(dirname "$0")/.."

uncovered=0
min_lines=0
min_branches=0
while (($# > 0)); do
  case "$1" in
    --uncovered) uncovered=1 ;;
    --min-lines) min_lines=$2; shift ;;
    --min-branches) min_branches=$2; shift ;;
    *) echo "usage: $0 [--uncovered] [--min-lines PERCENT] [--min-branches PERCENT]" >&2; exit 2 ;;
  esac
  shift
done

build=build/coverage
profdata=llvm-profdata-14
cov=llvm-cov-14

cmake --preset coverage >/dev/null
cmake --build --preset coverage -j "$(nproc)" >/dev/null
rm -rf "$build/profiles"
mkdir -p "$build/profiles"
ctest --preset coverage -j "$(nproc)" >"$build/ctest.log" 2>&1 || {
  cat "$build/ctest.log" >&2
  exit 1
}
tail -n 1 "$build/ctest.log" | grep -q "Total Test time" || true
"$profdata" merge -sparse "$build"/profiles/*.profraw -o "$build/coverage.profdata"

# Every program and library the build made: the add-on's code is linked into several of them.
objects=()
while IFS= read -r binary; do
  if [ ${#objects[@]} -eq 0 ]; then objects+=("$binary"); else objects+=(-object "$binary"); fi
done < <(find "$build/bin" -maxdepth 1 -type f \( -perm -u+x -o -name '*.so' \) | sort)

sources=(addon standins/qvtoolbox standins/qorutilutil_utils standins/common_strutil)
# The AVX2 row reader runs only on a processor that has AVX2; elsewhere it cannot be covered and
# is left out of the totals, saying so.
left_out=""
if ! grep -qw avx2 /proc/cpuinfo; then
  left_out=addon/rows/kernels/avx2.cpp
  echo "this processor has no AVX2: $left_out is left out of the totals"
fi
"$cov" export -summary-only -instr-profile "$build/coverage.profdata" "${objects[@]}" \
  "${sources[@]/#/$PWD/}" >"$build/summary.json"

python3 - "$build/summary.json" "$PWD/" "$min_lines" "$min_branches" "$left_out" <<'EOF'
import json
import sys

summary, root, min_lines, min_branches, left_out = sys.argv[1:6]
min_lines, min_branches = float(min_lines), float(min_branches)
data = json.load(open(summary))["data"][0]
dirs = ("addon/", "standins/qvtoolbox/", "standins/qorutilutil_utils/", "standins/common_strutil/")
files = [f for f in data["files"] if f["filename"].startswith(root) and
         f["filename"][len(root):].startswith(dirs) and f["filename"][len(root):] != left_out]
totals = {"lines": [0, 0], "branches": [0, 0]}


def cell(kind, s):
    covered, count = s[kind]["covered"], s[kind]["count"]
    percent = 100.0 * covered / count if count else 100.0
    return "%5d/%-5d %6.2f%%" % (covered, count, percent)


print("%-40s %20s %20s" % ("file", "lines", "branches"))
for f in sorted(files, key=lambda f: f["filename"]):
    s = f["summary"]
    for kind in totals:
        totals[kind][0] += s[kind]["covered"]
        totals[kind][1] += s[kind]["count"]
    print("%-40s %20s %20s" % (f["filename"][len(root):], cell("lines", s), cell("branches", s)))
t = {k: {"covered": v[0], "count": v[1]} for k, v in totals.items()}
print("%-40s %20s %20s" % ("TOTAL (%d files)" % len(files), cell("lines", t), cell("branches", t)))
percent = {k: 100.0 * v[0] / v[1] if v[1] else 100.0 for k, v in totals.items()}
if percent["lines"] < min_lines or percent["branches"] < min_branches:
    print("coverage below the floor: lines %.2f%% (at least %g%%), branches %.2f%% (at least %g%%)"
          % (percent["lines"], min_lines, percent["branches"], min_branches), file=sys.stderr)
    sys.exit(1)
EOF

if ((uncovered)); then
  # The source with counts; kept: file names, lines run 0 times, conditions with a count of 0.
  "$cov" show -show-branches=count -instr-profile "$build/coverage.profdata" "${objects[@]}" \
    "${sources[@]/#/$PWD/}" |
    grep -E "^/|^ +[0-9]+\| +0\||Branch \(.*(True|False): 0[],]" || true
fi
