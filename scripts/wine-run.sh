#!/usr/bin/env bash
# Runs a Windows program under Wine without a display: wine-run.sh PROGRAM [ARGUMENTS...]
#
# The Wine prefix is WINEPREFIX when set, else build/wine in this checkout. The first call sets
# the prefix up and starts a wineserver that stays until `wineserver -k` (scripts/test.sh ends
# it), so that later programs start in well under a second and no Wine service started on the
# way holds the caller's standard output open. The program's exit status is returned.
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
exec wine "$@"
