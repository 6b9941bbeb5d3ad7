#!/usr/bin/env bash
# The program's main job on this machine: builds everything, starts the local
# stand-in verification service and a virtual CP210x scanner on COM5, runs the
# program under Wine (under a private Xvfb when there is no display) pointed
# at that service, scans three packs, saves a screenshot of the main window
# to the path it prints, shows what happened, and ends everything it started.
# Usage: tools/run.sh [screenshot.png]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${PELLWICK_BUILD:-$ROOT/build}"
SHOT="${1:-$ROOT/shots/main-window.png}"
TITLE="QuorvixFMD Pellwick Version 1.190416"

"$ROOT/tools/bootstrap.sh"
cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$BUILD/native" --target fmd_standin
"$ROOT/tools/build-windows.sh" "$BUILD/win"

source "$ROOT/tools/xvfb.sh"
start_xvfb
export WINEPREFIX="$BUILD/run-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
DEMO="$(mktemp -d /tmp/pellwick-demo-XXXXXX)"
STANDIN_PID=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  "$ROOT/tools/scanner-sim.sh" detach "$WINEPREFIX" "$DEMO" 5 >/dev/null 2>&1 || true
  [ -n "$STANDIN_PID" ] && kill "$STANDIN_PID" 2>/dev/null || true
  rm -rf "$DEMO"
  stop_xvfb
}
trap cleanup EXIT

echo "run: starting the stand-in verification service"
"$BUILD/native/fmd_standin" --account PHARM01:s3cret --packs "$ROOT/tools/fmd_standin/packs.json" \
  --port-file "$DEMO/port" --time-limit 600 >"$DEMO/standin.log" 2>&1 &
STANDIN_PID=$!
for _ in $(seq 1 200); do [ -s "$DEMO/port" ] && break; sleep 0.05; done
PORT="$(cat "$DEMO/port")"

echo "run: preparing the Wine prefix (account, service address, virtual scanner on COM5)"
wineserver -k >/dev/null 2>&1 || true
"$ROOT/tools/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
KEY='HKCU\SOFTWARE\Tembrel Pharmaceutical Suppliers\QuorvixFMD Pellwick'
wine reg add "$KEY" /v Username /d PHARM01 /f >/dev/null 2>&1
wine reg add "$KEY" /v Password /d s3cret /f >/dev/null 2>&1
wine reg add "$KEY" /v ServiceHost /d "127.0.0.1:$PORT" /f >/dev/null 2>&1
"$ROOT/tools/scanner-sim.sh" attach "$WINEPREFIX" "$DEMO" 5 Silabser0 >/dev/null
APPDATA_DIR="$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type d -path '*AppData/Roaming' | head -n1)"
LOG="$APPDATA_DIR/QuorvixFMD Pellwick/Logs/trace-1.txt"
rm -rf "$APPDATA_DIR/QuorvixFMD Pellwick"

echo "run: starting the program"
wine "$BUILD/win/bin/Pellwick.exe" >/dev/null 2>&1 &
for _ in $(seq 1 600); do
  xwininfo -root -tree 2>/dev/null | grep -q "\"$TITLE\"" && break
  sleep 0.1
done
xwininfo -root -tree | grep -q "\"$TITLE\"" || { echo "run: the main window did not appear" >&2; exit 1; }
for _ in $(seq 1 100); do grep -q "COM5 - running" "$LOG" 2>/dev/null && break; sleep 0.1; done

echo "run: scanning three packs on COM5 (Decommission mode)"
"$ROOT/tools/scanner-sim.sh" type "$DEMO" 5 \
  '0104150123456782172912311''0LOT24A\x1d21DEMO0001' \
  '0104150123456782172912311''0LOT24A\x1d21DEMO0004' \
  '0104150123456799\x1d21RECALL01'
for _ in $(seq 1 300); do
  [ "$(grep -c 'FMD - Deleting' "$LOG" 2>/dev/null)" -ge 3 ] && break
  sleep 0.1
done

sleep 1   # let it paint
mkdir -p "$(dirname "$SHOT")"
WINDOW_ID=$(xwininfo -root -tree | grep "\"$TITLE\"" | head -n1 | awk '{print $1}')
import -window "$WINDOW_ID" "$SHOT" 2>/dev/null || import -window root "$SHOT"
echo "run: screenshot saved to $SHOT"
echo "run: what the program did (from its trace log):"
grep -E 'Found COM|COM5 - barcode|Saved to|download failed|FMD - Found|FMD - Deleting' "$LOG" | sed 's/^/  /'
echo "run: the stand-in service's answers:"
grep -v listening "$DEMO/standin.log" | sed 's/^/  /'
