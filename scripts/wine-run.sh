#!/usr/bin/env bash
# Runs a Windows program under Wine without a display: wine-run.sh PROGRAM [ARGUMENTS...]
#
# The Wine prefix is WINEPREFIX when set, else build/wine in this checkout. The first call sets
# the prefix up and starts a wineserver that stays until `wineserver -k` (scripts/test.sh ends
# it), so that later programs start in well under a second and no Wine service started on the
# way holds the caller's standard output open. The program's exit status is returned.
#
# CVL_WINE_LOCALE, when set, is the program's locale (LC_ALL), which sets its ANSI code page:
# hi_IN.UTF-8, for example, a locale that Windows has no 8-bit code page for, gives UTF-8.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wine}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko download prompts, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
(
  flock 9
  # Everything started here may outlive this script: no stream of the caller goes with it.
  wineserver -p </dev/null >/dev/null 2>&1 9>&- || true  # returns at once when one is running
  [ -f "$WINEPREFIX/system.reg" ] || wineboot --init </dev/null >/dev/null 2>&1 9>&-
) 9>"$WINEPREFIX/.start.lock"
if [ -n "${CVL_WINE_LOCALE:-}" ]; then
  exec env LC_ALL="$CVL_WINE_LOCALE" wine "$@"
fi
exec wine "$@"
