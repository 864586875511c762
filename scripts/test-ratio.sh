#!/usr/bin/env bash
# Test lines against code lines: the non-blank lines that are not only a comment, in the C, C++
# and Python files git knows, under tests/ against everywhere else. Prints both counts and the share,
# per top folder with --folders; with --max PERCENT, fails when the share is above it.
#
#   scripts/test-ratio.sh [--folders] [--max PERCENT]
set -euo pipefail
cd "$(dirname "$0")/.."
folders=false
max=""
while (($# > 0)); do
  case "$1" in
    --folders) folders=true ;;
    --max) max=$2; shift ;;
    *) echo "usage: $0 [--folders] [--max PERCENT]" >&2; exit 2 ;;
  esac
  shift
done

# count PATHSPEC...: the counted lines of the C, C++ and Python files under the paths.
count() {
  {
    git ls-files -- "$@" | grep -E '\.(c|cc|cpp|cxx|h|hh|hpp)$' | xargs -r cat |
      grep -v -E '^\s*(//.*)?$'
    git ls-files -- "$@" | grep -E '\.pyi?$' | xargs -r cat | grep -v -E '^\s*(#.*)?$'
  } | wc -l
}
tests=$(count tests/)
all=$(count .)
code=$((all - tests))
if $folders; then
  for folder in $(git ls-files | grep -E '\.(c|cc|cpp|cxx|h|hh|hpp|py|pyi)$' | cut -d/ -f1-2 | sort -u); do
    printf '%-32s %6d\n' "$folder" "$(count "$folder")"
  done
fi
percent=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.1f", 100 * t / c }')
echo "test lines $tests, code lines $code: tests are $percent% of the code"
if [ -n "$max" ] && awk -v p="$percent" -v m="$max" 'BEGIN { exit !(p > m) }'; then
  echo "above $max%" >&2
  exit 1
fi
