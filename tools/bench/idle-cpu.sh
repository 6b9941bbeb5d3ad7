#!/usr/bin/env bash
# The idle program's cost. Runs the real program under Wine with four
# virtual CP210x scanners (COM5 to COM8) and the worker polling, against the
# stand-in service, and prints the CPU time it used over SECONDS (default 60)
# as a share of one core (target: under 1 %), and its resident memory.
# Usage: tools/bench/idle-cpu.sh [SECONDS]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
BUILD="${PELLWICK_BUILD:-$ROOT/build}"
IDLE="${1:-60}"
PORTS="5 6 7 8"
source "$ROOT/tools/xvfb.sh"
start_xvfb
export WINEPREFIX="$BUILD/bench-prefix" WINEDEBUG=-all
work="$(mktemp -d /tmp/pellwick-idle-XXXXXX)"
standin=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  for n in $PORTS; do "$ROOT/tools/scanner-sim.sh" detach "$WINEPREFIX" "$work" "$n" "Silabser$n" >/dev/null 2>&1 || true; done
  [ -n "$standin" ] && kill "$standin" 2>/dev/null || true
  rm -rf "$work"
  stop_xvfb
}
trap cleanup EXIT

"$BUILD/native/fmd_standin" --account PHARM01:s3cret --packs "$ROOT/tools/fmd_standin/packs.json" \
  --port-file "$work/port" --time-limit $((IDLE + 120)) >/dev/null 2>&1 &
standin=$!
for _ in $(seq 1 200); do [ -s "$work/port" ] && break; sleep 0.05; done
"$ROOT/tools/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
KEY='HKCU\SOFTWARE\Tembrel Pharmaceutical Suppliers\QuorvixFMD Pellwick'
wine reg add "$KEY" /v Username /d PHARM01 /f >/dev/null 2>&1
wine reg add "$KEY" /v Password /d s3cret /f >/dev/null 2>&1
wine reg add "$KEY" /v ToTray /d 0 /f >/dev/null 2>&1
wine reg add "$KEY" /v ServiceHost /d "127.0.0.1:$(cat "$work/port")" /f >/dev/null 2>&1
# The stand-in speaks TLS with a certificate of the build's test authority.
"$ROOT/tools/trust-test-ca.sh" "$WINEPREFIX" "$BUILD/native/test-ca.pem" "$BUILD/win/bin/trust_ca.exe"
for n in $PORTS; do "$ROOT/tools/scanner-sim.sh" attach "$WINEPREFIX" "$work" "$n" "Silabser$n" >/dev/null; done
APPDATA_DIR="$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type d -path '*AppData/Roaming' | head -n1)"
LOG="$APPDATA_DIR/QuorvixFMD Pellwick/Logs/trace-1.txt"
rm -rf "$APPDATA_DIR/QuorvixFMD Pellwick"

wine "$BUILD/win/bin/Pellwick.exe" >/dev/null 2>&1 &
running() { local n; n=$(grep -c ' - running' "$LOG" 2>/dev/null || true); echo "${n:-0}"; }
for _ in $(seq 1 600); do [ "$(running)" -ge 4 ] && break; sleep 0.1; done
[ "$(running)" -ge 4 ] || { echo "idle-cpu: the four readers did not start" >&2; exit 1; }
sleep 5  # start-up's timers and the login check are over
pid="$(pgrep -x 'Pellwick.exe' | head -n1 || true)"  # Wine names the process after the program
[ -n "$pid" ] || { echo "idle-cpu: no program process" >&2; exit 1; }
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before=$(ticks)
sleep "$IDLE"
after=$(ticks)
hz=$(getconf CLK_TCK)
awk -v t=$((after - before)) -v hz="$hz" -v s="$IDLE" \
  'BEGIN { printf "idle program, 4 readers + worker: %.2f s CPU in %d s = %.2f %% of one core (target < 1 %%)\n", t / hz, s, 100 * t / hz / s }'
echo "resident memory of its Wine process: $(awk '/VmRSS/ {print $2}' "/proc/$pid/status") KiB"
