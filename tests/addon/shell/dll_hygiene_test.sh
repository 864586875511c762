#!/usr/bin/env bash
# The add-on DLL as it ships, read from its PE tables by MinGW's objdump and windres: it exports
# exactly InitQorAddOn113; it imports only KERNEL32.dll, the C runtime and qvsdkbase.dll (no
# libstdc++, libgcc or winpthread DLL); its VERSIONINFO resource names the product and carries
# the version text that registration passes to the host.
#
#   dll_hygiene_test.sh DLL OBJDUMP WINDRES VERSION_TEXT
set -euo pipefail
dll=$1
objdump=$2
windres=$3
version=$4
failures=0
fail() {
  echo "$(basename "$dll"): $*"
  failures=$((failures + 1))
}

headers=$("$objdump" -p "$dll")
exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | awk 'NR > 1 && NF {print $NF}')
[ "$exports" = "InitQorAddOn113" ] || fail "exports [$(echo $exports)], not just InitQorAddOn113"

imports=$(awk '/DLL Name:/ {print $3}' <<<"$headers")
for import in $imports; do
  case "${import,,}" in
    kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll | qvsdkbase.dll) ;;
    *) fail "imports $import" ;;
  esac
done
for needed in kernel32.dll qvsdkbase.dll; do
  grep -qix "$needed" <<<"$imports" || fail "does not import $needed"
done

resources=$("$windres" -i "$dll" -O rc 2>&1 || true)
for entry in "ProductName\", \"CONVERGE Output File Loader\"" "FileVersion\", \"$version\"" \
  "ProductVersion\", \"$version\"" "OriginalFilename\", \"$(basename "$dll")\""; do
  grep -qF "VALUE \"$entry" <<<"$resources" || fail "has no version resource entry $entry"
done
echo "exports: $(echo $exports); imports: $(echo $imports); failures: $failures"
[ "$failures" -eq 0 ]
