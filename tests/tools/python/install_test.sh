#!/usr/bin/env bash
# The package installs as the README says, offline: a fresh virtual environment of Debian's
# Python that sees its site packages, pip install --no-build-isolation --no-index of a copy of
# this working tree (the files git knows or would add, none of the build folders), then the
# bundled examples loaded from another folder by the installed copy.
#
#   install_test.sh [PYTHON]      (default /usr/bin/python3)
set -euo pipefail
python=${1:-/usr/bin/python3}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/source" "$work/elsewhere"
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
  tar --null -T - -cf -) | tar -xf - -C "$work/source"

"$python" -m venv --system-site-packages "$work/venv"
"$work/venv/bin/pip" install --quiet --no-build-isolation --no-index "$work/source"

package=$("$work/venv/bin/python" -c 'import convergeout, os; print(os.path.dirname(convergeout.__file__))')
case $package in
  "$work/venv/"*) ;;
  *) echo "convergeout was imported from $package, not from the virtual environment"; exit 1 ;;
esac
# The module, the host library and the add-on find each other beside themselves, nowhere else.
for library in "$package"/*.so; do
  runpath=$(readelf -d "$library" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
  case $(basename "$library") in
    libqvsdkbase.so) expected="" ;;
    *) expected='$ORIGIN' ;;
  esac
  if [ "$runpath" != "$expected" ]; then
    echo "$library: run path '$runpath', expected '$expected'"
    exit 1
  fi
done
# The package's build of the add-on exports the host's entry point and the package's table alone.
exports=$(nm -D --defined-only "$package/libconvergeoutloader_python.so" | awk '{print $3}' | sort | xargs)
if [ "$exports" != "InitQorAddOn113 cvlPythonPackageApi" ]; then
  echo "libconvergeoutloader_python.so exports: $exports"
  exit 1
fi
grep -q '^License: MIT$' "$work"/venv/lib/python3*/site-packages/convergeout-*.dist-info/METADATA
grep -q '^MIT License$' "$work"/venv/lib/python3*/site-packages/convergeout-*.dist-info/LICENSE

cd "$work/elsewhere"
"$work/venv/bin/python" - "$root/examples" <<'PYTHON'
import sys
import convergeout

datasets, refused = convergeout.load_case(sys.argv[1])
assert refused == {}, refused
assert list(datasets) == ["engine_cycle", "regions_cycle1", "regions_cycle2"], list(datasets)
regions = datasets["regions_cycle1"]
assert [zone.name for zone in regions] == ["regions_cycle1 Intake", "regions_cycle1 Cylinder",
                                           "regions_cycle1 Exhaust"]
assert regions.zone(2)["Pressure"].shape == (300,)
print("installed convergeout", convergeout.__version__, "loads the examples")
PYTHON
