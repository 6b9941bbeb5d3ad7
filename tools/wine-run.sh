#!/usr/bin/env bash
# Runs a Windows executable under Wine in the build's private prefix, creating
# the prefix once (under a lock, so parallel tests do not race) and providing an
# X display through xvfb-run when none is set.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the private Wine prefix of the build}"
export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64

if [ ! -e "$WINEPREFIX/.initialised" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -e "$WINEPREFIX/.initialised" ]; then
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      touch "$WINEPREFIX/.initialised"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"
