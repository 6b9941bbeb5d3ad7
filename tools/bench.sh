#!/usr/bin/env bash
# Runs the benchmarks that print their figures: the trace log against a bare
# fwrite loop, the verification worker against bare curl runs (with its own
# stand-in service), the results list, the serial reader, and the idle
# program's CPU time. Builds first. Usage: tools/bench.sh
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
PELLWICK_STANDIN=1 PELLWICK_STANDIN_EXE="$BUILD/native/fmd_standin" \
PELLWICK_STANDIN_PACKS="$ROOT/tools/fmd_standin/packs.json" \
  "$ROOT/tools/wine-run.sh" "$BUILD/win/bin/worker_bench.exe" 50
echo "== results list"
"$ROOT/tools/wine-run.sh" "$BUILD/win/bin/results_list_bench.exe" 300
echo "== serial reader"
WINEPREFIX="$BUILD/win/serial-prefix" PELLWICK_SCANNERS=5 \
  "$ROOT/tools/wine-run.sh" "$BUILD/win/bin/reader_bench.exe" 30 60
echo "== idle program"
"$ROOT/tools/bench/idle-cpu.sh" 60
