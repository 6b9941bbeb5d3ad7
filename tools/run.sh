#!/usr/bin/env bash
# Builds the program and runs it under Wine (under a private Xvfb when there is
# no display), waits for its main window, saves a screenshot to the path it
# prints, and ends the program. Usage: tools/run.sh [screenshot.png]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${PELLWICK_BUILD:-$ROOT/build}"
SHOT="${1:-$ROOT/shots/main-window.png}"
TITLE="QuorvixFMD Pellwick Version 1.190416"

"$ROOT/tools/bootstrap.sh"
"$ROOT/tools/build-windows.sh" "$BUILD/win"

source "$ROOT/tools/xvfb.sh"
start_xvfb
export WINEPREFIX="$BUILD/run-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() { wineserver -k >/dev/null 2>&1 || true; stop_xvfb; }
trap cleanup EXIT

# A fresh program start needs no running instance in this prefix.
wineserver -k >/dev/null 2>&1 || true
# No window manager runs under Xvfb: let Wine draw captions and frames itself.
"$ROOT/tools/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$ROOT/tools/wine-run.sh" "$BUILD/win/bin/Pellwick.exe" >/dev/null 2>&1 &

echo "run: waiting for the main window"
for _ in $(seq 1 600); do
  if xwininfo -root -tree 2>/dev/null | grep -q "\"$TITLE\""; then break; fi
  sleep 0.1
done
if ! xwininfo -root -tree | grep -q "\"$TITLE\""; then
  echo "run: the main window did not appear" >&2; exit 1
fi
sleep 1   # let it paint
mkdir -p "$(dirname "$SHOT")"
WINDOW_ID=$(xwininfo -root -tree | grep "\"$TITLE\"" | head -n1 | awk '{print $1}')
import -window "$WINDOW_ID" "$SHOT" 2>/dev/null || import -window root "$SHOT"
echo "run: screenshot saved to $SHOT"
