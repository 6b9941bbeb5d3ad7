# Sourced by the scripts: start_xvfb gives this shell an X display (a private
# Xvfb of XVFB_SCREEN, default 1280x1024x24, when none is set), stop_xvfb
# ends the one it started.
XVFB_PID=""
start_xvfb() {
  if [ -n "${DISPLAY:-}" ]; then return; fi
  local n
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      Xvfb ":$n" -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && return; sleep 0.05; done
      return
    fi
  done
  echo "no free X display number" >&2; return 1
}
stop_xvfb() {
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
  XVFB_PID=""
}
