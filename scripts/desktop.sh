# Sourced: starts and stops a private X display (Xvfb) with a window manager (openbox), as
# a user's desktop has, for the tests that drive the real program's windows. The display
# number is the first free one, which Xvfb reports itself.
export VL_TEST_DISPLAY=""
xvfb_pid=""
openbox_pid=""
start_desktop() {
  local fifo
  fifo="$(mktemp -u /tmp/vl-display-XXXXXX)"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/tmp/xvfb-$$.log 2>&1 &
  xvfb_pid=$!
  local number
  read -r -t 20 number <"$fifo" || { echo "Xvfb did not start:" >&2; cat /tmp/xvfb-$$.log >&2; rm -f "$fifo"; return 1; }
  rm -f "$fifo"
  VL_TEST_DISPLAY=":$number"
  DISPLAY="$VL_TEST_DISPLAY" openbox >/tmp/openbox-$$.log 2>&1 &
  openbox_pid=$!
  for _ in $(seq 1 50); do
    if DISPLAY="$VL_TEST_DISPLAY" wmctrl -m >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "openbox did not start:" >&2; cat /tmp/openbox-$$.log >&2; return 1
}
stop_desktop() {
  [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null && wait "$openbox_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
}
