#!/usr/bin/env bash
# Two native builds print the same: runs the comparison that the Windows build's builds_agree test
# makes (minihost --json of the examples, the real files and every fuzz seed, byte for byte with
# exit status and standard error; the file generator; CSV files and workbooks) with two Linux
# builds' program folders, for instance the build of main before a change and after it.
#
#   scripts/compare-builds.sh OLD_BIN NEW_BIN
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 OLD_BIN NEW_BIN" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
shim=$(mktemp)
trap 'rm -f "$shim"' EXIT
# The test runs the second build's programs as Windows programs: NAME.exe, paths on drive Z:.
cat >"$shim" <<'SHIM'
#!/usr/bin/env bash
program=${1%.exe}
shift
arguments=()
for argument in "$@"; do arguments+=("${argument#Z:}"); done
exec "$program" "${arguments[@]}"
SHIM
chmod +x "$shim"
"$root/tests/tools/minihost/builds_agree_test.sh" "$(cd "$1" && pwd)" "$(cd "$2" && pwd)" "$shim"
