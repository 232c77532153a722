# Sourced by build.sh and the scripts that run the stub under Wine: an X
# server of our own, and a Wine prefix made once and then kept running.

# Starts Xvfb on a free display from `first` upwards (a random offset keeps
# parallel runs apart); exports DISPLAY and sets XVFB_PID.
start_xvfb() {
  local n=$(( $1 + RANDOM % 400 ))
  while [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
}

# Creates $WINEPREFIX on first use, then keeps one wineserver alive and
# starts Wine's own background services with their output detached: started
# by a test instead, they would hold its output pipe open.
start_wine_prefix() {
  if [ ! -f "$WINEPREFIX/.initialised" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    touch "$WINEPREFIX/.initialised"
  fi
  wineserver -p >/dev/null 2>&1 || true
  wine wineboot >/dev/null 2>&1 </dev/null || true
}
