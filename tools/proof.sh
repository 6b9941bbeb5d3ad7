#!/usr/bin/env bash
# The scan proofs at their full counts, run by hand (the test command runs
# short versions): the kill proof (200 kills), the load proof (4 scanners
# typing 1,000 barcodes each at once) and the outage proof (200 scans over a
# 60 s outage of each kind). Builds first, runs in a Wine prefix of
# its own and ends its server afterwards. Prints the tallies; fails on a loss.
# Usage: tools/proof.sh kills [--kills N] [--seed S] [--fast]   (--fast: a scan
#        every 0.1-0.3 s, each kill right after a read)
#        tools/proof.sh load [--per-port N]
#        tools/proof.sh outage [--scans N] [--outage-seconds S] [--kinds refuse,drop,drop_after,hang]
#        tools/proof.sh refusal [--scans N] [--pace MIN,MAX] [--notice-seconds S]
#        (kills --keep-scans: scans kept through outages while the stand-in goes out now and then)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${PELLWICK_BUILD:-$ROOT/build}"
case "${1:-}" in
  kills) driver=kill_driver.py ;;
  load) driver=load_driver.py ;;
  outage) driver=outage_driver.py ;;
  refusal) driver=refusal_driver.py ;;
  *) echo "usage: tools/proof.sh kills|load|outage|refusal [options]" >&2; exit 2 ;;
esac
shift
"$ROOT/tools/build-quiet.sh"
export WINEPREFIX="$BUILD/proof-prefix"
source "$ROOT/tools/xvfb.sh"
start_xvfb
trap 'wineserver -k >/dev/null 2>&1 || true; stop_xvfb' EXIT
python3 "$ROOT/tools/proof/$driver" --prefix "$WINEPREFIX" "$@"
