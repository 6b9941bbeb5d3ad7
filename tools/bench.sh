#!/usr/bin/env bash
# Runs the benchmarks that print their figures: the trace log against a bare
# fwrite loop, the verification worker against bare curl runs (with its own
# stand-in service), a scan typed on a scanner until its row against a bare
# curl exchange, the results list, the serial reader, the idle program's CPU
# time, the scan history, reading a scan's pack code and how it takes lost
# separators. Builds first. Usage: tools/bench.sh
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${PELLWICK_BUILD:-$ROOT/build}"
"$ROOT/tools/build-quiet.sh"
export WINEPREFIX="$BUILD/win/wineprefix"
source "$ROOT/tools/xvfb.sh"
start_xvfb
trap 'wineserver -k >/dev/null 2>&1 || true; stop_xvfb' EXIT
echo "== trace log"
"$ROOT/tools/wine-run.sh" "$BUILD/win/bin/trace_log_bench.exe" 20000
echo "== scan to result"
PELLWICK_STANDIN=1 PELLWICK_STANDIN_EXE="$BUILD/native/fmd_standin" PELLWICK_BIN="$BUILD/win/bin" \
PELLWICK_STANDIN_PACKS="$ROOT/tools/fmd_standin/packs.json" \
  "$ROOT/tools/wine-run.sh" "$BUILD/win/bin/worker_bench.exe" 50
echo "== starting curl.exe from a windowed program"
figures="$(mktemp)"
"$ROOT/tools/wine-run.sh" "$BUILD/win/bin/curl_start_bench.exe" "Z:${BUILD//\//\\}\\win\\bin\\curl.exe" 15 "Z:${figures//\//\\}" && cat "$figures"
rm -f "$figures"
echo "== scan to row"
"$ROOT/tools/bench/scan-to-row.sh" 100
echo "== results list"
"$ROOT/tools/wine-run.sh" "$BUILD/win/bin/results_list_bench.exe" 300
echo "== serial reader"
WINEPREFIX="$BUILD/win/serial-prefix" PELLWICK_SCANNERS=5 \
  "$ROOT/tools/wine-run.sh" "$BUILD/win/bin/reader_bench.exe" 30 60
echo "== scan history"
"$ROOT/tools/wine-run.sh" "$BUILD/win/bin/history_bench.exe" 200 1000000
echo "== reading a scan"
"$BUILD/native/pack_code_bench"
echo "== valid codes and lost separators"
"$BUILD/native/pack_code_drops" 90000 3000
echo "== idle program"
"$ROOT/tools/bench/idle-cpu.sh" 60
