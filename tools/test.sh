#!/usr/bin/env bash
# Builds everything and runs every test: the portable logic natively with
# sanitizers, then the Windows program's tests under Wine. Installs what is
# missing first (tools/bootstrap.sh), and ends with the share of test lines.
# Usage: tools/test.sh [ctest arguments]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${PELLWICK_BUILD:-$ROOT/build}"
JOBS="$(nproc)"

"$ROOT/tools/bootstrap.sh"

echo "== include layers (every include runs downward)"
"$ROOT/tools/check-layers.sh"

echo "== native build (clang, ASan + UBSan)"
cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$BUILD/native" -j "$JOBS"
ctest --test-dir "$BUILD/native" --output-on-failure -j "$JOBS" "$@"

echo "== Windows build (mingw-w64) and tests under Wine"
"$ROOT/tools/build-windows.sh" "$BUILD/win"

# One X server for the whole run; every Wine test shares it.
source "$ROOT/tools/xvfb.sh"
start_xvfb
export WINEPREFIX="$BUILD/win/wineprefix"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$BUILD/win/serial-prefix" wineserver -k >/dev/null 2>&1 || true
  stop_xvfb
}
trap cleanup EXIT
# Each prefix's server, its services and its desktop start here, once, and
# stay for the whole run. A service inherits the output of the process that
# starts it: had a test started one, ctest would wait for that test's output
# to close until the service ended, long after the test itself.
for prefix in "$BUILD/win/wineprefix" "$BUILD/win/serial-prefix"; do
  WINEPREFIX="$prefix" "$ROOT/tools/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
  # The stand-in's certificate comes from the build's test authority.
  "$ROOT/tools/trust-test-ca.sh" "$prefix" "$BUILD/native/test-ca.pem" "$BUILD/win/bin/trust_ca.exe"
  WINEPREFIX="$prefix" wineserver -p >/dev/null 2>&1 || true
  WINEPREFIX="$prefix" "$ROOT/tools/wine-run.sh" "$BUILD/win/bin/desktop_keeper.exe" >/dev/null 2>&1 &
done
sleep 3
# Cases that ended without a result and ran again (tools/wine-test.sh).
export PELLWICK_RETRIED="$BUILD/win/retried.txt"
rm -f "$PELLWICK_RETRIED"
status=0
ctest --test-dir "$BUILD/win" --output-on-failure -j "$JOBS" "$@" || status=$?
if [ -s "$PELLWICK_RETRIED" ]; then
  echo "== retried after ending without a result:"
  sed 's/^/   /' "$PELLWICK_RETRIED"
fi
[ "$status" -eq 0 ] || exit "$status"
"$ROOT/tools/test-share.sh"
