#!/usr/bin/env bash
# Runs a Windows executable under Wine in the build's private prefix, creating
# the prefix once (under a lock, so parallel tests do not race) and providing an
# X display through xvfb-run when none is set. Its windows are not handed to a
# window manager: there is none under Xvfb, and Wine would wait two seconds
# for one each time a window is hidden.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the private Wine prefix of the build}"
export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64

MARKER="$WINEPREFIX/.initialised-unmanaged"
if [ ! -e "$MARKER" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -e "$MARKER" ]; then
      wineboot -i >/dev/null 2>&1 || true
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
      wineserver -w
      touch "$MARKER"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

run_wine() {
  if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
  else
    wine "$@"
  fi
}

# Tests marked with PELLWICK_SCANNERS (port numbers, e.g. "5 7") get pty-backed
# COM ports; SCANNER_INPUT_COMn names (as a Windows path) the end to type into.
if [ -n "${PELLWICK_SCANNERS:-}" ]; then
  ports="$(mktemp -d /tmp/pellwick-ports-XXXXXX)"
  for n in $PELLWICK_SCANNERS; do
    "$(dirname "$0")/scanner-sim.sh" attach "$WINEPREFIX" "$ports" "$n" >/dev/null
    export "SCANNER_INPUT_COM$n=Z:${ports//\//\\}\\com$n-input"
  done
  cleanup_ports() {
    for n in $PELLWICK_SCANNERS; do "$(dirname "$0")/scanner-sim.sh" detach "$WINEPREFIX" "$ports" "$n"; done
    rm -rf "$ports"
  }
  trap cleanup_ports EXIT
fi

# Tests marked with PELLWICK_STANDIN get a fresh stand-in service of their own:
# STANDIN_PORT, STANDIN_RECORD_DIR and STANDIN_UPDATE_DIR (Windows paths; the
# update server answers from the latter) tell them where it is.
if [ -z "${PELLWICK_STANDIN:-}" ]; then
  run_wine "$@"
  exit $?
fi
: "${PELLWICK_STANDIN_EXE:?the stand-in service executable}"
# The stand-in speaks TLS with a certificate from the build's test authority.
"$(dirname "$0")/trust-test-ca.sh" "$WINEPREFIX" "$(dirname "$PELLWICK_STANDIN_EXE")/test-ca.pem" \
  "${PELLWICK_BIN:?the Windows build bin folder, for trust_ca.exe}/trust_ca.exe"
work="$(mktemp -d /tmp/pellwick-standin-XXXXXX)"
mkdir -p "$work/requests" "$work/update"
"$PELLWICK_STANDIN_EXE" --account PHARM01:s3cret --account PHARM02:other \
  --packs "$PELLWICK_STANDIN_PACKS" --port-file "$work/port" --record-dir "$work/requests" \
  --update-dir "$work/update" \
  --time-limit 900 >"$work/log" 2>&1 &
standin=$!
trap 'kill $standin 2>/dev/null; wait $standin 2>/dev/null; rm -rf "$work"; [ -z "${PELLWICK_SCANNERS:-}" ] || cleanup_ports' EXIT
for _ in $(seq 1 200); do [ -s "$work/port" ] && break; sleep 0.02; done
export STANDIN_PORT="$(cat "$work/port")"
export STANDIN_RECORD_DIR="Z:${work//\//\\}\\requests"
export STANDIN_UPDATE_DIR="Z:${work//\//\\}\\update"
set +e
run_wine "$@"
status=$?
exit $status
