#!/usr/bin/env bash
# The scan proofs at their full counts, run by hand (the test command runs
# short versions): the kill proof (200 kills) and the load proof (4 scanners
# typing 1,000 barcodes each at once). Builds first, runs in a Wine prefix of
# its own and ends its server afterwards. Prints the tallies; fails on a loss.
# Usage: tools/proof.sh kills [--kills N] [--seed S]
#        tools/proof.sh load [--per-port N]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${PELLWICK_BUILD:-$ROOT/build}"
case "${1:-}" in
  kills) driver=kill_driver.py ;;
  load) driver=load_driver.py ;;
  *) echo "usage: tools/proof.sh kills|load [options]" >&2; exit 2 ;;
esac
shift
"$ROOT/tools/build-quiet.sh"
export WINEPREFIX="$BUILD/proof-prefix"
source "$ROOT/tools/xvfb.sh"
start_xvfb
trap 'wineserver -k >/dev/null 2>&1 || true; stop_xvfb' EXIT
python3 "$ROOT/tools/proof/$driver" --prefix "$WINEPREFIX" "$@"
