#!/usr/bin/env bash
# A virtual barcode scanner for a Wine prefix: a pty registered as COMn (the
# dosdevices link, and a SERIALCOMM entry naming the driver's device), fed
# from a FIFO that takes the "scanned" bytes. The FIFO (opened read-write by
# socat) lets any number of writers come and go without ending the relay.
#
#   scanner-sim.sh attach PREFIX WORKDIR N [DEVICE]   # DEVICE e.g. Silabser0; none: no SERIALCOMM entry
#   scanner-sim.sh detach PREFIX WORKDIR N [DEVICE]
#   scanner-sim.sh type WORKDIR N [--split] LINE...   # each LINE (printf %b escapes) ends with CR LF
set -euo pipefail

attach() {
  local prefix="$1" work="$2" n="$3" device="${4:-}"
  mkdir -p "$work" "$prefix/dosdevices"
  rm -f "$work/com$n-input"
  mkfifo "$work/com$n-input"
  socat -u OPEN:"$work/com$n-input",rdwr pty,raw,echo=0,link="$work/com$n-port" >/dev/null 2>&1 &
  echo $! >"$work/com$n.pid"
  for _ in $(seq 1 100); do [ -e "$work/com$n-port" ] && break; sleep 0.02; done
  ln -sfn "$work/com$n-port" "$prefix/dosdevices/com$n"
  if [ -n "$device" ]; then
    WINEPREFIX="$prefix" WINEDEBUG=-all wine reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' \
      /v "\\Device\\$device" /d "COM$n" /f >/dev/null 2>&1
  fi
  echo "COM$n input: $work/com$n-input"
}

detach() {
  local prefix="$1" work="$2" n="$3" device="${4:-}"
  [ -f "$work/com$n.pid" ] && kill "$(cat "$work/com$n.pid")" 2>/dev/null || true
  rm -f "$work/com$n.pid" "$work/com$n-input" "$prefix/dosdevices/com$n"
  if [ -n "$device" ]; then
    WINEPREFIX="$prefix" WINEDEBUG=-all wine reg delete 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' \
      /v "\\Device\\$device" /f >/dev/null 2>&1 || true
  fi
}

type_lines() {
  local work="$1" n="$2"; shift 2
  local split=0
  if [ "${1:-}" = "--split" ]; then split=1; shift; fi
  local input="$work/com$n-input" line text
  for line in "$@"; do
    text="$(printf '%b' "$line")"
    if [ "$split" = 1 ] && [ "${#text}" -gt 1 ]; then
      # Two bursts with a pause between them: the reader sees two reads.
      printf '%s' "${text:0:$(( ${#text} / 2 ))}" >"$input"
      sleep 0.05
      printf '%s\r\n' "${text:$(( ${#text} / 2 ))}" >"$input"
    else
      printf '%s\r\n' "$text" >"$input"
    fi
    sleep 0.1
  done
}

case "${1:-}" in
  attach) shift; attach "$@" ;;
  detach) shift; detach "$@" ;;
  type) shift; type_lines "$@" ;;
  *) sed -n '2,9p' "$0"; exit 2 ;;
esac
