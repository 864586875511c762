#!/usr/bin/env bash
# Runs a Windows program under Wine without a display: wine-run.sh PROGRAM [ARGUMENTS...]
#
# The Wine prefix is WINEPREFIX when set, else build/wine in this checkout. The first call sets
# the prefix up and starts a wineserver that stays five minutes after the last program ends (or
# until `wineserver -k`, with which scripts/test.sh ends it), so that later programs start in
# well under a second and no Wine service started on the way holds the caller's standard output
# open. The program's exit status is returned.
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
  # Everything started here may outlive this script: no stream of the caller goes with it. A
  # server that starts now (status 0; 2 when one is running) gets its Wine services started
  # here too, or the first program would start them holding its caller's output open.
  if wineserver -p300 </dev/null >/dev/null 2>&1 9>&-; then
    if [ -f "$WINEPREFIX/system.reg" ]; then boot=(wineboot); else boot=(wineboot --init); fi
    "${boot[@]}" </dev/null >/dev/null 2>&1 9>&-
  fi
) 9>"$WINEPREFIX/.start.lock"
exec wine "$@"
