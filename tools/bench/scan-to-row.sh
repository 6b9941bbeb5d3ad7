#!/usr/bin/env bash
# What the pharmacist waits for: the real program's start-up, then SCANS
# barcodes (default 100) typed on a virtual scanner, each timed until its row
# shows the final status, beside bare curl.exe exchanges of the same request
# against the same stand-in; then where the time went. Run it on a built tree
# (tools/bench.sh builds first). Usage: tools/bench/scan-to-row.sh [SCANS [TRACE_COPY_FOLDER]]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
BUILD="${PELLWICK_BUILD:-$ROOT/build}"
source "$ROOT/tools/xvfb.sh"
start_xvfb
export WINEPREFIX="$BUILD/bench-prefix"
trap 'wineserver -k >/dev/null 2>&1 || true; stop_xvfb' EXIT
python3 "$ROOT/tools/bench/scan_to_row.py" --prefix "$WINEPREFIX" --scans "${1:-100}" ${2:+--keep-trace "$2"}
